// Targets the installation run cannot use as they are: read-only folders,
// links in the place of files, an archive that is gone by the time it is
// unpacked. The run says what failed and changes nothing it must not.
//
// Permission bits do not bind root, so the read-only cases run in a child
// that drops to user nobody when the tests run as root.

#include <gtest/gtest.h>

#include "FaultFixture.h"
#include "engine/UnzDll.h"

namespace fault_test {
namespace {

constexpr fs::perms kReadOnlyFolder = fs::perms(0555);
constexpr fs::perms kOpenFolder = fs::perms(0755);

class HostileTargetTest : public InstallationFixture {};

TEST_F(HostileTargetTest, ReadOnlySystemFolderStopsTheCopyWithItsErrorBox) {
    target.Write("system/libvgone.so", "old library one");
    fs::permissions(target / "system", kReadOnlyFolder);
    const Tree before = Snapshot(target.Path());
    Create();

    const ChildRun run = RunInstallationInChild([this] {
        port.Answer(ui::MsgResult::Ok);
        BecomeUnprivileged();
    });
    fs::permissions(target / "system", kOpenFolder);

    if (const std::string reason = SkipReason(run); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    EXPECT_EQ(run.end.exitCode, 0) << testing::PrintToString(run.other);
    EXPECT_EQ(run.boxes, std::vector<std::string>{"Cannot copy libvgone.so: Permission denied."});
    EXPECT_EQ(run.log, RunLog({NotCopied(medium / "*.so"), "- Cannot copy " + medium / "libvgone.so to " +
                                                              target / "system/libvgone.so: Permission denied."}));
    EXPECT_EQ(Snapshot(target.Path()), before);
}

TEST_F(HostileTargetTest, ReadOnlyExtractionFoldersFailBothArchivesAndKeepTheOldFiles) {
    fs::create_directories(target / "system");
    fs::permissions(target / "system", fs::perms::all); // the copy works, also as nobody
    target.Write("app/16.0/readme.txt", "old version data");
    target.Write("env/16.0/environments/Default/settings.ini", "[Old environment]");
    const std::vector<std::string> readOnly{"app/16.0", "env/16.0/environments",
                                            "env/16.0/environments/Default"};
    for (const std::string& folder : readOnly) {
        fs::permissions(target / folder, kReadOnlyFolder);
    }
    const Tree before = Snapshot(target.Path());
    Create();

    const ChildRun run = RunInstallationInChild([this] { BecomeUnprivileged(); });
    for (const std::string& folder : readOnly) {
        fs::permissions(target / folder, kOpenFolder);
    }

    if (const std::string reason = SkipReason(run); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    EXPECT_EQ(run.end.exitCode, 0) << testing::PrintToString(run.other);
    EXPECT_TRUE(run.boxes.empty()) << testing::PrintToString(run.boxes);
    EXPECT_EQ(run.log, RunLog({LogLine("msgCopyDataToNewVarnekGerrix"), NotCopied(medium / "Data.zip"),
                               "- \"16.0\\readme.txt\" was not extracted: Permission denied",
                               EnvironmentsNotCopied(),
                               "- \"Default\\settings.ini\" was not extracted: Permission denied"}));
    Tree expected = before;
    expected["system/libvgone.so"] = FileNode("library one");
    EXPECT_EQ(Snapshot(target.Path()), expected);
}

TEST_F(HostileTargetTest, LinksInThePlaceOfTargetFilesAreReplacedNeverFollowed) {
    target.Write("outside/readme.txt", "outside: never changed");
    target.Write("outside/libvgone.so", "outside library: never changed");
    fs::create_directories(target / "system");
    fs::create_symlink(target / "outside/libvgone.so", target / "system/libvgone.so");
    fs::create_symlink("../../outside/readme.txt", target / "app/16.0/readme.txt");
    fs::create_directories(target / "env/16.0/environments/Default");
    fs::create_symlink(target / "outside/created.ini",
                       target / "env/16.0/environments/Default/settings.ini");
    Tree expected = Snapshot(target.Path());
    TForm1& w = Create();

    ui::Click(w, "btnStart");

    EXPECT_TRUE(port.Boxes().empty());
    EXPECT_EQ(Log(), RunLog({LogLine("msgCopyDataToNewVarnekGerrix")}));
    expected["system/libvgone.so"] = FileNode("library one");
    expected["app/16.0/readme.txt"] = FileNode("version data");
    expected["env/16.0/environments/Default/settings.ini"] = FileNode("[Environment]");
    EXPECT_EQ(Snapshot(target.Path()), expected);
}

TEST_F(HostileTargetTest, ArchiveThatVanishesAfterOpeningGivesItsFailureLine) {
    target.Write("app/16.0/readme.txt", "old version data");
    TForm1& w = Create();
    w.ZipFile.OnContentsChanged = [&](ui::Component*) {
        if (w.ZipFile.ArchiveFileName() == medium / "Data.zip") {
            fs::remove(medium / "Data.zip");
        }
    };

    ui::Click(w, "btnStart");

    EXPECT_TRUE(port.Boxes().empty());
    EXPECT_EQ(Log(),
              RunLog({LogLine("msgCopyDataToNewVarnekGerrix"), NotCopied(medium / "Data.zip"),
                      "- Cannot open the archive \"" + medium / "Data.zip\": No such file or directory"}));
    EXPECT_EQ(ReadBytes(target / "app/16.0/readme.txt"), "old version data");
    EXPECT_EQ(ReadBytes(target / "env/16.0/environments/Default/settings.ini"), "[Environment]");
}

TEST_F(HostileTargetTest, ArchiveComponentPassesOnTheEnginesResultForAVanishedArchive) {
    TForm1& w = Create();
    w.ZipFile.SetArchiveFileName(medium / "Data.zip");
    ASSERT_EQ(w.ZipFile.Entries().size(), 2u);
    fs::remove(medium / "Data.zip");
    w.ZipFile.ExtractBaseFolder = target / "app";
    w.ZipFile.ShowProgressDialog = false;

    EXPECT_EQ(w.ZipFile.Extract(), UNZ_NO_ARCHIVE);

    EXPECT_TRUE(port.Boxes().empty());
    EXPECT_EQ(Snapshot(target / "app"), (Tree{{"16.0", FolderNode()}}));
}

} // namespace
} // namespace fault_test
