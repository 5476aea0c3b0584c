#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "localization/TTranslator.h"
#include "zip/TZip.h"

namespace testing_support {

// Calls `check` with the file name and the extraction dialog's Cancel
// caption of every language of the list, from the demo medium's files.
inline void ForEachLanguagesCancel(const std::function<void(const std::string& file,
                                                            const std::string& caption)>& check) {
    TTranslator translator{VG_DEMO_DIR};
    for (const auto& entry : TForm1::LanguageList()) {
        const auto file = TTranslator::FileNameForRegion(entry.regionCode);
        ASSERT_TRUE(file);
        translator.LoadFile(*file);
        check(*file, translator.TranslateOr("msgZipCancel", TZipTexts{}.cancel));
    }
}

} // namespace testing_support
