#include "platform/DynamicLibrary.h"
#include "platform/Locale.h"
#include "platform/LocaleCodePage.h"
#include "platform/Process.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SystemFolder.h"
#include "platform/Volumes.h"
#include "platform/Win32Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "../support/Environment.h"
#include "../support/TempFolder.h"

// The system services of the Windows backend, run under Wine. What the tests
// take from Wine: the process runs as an administrator (HKLM may be written;
// keys made for the tests are removed again), drive C: is the prefix's
// fixed disk and Z: maps the Unix root, without a label; the thread locale
// starts as the one Wine takes from LANG and LC_ALL.

namespace {

using platform::KeyAccess;
using platform::win::ErrorText;
using platform::win::Narrow;
using platform::win::Widen;
using testing_support::TempFolder;

const std::string kGreek = "Ελληνικά";

std::string ExitWithProgram() {
    return platform::ProgramFolder() + "\\ExitWith.exe";
}

std::string Get(const std::string& path) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "(cannot open)";
    }
    char buffer[4096];
    DWORD got = 0;
    ::ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    ::CloseHandle(file);
    return std::string(buffer, got);
}

// --- Registry ------------------------------------------------------------

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A key of its own below HKLM\SOFTWARE, removed with the fixture.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path = "SOFTWARE\\VgTest" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(std::random_device{}() % 100000);
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(m_key);
        Unlock("Locked");
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_path.c_str());
    }

    void SetRaw(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        ASSERT_EQ(::RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data),
                                   static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    // Text with its terminating zero, as RegSetValueEx wants it.
    void SetText(const wchar_t* name, DWORD type, const std::wstring& text) {
        SetRaw(name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }

    // A subkey everyone may read but nobody may change, not even its owner.
    void MakeLocked(const char* name) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;;KR;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
        SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
        HKEY key = nullptr;
        const LSTATUS status =
            ::RegCreateKeyExA(m_key, name, 0, nullptr, 0, KEY_READ, &attributes, &key, nullptr);
        ::LocalFree(descriptor);
        ASSERT_EQ(status, ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    // Owners may always change the access list, so that the key can go.
    void Unlock(const char* name) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (m_path + "\\" + name).c_str(), 0, WRITE_DAC,
                            &key) != ERROR_SUCCESS) {
            return;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                "D:(A;;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
            ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
            ::LocalFree(descriptor);
        }
        ::RegCloseKey(key);
    }

    std::string m_path;
    HKEY m_key = nullptr;
};

