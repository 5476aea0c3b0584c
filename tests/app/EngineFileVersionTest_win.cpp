// The engine's version resource says what GetUnzDllVersion answers: the
// Details tab of UnzDll.dll and the archive component read the same number
// (160 is file version 1.6.0).

#include <windows.h>

#include <gtest/gtest.h>

#include "engine/UnzDll.h"
#include "platform/DynamicLibrary.h"
#include "platform/Win32Text.h"

namespace {

TEST(EngineFileVersionTest, TheVersionResourceSaysWhatTheEngineAnswers) {
    // The engine beside this program, as the wizard finds it first.
    const std::string path = platform::EngineLibraryPaths().front();
    platform::DynamicLibrary engine;
    ASSERT_TRUE(engine.Load(path)) << engine.LastError();
    using GetVersion = std::uint32_t(UNZ_CALL*)();
    const auto getVersion = reinterpret_cast<GetVersion>(engine.Symbol("GetUnzDllVersion"));
    ASSERT_NE(getVersion, nullptr);
    const std::uint32_t version = getVersion();

    const std::wstring file = platform::win::Widen(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "UnzDll.dll has no version resource";
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const std::uint32_t major = HIWORD(fixed->dwFileVersionMS);
    const std::uint32_t minor = LOWORD(fixed->dwFileVersionMS);
    const std::uint32_t patch = HIWORD(fixed->dwFileVersionLS);
    EXPECT_GE(version, 160u);
    EXPECT_EQ(major * 100 + minor * 10 + patch, version)
        << "file version " << major << "." << minor << "." << patch << ", engine " << version;
}

} // namespace
