#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include "../support/Environment.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace {

using platform::KeyAccess;
using platform::RegistryError;
using platform::RegistryFile;
using testing_support::ReadBytes;
using testing_support::TempFolder;

const std::string kDataDir = std::string(VG_TEST_DATA_DIR) + "/registry/";
constexpr const char* kSetupKey = "\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup";

std::string Reg5(const std::string& body) {
    return "Windows Registry Editor Version 5.00\r\n\r\n" + body;
}

std::string TestKey(const std::string& values) {
    return Reg5("[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n" + values + "\r\n");
}

struct ValueCase {
    const char* name;
    std::string file;
    const char* key;
    const char* value;
    std::optional<std::string> expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class RegistryValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValueTest, ReadsStringAsRegeditWouldImportIt) {
    const ValueCase& c = GetParam();
    EXPECT_EQ(RegistryFile::FromBytes(c.file, true).ReadString(c.key, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    InMemory, RegistryValueTest,
    testing::Values(
        ValueCase{"PlainString", TestKey("\"A\"=\"x y\""), "\\SOFTWARE\\T", "A", "x y"},
        ValueCase{"Escapes", TestKey(R"("A"="C:\\Dir \"q\" \n")"), "\\SOFTWARE\\T", "A",
                  R"(C:\Dir "q" \n)"},
        ValueCase{"NameWithEscapedQuote", TestKey(R"("A\"B"="x")"), "\\SOFTWARE\\T", "A\"B", "x"},
        ValueCase{"DefaultValue", TestKey("@=\"d\""), "\\SOFTWARE\\T", "", "d"},
        ValueCase{"EmptyQuotedNameIsDefault", TestKey("\"\"=\"d\""), "\\SOFTWARE\\T", "", "d"},
        ValueCase{"NamesIgnoreCase", TestKey("\"AppDir\"=\"x\""), "\\software\\t", "APPDIR", "x"},
        ValueCase{"PathWithoutLeadingBackslash", TestKey("\"A\"=\"x\""), "SOFTWARE\\T", "A", "x"},
        ValueCase{"PathWithTrailingBackslash", TestKey("\"A\"=\"x\""), "\\SOFTWARE\\T\\", "A", "x"},
        ValueCase{"DoubleBackslashInPath", TestKey("\"A\"=\"x\""), "\\SOFTWARE\\\\T", "A",
                  std::nullopt},
        ValueCase{"DoubleBackslashInFileKey", Reg5("[HKLM\\SOFTWARE\\\\T]\n\"A\"=\"x\"\n"),
                  "\\SOFTWARE\\\\T", "A", std::nullopt},
        ValueCase{"ShortRootName", Reg5("[HKLM\\SOFTWARE\\T]\n\"A\"=\"x\"\n"), "\\SOFTWARE\\T", "A",
                  "x"},
        ValueCase{"OtherRootIgnored", Reg5("[HKEY_CURRENT_USER\\SOFTWARE\\T]\n\"A\"=\"x\"\n"),
                  "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"OtherRootValuesNotGivenToKeyBefore",
                  TestKey("[HKEY_CURRENT_USER\\X]\r\n\"A\"=\"x\""), "\\SOFTWARE\\T", "A",
                  std::nullopt},
        ValueCase{"BrokenKeyLineValuesNotGivenToKeyBefore",
                  TestKey("\"A\"=\"1\"\r\n[HKEY_LOCAL_MACHINE\\U\r\n\"A\"=\"2\""), "\\SOFTWARE\\T",
                  "A", "1"},
        ValueCase{"DeletionLineIgnored", Reg5("[-HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"A\"=\"x\"\n"),
                  "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"DeletedValue", TestKey("\"A\"=\"x\"\r\n\"A\"=-"), "\\SOFTWARE\\T", "A",
                  std::nullopt},
        ValueCase{"LaterValueWinsAcrossSections",
                  TestKey("\"A\"=\"1\"\r\n[HKLM\\U]\r\n[HKLM\\software\\t]\r\n\"a\"=\"2\""),
                  "\\SOFTWARE\\T", "A", "2"},
        ValueCase{"ValueBeforeAnyKey", Reg5("\"A\"=\"x\"\n[HKLM\\SOFTWARE\\T]\n"), "\\SOFTWARE\\T",
                  "A", std::nullopt},
        ValueCase{"CommentLine", TestKey(";\"A\"=\"x\""), "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"BlanksAroundEquals", TestKey("  \"A\" =\t\"x\"  "), "\\SOFTWARE\\T", "A", "x"},
        ValueCase{"JunkAfterString", TestKey("\"A\"=\"x\" y"), "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"ExpandString", TestKey("\"A\"=hex(2):25,00,41,00,e9,00,25,00,00,00"),
                  "\\SOFTWARE\\T", "A", "%A\xC3\xA9%"},
        ValueCase{"ExpandStringUpperCase", TestKey("\"A\"=HEX(2):4A,00"), "\\SOFTWARE\\T", "A",
                  "J"},
        ValueCase{"ExpandStringSurrogatePair", TestKey("\"A\"=hex(2):3d,d8,00,de,00,00"),
                  "\\SOFTWARE\\T", "A", "\xF0\x9F\x98\x80"},
        ValueCase{"ExpandStringLoneSurrogate", TestKey("\"A\"=hex(2):3d,d8,41,00"), "\\SOFTWARE\\T",
                  "A",
                  "\xEF\xBF\xBD"
                  "A"},
        ValueCase{"ExpandStringEndsAtZero", TestKey("\"A\"=hex(2):41,00,00,00,42,00"),
                  "\\SOFTWARE\\T", "A", "A"},
        ValueCase{"ExpandStringEmpty", TestKey("\"A\"=hex(2):"), "\\SOFTWARE\\T", "A", ""},
        ValueCase{"HexOneIsString", TestKey("\"A\"=hex(1):41,00,00,00"), "\\SOFTWARE\\T", "A", "A"},
        ValueCase{"TrailingComma", TestKey("\"A\"=hex(2):41,00,"), "\\SOFTWARE\\T", "A",
                  std::nullopt},
        ValueCase{"UnknownDataForm", TestKey("\"A\"=str:abc"), "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"BadDword", TestKey("\"A\"=dword:xyz"), "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"DwordTooLong", TestKey("\"A\"=dword:123456789"), "\\SOFTWARE\\T", "A",
                  std::nullopt},
        ValueCase{"BadTypeNumber", TestKey("\"A\"=hex(zz):00"), "\\SOFTWARE\\T", "A", std::nullopt},
        ValueCase{"UnclosedTypeNumber", TestKey("\"A\"=hex(2:41,00"), "\\SOFTWARE\\T", "A",
                  std::nullopt},
        ValueCase{"Regedit4ExpandStringCodePage",
                  "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\T]\r\n\"A\"=hex(2):41,e9,00\r\n", "T", "A",
                  "A\xC3\xA9"},
        ValueCase{"Regedit4ExpandStringUtf8",
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\T]\n\"A\"=hex(2):c3,a9,00\n", "T", "A",
                  "\xC3\xA9"},
        ValueCase{"Regedit4OddByteCount",
                  "REGEDIT4\n[HKEY_LOCAL_MACHINE\\T]\n\"A\"=hex(2):41,42,43\n", "T", "A", "ABC"},
        ValueCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF" + TestKey("\"A\"=\"\xC3\xA9\""),
                  "\\SOFTWARE\\T", "A", "\xC3\xA9"},
        ValueCase{"CodePage1252Text", TestKey("\"A\"=\"\xE9\""), "\\SOFTWARE\\T", "A", "\xC3\xA9"},
        ValueCase{"Version6Header",
                  "Windows Registry Editor Version 6.00\n[HKLM\\T]\n\"A\"=\"x\"\n", "T", "A",
                  std::nullopt},
        ValueCase{"HeaderNotOnFirstLine", "\nREGEDIT4\n[HKLM\\T]\n\"A\"=\"x\"\n", "T", "A",
                  std::nullopt}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

