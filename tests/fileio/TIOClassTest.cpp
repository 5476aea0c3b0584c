#include "fileio/TIOClass.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/scripted/ScriptedUiPort.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

std::vector<std::string> EntriesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Whether this process may write where the permission bits forbid it (root).
bool IgnoresPermissions(const TempFolder& folder) {
    std::filesystem::create_directories(folder / "probe");
    std::filesystem::permissions(folder / "probe", std::filesystem::perms(0555));
    const bool wrote = static_cast<bool>(std::ofstream(folder / "probe/x"));
    std::filesystem::permissions(folder / "probe", std::filesystem::perms(0755));
    std::filesystem::remove_all(folder / "probe");
    return wrote;
}

class FileIOTest : public ::testing::Test {
protected:
    TempFolder folder;
    ui::ScriptedUiPort port;
    ui::Application app{port, "Varnek Gerrix Morvellin setup"};
    TIOClass io{app};
    std::vector<std::string> dialogCaptions;

    void SetUp() override {
        port.OnRealize = [this](ui::Form& form) { dialogCaptions.push_back(form.Caption()); };
    }
    void TearDown() override { EXPECT_EQ(port.Unanswered(), 0); }
};

TEST_F(FileIOTest, CountFilesCountsEveryKindOfEntry) {
    folder.Write("medium/a.so", "a");
    folder.Write("medium/b.so", "b");
    std::filesystem::create_directories(folder / "medium/c.so");
    folder.Write("medium/readme.txt", "r");
    EXPECT_EQ(io.CountFiles(folder / "medium/*.so"), 3);
    EXPECT_EQ(io.CountFiles(folder / "medium/*.dll"), 0);
    EXPECT_EQ(io.CountFiles(folder / "nowhere/*"), 0);
}

TEST_F(FileIOTest, CopiesEveryMatchOverwritingWithAProgressWindow) {
    folder.Write("medium/libone.so", "one-new");
    folder.Write("medium/libtwo.so", std::string(2 * 1024 * 1024 + 5, 't'));
    folder.Write("medium/setup.log", "not a library");
    folder.Write("system/libone.so", "one-old");
    EXPECT_TRUE(io.CopyFiles(folder / "medium/*.so", folder / "system", false, "Copying libraries"));
    EXPECT_EQ(ReadBytes(folder / "system/libone.so"), "one-new");
    EXPECT_EQ(ReadBytes(folder / "system/libtwo.so").size(), 2u * 1024 * 1024 + 5);
    EXPECT_EQ(EntriesIn(folder / "system"), (std::vector<std::string>{"libone.so", "libtwo.so"}));
    EXPECT_EQ(dialogCaptions, std::vector<std::string>{"Copying libraries"});
    EXPECT_TRUE(port.Boxes().empty());
}

TEST_F(FileIOTest, NothingToCopyReturnsFalseButCreatesTheDestination) {
    std::filesystem::create_directories(folder / "medium");
    EXPECT_FALSE(io.CopyFiles(folder / "medium/*.so", folder / "system", false, "t"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "system"));
    EXPECT_TRUE(dialogCaptions.empty());
    EXPECT_FALSE(io.CopyFiles(folder / "no-folder", folder / "system2", true, "t"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "system2"));
}

TEST_F(FileIOTest, FolderCopyTakesTheWholeTree) {
    folder.Write("medium/data/a.txt", "a");
    folder.Write("medium/data/sub/b.txt", "b");
    EXPECT_TRUE(io.CopyFiles(folder / "medium/data", folder / "target", true, "t"));
    EXPECT_EQ(ReadBytes(folder / "target/data/sub/b.txt"), "b");
}

TEST_F(FileIOTest, AFailedFileIsReportedAndTheCopyReturnsFalse) {
    folder.Write("medium/liba.so", "new a");
    folder.Write("system/other.so", "old other");
    std::filesystem::create_directories(folder / "system/liba.so"); // a folder in the way
    port.Answer(ui::MsgResult::Ok);
    EXPECT_FALSE(io.CopyFiles(folder / "medium/liba.so", folder / "system", false, "t"));
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Cannot copy liba.so: Is a directory.");
    EXPECT_EQ(port.Boxes()[0].request.icon, ui::MsgIcon::Error);
    EXPECT_EQ(ReadBytes(folder / "system/other.so"), "old other");
    EXPECT_EQ(EntriesIn(folder / "system"), (std::vector<std::string>{"liba.so", "other.so"}));
}

TEST_F(FileIOTest, ReadOnlyDestinationFailsAndKeepsTheOldFiles) {
    if (IgnoresPermissions(folder)) {
        GTEST_SKIP() << "permission bits do not bind this user";
    }
    folder.Write("medium/liba.so", "new a");
    folder.Write("system/liba.so", "old a");
    std::filesystem::permissions(folder / "system", std::filesystem::perms(0555));
    port.Answer(ui::MsgResult::Ok);
    EXPECT_FALSE(io.CopyFiles(folder / "medium/*.so", folder / "system", false, "t"));
    std::filesystem::permissions(folder / "system", std::filesystem::perms(0755));
    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Cannot copy liba.so: Permission denied.");
    EXPECT_EQ(ReadBytes(folder / "system/liba.so"), "old a");
}

TEST_F(FileIOTest, CancelStopsTheCopyAndLeavesNoPartialFile) {
    folder.Write("medium/liba.so", std::string(3 * 1024 * 1024, 'a'));
    folder.Write("medium/libb.so", "b");
    folder.Write("system/liba.so", "old a");
    ui::Form* dialog = nullptr;
    port.OnRealize = [&](ui::Form& form) { dialog = &form; };
    port.WhileProcessingEvents = [&] {
        if (dialog != nullptr && port.ProcessEventsCalls() == 3) {
            ui::Click(*dialog, "btnCancel");
        }
    };
    EXPECT_FALSE(io.CopyFiles(folder / "medium/*.so", folder / "system", false, "t"));
    EXPECT_EQ(ReadBytes(folder / "system/liba.so"), "old a");
    EXPECT_EQ(EntriesIn(folder / "system"), std::vector<std::string>{"liba.so"});
}

TEST_F(FileIOTest, ClosingTheProgressWindowCancelsTheCopy) {
    folder.Write("medium/liba.so", "a");
    ui::Form* dialog = nullptr;
    port.OnRealize = [&](ui::Form& form) { dialog = &form; };
    port.WhileProcessingEvents = [&] {
        if (dialog != nullptr) {
            dialog->CloseByUser();
        }
    };
    EXPECT_FALSE(io.CopyFiles(folder / "medium/*.so", folder / "system", false, "t"));
    EXPECT_FALSE(std::filesystem::exists(folder / "system/liba.so"));
}

TEST_F(FileIOTest, RunAndWaitReturnsExitCodes) {
#ifdef _WIN32
    const std::string program = folder / "my tools/installer.exe";
    std::filesystem::create_directories(folder / "my tools");
    std::filesystem::copy_file(VG_LEAVE_MARK_PROGRAM, program);
#else
    const std::string program = folder.Write("my tools/installer", "#!/bin/sh\nexit 5\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
#endif
    EXPECT_EQ(io.RunAndWait("\"" + program + "\"", SW_SHOWDEFAULT), 5);
    EXPECT_EQ(io.RunAndWait(folder / "missing.exe", SW_SHOWDEFAULT), -1);
    EXPECT_EQ(io.RunAndWait("\"" + program + "\" " + std::string(600, 'x'), SW_SHOWDEFAULT), -1);
}

} // namespace
