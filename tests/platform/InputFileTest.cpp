#include "platform/InputFile.h"

#include <gtest/gtest.h>

#include "../support/TempFolder.h"

namespace {

using platform::InputFile;

TEST(InputFileTest, ReadsAtAnyOffsetAndStopsAtTheEnd) {
    testing_support::TempFolder folder;
    InputFile file;
    std::string reason;
    ASSERT_TRUE(file.Open(folder.Write("f.bin", "0123456789"), reason)) << reason;
    EXPECT_EQ(file.Size(), 10);

    char buffer[8] = {};
    EXPECT_EQ(file.ReadAt(7, buffer, 8), 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_EQ(file.ReadAt(2, buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "2345");
    EXPECT_EQ(file.ReadAt(10, buffer, 8), 0u);
    EXPECT_EQ(file.ReadAt(-1, buffer, 8), 0u);

    InputFile moved = std::move(file);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(moved.ReadAt(0, buffer, 1), 1u);
    moved.Close();
    EXPECT_EQ(moved.ReadAt(0, buffer, 1), 0u);
    EXPECT_EQ(moved.Size(), 0);
}

#ifndef _WIN32
// The reasons and devices of Linux; Win32FilesTest covers Windows.
TEST(InputFileTest, RefusesWhatIsNotARegularFile) {
    testing_support::TempFolder folder;
    InputFile file;
    std::string reason;
    EXPECT_FALSE(file.Open(folder / "missing", reason));
    EXPECT_EQ(reason, "No such file or directory");
    EXPECT_FALSE(file.Open(folder.Path(), reason));
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_FALSE(file.Open("/dev/null", reason));
    EXPECT_EQ(reason, "Not a regular file");
    EXPECT_FALSE(file.IsOpen());
}

#endif

} // namespace
