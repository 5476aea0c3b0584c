// Zip64: an entry larger than 4 GiB (extracted in bounded memory, and
// stopped within half a second), and an archive of more than 65535 entries.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kLargeMiB = 4097; // just over 4 GiB

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

// A zip64 archive of one deflated entry "large.bin" of kLargeMiB MiB of
// zeros. The deflate stream repeats one fully flushed block of a MiB, which
// a decoder may start at any repetition.
std::string LargeZip64Archive() {
    std::string zeros(kMiB, '\0');
    z_stream stream{};
    deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string block(kMiB, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(zeros.data());
    stream.avail_in = static_cast<uInt>(zeros.size());
    stream.next_out = reinterpret_cast<Bytef*>(block.data());
    stream.avail_out = static_cast<uInt>(block.size());
    deflate(&stream, Z_FULL_FLUSH);
    block.resize(block.size() - stream.avail_out);
    std::string finish(64, '\0');
    stream.next_out = reinterpret_cast<Bytef*>(finish.data());
    stream.avail_out = static_cast<uInt>(finish.size());
    deflate(&stream, Z_FINISH);
    finish.resize(finish.size() - stream.avail_out);
    deflateEnd(&stream);

    uLong blockCrc =
        crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), static_cast<uInt>(zeros.size()));
    uLong crc = 0;
    for (std::uint64_t i = 0; i < kLargeMiB; ++i) {
        crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(kMiB));
    }
    std::uint64_t size = kLargeMiB * kMiB;
    std::uint64_t compressed = block.size() * kLargeMiB + finish.size();
    const std::string name = "large.bin";

    std::string zip64Sizes;
    Put16(zip64Sizes, 0x0001);
    Put16(zip64Sizes, 16);
    Put64(zip64Sizes, size);
    Put64(zip64Sizes, compressed);

    std::string out;
    Put32(out, 0x04034b50);
    Put16(out, 45);
    Put16(out, 0);
    Put16(out, 8);
    Put32(out, 0x52a66000);
    Put32(out, static_cast<std::uint32_t>(crc));
    Put32(out, 0xffffffff);
    Put32(out, 0xffffffff);
    Put16(out, static_cast<std::uint32_t>(name.size()));
    Put16(out, static_cast<std::uint32_t>(zip64Sizes.size()));
    out += name + zip64Sizes;
    out.reserve(out.size() + compressed + 200);
    for (std::uint64_t i = 0; i < kLargeMiB; ++i) {
        out += block;
    }
    out += finish;

    std::uint64_t centralStart = out.size();
    Put32(out, 0x02014b50);
    Put16(out, (3 << 8) | 45);
    Put16(out, 45);
    Put16(out, 0);
    Put16(out, 8);
    Put32(out, 0x52a66000);
    Put32(out, static_cast<std::uint32_t>(crc));
    Put32(out, 0xffffffff);
    Put32(out, 0xffffffff);
    Put16(out, static_cast<std::uint32_t>(name.size()));
    Put16(out, static_cast<std::uint32_t>(zip64Sizes.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, 0100644u << 16);
    Put32(out, 0);
    out += name + zip64Sizes;
    std::uint64_t centralSize = out.size() - centralStart;

    std::uint64_t zip64End = out.size();
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, 1);
    Put64(out, 1);
    Put64(out, centralSize);
    Put64(out, centralStart);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, zip64End);
    Put32(out, 1);
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, 1);
    Put32(out, static_cast<std::uint32_t>(centralSize));
    Put32(out, 0xffffffff);
    Put16(out, 0);
    return out;
}

class EngineLargeEntry : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_work = std::make_unique<testing_support::TempFolder>();
        s_work->Write("large.zip", LargeZip64Archive());
    }
    static void TearDownTestSuite() { s_work.reset(); }

    static std::string Archive() { return *s_work / "large.zip"; }

    static inline std::unique_ptr<testing_support::TempFolder> s_work;
};