TEST_F(Win32RegistryTest, StringValuesAreReadAsStoredWithoutExpansion) {
    SetText(L"AppDir", REG_SZ,
            L"C:\\Program Files\\V\u00E4rnek\\Gerrix 16 \u2013 \u0394\u03BF\u03BA");
    SetText(L"EnvDir", REG_EXPAND_SZ, L"%ProgramData%\\V\u00E4rnek");
    SetText(L"", REG_SZ, L"Gerrix 16");
    SetRaw(L"Unterminated", REG_SZ, L"16.0", 4 * sizeof(wchar_t));
    SetRaw(L"Cut", REG_SZ, L"a\0b\0", 4 * sizeof(wchar_t));
    SetRaw(L"Empty", REG_SZ, L"", 0);

    const auto registry = platform::MakeSystemRegistry();
    const struct {
        const char* value;
        std::optional<std::string> expected;
    } rows[] = {
        {"AppDir", "C:\\Program Files\\Värnek\\Gerrix 16 – Δοκ"},
        {"appdir", "C:\\Program Files\\Värnek\\Gerrix 16 – Δοκ"},
        {"EnvDir", "%ProgramData%\\Värnek"},
        {"", "Gerrix 16"},
        {"Unterminated", "16.0"},
        {"Cut", "a"},
        {"Empty", ""},
        {"Missing", std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(registry->ReadString("\\" + m_path, row.value), row.expected) << row.value;
    }
    EXPECT_EQ(registry->ReadString("\\SOFTWARE\\VgTestMissing\\Key", "AppDir"), std::nullopt);
    EXPECT_EQ(registry->ReadString("\\SOFTWARE\\\\" + m_path.substr(9), "AppDir"), std::nullopt);
}

TEST_F(Win32RegistryTest, OtherTypesThrowWithTheNameAsPassed) {
    const DWORD dword = 31;
    const unsigned long long qword = 31;
    SetRaw(L"Count", REG_DWORD, &dword, sizeof dword);
    SetRaw(L"Big", REG_QWORD, &qword, sizeof qword);
    SetRaw(L"Blob", REG_BINARY, "\x01\x02", 2);
    SetRaw(L"List", REG_MULTI_SZ, L"a\0b\0", 5 * sizeof(wchar_t));
    const auto registry = platform::MakeSystemRegistry();
    for (const char* name : {"COUNT", "big", "Blob", "List"}) {
        try {
            registry->ReadString(m_path, name);
            ADD_FAILURE() << name << ": no exception";
        } catch (const platform::RegistryError& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Invalid data type for '" + std::string(name) + "'");
        }
    }
}

TEST_F(Win32RegistryTest, KeysOpenWithTheAccessTheSystemGrants) {
    const auto registry = platform::MakeSystemRegistry();
    const struct {
        std::string path;
        KeyAccess expected;
    } rows[] = {
        {m_path, KeyAccess::Full},
        {"\\" + m_path + "\\", KeyAccess::Full},
        {"\\" + Lower(m_path), KeyAccess::Full},
        {"", KeyAccess::Full},
        {"\\", KeyAccess::Full},
        {m_path + "\\Missing", KeyAccess::NotFound},
        {"\\\\" + m_path, KeyAccess::NotFound},
        {m_path + "\\\\", KeyAccess::NotFound},
        {"SOFTWARE\\\\" + m_path.substr(9), KeyAccess::NotFound},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(registry->OpenKey(row.path), row.expected) << row.path;
    }
}

// An installed program registers itself in the view of its own kind: on
// 64-bit Windows the 64-bit view, or the one 32-bit programs see
// (WOW6432Node). A key only in the other view than this program's own is
// found there, and this program's own view wins when both have it.
TEST_F(Win32RegistryTest, KeysOfTheOtherViewAreFoundToo) {
    constexpr bool k32 = sizeof(void*) == 4;
    const REGSAM own = k32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const REGSAM other = k32 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    const auto write = [](const std::string& path, REGSAM view, const std::string& text) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | view, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegSetValueExA(key, "AppDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
        ::RegCloseKey(key);
    };
    const std::string path = m_path + "-other";
    const std::string text = "C:\\Programs (other)\\Gerrix\\";
    write(path, other, text);
    HKEY probe = nullptr;
    const bool separateViews =
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | own, &probe) != ERROR_SUCCESS;
    if (probe != nullptr) {
        ::RegCloseKey(probe);
    }

    const auto registry = platform::MakeSystemRegistry();
    EXPECT_EQ(registry->OpenKey(path), KeyAccess::Full);
    EXPECT_EQ(registry->ReadString(path, "AppDir"), text);
    EXPECT_TRUE(separateViews) << "the key was meant for the other view only";

    write(m_path, own, "own");
    write(m_path, other, "other");
    EXPECT_EQ(registry->ReadString(m_path, "AppDir"), "own");

    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), other, 0);
    ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), other, 0);
}

// Wine keeps the access list of a key but does not check it, so there the
// locked key opens with full access as well; Windows refuses it.
TEST_F(Win32RegistryTest, AKeyOnlyReadableOpensReadOnly) {
    MakeLocked("Locked");
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (m_path + "\\Locked").c_str(), 0, KEY_ALL_ACCESS,
                        &key) == ERROR_SUCCESS) {
        ::RegCloseKey(key);
        GTEST_SKIP() << "this system does not check the access lists of keys";
    }
    EXPECT_EQ(platform::MakeSystemRegistry()->OpenKey(m_path + "\\locked"), KeyAccess::ReadOnly);
}

// --- Locale and code pages -----------------------------------------------

// Puts the thread locale back when the test ends.
class Win32LocaleTest : public ::testing::Test {
protected:
    void TearDown() override { ::SetThreadLocale(m_saved); }

    static std::string AbbreviationOf(LCID locale) {
        char text[16] = {};
        ::GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, text, sizeof text);
        return text;
    }

private:
    LCID m_saved = ::GetThreadLocale();
};

TEST_F(Win32LocaleTest, StartsWithTheLocaleOfTheUser) {
    const std::string abbreviation = platform::SystemLocale().AbbreviatedLanguageName();
    EXPECT_EQ(abbreviation.size(), 3u);
    EXPECT_EQ(abbreviation, AbbreviationOf(::GetUserDefaultLCID()));
}

