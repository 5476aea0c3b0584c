#include "platform/FileCopy.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

std::size_t EntriesIn(const std::string& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

class FileCopyTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string reason;
};

TEST_F(FileCopyTest, ReplacesTheTargetAndKeepsTheSourceMode) {
    const std::string data(3 * 1024 * 1024 + 17, 'x');
    const std::string source = folder.Write("src/libvg.so", data);
    std::filesystem::permissions(source, std::filesystem::perms(0755));
    folder.Write("dst/libvg.so", "old contents");
    int reports = 0;
    std::uint64_t last = 0;
    const auto outcome = platform::CopyFileSafely(
        source, folder / "dst/libvg.so",
        [&](std::uint64_t done, std::uint64_t total) {
            ++reports;
            EXPECT_EQ(total, data.size());
            EXPECT_GT(done, last);
            last = done;
            return true;
        },
        reason);
    ASSERT_EQ(outcome, platform::CopyOutcome::Copied) << reason;
    EXPECT_EQ(ReadBytes(folder / "dst/libvg.so"), data);
    EXPECT_EQ(last, data.size());
    EXPECT_GE(reports, 4);
    EXPECT_EQ(std::filesystem::status(folder / "dst/libvg.so").permissions(), std::filesystem::perms(0755));
    EXPECT_EQ(EntriesIn(folder / "dst"), 1u) << "no temporary file is left";
}

TEST_F(FileCopyTest, CancelLeavesTheOldFileAndNoTemporaryFile) {
    const std::string source = folder.Write("src/big.so", std::string(4 * 1024 * 1024, 'n'));
    folder.Write("dst/big.so", "old");
    const auto outcome = platform::CopyFileSafely(
        source, folder / "dst/big.so", [](std::uint64_t, std::uint64_t) { return false; }, reason);
    EXPECT_EQ(outcome, platform::CopyOutcome::Cancelled);
    EXPECT_EQ(ReadBytes(folder / "dst/big.so"), "old");
    EXPECT_EQ(EntriesIn(folder / "dst"), 1u);
}

TEST_F(FileCopyTest, FailuresNameTheReasonAndChangeNothing) {
    const std::string source = folder.Write("src/a.so", "new");
    EXPECT_EQ(platform::CopyFileSafely(folder / "src/none.so", folder / "a.so", {}, reason),
              platform::CopyOutcome::Failed);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(platform::CopyFileSafely(source, folder / "missing/a.so", {}, reason),
              platform::CopyOutcome::Failed);
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_EQ(platform::CopyFileSafely(folder / "src", folder / "x.so", {}, reason),
              platform::CopyOutcome::Failed);
    EXPECT_EQ(reason, "Is a directory");
    // A folder in the target's place stays.
    std::filesystem::create_directories(folder / "dst/a.so");
    EXPECT_EQ(platform::CopyFileSafely(source, folder / "dst/a.so", {}, reason),
              platform::CopyOutcome::Failed);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "dst/a.so"));
    EXPECT_EQ(EntriesIn(folder / "dst"), 1u);
}

TEST_F(FileCopyTest, ALinkInTheTargetsPlaceIsReplacedNotFollowed) {
    const std::string source = folder.Write("src/a.so", "new");
    const std::string elsewhere = folder.Write("elsewhere.so", "keep me");
    std::filesystem::create_directories(folder / "dst");
    std::filesystem::create_symlink(elsewhere, folder / "dst/a.so");
    ASSERT_EQ(platform::CopyFileSafely(source, folder / "dst/a.so", {}, reason),
              platform::CopyOutcome::Copied);
    EXPECT_EQ(ReadBytes(elsewhere), "keep me");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "dst/a.so"));
    EXPECT_EQ(ReadBytes(folder / "dst/a.so"), "new");
}

} // namespace
