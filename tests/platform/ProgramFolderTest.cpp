#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(ProgramFolderTest, IsTheFolderHoldingThisTestProgram) {
    std::string folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    std::filesystem::path path(folder);
    EXPECT_TRUE(path.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_TRUE(std::filesystem::is_regular_file(path / "platform_tests") ||
                std::filesystem::is_regular_file(path / "platform_tests.exe"));
}

} // namespace