TEST_F(Win32LocaleTest, FollowsTheThreadLocale) {
    const struct {
        LANGID language;
        const char* abbreviation;
    } rows[] = {
        {0x0413, "NLD"}, {0x0813, "NLB"}, {0x0407, "DEU"}, {0x0C07, "DEA"}, {0x0409, "ENU"},
        {0x0809, "ENG"}, {0x0408, "ELL"}, {0x0415, "PLK"}, {0x0419, "RUS"}, {0x0416, "PTB"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(::SetThreadLocale(MAKELCID(row.language, SORT_DEFAULT))) << row.abbreviation;
        EXPECT_EQ(platform::SystemLocale().AbbreviatedLanguageName(), row.abbreviation);
    }
}

// With a legacy ANSI code page the system's pages count, whatever the
// thread locale; with UTF-8 as the ANSI code page (platform_utf8_tests) the
// legacy pages of the thread locale stand in for it.
TEST_F(Win32LocaleTest, CodePagesAreTheSystemsOrUnderUtf8ThoseOfTheLocale) {
    const struct {
        LANGID language;
        int oem;
        int ansi;
    } rows[] = {
        {0x0409, 437, 1252}, {0x0407, 850, 1252}, {0x0415, 852, 1250}, {0x0408, 737, 1253},
        {0x0419, 866, 1251}, {0x0439, 437, 1252}, // Hindi has no legacy code pages
    };
    const bool utf8 = platform::win::AnsiIsUtf8();
    for (const auto& row : rows) {
        ASSERT_TRUE(::SetThreadLocale(MAKELCID(row.language, SORT_DEFAULT))) << row.language;
        EXPECT_EQ(platform::SystemOemCodePage(), utf8 ? row.oem : static_cast<int>(::GetOEMCP()))
            << row.language;
        EXPECT_EQ(platform::SystemAnsiCodePage(), utf8 ? row.ansi : static_cast<int>(::GetACP()))
            << row.language;
    }
}

// --- Processes and the shell ---------------------------------------------

TEST(Win32RunProgramAndWait, ReturnsTheExitCode) {
    const std::string program = "\"" + ExitWithProgram() + "\" ";
    for (int code : {0, 7, 42, 255, 1000}) {
        EXPECT_EQ(platform::RunProgramAndWait(program + std::to_string(code)), code);
    }
}

TEST(Win32RunProgramAndWait, TheCommandLineReachesTheProgramAsItIs) {
    TempFolder folder;
    const std::string line =
        "\"" + ExitWithProgram() + "\" 3 \"" + (folder / "line.txt") + "\"  \"a b\" c\\\"d\t\"\"";
    EXPECT_EQ(platform::RunProgramAndWait(line), 3);
    EXPECT_EQ(Get(folder / "line.txt"), line);
}

TEST(Win32RunProgramAndWait, QuotedPathsWithBlanksAndAnyLetters) {
    TempFolder folder;
    for (const std::string& sub : {std::string("my folder"), kGreek}) {
        const std::string subFolder = folder.Path() + "\\" + sub;
        ASSERT_TRUE(::CreateDirectoryW(Widen(subFolder).c_str(), nullptr));
        const std::string copy = subFolder + "\\ExitWith.exe";
        ASSERT_TRUE(::CopyFileW(Widen(ExitWithProgram()).c_str(), Widen(copy).c_str(), FALSE));
        EXPECT_EQ(platform::RunProgramAndWait("\"" + copy + "\" 9"), 9) << sub;
    }
}

TEST(Win32RunProgramAndWait, ProgramThatCannotStartGivesMinusOne) {
    TempFolder folder;
    const std::string notAProgram = folder.Write("data.exe", "text, not a program");
    for (const std::string& line : {folder / "no-such-program.exe", "\"" + notAProgram + "\"",
                                    std::string(), std::string(" \t "), std::string("\"\" 5")}) {
        EXPECT_EQ(platform::RunProgramAndWait(line), -1) << line;
    }
}

// A document type registered for the test, opened by the stand-in viewer
// ExitWith, which leaves "<document>.opened" behind.
class Win32ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string command = "\"" + ExitWithProgram() + "\" 0 \"%1.opened\"";
        ASSERT_TRUE(SetDefault(kClasses + "\\.vgtestdoc", "VgTestDocument"));
        ASSERT_TRUE(SetDefault(kClasses + "\\VgTestDocument\\shell\\open\\command", command));
    }
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + "\\.vgtestdoc").c_str());
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kClasses + "\\VgTestDocument").c_str());
    }

    static bool SetDefault(const std::string& path, const std::string& text) {
        HKEY key = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const bool set =
            ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return set;
    }

    static bool AppearsSoon(const std::string& path) {
        for (int i = 0; i < 200; ++i) {
            if (::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    const std::string kClasses = "SOFTWARE\\Classes";
    TempFolder folder;
};

TEST_F(Win32ShellTest, ARegisteredViewerGetsTheDocument) {
    const std::string document = folder.Write("manual.vgtestdoc", "doc");
    platform::SystemShell shell;
    ASSERT_TRUE(shell.OpenDocument(document));
    EXPECT_TRUE(AppearsSoon(document + ".opened"));
}

TEST_F(Win32ShellTest, NoViewerOrNoDocumentFails) {
    platform::SystemShell shell;
    EXPECT_FALSE(shell.OpenDocument(folder.Write("manual.vgnoviewer", "doc")));
    EXPECT_FALSE(shell.OpenDocument(folder / "missing.vgtestdoc"));
}

// --- Folders and libraries -----------------------------------------------

TEST(Win32ProgramFolder, IsTheFolderOfTheRunningProgram) {
    wchar_t file[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, file, MAX_PATH), 0u);
    const std::string path = Narrow(file);
    const std::string folder = platform::ProgramFolder();
    EXPECT_EQ(folder, path.substr(0, path.find_last_of('\\')));
    EXPECT_NE(folder.back(), '\\');
    EXPECT_NE(::GetFileAttributesW(Widen(ExitWithProgram()).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_STREQ(platform::PathSeparator(), "\\");
}

TEST(Win32SystemFolder, IsTheSystemFolderUnlessTheDemoNamesOne) {
    const char* saved = std::getenv("VG_SYSTEM_DIR");
    const std::string restore = saved != nullptr ? saved : "";
    char system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryA(system, MAX_PATH), 0u);

    testing_support::UnsetEnv("VG_SYSTEM_DIR");
    EXPECT_EQ(platform::SystemFolder(), system);
    testing_support::SetEnv("VG_SYSTEM_DIR", "C:\\vg\\lib\\\\");
    EXPECT_EQ(platform::SystemFolder(), "C:\\vg\\lib");
    testing_support::SetEnv("VG_SYSTEM_DIR", restore);
    EXPECT_STREQ(platform::LibraryFilePattern(), "*.dll");
}

TEST(Win32DynamicLibrary, LoadsExportsAndExplainsFailures) {
    platform::DynamicLibrary library;
    ASSERT_TRUE(library.Load("kernel32.dll")) << library.LastError();
    EXPECT_EQ(library.Symbol("GetTickCount"),
              reinterpret_cast<void*>(
                  ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(library.Symbol("VgNoSuchExport"), nullptr);
    EXPECT_EQ(library.LastError(), "");

    EXPECT_FALSE(library.Load("vg-no-such-library.dll"));
    EXPECT_FALSE(library.Loaded()) << "the library loaded before is let go";
    EXPECT_EQ(library.Symbol("GetTickCount"), nullptr);
    EXPECT_EQ(library.LastError(), "vg-no-such-library.dll: " + ErrorText(ERROR_MOD_NOT_FOUND));

    TempFolder folder;
    const std::string fake = folder.Write("fake.dll", "not a library");
    EXPECT_FALSE(library.Load(fake));
    EXPECT_EQ(library.LastError().rfind(fake + ": ", 0), 0u) << library.LastError();
    EXPECT_GT(library.LastError().size(), fake.size() + 2);
    EXPECT_STREQ(platform::EngineLibraryName(), "UnzDll.dll");
}

// --- Volumes -------------------------------------------------------------

TEST(Win32Volumes, DrivePartIsTheLetterOrTheShare) {
    const struct {
        const char* path;
        const char* drive;
    } rows[] = {
        {"C:\\Program Files\\x", "C:"},
        {"d:", "d:"},
        {"E:relative", "E:"},
        {"\\\\server\\share\\dir\\f", "\\\\server\\share"},
        {"//server/share", "\\\\server\\share"},
        {"\\\\server\\share\\", "\\\\server\\share"},
        {"\\\\server", ""},
        {"\\\\server\\", ""},
        {"\\\\\\share", ""},
        {"relative\\dir", ""},
        {"\\rooted", ""},
        {"", ""},
        {"1:\\x", ""},
    };
    const platform::SystemVolumes volumes;
    for (const auto& row : rows) {
        EXPECT_EQ(volumes.DrivePart(row.path), row.drive) << row.path;
    }
}

TEST(Win32Volumes, LabelsAndKindsOfDrives) {
    const platform::SystemVolumes volumes;
    EXPECT_EQ(volumes.TypeOfDrive("C:\\"), platform::DriveType::Fixed);
    EXPECT_TRUE(volumes.VolumeLabel("C:\\").has_value());
    EXPECT_EQ(volumes.VolumeLabel("Z:\\"), std::string()) << "Wine's Z: has no label";
    EXPECT_TRUE(volumes.VolumeLabel("").has_value()) << "the volume of the current folder";
    EXPECT_NE(volumes.TypeOfDrive(""), platform::DriveType::NoRootDir);

    const DWORD drives = ::GetLogicalDrives();
    char unused = 0;
    for (char letter = 'Y'; letter > 'D' && unused == 0; --letter) {
        if ((drives & (1u << (letter - 'A'))) == 0) {
            unused = letter;
        }
    }
    ASSERT_NE(unused, 0);
    const std::string root = std::string(1, unused) + ":\\";
    EXPECT_EQ(volumes.VolumeLabel(root), std::nullopt) << root;
    EXPECT_EQ(volumes.TypeOfDrive(root), platform::DriveType::NoRootDir) << root;
}

} // namespace
