// Links planted in the extraction folder, a full disk and a killed process:
// nothing outside the folder changes and no half-written file takes the
// place of an existing one.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

// Runs the helper process and returns what it printed.
std::string RunHelper(const std::string& mode, const std::string& archive,
                      const std::string& folder, const std::string& limits = "") {
#ifdef _WIN32
    // cmd.exe takes double quotes, and drops the outermost pair of a
    // command that starts with one.
    auto quote = [](const std::string& text) { return "\"" + text + "\""; };
    std::string command = "\"" + quote(VG_ENGINE_HELPER) + " " + mode + " " + quote(archive) + " " +
                          quote(folder) + " 2>&1\"";
    static_cast<void>(limits);
#else
    std::string command = limits + " " + Quote(VG_ENGINE_HELPER) + " " + mode + " " +
                          Quote(archive) + " " + Quote(folder) + " 2>&1";
#endif
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof(buffer), pipe.get()) != nullptr) {
        output += buffer;
    }
    return output;
}

class EngineConfinement : public testing::Test {
protected:
    testing_support::TempFolder m_work;
    Sandbox m_sandbox;
    EngineRun m_run;
};

// Links on Windows are planted by Win32ConfinementTest.cpp.
#ifndef _WIN32
TEST_F(EngineConfinement, LinkedFolderIsNeverEntered) {
    fs::create_directory_symlink("../outside", m_sandbox.InFolder("sub"));
    MakeZip(m_work / "a.zip", {{"sub/sentinel.txt", "overwritten\n"}, {"sub/new.txt", "new\n"}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 2);
    EXPECT_NE(m_run.Messages().find(
                  "\"sub\\sentinel.txt\" was not extracted: \"sub\" is a symbolic link"),
              std::string::npos)
        << m_run.Messages();
    EXPECT_TRUE(fs::is_symlink(m_sandbox.InFolder("sub")));
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineConfinement, LinkedFolderEntryIsRefused) {
    fs::create_directory_symlink("../outside", m_sandbox.InFolder("dir"));
    MakeZip(m_work / "a.zip", {{"dir/", ""}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 1);
    EXPECT_EQ(m_run.Messages(), "\"dir\\\" was not extracted: \"dir\" is a symbolic link\n");
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineConfinement, LinkInThePlaceOfAFileIsReplacedNotFollowed) {
    fs::create_symlink("../outside/sentinel.txt", m_sandbox.InFolder("file.txt"));
    fs::create_symlink("../outside/created.txt", m_sandbox.InFolder("dangling.txt"));
    MakeZip(m_work / "a.zip", {{"file.txt", "from the archive\n"}, {"dangling.txt", "also\n"}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(m_run.Count(UNZ_ACTION_OVERWRITE), 2);
    EXPECT_FALSE(fs::is_symlink(m_sandbox.InFolder("file.txt")));
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("file.txt")), "from the archive\n");
    EXPECT_FALSE(fs::is_symlink(m_sandbox.InFolder("dangling.txt")));
    m_sandbox.ExpectOutsideUntouched();
}
#endif

TEST_F(EngineConfinement, HardLinkedFileIsReplacedNotWrittenThrough) {
    fs::create_hard_link(m_sandbox.Sentinel(), m_sandbox.InFolder("hard.txt"));
    MakeZip(m_work / "a.zip", {{"hard.txt", "from the archive\n"}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("hard.txt")), "from the archive\n");
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineConfinement, FullDiskKeepsTheExistingFile) {
#ifdef _WIN32
    GTEST_SKIP() << "a file size limit stands in for a full disk, and Windows has none";
#endif
    std::string big(2 * 1024 * 1024, 'x');
    for (std::size_t i = 0; i < big.size(); i += 7) {
        big[i] = static_cast<char>('a' + i % 26);
    }
    MakeZip(m_work / "big.zip", {{"big.txt", big}, {"small.txt", "small\n"}});
    WriteFile(m_sandbox.InFolder("big.txt"), "the old file\n");
    // A file size limit of 1000 blocks of 512 bytes stands in for a full disk.
    std::string output =
        RunHelper("extract", m_work / "big.zip", m_sandbox.Folder(), "ulimit -f 1000;");
    EXPECT_NE(
        output.find("message: \"big.txt\" was not extracted: it cannot be written: File too large"),
        std::string::npos)
        << output;
    EXPECT_NE(output.find("result=1\n"), std::string::npos) << output;
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("big.txt")), "the old file\n");
    EXPECT_EQ(m_sandbox.Extracted(), (std::vector<std::string>{"big.txt", "small.txt"}));
}

TEST_F(EngineConfinement, KilledProcessLeavesTheExistingFileAndNoTrace) {
    std::string big(3 * 1024 * 1024, 'y');
    MakeZip(m_work / "big.zip", {{"big.txt", big}});
    WriteFile(m_sandbox.InFolder("big.txt"), "the old file\n");
    std::string output = RunHelper("die", m_work / "big.zip", m_sandbox.Folder());
    EXPECT_EQ(output.find("result="), std::string::npos) << output;
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("big.txt")), "the old file\n");
    EXPECT_EQ(m_sandbox.Extracted(), std::vector<std::string>{"big.txt"});
}

} // namespace
} // namespace engine_test
