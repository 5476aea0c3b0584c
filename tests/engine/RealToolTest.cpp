// Archives made by real tools (Info-ZIP zip, Python's zipfile, 7-Zip,
// bsdtar) are extracted byte for byte, with their times, permissions and
// folders.
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

// 2021-05-06 07:08:10 UTC, an even second that DOS times hold exactly.
const auto kSourceTime =
    std::chrono::file_clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1620284890}});

constexpr const char* kPythonZip = R"(
import os, sys, zipfile
source, target, method = sys.argv[1], sys.argv[2], sys.argv[3]
method = {"deflated": zipfile.ZIP_DEFLATED, "stored": zipfile.ZIP_STORED,
          "bzip2": zipfile.ZIP_BZIP2, "lzma": zipfile.ZIP_LZMA}[method]
with zipfile.ZipFile(sys.stdout.buffer if target == "-" else target, "w", method) as archive:
    for folder, folders, files in os.walk(source):
        folders.sort()
        relative = os.path.relpath(folder, source)
        if relative != ".":
            archive.write(folder, relative)
        for name in sorted(files):
            archive.write(os.path.join(folder, name), os.path.normpath(os.path.join(relative, name)))
)";

struct Tool {
    const char* name;
    const char* command; // {src}: the source folder, {zip}: the archive, {py}: the Python script
    const char* password = "";
};

void PrintTo(const Tool& tool, std::ostream* out) {
    *out << tool.name;
}

std::string Expand(std::string text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size())) {
        text.replace(at, key.size(), value);
    }
    return text;
}

class EngineRealTool : public testing::TestWithParam<Tool> {
protected:
    static void SetUpTestSuite() {
        s_source = std::make_unique<testing_support::TempFolder>();
        const auto& source = *s_source;
        std::string text;
        for (int i = 0; i < 500; ++i) {
            text += "line " + std::to_string(i) + " of a text that compresses well\n";
        }
        source.Write("src/readme.txt", text);
        std::string random(300 * 1024, '\0');
        std::uint32_t state = 12345;
        for (char& c : random) {
            state = state * 1103515245u + 12345u;
            c = static_cast<char>(state >> 24);
        }
        source.Write("src/data/random.bin", random);
        std::string large;
        while (large.size() < 3 * 1024 * 1024) {
            large += text;
        }
        source.Write("src/data/large.txt", large);
        source.Write("src/empty.txt", "");
        source.Write("src/deep/a/b/c/leaf.txt", "leaf\n");
        source.Write("src/Gr\xC3\xBC\xC3\x9F"
                     "e/\xCE\xA9mega.txt",
                     "omega\n");
        source.Write("src/tools/run.sh", "#!/bin/sh\necho run\n");
        source.Write("src/private.txt", "private\n");
        fs::create_directories(source / "src/empty-folder");
        fs::permissions(source / "src/tools/run.sh", fs::perms(0755));
        fs::permissions(source / "src/private.txt", fs::perms(0600));
        for (const auto& item : fs::recursive_directory_iterator(source / "src")) {
            fs::last_write_time(item.path(), kSourceTime);
        }
        std::ofstream(source / "make.py") << kPythonZip;
    }

    static void TearDownTestSuite() { s_source.reset(); }

    static std::string Source() { return *s_source / "src"; }

    // Makes the archive with the tool's command.
    static std::string MakeArchive(const Tool& tool, const std::string& folder) {
        std::string archive = folder + "/" + tool.name + ".zip";
        std::string command = Expand(tool.command, "{src}", Quote(Source()));
        command = Expand(command, "{zip}", Quote(archive));
        command = Expand(command, "{py}", Quote(*s_source / "make.py"));
        EXPECT_TRUE(Shell(command)) << command;
        return archive;
    }

    static inline std::unique_ptr<testing_support::TempFolder> s_source;
};

