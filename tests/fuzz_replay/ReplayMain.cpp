// Replays committed inputs through a libFuzzer harness without libFuzzer:
// every regular file of each folder named on the command line is passed to
// LLVMFuzzerTestOneInput once, in name order. A harness reports a finding by
// crashing or aborting, so a clean run ends with code 0. A folder that is
// missing or holds no file fails the run, so that a moved corpus cannot pass
// unnoticed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Defined by the harnesses that set up the process before their first input;
// the build says which.
#ifdef VG_REPLAY_INITIALIZE
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
#endif

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s folder...\n", argv[0]);
        return 2;
    }
#ifdef VG_REPLAY_INITIALIZE
    LLVMFuzzerInitialize(&argc, &argv);
#endif
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path folder = argv[i];
        const std::vector<fs::path> files = FilesIn(folder);
        for (const fs::path& file : files) {
            // Named first, so that the last line before a crash names its input.
            std::printf("%s\n", file.string().c_str());
            std::fflush(stdout);
            const std::string bytes = ReadAll(file);
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
        }
        std::printf("%zu inputs replayed from %s\n", files.size(), folder.string().c_str());
        if (files.empty()) {
            std::fprintf(stderr, "no inputs in %s\n", folder.string().c_str());
            result = 1;
        }
    }
    return result;
}
