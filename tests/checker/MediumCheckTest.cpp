#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/StoredZip.h"
#include "../support/TempFolder.h"
#include "checker/MediumCheck.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

std::string Read(const std::string& path) {
    std::string bytes;
    std::string reason;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes, reason)) << path << ": " << reason;
    return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
    std::string reason;
    ASSERT_TRUE(platform::WriteWholeFile(path, bytes, reason)) << path << ": " << reason;
}

// Replaces `from` by `to` in a text file of the medium.
void Edit(const std::string& path, const std::string& from, const std::string& to) {
    std::string text = Read(path);
    const auto at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << path;
    text.replace(at, from.size(), to);
    Write(path, text);
}

std::vector<std::string> Problems(const std::string& folder) {
    std::vector<std::string> problems;
    for (const auto& finding : MediumCheck(folder).Run()) {
        if (finding.kind == MediumCheck::Finding::Kind::Problem) {
            problems.push_back(finding.text);
        }
    }
    return problems;
}

TEST(MediumCheckTest, TheDemoMediumInstallsCleanly) {
    std::ostringstream out;
    EXPECT_EQ(RunMediumCheck({VG_DEMO_MEDIUM}, out), 0) << out.str();
    EXPECT_NE(out.str().find("No problem found"), std::string::npos) << out.str();
    EXPECT_EQ(RunMediumCheck({}, out), 2);
    EXPECT_EQ(RunMediumCheck({"a", "b"}, out), 2);
}

// Each broken copy of the demo medium gives exactly its one problem.
TEST(MediumCheckTest, EachPlantedProblemIsNamed) {
    const std::string engine = platform::EngineLibraryName();
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> plant;
        std::string problem; // the start of the one problem line
    };
    const Case cases[] = {
        {"missing section",
         [](const TempFolder& m) { Edit(m / "trans/france.mdl", "[msgCopyZip]", "[msgCopyZipRenamed]"); },
         "trans/france.mdl: section [msgCopyZip] is missing"},
        {"misspelt property",
         [](const TempFolder& m) {
             Edit(m / "trans/germany.mdl", "[btnStart]\r\nproperty=Caption", "[btnStart]\r\nproperty=Captoin");
         },
         "trans/germany.mdl: section [btnStart] names the property \"Captoin\""},
        {"missing manual", [](const TempFolder& m) { fs::remove(m / "doc/installation_nld.pdf"); },
         "doc/installation_nld.pdf is missing"},
        {"truncated archive",
         [](const TempFolder& m) {
             const std::string bytes = Read(m / "environments.zip");
             Write(m / "environments.zip", bytes.substr(0, bytes.size() / 2));
         },
         "environments.zip: \""},
        {"entry with a bad checksum",
         [](const TempFolder& m) {
             std::string bytes = testing_support::StoredZip({{"a.txt", "hello, medium"}});
             bytes.replace(bytes.find("hello"), 5, "jello");
             Write(m / "environments.zip", bytes);
         },
         "environments.zip: the customer would be asked: \"a.txt\" may be corrupted (CRC error)."},
        {"missing settings key",
         [](const TempFolder& m) { Edit(m / "VG_Setup.ini", "RegisterVersion=", "RegisterVersionX="); },
         "VG_Setup.ini: RegisterVersion is missing or empty"},
        {"missing engine", [&](const TempFolder& m) { fs::remove(m / engine); },
         engine + " is missing beside setup"},
        {"listed library missing",
         [](const TempFolder& m) { Edit(m / "VG_Setup.ini", "VersionZipName=", "Libraries=nothere.lib\r\nVersionZipName="); },
         "nothere.lib is listed in the key Libraries of VG_Setup.ini but does not lie beside the program"},
        {"UTF-8 name without its mark in an archive of DOS names",
         [](const TempFolder& m) {
             Write(m / "environments.zip", Read(std::string(VG_ENGINE_DATA_DIR) +
                                                "/utf8-name-unmarked-dos.zip"));
         },
         "environments.zip: \"Größe_é.txt\" is stored in UTF-8 without the UTF-8 mark in an "
         "archive of DOS names, so it is read in the DOS code page and written as \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder medium;
        // Entry by entry: the folder itself exists already.
        for (const auto& entry : fs::directory_iterator(VG_DEMO_MEDIUM)) {
            fs::copy(entry.path(), fs::path(medium.Path()) / entry.path().filename(),
                     fs::copy_options::recursive);
        }
        c.plant(medium);
        const auto problems = Problems(medium.Path());
        ASSERT_EQ(problems.size(), 1u) << testing::PrintToString(problems);
        EXPECT_EQ(problems[0].rfind(c.problem, 0), 0u) << problems[0];
    }
}

// Real DOS names (code page 850 bytes, no UTF-8) are what an archive of DOS
// names should hold: nothing to say about them.
TEST(MediumCheckTest, RealDosNamesRaiseNothing) {
    TempFolder medium;
    for (const auto& entry : fs::directory_iterator(VG_DEMO_MEDIUM)) {
        fs::copy(entry.path(), fs::path(medium.Path()) / entry.path().filename(),
                 fs::copy_options::recursive);
    }
    Write(medium / "environments.zip", Read(std::string(VG_ENGINE_DATA_DIR) + "/oem-name.zip"));
    EXPECT_EQ(Problems(medium.Path()), std::vector<std::string>{});
}

} // namespace
