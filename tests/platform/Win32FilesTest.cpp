#include "platform/Directory.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/InputFile.h"
#include "platform/Win32Text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "../support/TempFolder.h"

// The file services of the Windows backend, run under Wine in a folder below
// the prefix's temporary folder (drive C:). Files are made and inspected
// with the "W" calls, apart from the code under test and the ANSI code page.
// Greek names lie outside code page 1252: in platform_tests they take the
// "W" path of the backend, in platform_utf8_tests the "A" one.

namespace {

using platform::CopyOutcome;
using platform::win::ErrorText;
using platform::win::Widen;
using testing_support::TempFolder;

const std::string kGreek = "Ελληνικά";

// TempFolder's "/" takes names in the ANSI code page; UTF-8 names are
// joined here.
std::string In(const TempFolder& folder, const std::string& relative) {
    return folder.Path() + "\\" + relative;
}

void Put(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD put = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    ::CloseHandle(file);
}

std::string Get(const std::string& path) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "(cannot open)";
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return bytes;
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryW(Widen(path).c_str(), nullptr)) << path;
}

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(Widen(path).c_str());
}

std::vector<std::string> EntriesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW(Widen(folder + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = platform::win::Narrow(data.cFileName);
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Matches(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& entry : platform::EnumerateMatches(pattern)) {
        names.push_back(entry.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

using Names = std::vector<std::string>;

TEST(Win32EnumerateMatches, MatchesNamesIgnoringLetterCaseAsWindowsDoes) {
    TempFolder folder;
    for (const char* name : {"one.so", "Two.SO", ".hidden.so", "readme.txt", "noext", "a.txt",
                             "setup.dllx", "setup.dll"}) {
        Put(In(folder, name), name);
    }
    Put(In(folder, kGreek + ".so"), "greek");
    MakeFolder(folder / "plugins.so");

    EXPECT_EQ(Matches(folder / "*.so"),
              (Names{".hidden.so", "Two.SO", "one.so", "plugins.so", kGreek + ".so"}));
    EXPECT_EQ(Matches(folder / "ONE.SO"), Names{"one.so"}) << "Windows ignores letter case";
    EXPECT_EQ(Matches(folder / "???.so"), (Names{"Two.SO", "one.so"}));
    EXPECT_EQ(Matches(In(folder, "ελληνικά.SO")), Names{kGreek + ".so"}) << "beyond ASCII too";
    EXPECT_EQ(Matches(In(folder, "????????.so")), Names{kGreek + ".so"}) << "\"?\" is one letter";
    EXPECT_EQ(Matches(folder / "*.*").size(), 10u) << "\".\" and \"..\" are not entries";
    EXPECT_EQ(Matches(folder / "*.*"), Matches(folder / "*"));
    // FindFirstFile itself would match the 8.3 short name of "setup.dllx"
    // and let "?" match no character before a dot.
    EXPECT_EQ(Matches(folder / "*.dll"), Names{"setup.dll"});
    EXPECT_EQ(Matches(folder / "a?.txt"), Names{});
}

TEST(Win32EnumerateMatches, EntriesKeepTheFolderAsThePatternWroteIt) {
    TempFolder folder;
    MakeFolder(folder / "plugins.so");
    Put(folder / "lib.so", "x");
    const std::string forward = folder.Path() + "/plugins.*";
    const auto entries = platform::EnumerateMatches(forward);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].isDirectory);
    EXPECT_EQ(entries[0].path, folder.Path() + "/plugins.so");
    const auto file = platform::EnumerateMatches(folder / "LIB.so");
    ASSERT_EQ(file.size(), 1u);
    EXPECT_FALSE(file[0].isDirectory);
    EXPECT_EQ(file[0].path, folder / "lib.so");

    EXPECT_TRUE(platform::EnumerateMatches(folder / "missing\\*.so").empty());
    EXPECT_TRUE(platform::EnumerateMatches(folder.Path() + "\\").empty());
}

TEST(Win32CreateFolder, MakesOneLevelAlsoWithNamesOutsideTheAnsiCodePage) {
    TempFolder folder;
    EXPECT_TRUE(platform::CreateFolder(In(folder, kGreek)));
    EXPECT_NE(Attributes(In(folder, kGreek)) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(platform::CreateFolder(In(folder, kGreek))) << "exists already";
    EXPECT_FALSE(platform::CreateFolder(folder / "b\\c"));
    EXPECT_FALSE(platform::CreateFolder(""));
}

class Win32FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeFolder(folder / "src");
        MakeFolder(folder / "dst");
    }
    void TearDown() override {
        // Read-only files would stay behind in the temporary folder.
        for (const char* sub : {"src", "dst"}) {
            for (const std::string& name : EntriesIn(folder / sub)) {
                ::SetFileAttributesW(Widen(folder / sub + "\\" + name).c_str(),
                                     FILE_ATTRIBUTE_NORMAL);
            }
        }
    }

    TempFolder folder;
    std::string reason;
};

// How the wizard copies its libraries into the system folder: every match
// of a wildcard, one safe copy each.
TEST_F(Win32FileCopyTest, WildcardCopyIntoAFolder) {
    for (const char* name : {"a.dll", "B.DLL", "readme.txt", "setup.dllx"}) {
        Put(folder / (std::string("src\\") + name), std::string("new ") + name);
    }
    Put(folder / "dst\\a.dll", "old");
    int copied = 0;
    for (const auto& entry : platform::EnumerateMatches(folder / "src\\*.dll")) {
        ASSERT_EQ(
            platform::CopyFileSafely(entry.path, folder / "dst" + "\\" + entry.name, {}, reason),
            CopyOutcome::Copied)
            << entry.path << ": " << reason;
        ++copied;
    }
    EXPECT_EQ(copied, 2);
    EXPECT_EQ(EntriesIn(folder / "dst"), (Names{"B.DLL", "a.dll"})) << "no temporary file is left";
    EXPECT_EQ(Get(folder / "dst\\a.dll"), "new a.dll");
    EXPECT_EQ(Get(folder / "dst\\B.DLL"), "new B.DLL");
}

TEST_F(Win32FileCopyTest, ReportsGrowingProgressUpToTheWholeSize) {
    const std::string data(3 * 1024 * 1024 + 17, 'x');
    Put(folder / "src\\big.dll", data);
    int reports = 0;
    std::uint64_t last = 0;
    const auto outcome = platform::CopyFileSafely(
        folder / "src\\big.dll", folder / "dst\\big.dll",
        [&](std::uint64_t done, std::uint64_t total) {
            ++reports;
            EXPECT_EQ(total, data.size());
            EXPECT_GT(done, last);
            last = done;
            return true;
        },
        reason);
    ASSERT_EQ(outcome, CopyOutcome::Copied) << reason;
    EXPECT_EQ(Get(folder / "dst\\big.dll"), data);
    EXPECT_EQ(last, data.size());
    EXPECT_GE(reports, 2);
}

TEST_F(Win32FileCopyTest, CancelLeavesTheOldFileAndNoTemporaryFile) {
    Put(folder / "src\\big.dll", std::string(4 * 1024 * 1024, 'n'));
    Put(folder / "dst\\big.dll", "old");
    const auto outcome = platform::CopyFileSafely(
        folder / "src\\big.dll", folder / "dst\\big.dll",
        [](std::uint64_t, std::uint64_t) { return false; }, reason);
    EXPECT_EQ(outcome, CopyOutcome::Cancelled);
    EXPECT_EQ(Get(folder / "dst\\big.dll"), "old");
    EXPECT_EQ(EntriesIn(folder / "dst"), Names{"big.dll"});
}

TEST_F(Win32FileCopyTest, AnExceptionFromTheProgressCallbackLeavesNoTemporaryFile) {
    Put(folder / "src\\big.dll", std::string(2 * 1024 * 1024, 'n'));
    EXPECT_THROW(platform::CopyFileSafely(
                     folder / "src\\big.dll", folder / "dst\\big.dll",
                     [](std::uint64_t, std::uint64_t) -> bool { throw std::runtime_error("stop"); },
                     reason),
                 std::runtime_error);
    EXPECT_EQ(EntriesIn(folder / "dst"), Names{});
}

TEST_F(Win32FileCopyTest, FailuresNameTheSystemsReasonAndChangeNothing) {
    Put(folder / "src\\a.dll", "new");
    EXPECT_EQ(platform::CopyFileSafely(folder / "src\\none.dll", folder / "dst\\a.dll", {}, reason),
              CopyOutcome::Failed);
    EXPECT_EQ(reason, ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(
        platform::CopyFileSafely(folder / "src\\a.dll", folder / "missing\\a.dll", {}, reason),
        CopyOutcome::Failed);
    EXPECT_EQ(reason, ErrorText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(platform::CopyFileSafely(folder / "src", folder / "dst\\x.dll", {}, reason),
              CopyOutcome::Failed);
    EXPECT_EQ(reason, "Is a directory");
    // A folder in the target's place stays.
    MakeFolder(folder / "dst\\a.dll");
    EXPECT_EQ(platform::CopyFileSafely(folder / "src\\a.dll", folder / "dst\\a.dll", {}, reason),
              CopyOutcome::Failed);
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_NE(Attributes(folder / "dst\\a.dll") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(EntriesIn(folder / "dst"), Names{"a.dll"});
}

// The read-only attribute is what Windows has of the permission bits: the
// copy takes the source's, and a read-only target is replaced as a rename
// replaces it on POSIX.
TEST_F(Win32FileCopyTest, ReadOnlyAttributeTravelsAndDoesNotBlockTheReplace) {
    Put(folder / "src\\a.dll", "new");
    Put(folder / "dst\\a.dll", "old");
    ::SetFileAttributesW(Widen(folder / "src\\a.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesW(Widen(folder / "dst\\a.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_EQ(platform::CopyFileSafely(folder / "src\\a.dll", folder / "dst\\a.dll", {}, reason),
              CopyOutcome::Copied)
        << reason;
    EXPECT_EQ(Get(folder / "dst\\a.dll"), "new");
    EXPECT_NE(Attributes(folder / "dst\\a.dll") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(EntriesIn(folder / "dst"), Names{"a.dll"});
}

TEST_F(Win32FileCopyTest, NamesOutsideTheAnsiCodePage) {
    Put(In(folder, "src\\" + kGreek + ".dll"), "greek");
    ASSERT_EQ(platform::CopyFileSafely(In(folder, "src\\" + kGreek + ".dll"),
                                       In(folder, "dst\\" + kGreek + ".dll"), {}, reason),
              CopyOutcome::Copied)
        << reason;
    EXPECT_EQ(Get(In(folder, "dst\\" + kGreek + ".dll")), "greek");
    EXPECT_EQ(EntriesIn(folder / "dst"), Names{kGreek + ".dll"});
}

TEST(Win32FileSystem, WholeFilesKeepEveryByte) {
    TempFolder folder;
    const std::string bytes = std::string("line\r\nnext\n\x1A", 12) + std::string(1, '\0') + "end";
    std::string reason;
    for (const std::string& name : {std::string("plain.bin"), kGreek + ".bin"}) {
        ASSERT_TRUE(platform::WriteWholeFile(In(folder, name), bytes, reason)) << reason;
        EXPECT_EQ(Get(In(folder, name)), bytes) << "no text-mode translation";
        std::string contents = "stale";
        ASSERT_TRUE(platform::ReadWholeFile(In(folder, name), contents, reason)) << reason;
        EXPECT_EQ(contents, bytes);
        EXPECT_TRUE(platform::FileExists(In(folder, name)));
        EXPECT_FALSE(platform::DirectoryExists(In(folder, name)));
    }
    ASSERT_TRUE(platform::WriteWholeFile(folder / "plain.bin", "short", reason));
    EXPECT_EQ(Get(folder / "plain.bin"), "short") << "an existing file is truncated";

    std::string contents = "stale";
    EXPECT_FALSE(platform::ReadWholeFile(folder / "missing.bin", contents, reason));
    EXPECT_EQ(contents, "");
    EXPECT_EQ(reason, ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(platform::WriteWholeFile(folder / "missing\\x.bin", "x", reason));
    EXPECT_EQ(reason, ErrorText(ERROR_PATH_NOT_FOUND));

    EXPECT_TRUE(platform::DirectoryExists(folder.Path()));
    EXPECT_FALSE(platform::FileExists(folder.Path()));
    EXPECT_FALSE(platform::FileExists(folder / "missing.bin"));
    EXPECT_FALSE(platform::DirectoryExists(folder / "missing"));
    EXPECT_FALSE(platform::FileExists(""));
    EXPECT_FALSE(platform::DirectoryExists(""));
}

// Puts the current folder back when the test ends.
class Win32CurrentFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t buffer[MAX_PATH * 2] = {};
        ::GetCurrentDirectoryW(MAX_PATH * 2, buffer);
        m_saved = buffer;
    }
    void TearDown() override { ::SetCurrentDirectoryW(m_saved.c_str()); }

    // Removed only after TearDown has put the current folder back: Windows
    // cannot remove the current folder of a process.
    TempFolder folder;

private:
    std::wstring m_saved;
};

TEST_F(Win32CurrentFolderTest, AbsolutePathsAreKeptAndOthersJoinTheCurrentFolder) {
    for (const char* absolute :
         {"", "C:\\x\\..\\y", "c:/x", "\\\\server\\share\\x", "//server/share"}) {
        EXPECT_EQ(platform::AbsolutePath(absolute), absolute);
    }
    std::string reason;
    ASSERT_TRUE(platform::ChangeCurrentFolder(folder.Path(), reason)) << reason;
    EXPECT_EQ(platform::AbsolutePath("a\\b.txt"), folder / "a\\b.txt");
    EXPECT_EQ(platform::AbsolutePath("a/b.txt"), folder / "a\\b.txt");

    MakeFolder(In(folder, kGreek));
    ASSERT_TRUE(platform::ChangeCurrentFolder(In(folder, kGreek), reason)) << reason;
    EXPECT_EQ(platform::AbsolutePath("x.zip"), In(folder, kGreek + "\\x.zip"))
        << "a current folder outside the ANSI code page";

    reason.clear();
    EXPECT_FALSE(platform::ChangeCurrentFolder(folder / "missing", reason));
    EXPECT_FALSE(reason.empty());
}

TEST(Win32InputFile, SharesTheFileWithReadersOnly) {
    TempFolder folder;
    Put(folder / "f.bin", "0123456789");
    platform::InputFile file;
    std::string reason;
    ASSERT_TRUE(file.Open(folder / "f.bin", reason)) << reason;
    const std::wstring path = Widen(folder / "f.bin");
    HANDLE reader = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    ::CloseHandle(reader);
    HANDLE writer = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) {
        ::CloseHandle(writer);
    }

    // The high half of the offset counts: 4 GiB + 1 is past the end, not 1.
    char buffer[4] = {};
    EXPECT_EQ(file.ReadAt((std::int64_t{1} << 32) + 1, buffer, 4), 0u);
    EXPECT_EQ(file.ReadAt(8, buffer, 4), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
}

TEST(Win32InputFile, RefusesWhatIsNotARegularFile) {
    TempFolder folder;
    Put(In(folder, kGreek + ".zip"), "PK");
    platform::InputFile file;
    std::string reason;
    EXPECT_TRUE(file.Open(In(folder, kGreek + ".zip"), reason)) << reason;
    EXPECT_EQ(file.Size(), 2);
    EXPECT_FALSE(file.Open(folder / "missing", reason));
    EXPECT_EQ(reason, ErrorText(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(file.Open(folder.Path(), reason));
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_FALSE(file.Open("NUL", reason));
    EXPECT_EQ(reason, "Not a regular file");
    EXPECT_FALSE(file.IsOpen());
}

} // namespace
