#pragma once

#include <string>

// One entry of a translation file: a section of the file.
struct TTranslationItem {
    // The section name: a component name of the window or a message key.
    std::string Name;
    // The property of that component the entry sets ("Caption", "Hint",
    // "Text"); empty for pure message keys.
    std::string PropertyName;
    // The translated text.
    std::string Value;
};
