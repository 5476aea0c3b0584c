// Confinement on Windows: names Windows reads as a device, a stream or a
// changed name are refused; links planted in the extraction folder are
// never followed; paths beyond MAX_PATH work. Windows has no zip program,
// so MakeZip of the engine tests writes the archives here, in process.
#include <windows.h>

#include <winioctl.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {

namespace {

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xffff);
    Put16(out, value >> 16);
}

void Put64(std::string& out, std::uint64_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, static_cast<std::uint32_t>(value >> 32));
}

// Raw deflate, as zip stores it.
std::string Deflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

// The archive Info-ZIP zip makes on Linux: entries from a Unix host, each
// dated kEntryTime in an extended timestamp, deflated where that is
// smaller, UTF-8 names flagged, and the Zip64 end records for more than
// 65534 entries.
void MakeZip(const std::string& archive,
             const std::vector<std::pair<std::string, std::string>>& files) {
    using namespace std::chrono;
    const sys_seconds time = time_point_cast<seconds>(file_clock::to_sys(kEntryTime));
    const auto unixTime = static_cast<std::uint32_t>(time.time_since_epoch().count());
    const year_month_day day{floor<days>(time)};
    const hh_mm_ss clock{time - floor<days>(time)};
    const std::uint32_t dosDate = ((static_cast<int>(day.year()) - 1980) << 9) |
                                  (static_cast<unsigned>(day.month()) << 5) |
                                  static_cast<unsigned>(day.day());
    const std::uint32_t dosTime = (clock.hours().count() << 11) | (clock.minutes().count() << 5) |
                                  (clock.seconds().count() / 2);
    std::string timestamp;
    Put16(timestamp, 0x5455);
    Put16(timestamp, 5);
    timestamp += '\x01';
    Put32(timestamp, unixTime);

    std::string out;
    std::string directory;
    for (const auto& [name, content] : files) {
        bool folder = name.back() == '/';
        std::string data = content;
        std::uint16_t method = 0;
        if (!folder) {
            std::string deflated = Deflate(content);
            if (deflated.size() < content.size()) {
                data = std::move(deflated);
                method = 8;
            }
        }
        auto crc = static_cast<std::uint32_t>(crc32(
            0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
        bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        std::uint16_t flags = ascii ? 0 : 0x800;
        auto offset = static_cast<std::uint32_t>(out.size());

        std::string common;
        Put16(common, 20);
        Put16(common, flags);
        Put16(common, method);
        Put16(common, dosTime);
        Put16(common, dosDate);
        Put32(common, crc);
        Put32(common, static_cast<std::uint32_t>(data.size()));
        Put32(common, static_cast<std::uint32_t>(content.size()));
        Put16(common, static_cast<std::uint32_t>(name.size()));
        Put16(common, static_cast<std::uint32_t>(timestamp.size()));

        Put32(out, 0x04034b50);
        out += common + name + timestamp + data;

        Put32(directory, 0x02014b50);
        Put16(directory, (3 << 8) | 30);
        directory += common;
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, folder ? (0040755u << 16) | 0x10 : 0100644u << 16);
        Put32(directory, offset);
        directory += name + timestamp;
    }
    std::uint64_t count = files.size();
    std::uint64_t directoryStart = out.size();
    out += directory;
    if (count >= 0xffff) {
        std::uint64_t zip64End = out.size();
        Put32(out, 0x06064b50);
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, count);
        Put64(out, count);
        Put64(out, directory.size());
        Put64(out, directoryStart);
        Put32(out, 0x07064b50);
        Put32(out, 0);
        Put64(out, zip64End);
        Put32(out, 1);
    }
    auto shortCount = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, 0xffff));
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, shortCount);
    Put16(out, shortCount);
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, static_cast<std::uint32_t>(directoryStart));
    Put16(out, 0);
    std::ofstream(fs::path(archive), std::ios::binary | std::ios::trunc) << out;
    ASSERT_TRUE(fs::exists(archive)) << archive;
}

