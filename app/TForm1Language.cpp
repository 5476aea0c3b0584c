// Language handling of the wizard window: the region code guessed from the
// locale, the language list and the switch to another language.

#include <cstddef>
#include <span>

#include "app/TForm1.h"
#include "localization/TTranslator.h"
#include "platform/Locale.h"
#include "ui/Text.h"

namespace {

struct AbbreviationRow {
    const char* abbreviation;
    const char* regionCode;
};

// Windows abbreviated language names to region codes, tested from the top.
// "GRC", "POL" and "CZH" are not names Windows uses: Greek, Polish and Czech
// machines report "ELL", "PLK" and "CSY", which the last three rows map, so
// that those machines start in their own language.
constexpr AbbreviationRow kAbbreviations[] = {
    {"NLD", "NL"},  {"DEU", "DE"},  {"ENG", "UK"},  {"ENU", "UK"},  {"ESN", "SPA"},
    {"ESP", "SPA"}, {"FRA", "FR"},  {"PTB", "PTB"}, {"PTG", "PTB"}, {"DEA", "AUS"},
    {"HUN", "UNG"}, {"GRC", "GRC"}, {"COL", "PTB"}, {"POL", "PLK"}, {"CZH", "CSY"},
    {"ELL", "GRC"}, {"PLK", "PLK"}, {"CSY", "CSY"},
};
constexpr const char* kDefaultRegionCode = "UK";

// The language list, in list order.
constexpr TForm1::LanguageEntry kLanguageEntries[] = {
    {"msgNetherlands", "NL"}, {"msgEurope", "UK"},     {"msgGerman", "DE"},
    {"msgFrance", "FR"},      {"msgSpain", "SPA"},     {"msgPortugues", "PTB"},
    {"msgAustria", "AUS"},    {"msgHungary", "UNG"},   {"msgGreece", "GRC"},
    {"msgSpainsa", "S_A"},    {"msgPoland", "PLK"},    {"msgTsjech", "CSY"},
};
static_assert(std::size(kLanguageEntries) == std::tuple_size_v<decltype(TForm1::LanguageEntryIndex)>);

} // namespace

std::span<const TForm1::LanguageEntry> TForm1::LanguageList() {
    return kLanguageEntries;
}

std::string TForm1::DetectRegionCode() const {
    const std::string abbreviation = m_locale.AbbreviatedLanguageName();
    for (const auto& row : kAbbreviations) {
        if (abbreviation == row.abbreviation) {
            return row.regionCode;
        }
    }
    return kDefaultRegionCode;
}

void TForm1::FillLanguageList() {
    edtLanguages.ClearItems();
    for (std::size_t i = 0; i < std::size(kLanguageEntries); ++i) {
        LanguageEntryIndex[i] = edtLanguages.AddItem(m_translator.Translate(kLanguageEntries[i].messageKey));
    }
    edtLanguages.SetDropDownCount(static_cast<int>(edtLanguages.Items().size()));
}

void TForm1::SelectLanguageEntry(const std::string& code) {
    for (std::size_t i = 0; i < std::size(kLanguageEntries); ++i) {
        if (code == kLanguageEntries[i].regionCode) {
            edtLanguages.SetItemIndex(LanguageEntryIndex[i]);
            break;
        }
    }
    if (!ui::Trim(code).empty()) {
        btnStart.SetEnabled(true);
    }
}

void TForm1::ChooseLanguage(const std::string& code) {
    int index = -1;
    for (std::size_t i = 0; i < std::size(kLanguageEntries); ++i) {
        if (code == kLanguageEntries[i].regionCode) {
            index = LanguageEntryIndex[i];
        }
    }
    if (index >= 0) {
        edtLanguages.Choose(index);
    }
}

void TForm1::edtLanguagesPropertiesCloseUp() {
    btnStart.SetEnabled(false);
    RegionCode.clear();
    const int selected = edtLanguages.ItemIndex();
    for (std::size_t i = 0; i < std::size(kLanguageEntries); ++i) {
        if (selected == LanguageEntryIndex[i]) {
            RegionCode = kLanguageEntries[i].regionCode;
        }
    }
    if (ui::Trim(RegionCode).empty()) {
        return;
    }
    m_translator.LoadLanguage(*this, RegionCode);
    SetCaption(m_translator.Translate("titlebar"));
    btnStart.SetEnabled(true);
}