class RegistryTypeTest : public testing::TestWithParam<const char*> {};

TEST_P(RegistryTypeTest, NonStringTypeThrowsWithNameAsCallerSpelledIt) {
    const auto registry =
        RegistryFile::FromBytes(TestKey(std::string("\"AppDir\"=") + GetParam()), true);
    try {
        registry.ReadString("\\SOFTWARE\\T", "APPDIR");
        FAIL() << "no exception";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'APPDIR'");
    }
}

INSTANTIATE_TEST_SUITE_P(InMemory, RegistryTypeTest,
                         testing::Values("dword:0000001f", "hex:01,02", "hex(7):41,00,00,00,00,00",
                                         "hex(b):01,00,00,00,00,00,00,00",
                                         "hex(0):", "hex(4):1f,00,00,00", "hex(102):41,00"));

TEST(RegistryKeyTest, ListedKeysAndTheirParentsExist) {
    const std::string file = Reg5("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup]\r\n"
                                  "[HKEY_CURRENT_USER\\SOFTWARE\\Other]\r\n");
    const auto full = RegistryFile::FromBytes(file, true);
    const auto readOnly = RegistryFile::FromBytes(file, false);
    struct {
        const char* path;
        bool exists;
    } const cases[] = {
        {kSetupKey, true},
        {"SOFTWARE\\VARNEK\\gerrix", true},
        {"\\SOFTWARE", true},
        {"", true},
        {"\\", true},
        {"\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup\\Sub", false},
        {"\\SOFTWARE\\Varn", false},
        {"\\SOFTWARE\\Other", false},
        {"\\\\SOFTWARE", false},
        {"\\SOFTWARE\\Varnek\\\\", false},
        {"\\SOFTWARE\\\\Varnek", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(full.OpenKey(c.path), c.exists ? KeyAccess::Full : KeyAccess::NotFound) << c.path;
        EXPECT_EQ(readOnly.OpenKey(c.path), c.exists ? KeyAccess::ReadOnly : KeyAccess::NotFound)
            << c.path;
    }
    EXPECT_EQ(RegistryFile::FromBytes(Reg5(""), true).OpenKey(""), KeyAccess::NotFound);
}

struct FileCase {
    const char* file;
    const char* key;
    const char* value;
    std::optional<std::string> expected;
};

void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.file << " " << c.value;
}

