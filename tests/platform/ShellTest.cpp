#include "platform/Shell.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "../support/Environment.h"

#include "../support/TempFolder.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

// Puts a stand-in "xdg-open" first on PATH for the test's lifetime.
class ShellTest : public ::testing::Test {
protected:
    TempFolder folder;
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    void Launcher(const std::string& script) {
        const std::string path = folder.Write("bin/xdg-open", "#!/bin/sh\n" + script);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        testing_support::SetEnv("PATH", (folder.Path() + "/bin:" + oldPath).c_str());
    }
    void TearDown() override { testing_support::SetEnv("PATH", oldPath.c_str()); }
};

TEST_F(ShellTest, ALauncherThatHandsTheDocumentOnSucceeds) {
    Launcher("echo \"$1\" > \"$(dirname \"$0\")/opened\"\nexit 0\n");
    platform::SystemShell shell;
    EXPECT_TRUE(shell.OpenDocument("/medium/doc/installation_enu.pdf"));
    EXPECT_EQ(ReadBytes(folder / "bin/opened"), "/medium/doc/installation_enu.pdf\n");
}

TEST_F(ShellTest, NoViewerForTheDocumentFails) {
    Launcher("exit 3\n");
    platform::SystemShell shell;
    EXPECT_FALSE(shell.OpenDocument("/medium/doc/installation_enu.pdf"));
}

TEST_F(ShellTest, NoLauncherAtAllFails) {
    testing_support::SetEnv("PATH", (folder / "empty").c_str());
    platform::SystemShell shell;
    EXPECT_FALSE(shell.OpenDocument("/medium/doc/installation_enu.pdf"));
}

TEST_F(ShellTest, AViewerStillOpenDoesNotBlockForLong) {
    // The stand-in viewer lets go of the test's output, so the test ends
    // without waiting for it.
    Launcher("exec sleep 5 >/dev/null 2>&1 </dev/null\n");
    platform::SystemShell shell;
    const auto start = std::chrono::steady_clock::now();
    int waits = 0;
    EXPECT_TRUE(shell.OpenDocument("/medium/doc/installation_enu.pdf", [&] { ++waits; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_GT(waits, 10) << "the caller's windows are kept going while the launcher decides";
}

} // namespace
