// Opening a large archive: the archive component against the listing of
// Info-ZIP's unzip, libarchive's bsdtar and Python's zipfile, measured in one
// run on one generated archive of 100,000 stored entries.
//
//   zip_open_bench [PATH]
//
// writes the archive to PATH (default: a file in the temporary folder) and
// removes it at the end.
//
// Times are the best of five runs. The peers run as programs, so their
// times include starting the program; that is what a user of them waits for.

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zip/TZip.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kRuns = 5;

std::uint32_t Crc32(const std::string& data) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) {
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Names as an installation archive has them: a few folder levels, then a
// file of a typical length.
std::string EntryName(int i) {
    static const char* const kKinds[] = {
        "sections/steel",    "sections/concrete", "materials", "loads/wind", "loads/snow",
        "reports/templates", "help/en",           "help/nl",   "help/de",    "libraries"};
    char name[160];
    std::snprintf(name, sizeof name, "Gerrix/v21/environments/%s/group%03d/element_%06d.dat",
                  kKinds[i % 10], (i / 10) % 1000, i);
    return name;
}

// Writes a zip of stored entries directly: local records with their data,
// the central directory, the Zip64 end record and locator, the end record.
void WriteArchive(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string directory;
    std::string local;
    std::uint32_t offset = 0;
    for (int i = 0; i < kEntries; ++i) {
        const std::string name = EntryName(i);
        const std::string data = "entry " + std::to_string(i) + "\n";
        const std::uint32_t crc = Crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameLength = static_cast<std::uint32_t>(name.size());

        local = "PK\x03\x04";
        Put16(local, 10);
        Put16(local, 0);
        Put16(local, 0);
        Put32(local, 0x58210000); // 2024-01-01 00:00
        Put32(local, crc);
        Put32(local, size);
        Put32(local, size);
        Put16(local, nameLength);
        Put16(local, 0);
        local += name;
        local += data;
        out << local;

        directory += "PK\x01\x02";
        directory += static_cast<char>(20);
        directory += static_cast<char>(3);
        Put16(directory, 10);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0x58210000);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, nameLength);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, 0100644u << 16);
        Put32(directory, offset);
        directory += name;
        offset += static_cast<std::uint32_t>(local.size());
    }
    // More than 65535 entries need the Zip64 end record and its locator;
    // the end record's count then reads 0xFFFF, as tools write it.
    std::string zip64 = "PK\x06\x06";
    Put32(zip64, 44);
    Put32(zip64, 0);
    Put16(zip64, 45);
    Put16(zip64, 45);
    Put32(zip64, 0);
    Put32(zip64, 0);
    for (int field = 0; field < 2; ++field) {
        Put32(zip64, kEntries);
        Put32(zip64, 0);
    }
    Put32(zip64, static_cast<std::uint32_t>(directory.size()));
    Put32(zip64, 0);
    Put32(zip64, offset);
    Put32(zip64, 0);
    zip64 += "PK\x06\x07";
    Put32(zip64, 0);
    Put32(zip64, offset + static_cast<std::uint32_t>(directory.size()));
    Put32(zip64, 0);
    Put32(zip64, 1);

    std::string end = "PK\x05\x06";
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, 0xFFFF);
    Put16(end, 0xFFFF);
    Put32(end, static_cast<std::uint32_t>(directory.size()));
    Put32(end, offset);
    Put16(end, 0);
    out << directory << zip64 << end;
}

double BestSeconds(const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// A line "Key:   1234 kB" of /proc/self/status, in bytes; 0 where unknown.
std::int64_t StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::atoll(line.c_str() + key.size() + 1) * 1024;
        }
    }
    return 0;
}

// Restarts the peak of the resident set at its present size (Linux).
void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

std::int64_t EntriesBytes(const std::vector<TFileInfo>& entries) {
    std::int64_t bytes = static_cast<std::int64_t>(entries.capacity() * sizeof(TFileInfo));
    const std::string empty;
    for (const TFileInfo& entry : entries) {
        for (const std::string* text : {&entry.FileName, &entry.ExtraField, &entry.FileComment}) {
            if (text->capacity() > empty.capacity()) {
                bytes += static_cast<std::int64_t>(text->capacity() + 1);
            }
        }
    }
    return bytes;
}

bool Installed(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string path =
        argc > 1 ? argv[1]
                 : (std::filesystem::temp_directory_path() / "zip_open_bench.zip").string();
    WriteArchive(path);
    std::printf("archive: %s, %d entries, %.1f MiB\n", path.c_str(), kEntries,
                static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0));

    ui::ScriptedUiPort port;
    ui::Application app(port, "zip_open_bench");
    const platform::SystemVolumes volumes;
    ui::Component window(nullptr, "Form1");
    TZip& zip = window.Make<TZip>("ZipFile", TZipServices{app, volumes, 850, 1252, {}});

    ResetPeakMemory();
    const std::int64_t before = StatusBytes("VmRSS");
    const double ours = BestSeconds([&] { zip.SetArchiveFileName(path); });
    const std::int64_t peak = StatusBytes("VmHWM") - before;
    const std::int64_t entries = EntriesBytes(zip.Entries());
    if (zip.Entries().size() != kEntries) {
        std::fprintf(stderr, "TZip listed %zu entries\n", zip.Entries().size());
        return 1;
    }

    std::printf("%-28s %9.1f ms\n", "TZip (ArchiveFileName)", ours * 1000);
    std::printf("  peak memory %.1f MiB, of which entries %.1f MiB, beyond them %.1f MiB\n",
                static_cast<double>(peak) / 1048576.0, static_cast<double>(entries) / 1048576.0,
                static_cast<double>(peak - entries) / 1048576.0);

    struct Peer {
        const char* label;
        const char* program;
        std::string command;
    };
    const std::vector<Peer> peers = {
        {"unzip -Z1", "unzip", "unzip -Z1 '" + path + "' >/dev/null"},
        {"bsdtar -tf", "bsdtar", "bsdtar -tf '" + path + "' >/dev/null"},
        {"python3 zipfile", "python3",
         "python3 -c \"import zipfile,sys; zipfile.ZipFile(sys.argv[1]).namelist()\" '" + path +
             "'"},
    };
    double fastest = 0;
    for (const Peer& peer : peers) {
        if (!Installed(peer.program)) {
            std::printf("%-28s not installed\n", peer.label);
            continue;
        }
        int failures = 0;
        const double took =
            BestSeconds([&] { failures += std::system(peer.command.c_str()) != 0; });
        if (failures != 0) {
            std::printf("%-28s failed\n", peer.label);
            continue;
        }
        std::printf("%-28s %9.1f ms   TZip/peer %.2f\n", peer.label, took * 1000, ours / took);
        fastest = fastest == 0 ? took : std::min(fastest, took);
    }
    if (fastest > 0) {
        std::printf("TZip / fastest peer: %.2f (target at most 0.50)\n", ours / fastest);
    }
    std::filesystem::remove(path);
    return 0;
}
