// The archive component lists every entry under the name the engine gives
// it, for every host system, flag and locale: both read names through one
// rule (zipformat::DecodeEntryText).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../support/Environment.h"
#include "../support/TempFolder.h"
#include "../zip/ZipBuilder.h"
#include "platform/LocaleCodePage.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zip/TZip.h"

namespace {

using testing_support::TempFolder;

// The Info-ZIP Unicode path field for `stored`, holding `utf8`.
std::string UnicodePathField(const std::string& stored, const std::string& utf8) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : stored) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    std::string field;
    zip_test::Put16(field, 0x7075);
    zip_test::Put16(field, static_cast<std::uint32_t>(5 + utf8.size()));
    field += '\x01';
    zip_test::Put32(field, ~crc);
    return field + utf8;
}

TEST(NameAgreementTest, ComponentListsTheNamesTheEngineWrites) {
    // Names in DOS code pages: "Größe_é" in 437/850, "ıİ" in 857, and
    // bytes every other page reads in its own way.
    const std::string oem = "Gr\x94\xE1" "e_\x82.txt";
    const std::string turkish = "\x8D\x98.txt";
    const std::string utf8 = "Gr\xC3\xB6\xC3\x9F" "e.txt";
    struct Case {
        const char* what;
        zip_test::Entry entry;
    };
    const Case cases[] = {
        {"DOS host, OEM bytes", {oem, "", "", 20, 0, 0, ""}},
        {"OS/2 host, OEM bytes", {turkish, "", "", 20, 6, 0, ""}},
        {"Unix host, bytes that are no UTF-8", {oem, "", "", 30, 3, 0, ""}},
        {"Unix host, UTF-8", {utf8, "", "", 30, 3, 0, ""}},
        {"NTFS host by PKZIP 5.0", {turkish, "", "", 50, 11, 0, ""}},
        {"NTFS host by another tool", {oem, "", "", 20, 11, 0, ""}},
        {"bit 11 with UTF-8", {utf8, "", "", 20, 0, 0x0800, ""}},
        {"bit 11 with bytes that are no UTF-8", {oem, "", "", 20, 0, 0x0800, ""}},
        {"Unicode path field", {oem, UnicodePathField(oem, utf8), "", 20, 0, 0, ""}},
        {"stale Unicode path field", {oem, UnicodePathField("other", utf8), "", 20, 0, 0, ""}},
    };
#ifdef _WIN32
    // The code pages of the running system.
    const std::vector<std::string> locales{""};
#else
    const std::vector<std::string> locales{"C",           "en_US.UTF-8", "de_DE.UTF-8",
                                           "pl_PL.UTF-8", "el_GR.UTF-8", "ru_RU.UTF-8",
                                           "tr_TR.UTF-8", "he_IL.UTF-8", "lt_LT.UTF-8",
                                           "th_TH.UTF-8", "vi_VN.UTF-8", "en_ZA.UTF-8"};
#endif
    for (const std::string& locale : locales) {
        std::unique_ptr<testing_support::ScopedEnv> lcAll;
        if (!locale.empty()) {
            lcAll = std::make_unique<testing_support::ScopedEnv>("LC_ALL", locale);
        }
        ui::ScriptedUiPort port;
        ui::Application app{port, "Test"};
        const platform::SystemVolumes volumes;
        TZip zip(nullptr, "ZipFile",
                 TZipServices{app, volumes, platform::SystemOemCodePage(),
                              platform::SystemAnsiCodePage(), ""});
        zip.ShowProgressDialog = false;
        std::vector<std::string> reported;
        zip.OnZEDBeginFileEvent = [&](ui::Component*, const std::string& name, std::int32_t,
                                      std::int32_t, std::int32_t) { reported.push_back(name); };
        for (const Case& c : cases) {
            SCOPED_TRACE(locale + ": " + c.what);
            TempFolder folder;
            folder.Write("names.zip", zip_test::MakeArchive({c.entry}).Bytes());
            zip.SetArchiveFileName(folder / "names.zip");
            ASSERT_EQ(zip.Entries().size(), 1u);
            const std::string listed = zip.Entries()[0].FileName;
            reported.clear();
            zip.ExtractBaseFolder = folder.Path();
            zip.ExtractOptions = ExtractOption16;
            EXPECT_EQ(zip.Extract(), 0) << testing::PrintToString(zip.EngineMessages);
            ASSERT_EQ(reported.size(), 1u);
            EXPECT_EQ(reported[0], listed);
        }
        EXPECT_TRUE(port.Boxes().empty());
    }
}

} // namespace
