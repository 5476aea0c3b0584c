#include "localization/TTranslator.h"

#include <utility>

#include "localization/IniFile.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "ui/Component.h"
#include "ui/Exception.h"
#include "ui/Text.h"

namespace {

struct RegionFile {
    const char* regionCode;
    const char* fileName;
};

// BRA has a file although the language list never offers it.
constexpr RegionFile kRegionFiles[] = {
    {"NL", "netherlands.mdl"}, {"DE", "germany.mdl"}, {"FR", "france.mdl"},
    {"UK", "europe.mdl"},      {"PTB", "portugal.mdl"}, {"SPA", "spain.mdl"},
    {"AUS", "germany.mdl"},    {"UNG", "hungary.mdl"}, {"GRC", "greece.mdl"},
    {"BRA", "brasil.mdl"},     {"S_A", "spain.mdl"},   {"PLK", "poland.mdl"},
    {"CSY", "czech.mdl"},
};

} // namespace

// Translation files made for the Windows program are in the Windows code
// page of their language.
int TTranslator::LegacyCodePageOf(const std::string& fileName) {
    if (fileName == "poland.mdl" || fileName == "czech.mdl" || fileName == "hungary.mdl") {
        return platform::CpAnsiCentral;
    }
    if (fileName == "greece.mdl") {
        return platform::CpAnsiGreek;
    }
    return platform::CpAnsiWestern;
}

TTranslator::TTranslator(std::string programFolder) : m_programFolder(std::move(programFolder)) {}

TTranslator::~TTranslator() = default;

std::optional<std::string> TTranslator::FileNameForRegion(std::string_view regionCode) {
    for (const auto& row : kRegionFiles) {
        if (regionCode == row.regionCode) {
            return std::string(row.fileName);
        }
    }
    return std::nullopt;
}

void TTranslator::LoadLanguage(ui::Component& form, const std::string& regionCode) {
    if (regionCode.empty()) {
        LoadFile("europe.mdl");
        return;
    }
    const auto fileName = FileNameForRegion(regionCode);
    if (!fileName) {
        return;
    }
    LoadFile(*fileName);
    ApplyTo(form);
}

void TTranslator::LoadFile(const std::string& fileName) {
    m_items.clear();
    const bool isDefault = fileName.empty();
    const std::string sep = platform::PathSeparator();
    const std::string path = isDefault ? m_programFolder + sep + "europe.mdl"
                                       : m_programFolder + sep + "trans" + sep + fileName;
    if (!platform::FileExists(path)) {
        throw ui::Exception(isDefault ? "Default translationfile not found!"
                                      : "Translationfile not found!");
    }
    const localization::IniFile ini(path, LegacyCodePageOf(isDefault ? "europe.mdl" : fileName));
    for (const std::string& section : ini.SectionNames(16384)) {
        auto item = std::make_unique<TTranslationItem>();
        item->Name = section;
        item->PropertyName = ini.ReadString(section, "property", "", 2048);
        item->Value = ini.ReadString(section, "value", "", 2048);
        m_items.push_back(std::move(item));
    }
}

void TTranslator::ApplyTo(ui::Component& form) const {
    for (const auto& item : m_items) {
        ui::Component* component = form.FindComponent(item->Name);
        if (component == nullptr) {
            continue;
        }
        if (component->SetTextProperty(item->PropertyName, item->Value) ==
            ui::PropertyResult::Missing) {
            throw ui::Exception(ui::FormatText("Property %s does not exist", item->PropertyName));
        }
    }
}

std::string TTranslator::Translate(std::string_view key) const {
    for (const auto& item : m_items) {
        if (ui::SameText(item->Name, key)) {
            return item->Value;
        }
    }
    return std::string(key);
}

std::string TTranslator::TranslateOr(std::string_view key, std::string_view fallback) const {
    for (const auto& item : m_items) {
        if (ui::SameText(item->Name, key)) {
            return item->Value.empty() ? std::string(fallback) : item->Value;
        }
    }
    return std::string(fallback);
}