class RegistryFileTest : public testing::TestWithParam<FileCase> {};

TEST_P(RegistryFileTest, ReadsWhatTheFileHolds) {
    const FileCase& c = GetParam();
    EXPECT_EQ(RegistryFile(kDataDir + c.file).ReadString(c.key, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DataFiles, RegistryFileTest,
    testing::Values(
        FileCase{"utf16le-export.reg", kSetupKey, "AppDir",
                 "C:\\Program Files\\V\xC3\xA4rnek\\Gerrix 16 \xE2\x80\x93 "
                 "\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC"
                 "\xCE\xAE"},
        FileCase{"utf16le-export.reg", kSetupKey, "EnvDir",
                 "%ProgramData%\\V\xC3\xA4rnek\\Gerrix\\16.0\\Umgebung"},
        FileCase{"utf16le-export.reg", kSetupKey, "Version", "16.0.2"},
        FileCase{"utf16le-export.reg", "\\SOFTWARE\\Varnek\\Gerrix\\16.0", "", "Gerrix 16"},
        FileCase{"utf16le-export.reg", "\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup\\Languages", "en",
                 "English"},
        FileCase{"regedit4.reg", "\\SOFTWARE\\Varnek\\Gerrix\\15.0\\Setup", "AppDir",
                 "C:\\Programme\\V\xC3\xA4rnek"},
        FileCase{"regedit4.reg", "\\SOFTWARE\\Varnek\\Gerrix\\15.0\\Setup", "EnvDir",
                 "C:\\Daten\\Gr\xC3\xB6\xC3\x9F"
                 "e"},
        FileCase{"regedit4.reg", "\\SOFTWARE\\Varnek\\Gerrix\\15.0\\Setup", "Version", "15.0"},
        FileCase{"dword-value.reg", kSetupKey, "AppDir", "C:\\Gerrix"},
        FileCase{"unbalanced-quote.reg", kSetupKey, "AppDir", std::nullopt},
        FileCase{"unbalanced-quote.reg", kSetupKey, "EnvDir", std::nullopt},
        FileCase{"unbalanced-quote.reg", kSetupKey, "Ghost", std::nullopt},
        FileCase{"unbalanced-quote.reg", kSetupKey, "Version", "16.0"},
        FileCase{"odd-hex-digits.reg", kSetupKey, "AppDir", std::nullopt},
        FileCase{"odd-hex-digits.reg", kSetupKey, "EnvDir", std::nullopt},
        FileCase{"odd-hex-digits.reg", kSetupKey, "Version", "16.0"},
        FileCase{"expand-string-odd-byte-count.reg", kSetupKey, "EnvDir", std::nullopt},
        FileCase{"expand-string-odd-byte-count.reg", kSetupKey, "Version", "16.0"},
        FileCase{"truncated.reg", kSetupKey, "AppDir",
                 "C:\\Program Files\\V\xC3\xA4rnek\\Gerrix 16 \xE2\x80\x93 "
                 "\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE"},
        FileCase{"truncated.reg", kSetupKey, "EnvDir", std::nullopt},
        FileCase{"truncated.reg", kSetupKey, "Version", std::nullopt},
        FileCase{"continued-lines.reg", kSetupKey, "EnvDir", "C:\\Env"},
        FileCase{"continued-lines.reg", kSetupKey, "AppDir", std::nullopt},
        FileCase{"continued-lines.reg", kSetupKey, "Version", std::nullopt},
        FileCase{"continued-lines.reg", kSetupKey, "Edition", "Pro"},
        FileCase{"binary-garbage.reg", kSetupKey, "Version", "16.0"},
        FileCase{"no-header.reg", kSetupKey, "Version", std::nullopt}),
    [](const testing::TestParamInfo<FileCase>& info) {
        std::string name =
            std::string(info.param.file) + "_" + (*info.param.value ? info.param.value : "Default");
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(RegistryDataFileTest, ExportedNonStringValuesThrow) {
    EXPECT_THROW(RegistryFile(kDataDir + "dword-value.reg").ReadString(kSetupKey, "Version"),
                 RegistryError);
    const RegistryFile exported(kDataDir + "utf16le-export.reg");
    EXPECT_THROW(exported.ReadString(kSetupKey, "InstallCount"), RegistryError);
    EXPECT_THROW(exported.ReadString(kSetupKey, "Components"), RegistryError);
}

TEST(RegistryDataFileTest, FileWithoutHeaderHasNoKeys) {
    EXPECT_EQ(RegistryFile(kDataDir + "no-header.reg").OpenKey(""), KeyAccess::NotFound);
}

TEST(RegistryAccessTest, FileThatCannotBeReadHasNoKeys) {
    TempFolder temp;
    EXPECT_EQ(RegistryFile(temp / "missing.reg").OpenKey(""), KeyAccess::NotFound);
    EXPECT_EQ(RegistryFile(temp / "missing.reg").ReadString(kSetupKey, "Version"), std::nullopt);
    EXPECT_EQ(RegistryFile(temp.Path()).OpenKey(""), KeyAccess::NotFound);
}

TEST(RegistryAccessTest, WritePermissionDecidesFullOrReadOnly) {
    TempFolder temp;
    const std::string path = temp.Write("registry.reg", ReadBytes(kDataDir + "utf16le-export.reg"));
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(RegistryFile(path).OpenKey(kSetupKey), KeyAccess::Full);
    EXPECT_EQ(RegistryFile(path).OpenKey("\\SOFTWARE\\Unlisted"), KeyAccess::NotFound);

    // Root passes every access() check; the missing permission bits still count.
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const RegistryFile readOnly(path);
    EXPECT_EQ(readOnly.OpenKey(kSetupKey), KeyAccess::ReadOnly);
    EXPECT_EQ(readOnly.OpenKey("\\SOFTWARE\\Unlisted"), KeyAccess::NotFound);
    EXPECT_EQ(readOnly.ReadString(kSetupKey, "Version"), "16.0.2");
#ifdef _WIN32
    // Windows removes no read-only file, so the folder would stay behind.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
#endif
}

TEST(RegistryAccessTest, FileLargerThanTheCapIsNotRead) {
    TempFolder temp;
    std::string bytes = TestKey("\"A\"=\"x\"");
    bytes.resize(RegistryFile::kMaxFileBytes, ' ');
    EXPECT_EQ(RegistryFile(temp.Write("at-cap.reg", bytes)).OpenKey("\\SOFTWARE\\T"),
              KeyAccess::Full);
    bytes.push_back(' ');
    EXPECT_EQ(RegistryFile(temp.Write("over-cap.reg", bytes)).OpenKey("\\SOFTWARE\\T"),
              KeyAccess::NotFound);
}

#ifndef _WIN32
// On Linux the system registry is a file; Win32SystemTest covers Windows.
class SystemRegistryTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv(kVariable)) {
            m_saved = value;
        }
    }
    void TearDown() override {
        if (m_saved) {
            testing_support::SetEnv(kVariable, m_saved->c_str());
        } else {
            testing_support::UnsetEnv(kVariable);
        }
    }

    static constexpr const char* kVariable = "VG_REGISTRY_FILE";
    std::optional<std::string> m_saved;
};

TEST_F(SystemRegistryTest, ReadsTheFileNamedByTheEnvironment) {
    TempFolder temp;
    const std::string path = temp.Write("registry.reg", ReadBytes(kDataDir + "utf16le-export.reg"));
    testing_support::SetEnv(kVariable, path.c_str());
    const auto registry = platform::MakeSystemRegistry();
    EXPECT_EQ(registry->OpenKey(kSetupKey), KeyAccess::Full);
    EXPECT_EQ(registry->ReadString(kSetupKey, "Version"), "16.0.2");
}

TEST_F(SystemRegistryTest, ReadsTheFileWhenAKeyIsOpenedNotWhenMade) {
    TempFolder temp;
    const std::string path = temp.Write("registry.reg", "");
    testing_support::SetEnv(kVariable, path.c_str());
    const auto registry = platform::MakeSystemRegistry();
    EXPECT_EQ(registry->OpenKey(kSetupKey), KeyAccess::NotFound);
    // Registered while the wizard is open.
    temp.Write("registry.reg", ReadBytes(kDataDir + "utf16le-export.reg"));
    EXPECT_EQ(registry->OpenKey(kSetupKey), KeyAccess::Full);
    EXPECT_EQ(registry->ReadString(kSetupKey, "Version"), "16.0.2");
}

TEST_F(SystemRegistryTest, ReadsTheDefaultFileWhenTheVariableIsUnsetOrEmpty) {
    const KeyAccess expected = RegistryFile("/etc/vg/registry.reg").OpenKey(kSetupKey);
    testing_support::SetEnv(kVariable, "");
    EXPECT_EQ(platform::MakeSystemRegistry()->OpenKey(kSetupKey), expected);
    testing_support::UnsetEnv(kVariable);
    EXPECT_EQ(platform::MakeSystemRegistry()->OpenKey(kSetupKey), expected);
}

#endif

} // namespace
