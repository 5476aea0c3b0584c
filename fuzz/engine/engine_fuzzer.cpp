// libFuzzer harness over the engine's archive reading: every input is an
// archive held in memory, extracted into a scratch folder in tmpfs. Beside
// that folder lies a sentinel file; the harness aborts when anything outside
// the folder changes. Files are limited to 16 MiB so that an input claiming
// gigabytes stays quick.
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

#include "engine/ByteSource.h"
#include "engine/Engine.h"
#include "engine/UnzDll.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSentinel = "sentinel: never changed\n";

// Answers like a user who says yes to everything and knows one password.
class FuzzReporter : public engine::Reporter {
public:
    bool Call(int action, std::int32_t& flag, std::int32_t& number, std::string& text) override {
        switch (action) {
        case UNZ_ACTION_OVERWRITE:
            number = 1;
            break;
        case UNZ_ACTION_DAMAGED:
            flag = 1;
            break;
        case UNZ_ACTION_PASSWORD:
            flag = number == UNZ_PASSWORD_FIRST_REQUEST ? 1 : 0;
            text = "password";
            number = number > 0 ? number - 1 : 0;
            break;
        default:
            break;
        }
        return true;
    }
};

fs::path g_root;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void CheckOutside() {
    std::error_code error;
    std::size_t items = 0;
    for (const auto& item : fs::directory_iterator(g_root, error)) {
        std::string name = item.path().filename().string();
        if (name != "extract" && name != "outside") {
            std::fprintf(stderr, "created outside the extraction folder: %s\n", name.c_str());
            std::abort();
        }
        ++items;
    }
    std::size_t outside = 0;
    for (const auto& item : fs::directory_iterator(g_root / "outside", error)) {
        (void)item;
        ++outside;
    }
    if (items != 2 || outside != 1 || ReadAll(g_root / "outside" / "sentinel.txt") != kSentinel ||
        fs::is_symlink(g_root / "extract")) {
        std::fprintf(stderr, "the sentinel or its folder changed\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = 16 << 20;
    setrlimit(RLIMIT_FSIZE, &limit);
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    g_root = base / ("vg-engine-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(g_root);
    fs::create_directories(g_root / "extract");
    fs::create_directories(g_root / "outside");
    std::ofstream(g_root / "outside" / "sentinel.txt", std::ios::binary) << kSentinel;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    engine::MemorySource archive(std::string_view(reinterpret_cast<const char*>(data), size));
    FuzzReporter reporter;
    engine::ExtractOptions options;
    engine::ExtractArchive(archive, "fuzz.zip", (g_root / "extract").string() + "/", reporter,
                           options);
    CheckOutside();
    std::error_code ignored;
    for (const auto& item : fs::directory_iterator(g_root / "extract", ignored)) {
        fs::remove_all(item.path(), ignored);
    }
    return 0;
}