TEST_F(EngineLargeEntry, StopReachesTheEngineWithinHalfASecond) {
    Sandbox sandbox;
    EngineRun run;
    using Clock = std::chrono::steady_clock;
    Clock::time_point last = Clock::now();
    Clock::duration longestGap{};
    Clock::time_point stoppedAt;
    int progress = 0;
    run.stopWhen = [&](const UnzCallbackInfo& info) {
        Clock::time_point now = Clock::now();
        longestGap = std::max(longestGap, now - last);
        last = now;
        if (info.action == UNZ_ACTION_PROGRESS && ++progress == 200) {
            stoppedAt = now;
            return -1;
        }
        return 0;
    };
    run.Extract(Archive(), sandbox.Folder());
    auto stopping = Clock::now() - stoppedAt;
    EXPECT_EQ(run.result, UNZ_CANCELLED) << run.Messages();
    EXPECT_LT(stopping, std::chrono::milliseconds(500));
    EXPECT_LT(longestGap, std::chrono::milliseconds(500));
    EXPECT_EQ(run.calls[1].number, INT32_MAX);
    EXPECT_EQ(run.calls[2].number, INT32_MAX);
    EXPECT_TRUE(sandbox.Extracted().empty());
}

// The whole entry, in a process of its own so that its peak memory is the
// engine's alone. It runs in tmpfs when there is room there.
TEST_F(EngineLargeEntry, ExtractsInBoundedMemory) {
    std::uint64_t needed = kLargeMiB * kMiB + 256 * kMiB;
    std::string base = fs::temp_directory_path().string();
    std::error_code ignored;
#ifndef _WIN32
    if (fs::space("/dev/shm", ignored).available > needed) {
        base = "/dev/shm";
    }
#endif
    if (base != "/dev/shm" && fs::space(base).available < needed) {
        GTEST_SKIP() << "no room for a 4 GiB file";
    }
    fs::path folder =
        fs::path(base) / ("vg-engine-large-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
#ifdef _WIN32
    // cmd.exe drops the outermost pair of quotes of a command starting with one.
    std::string command =
        "\"\"" VG_ENGINE_HELPER "\" extract \"" + Archive() + "\" \"" + folder.string() + "\"\"";
#else
    std::string command =
        Quote(VG_ENGINE_HELPER) + " extract " + Quote(Archive()) + " " + Quote(folder.string());
#endif
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof(buffer), pipe.get()) != nullptr) {
        output += buffer;
    }
    pipe.reset();
    std::uintmax_t size = fs::file_size(folder / "large.bin", ignored);
    fs::remove_all(folder, ignored);

    EXPECT_NE(output.find("result=0\n"), std::string::npos) << output;
    EXPECT_EQ(size, kLargeMiB * kMiB);
    auto at = output.find("maxrss_kib=");
    ASSERT_NE(at, std::string::npos) << output;
    long peakKib = std::stol(output.substr(at + 11));
    EXPECT_LT(peakKib, 64 * 1024) << output;
}

TEST(EngineManyEntries, ArchiveOfMoreThan65535EntriesIsRead) {
    testing_support::TempFolder work;
#ifdef _WIN32
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 65600; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "d/%05d.txt", i);
        files.emplace_back(name, std::to_string(i));
    }
    MakeZip(work / "many.zip", files);
#else
    std::string script = "import zipfile, sys\n"
                         "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                         "    for i in range(65600):\n"
                         "        z.writestr('d/%05d.txt' % i, str(i))\n";
    work.Write("make.py", script);
    ASSERT_TRUE(Shell("python3 " + Quote(work / "make.py") + " " + Quote(work / "many.zip")));
#endif
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "many.zip", sandbox.Folder(), {"d/655??.txt"});
    EXPECT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(run.calls.front().number, 100);
    EXPECT_EQ(sandbox.Extracted().size(), 101u);
    EXPECT_EQ(testing_support::ReadBytes(sandbox.InFolder("d/65599.txt")), "65599");
}

} // namespace
} // namespace engine_test
