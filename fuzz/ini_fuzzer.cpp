// libFuzzer harness over the INI reader: every input is a file held in
// memory, read in each legacy code page the wizard uses, then looked up the
// way the translation catalogue and the settings reader do and with key
// names taken from the input itself.
//
// Every text the reader hands out must be well-formed UTF-8 and fit the
// buffer it was asked for; the results must follow the reader's contract
// (section-name lists cut only at their end, listed names found again,
// caller spaces and ASCII letter case ignored). A crash, a sanitizer report,
// a hang or a broken rule is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "localization/IniFile.h"
#include "platform/CodePage.h"

namespace {

constexpr int kCodePages[] = {1252, 1250, 1253, 1251};
constexpr std::size_t kSectionBuffer = 16384;
constexpr std::size_t kValueBuffer = 2048;
constexpr std::size_t kShortBuffer = 4;
// Key names picked from the input, and sections read with all of them.
constexpr std::size_t kMaxInputKeys = 8;
constexpr std::size_t kMaxProbedSections = 16;

void Require(bool condition, const char* rule) {
    if (!condition) {
        std::fprintf(stderr, "ini_fuzzer: broken rule: %s\n", rule);
        std::abort();
    }
}

std::size_t CodePoints(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The bytes to look for key names in: a file with a UTF-16 byte-order mark
// loses the high byte of each unit, which leaves its ASCII names readable.
std::string SearchableText(std::string_view bytes) {
    const bool littleEndian = bytes.starts_with("\xFF\xFE");
    if (!littleEndian && !bytes.starts_with("\xFE\xFF")) {
        return std::string(bytes);
    }
    std::string text;
    for (std::size_t i = littleEndian ? 2 : 3; i < bytes.size(); i += 2) {
        text += bytes[i];
    }
    return text;
}

// What stands before the first "=" of the input's lines, as typed.
std::vector<std::string> KeysFromInput(std::string_view text) {
    std::vector<std::string> keys;
    std::size_t pos = 0;
    while (pos < text.size() && keys.size() < kMaxInputKeys) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(pos, end - pos);
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos &&
            std::find(keys.begin(), keys.end(), line.substr(0, equals)) == keys.end()) {
            keys.emplace_back(line.substr(0, equals));
        }
        pos = end + 1;
    }
    return keys;
}

std::string ReadChecked(const localization::IniFile& ini, std::string_view section,
                        std::string_view key, std::size_t bufferSize) {
    std::string value = ini.ReadString(section, key, "default  ", bufferSize);
    Require(platform::IsValidUtf8(value), "values are UTF-8");
    Require(CodePoints(value) < bufferSize, "values fit their buffer");
    return value;
}

void ReadKey(const localization::IniFile& ini, const std::string& section, const std::string& key) {
    const std::string value = ReadChecked(ini, section, key, kValueBuffer);
    const std::string cut = ReadChecked(ini, section, key, kShortBuffer);
    Require(value.starts_with(cut), "a smaller buffer cuts the same value");
    Require(ini.ReadString(section, key, "default", 0).empty(), "a buffer of 0 gets nothing");
    Require(ReadChecked(ini, " " + section + "  ", "  " + key + " ", kValueBuffer) == value,
            "spaces around the caller's names are ignored");
    Require(ReadChecked(ini, UpperAscii(section), UpperAscii(key), kValueBuffer) == value,
            "ASCII letter case is ignored");
}

// Lists the sections and reads them as the translation catalogue does.
void ReadSections(const localization::IniFile& ini) {
    Require(ini.Exists(), "a file read from memory exists");
    const std::vector<std::string> names = ini.SectionNames(kSectionBuffer);
    std::size_t used = 0;
    for (const std::string& name : names) {
        Require(!name.empty(), "empty section names are not listed");
        Require(platform::IsValidUtf8(name), "section names are UTF-8");
        Require(ini.HasSection(name), "listed sections are found");
        used += CodePoints(name) + 1;
        ReadChecked(ini, name, "property", kValueBuffer);
        ReadChecked(ini, name, "value", kValueBuffer);
    }
    Require(used < kSectionBuffer, "section names fit their buffer");
    const std::vector<std::string> shortList = ini.SectionNames(64);
    Require(shortList.size() <= names.size() &&
                std::equal(shortList.begin(), shortList.end(), names.begin()),
            "a smaller buffer lists the first names");
    Require(ini.SectionNames(0).empty(), "a buffer of 0 lists nothing");
}

// Probes the first sections for the keys the input names, and the settings
// file's keys.
void ProbeKeys(const localization::IniFile& ini, const std::vector<std::string>& inputKeys) {
    const std::vector<std::string> names = ini.SectionNames(kSectionBuffer);
    for (std::size_t i = 0; i < names.size() && i < kMaxProbedSections; ++i) {
        for (const std::string& key : inputKeys) {
            ReadKey(ini, names[i], key);
        }
    }
    ReadKey(ini, "ENVIROMENT", "RegisterVersion");
    ReadKey(ini, "ENVIROMENT", "VersionZipName");
    ReadKey(ini, "", "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int codePage : kCodePages) {
        const auto ini = localization::IniFile::FromBytes(bytes, codePage);
        ReadSections(ini);
        // The code page changes only the text, so the probes run in the first.
        if (codePage == kCodePages[0]) {
            ProbeKeys(ini, KeysFromInput(SearchableText(bytes)));
        }
    }
    return 0;
}
