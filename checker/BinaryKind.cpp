#include "checker/BinaryKind.h"

#include <cstdint>

#include "platform/FileSystem.h"

namespace {

std::uint32_t Little(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::string MachineName(std::uint32_t machine, bool pe) {
    // ELF e_machine and PE machine numbers of the machines this program is
    // built for.
    if (pe) {
        switch (machine) {
        case 0x014C: return "i386";
        case 0x8664: return "x86-64";
        case 0xAA64: return "ARM64";
        default: break;
        }
    } else {
        switch (machine) {
        case 3: return "i386";
        case 62: return "x86-64";
        case 183: return "AArch64";
        default: break;
        }
    }
    return "machine " + std::to_string(machine);
}

} // namespace

std::optional<std::string> BinaryKind(const std::string& path) {
    std::string bytes;
    std::string reason;
    if (!platform::ReadWholeFile(path, bytes, reason)) {
        return std::nullopt;
    }
    // ELF: e_ident[EI_CLASS] at 4 (1: 32-bit, 2: 64-bit), e_machine at 18.
    if (bytes.size() >= 20 && bytes.compare(0, 4, "\x7F" "ELF") == 0) {
        const char bits = bytes[4];
        if (bits != 1 && bits != 2) {
            return std::nullopt;
        }
        return std::string("ELF ") + (bits == 1 ? "32-bit " : "64-bit ") +
               MachineName(Little(bytes, 18, 2), false);
    }
    // PE: "MZ", the offset of the "PE\0\0" header at 0x3C; the machine
    // follows the signature, and the optional header's magic (0x10B PE32,
    // 0x20B PE32+) comes 20 bytes after it.
    if (bytes.size() >= 0x40 && bytes.compare(0, 2, "MZ") == 0) {
        const std::size_t pe = Little(bytes, 0x3C, 4);
        if (pe > bytes.size() || bytes.size() - pe < 26 || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
            return std::nullopt;
        }
        const std::uint32_t magic = Little(bytes, pe + 24, 2);
        return std::string(magic == 0x20B ? "PE32+ " : "PE32 ") + MachineName(Little(bytes, pe + 4, 2), true);
    }
    return std::nullopt;
}
