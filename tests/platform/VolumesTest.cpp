#include "platform/Volumes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/TempFolder.h"

namespace {

using platform::DriveType;
using platform::SystemVolumes;

#ifndef _WIN32
// Mount points of Linux; Win32SystemTest covers Windows.
TEST(VolumesTest, DrivePartIsTheMountPointOfTheDeepestExistingFolder) {
    testing_support::TempFolder folder;
    const SystemVolumes volumes;
    const std::string root = volumes.DrivePart(folder.Path());

    ASSERT_FALSE(root.empty());
    EXPECT_TRUE(std::filesystem::is_directory(root));
    const std::string canonical = std::filesystem::canonical(folder.Path()).string();
    EXPECT_EQ(canonical.rfind(root, 0), 0u) << root << " is not above " << canonical;
    // A file that does not exist yet lies on the volume of its folder.
    EXPECT_EQ(volumes.DrivePart(folder / "missing/deeper/new.zip"), root);
    EXPECT_EQ(volumes.DrivePart(folder.Write("file.txt", "x") + "/below"), root);
    EXPECT_EQ(volumes.DrivePart("/"), "/");
}

TEST(VolumesTest, RelativePathsAreTakenFromTheCurrentFolder) {
    const SystemVolumes volumes;
    const std::string current = volumes.DrivePart(std::filesystem::current_path().string());
    EXPECT_EQ(volumes.DrivePart("no-such-file.zip"), current);
    EXPECT_EQ(volumes.DrivePart(""), current);
}

TEST(VolumesTest, OnlyExistingFoldersCanBeQueried) {
    testing_support::TempFolder folder;
    const SystemVolumes volumes;
    const std::string root = volumes.DrivePart(folder.Path());

    EXPECT_TRUE(volumes.VolumeLabel(root).has_value());
    EXPECT_TRUE(volumes.VolumeLabel("").has_value());
    EXPECT_EQ(volumes.VolumeLabel(folder / "missing/"), std::nullopt);
    EXPECT_EQ(volumes.VolumeLabel(folder.Write("file.txt", "x")), std::nullopt);

    EXPECT_NE(volumes.TypeOfDrive(root), DriveType::NoRootDir);
    EXPECT_EQ(volumes.TypeOfDrive(folder / "missing/"), DriveType::NoRootDir);
    EXPECT_EQ(volumes.TypeOfDrive("/proc/"), DriveType::Unknown);
}

#endif

TEST(VolumesTest, UdevNamesAreDecoded) {
    EXPECT_EQ(platform::DecodeUdevName("PKBACK#\\x20001"), "PKBACK# 001");
    EXPECT_EQ(platform::DecodeUdevName("a\\x2fb\\x5C"), "a/b\\");
    EXPECT_EQ(platform::DecodeUdevName("plain"), "plain");
    EXPECT_EQ(platform::DecodeUdevName("cut\\x2"), "cut\\x2");
    EXPECT_EQ(platform::DecodeUdevName("bad\\xZZ"), "bad\\xZZ");
}

} // namespace
