#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "localization/TTranslationItem.h"

namespace ui {
class Component;
}

// The translation catalogue: the entries of one translation file at a time,
// looked up by key and applied to the components of a window by name.
//
// Translation files are INI files in the folder "trans" below the program
// folder, one per region code. Every section is one entry: the section name
// is a component name or a message key, the key "property" names the text
// property of that component the entry sets, the key "value" holds the text.
class TTranslator {
public:
    // `programFolder` is the folder of the running program, without a
    // trailing separator.
    explicit TTranslator(std::string programFolder);
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // Loads the translation file of `regionCode` and applies it to `form`.
    // An empty code loads "europe.mdl" without applying it; a code without a
    // file of its own (codes compare exactly, letter case included) changes
    // nothing. Raises what LoadFile and ApplyTo raise.
    void LoadLanguage(ui::Component& form, const std::string& regionCode);

    // Replaces the entries by those of `fileName` in the "trans" folder (an
    // empty name reads "europe.mdl" in the program folder itself). Raises
    // ui::Exception "Translationfile not found!" (or "Default translationfile
    // not found!" for the empty name) when there is no such file; the
    // catalogue is then empty.
    void LoadFile(const std::string& fileName);

    // Sets, in file order, the text property of each entry's component on
    // `form`. Entries naming no component are skipped, properties that hold
    // no text are left alone. Raises ui::Exception "Property %s does not
    // exist" for a property the component does not have; later entries are
    // then not applied.
    void ApplyTo(ui::Component& form) const;

    // The value of the first entry whose name equals `key` without regard to
    // case; the key itself when there is none. Never fails.
    std::string Translate(std::string_view key) const;
    // The same for an optional text: `fallback` when no entry has that name
    // or its value is empty.
    std::string TranslateOr(std::string_view key, std::string_view fallback) const;

    // The entries, in file order, duplicates included.
    const std::vector<std::unique_ptr<TTranslationItem>>& Items() const { return m_items; }

    // The translation file of a region code; nullopt for a code without one.
    static std::optional<std::string> FileNameForRegion(std::string_view regionCode);
    // The Windows code page a translation file made for the Windows program
    // is written in; a file that is not UTF-8 is read in it.
    static int LegacyCodePageOf(const std::string& fileName);

private:
    std::string m_programFolder;
    std::vector<std::unique_ptr<TTranslationItem>> m_items;
};
