// A full disk during the installation run, made by a file size limit on
// the child process that runs it: the run says what failed, every old file
// keeps its bytes, and no temporary file is left behind.

#include <gtest/gtest.h>

#include "FaultFixture.h"

namespace fault_test {
namespace {

// No file of the child may grow beyond this.
constexpr std::uint64_t kFileSizeLimit = 64 * 1024;

class DiskFullTest : public InstallationFixture {};

TEST_F(DiskFullTest, ExtractionFailsTheEntriesThatDoNotFitAndKeepsTheOldFiles) {
    MakeZip(medium / "Data.zip", {{"16.0/readme.txt", Noise(200 * 1024, 1)},
                                  {"16.0/codes/part-1.xml", Noise(3 * 1024 * 1024, 2)},
                                  {"16.0/fits.txt", "small enough"}});
    MakeZip(medium / "environments.zip", {{"Default/settings.ini", Noise(kFileSizeLimit + 1, 3)}});
    target.Write("app/16.0/readme.txt", "old version data");
    target.Write("app/16.0/codes/part-1.xml", "<old/>");
    target.Write("env/16.0/environments/Default/settings.ini", "[Old environment]");
    const Tree before = Snapshot(target.Path());
    Create();

    const ChildRun run = RunInstallationInChild([] { LimitFileSize(kFileSizeLimit); });

    EXPECT_EQ(run.end.exitCode, 0) << testing::PrintToString(run.other);
    EXPECT_EQ(run.log, RunLog({LogLine("msgCopyDataToNewVarnekGerrix"), NotCopied(medium / "Data.zip"),
                               "- \"16.0\\readme.txt\" was not extracted: it cannot be written: File too large",
                               EnvironmentsNotCopied(),
                               "- \"Default\\settings.ini\" was not extracted: it cannot be written: "
                               "File too large"}))
        << "each failure line with the engine's first message under it";
    EXPECT_TRUE(run.boxes.empty()) << testing::PrintToString(run.boxes);
    Tree expected = before;
    expected["system"] = FolderNode();
    expected["system/libvgone.so"] = FileNode("library one");
    expected["app/16.0/fits.txt"] = FileNode("small enough");
    EXPECT_EQ(Snapshot(target.Path()), expected);
}

TEST_F(DiskFullTest, LibraryCopyStopsWithItsErrorBoxAndKeepsTheOldLibraries) {
    medium.Write("libvgone.so", Noise(kFileSizeLimit * 3, 4));
    target.Write("system/libvgone.so", "old library one");
    target.Write("system/libother.so", "a library of another program");
    const Tree before = Snapshot(target.Path());
    Create();

    const ChildRun run = RunInstallationInChild([this] {
        port.Answer(ui::MsgResult::Ok);
        LimitFileSize(kFileSizeLimit);
    });

    EXPECT_EQ(run.end.exitCode, 0) << testing::PrintToString(run.other);
    EXPECT_EQ(run.boxes, std::vector<std::string>{"Cannot copy libvgone.so: File too large."});
    EXPECT_EQ(run.log, RunLog({NotCopied(medium / "*.so"), "- Cannot copy " + medium / "libvgone.so to " +
                                                              target / "system/libvgone.so: File too large."}));
    EXPECT_EQ(Snapshot(target.Path()), before) << "no archive is unpacked after a failed copy";
}

} // namespace
} // namespace fault_test