namespace {

std::wstring Wide(const std::string& path) {
    return fs::path(path).wstring();
}

std::wstring LongForm(const std::string& path) {
    return L"\\\\?\\" + fs::absolute(fs::path(path)).make_preferred().wstring();
}

bool IsReparsePoint(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A junction's reparse data: the target as an NT path, then as shown.
bool MakeJunction(const std::string& link, const std::string& target) {
    if (!::CreateDirectoryW(Wide(link).c_str(), nullptr)) {
        return false;
    }
    std::wstring shown =
        fs::absolute(fs::path(target)).lexically_normal().make_preferred().wstring();
    std::wstring substitute = L"\\??\\" + shown;
    std::string names;
    auto append = [&names](const std::wstring& text) {
        names.append(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
    };
    append(substitute);
    append(shown);
    std::string buffer;
    Put32(buffer, IO_REPARSE_TAG_MOUNT_POINT);
    Put16(buffer, static_cast<std::uint32_t>(8 + names.size()));
    Put16(buffer, 0);
    Put16(buffer, 0);
    Put16(buffer, static_cast<std::uint32_t>(substitute.size() * 2));
    Put16(buffer, static_cast<std::uint32_t>((substitute.size() + 1) * 2));
    Put16(buffer, static_cast<std::uint32_t>(shown.size() * 2));
    buffer += names;
    HANDLE folder =
        ::CreateFileW(Wide(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    bool made =
        folder != INVALID_HANDLE_VALUE &&
        ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                          static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    if (folder != INVALID_HANDLE_VALUE) {
        ::CloseHandle(folder);
    }
    if (!made || !IsReparsePoint(link)) {
        ::RemoveDirectoryW(Wide(link).c_str());
        return false;
    }
    return true;
}

// Makes `link` a link to `target`: a symbolic link where this process may
// make one (developer mode or an administrator), else for a folder a
// junction. Wine 8 makes neither: its CreateSymbolicLinkW does nothing and
// reports success, so the link is looked at before it counts.
bool PlantLink(const std::string& link, const std::string& target, bool folder) {
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if (folder) {
        flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    }
    std::wstring relative = fs::path(target).make_preferred().wstring();
    if (::CreateSymbolicLinkW(Wide(link).c_str(), relative.c_str(), flags) &&
        IsReparsePoint(link)) {
        return true;
    }
    return folder && MakeJunction(link, fs::path(link).parent_path().string() + "/" + target);
}

constexpr const char* kNoLinks =
    "this system lets the test make neither a symbolic link nor a junction (Wine 8 makes "
    "neither), so no link can be planted";

class EngineWindowsLinks : public testing::Test {
protected:
    testing_support::TempFolder m_work;
    Sandbox m_sandbox;
    EngineRun m_run;
};

TEST_F(EngineWindowsLinks, LinkedFolderIsNeverEntered) {
    if (!PlantLink(m_sandbox.InFolder("sub"), "../outside", true)) {
        GTEST_SKIP() << kNoLinks;
    }
    MakeZip(m_work / "a.zip", {{"sub/sentinel.txt", "overwritten\n"}, {"sub/new.txt", "new\n"}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 2);
    EXPECT_NE(m_run.Messages().find("\"sub\\sentinel.txt\" was not extracted: \"sub\" is a "),
              std::string::npos)
        << m_run.Messages();
    EXPECT_TRUE(IsReparsePoint(m_sandbox.InFolder("sub")));
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineWindowsLinks, LinkedFolderDeeperDownIsNeverEntered) {
    fs::create_directories(m_sandbox.InFolder("a"));
    if (!PlantLink(m_sandbox.InFolder("a/b"), "../../outside", true)) {
        GTEST_SKIP() << kNoLinks;
    }
    MakeZip(m_work / "a.zip", {{"a/b/c/new.txt", "new\n"}, {"a/b/", ""}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 2) << m_run.Messages();
    EXPECT_NE(m_run.Messages().find("\"a\\b\" is a "), std::string::npos) << m_run.Messages();
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineWindowsLinks, LinkInThePlaceOfAFileIsNotFollowed) {
    if (!PlantLink(m_sandbox.InFolder("file.txt"), "../outside/sentinel.txt", false)) {
        GTEST_SKIP() << kNoLinks << " to a file";
    }
    MakeZip(m_work / "a.zip", {{"file.txt", "from the archive\n"}});
    m_run.Extract(m_work / "a.zip", m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_FALSE(IsReparsePoint(m_sandbox.InFolder("file.txt")));
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("file.txt")), "from the archive\n");
    m_sandbox.ExpectOutsideUntouched();
}

struct NameCase {
    const char* name;
    const char* reason;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << testing::PrintToString(std::string(c.name));
}

class EngineWindowsNames : public testing::TestWithParam<NameCase> {};

TEST_P(EngineWindowsNames, AreRefusedAndNothingLeavesTheFolder) {
    const NameCase& c = GetParam();
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{c.name, "evil\n"}, {"good.txt", "good\n"}});
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 1) << run.Messages();
    std::string shown = c.name;
    std::replace(shown.begin(), shown.end(), '/', '\\');
    EXPECT_EQ(run.Messages(), "\"" + shown + "\" was not extracted: " + c.reason + "\n");
    EXPECT_EQ(run.Count(UNZ_ACTION_SKIPPED), 1);
    EXPECT_EQ(sandbox.Extracted(), std::vector<std::string>{"good.txt"});
    sandbox.ExpectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineWindowsNames,
    testing::Values(
        NameCase{"CON", "the part \"CON\" is a device name on Windows"},
        NameCase{"con.txt", "the part \"con.txt\" is a device name on Windows"},
        NameCase{"a/NUL.", "the part \"NUL.\" is a device name on Windows"},
        NameCase{"dir/aux .txt", "the part \"aux .txt\" is a device name on Windows"},
        NameCase{"Com1.log", "the part \"Com1.log\" is a device name on Windows"},
        NameCase{"lpt9", "the part \"lpt9\" is a device name on Windows"},
        NameCase{"CONOUT$", "the part \"CONOUT$\" is a device name on Windows"},
        NameCase{"com\xC2\xB9.txt", "the part \"com\xC2\xB9.txt\" is a device name on Windows"},
        NameCase{"prn/inside.txt", "the part \"prn\" is a device name on Windows"},
        NameCase{"x:y", "the name starts with a drive letter"},
        NameCase{"ab:c", "the part \"ab:c\" contains \":\", which names a stream or a drive on "
                         "Windows"},
        NameCase{"good.txt:hidden", "the part \"good.txt:hidden\" contains \":\", which names a "
                                    "stream or a drive on Windows"},
        NameCase{"a<b", "the part \"a<b\" contains \"<\", which Windows does not allow in names"},
        NameCase{"a>b", "the part \"a>b\" contains \">\", which Windows does not allow in names"},
        NameCase{"a\"b",
                 "the part \"a\"b\" contains \"\"\", which Windows does not allow in names"},
        NameCase{"a|b", "the part \"a|b\" contains \"|\", which Windows does not allow in names"},
        NameCase{"what?.txt",
                 "the part \"what?.txt\" contains \"?\", which Windows does not allow in names"},
        NameCase{"dir/*.txt",
                 "the part \"*.txt\" contains \"*\", which Windows does not allow in names"},
        NameCase{"trailing.",
                 "the part \"trailing.\" ends with a dot or a space, which Windows drops"},
        NameCase{"trailing ",
                 "the part \"trailing \" ends with a dot or a space, which Windows drops"},
        NameCase{"dir./x.txt", "the part \"dir.\" ends with a dot or a space, which Windows drops"},
        NameCase{"dir /x.txt", "the part \"dir \" ends with a dot or a space, which Windows drops"},
        NameCase{"...", "the part \"...\" ends with a dot or a space, which Windows drops"}),
    [](const testing::TestParamInfo<NameCase>& info) {
        return "Case" + std::to_string(info.index);
    });

TEST(EngineWindowsNamesAllowed, NamesThatOnlyLookLikeDevicesAreExtracted) {
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{"CONSOLE.txt", "1"},
                             {"com10.txt", "2"},
                             {"x.con", "3"},
                             {"lpt.txt", "4"},
                             {".hidden", "5"},
                             {"a b.txt", "6"},
                             {"nul-device.txt", "7"}});
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(sandbox.Extracted(),
              (std::vector<std::string>{".hidden", "CONSOLE.txt", "a b.txt", "com10.txt", "lpt.txt",
                                        "nul-device.txt", "x.con"}));
}

TEST(EngineWindowsFolders, NamesDifferingInCaseShareOneFolder) {
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{"Sub/a.txt", "a"}, {"SUB/b.txt", "b"}, {"sub/", ""}});
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(sandbox.Extracted(), (std::vector<std::string>{"Sub", "Sub/a.txt", "Sub/b.txt"}));
}

TEST(EngineWindowsFolders, FolderEntryGetsItsTimeAtTheEnd) {
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{"sub/", ""}, {"sub/a.txt", "a"}});
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(fs::last_write_time(sandbox.InFolder("sub")), kEntryTime);
    EXPECT_EQ(fs::last_write_time(sandbox.InFolder("sub/a.txt")), kEntryTime);
}

TEST(EngineWindowsFolders, PathsBeyondMaxPathAreExtracted) {
    std::string name = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" +
                       std::string(100, 'c') + "/file.txt";
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{name, "deep\n"}});
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    std::wstring path = LongForm(sandbox.InFolder(name));
    ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char bytes[16] = {};
    DWORD read = 0;
    ::ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
    ::CloseHandle(file);
    EXPECT_EQ(std::string(bytes, read), "deep\n");
    // The standard library cannot remove what lies beyond MAX_PATH.
    ::DeleteFileW(path.c_str());
    for (int level = 0; level < 3; ++level) {
        path.resize(path.rfind(L'\\'));
        ::RemoveDirectoryW(path.c_str());
    }
}

} // namespace
} // namespace engine_test