TEST_P(EngineRealTool, ExtractsTheSourceTreeExactly) {
    const Tool& tool = GetParam();
    testing_support::TempFolder work;
    std::string archive = MakeArchive(tool, work.Path());
    Sandbox sandbox;
    EngineRun run;
    run.passwords = {tool.password};
    run.Extract(archive, sandbox.Folder());
    ASSERT_EQ(run.result, 0) << run.Messages();

    std::vector<std::string> expected = Sandbox::List(Source());
    EXPECT_EQ(sandbox.Extracted(), expected);
    for (const std::string& relative : expected) {
        SCOPED_TRACE(relative);
        fs::path original = fs::path(Source()) / relative;
        fs::path copy = fs::path(sandbox.Folder()) / relative;
        ASSERT_EQ(fs::is_directory(original), fs::is_directory(copy));
        auto difference = fs::last_write_time(copy) - fs::last_write_time(original);
        EXPECT_LE(std::chrono::abs(difference), std::chrono::seconds(1));
        if (!fs::is_directory(original)) {
            EXPECT_EQ(testing_support::ReadBytes(copy), testing_support::ReadBytes(original));
            EXPECT_EQ(fs::status(copy).permissions(), fs::status(original).permissions());
        }
    }
    EXPECT_EQ(run.Count(UNZ_ACTION_PASSWORD), std::string(tool.password).empty() ? 0 : 1);
    sandbox.ExpectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineRealTool,
    testing::Values(
        Tool{"zip", "cd {src} && zip -q -r {zip} ."},
        Tool{"zip_stored", "cd {src} && zip -q -0 -r {zip} ."},
        Tool{"zip_streamed", "cd {src} && zip -q -r - . | cat > {zip}"},
        Tool{"zip_forced_zip64", "cd {src} && zip -q -fz -r {zip} ."},
        Tool{"zip_password", "cd {src} && zip -q -P secret -r {zip} .", "secret"},
        Tool{"zip_data_in_front",
             "cd {src} && zip -q -r {zip}.tmp . && (seq 1 20000; cat {zip}.tmp) > {zip}"},
        Tool{"zip_data_in_front_adjusted", "cd {src} && zip -q -r {zip}.tmp . && (seq 1 20000; cat "
                                           "{zip}.tmp) > {zip} && zip -q -A {zip}"},
        Tool{"python_deflated", "python3 {py} {src} {zip} deflated"},
        Tool{"python_stored", "python3 {py} {src} {zip} stored"},
        Tool{"python_bzip2", "python3 {py} {src} {zip} bzip2"},
        Tool{"python_lzma", "python3 {py} {src} {zip} lzma"},
        Tool{"python_streamed", "python3 {py} {src} - deflated | cat > {zip}"},
        Tool{"sevenzip_deflate", "cd {src} && 7z a -tzip -mm=Deflate {zip} ."},
        Tool{"sevenzip_bzip2", "cd {src} && 7z a -tzip -mm=BZip2 {zip} ."},
        Tool{"sevenzip_lzma", "cd {src} && 7z a -tzip -mm=LZMA {zip} ."},
        Tool{"sevenzip_zipcrypto", "cd {src} && 7z a -tzip -mem=ZipCrypto -psecret {zip} .",
             "secret"},
        Tool{"sevenzip_aes128", "cd {src} && 7z a -tzip -mem=AES128 -psecret {zip} .", "secret"},
        Tool{"sevenzip_aes256", "cd {src} && 7z a -tzip -mem=AES256 -psecret {zip} .", "secret"},
        Tool{"bsdtar", "bsdtar -a -cf {zip} -C {src} ."}),
    [](const testing::TestParamInfo<Tool>& info) { return std::string(info.param.name); });

TEST(EngineRealToolSecurity, SetUserIdBitsAreNeverRestored) {
    testing_support::TempFolder work;
    work.Write("src/setuid.sh", "#!/bin/sh\n");
    fs::permissions(work / "src/setuid.sh",
                    fs::perms(04755) | fs::perms::set_gid | fs::perms::sticky_bit);
    ASSERT_TRUE(
        Shell("cd " + Quote(work / "src") + " && zip -q " + Quote(work / "a.zip") + " setuid.sh"));
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "a.zip", sandbox.Folder());
    ASSERT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(fs::status(sandbox.InFolder("setuid.sh")).permissions(), fs::perms(0755));
}

} // namespace
} // namespace engine_test
