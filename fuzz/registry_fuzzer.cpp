// libFuzzer harness over the registry export file reader: every input is a
// file held in memory, read once as a writable and once as a read-only
// file, then asked for the wizard's target key and for the keys and values
// the input itself names.
//
// String data must be well-formed UTF-8 without a zero character; values of
// other types throw RegistryError naming the value as asked. Both readings
// must agree on everything but the access, a listed key's parents must exist,
// and ASCII letter case must not matter. A crash, a sanitizer report, a hang,
// any other exception or a broken rule is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/RegistryFile.h"

namespace {

using platform::KeyAccess;
using platform::RegistryFile;

// Names picked from the input, each kind at most this many.
constexpr std::size_t kMaxInputNames = 8;

void Require(bool condition, const char* rule) {
    if (!condition) {
        std::fprintf(stderr, "registry_fuzzer: broken rule: %s\n", rule);
        std::abort();
    }
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The bytes to look for names in: a file with the UTF-16LE byte-order mark
// loses the high byte of each unit, which leaves its ASCII names readable.
std::string SearchableText(std::string_view bytes) {
    if (!bytes.starts_with("\xFF\xFE")) {
        return std::string(bytes);
    }
    std::string text;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        text += bytes[i];
    }
    return text;
}

struct InputNames {
    std::vector<std::string> keys;
    std::vector<std::string> values;
};

// Key paths of "[root\path]" lines and value names of "name"= lines, as
// typed, escapes and all.
InputNames NamesFromInput(std::string_view text) {
    InputNames names;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        line.remove_prefix(std::min(line.size(), line.find_first_not_of(" \t")));
        if (line.starts_with('[') && names.keys.size() < kMaxInputNames) {
            const std::size_t slash = line.find('\\');
            const std::size_t close = line.rfind(']');
            if (slash != std::string_view::npos && close != std::string_view::npos &&
                close > slash) {
                names.keys.emplace_back(line.substr(slash, close - slash));
            }
        } else if (line.starts_with('"') && names.values.size() < kMaxInputNames) {
            const std::size_t quote = line.find('"', 1);
            names.values.emplace_back(line.substr(1, quote == std::string_view::npos
                                                         ? std::string_view::npos
                                                         : quote - 1));
        }
    }
    return names;
}

// What reading a value gives: its text, or the message it was refused with.
struct Outcome {
    std::optional<std::string> text;
    std::optional<std::string> error;

    bool operator==(const Outcome&) const = default;
};

Outcome Read(const RegistryFile& registry, std::string_view key, std::string_view name) {
    Outcome outcome;
    try {
        outcome.text = registry.ReadString(key, name);
    } catch (const platform::RegistryError& error) {
        outcome.error = error.what();
    }
    if (outcome.text) {
        Require(platform::IsValidUtf8(*outcome.text), "string data is UTF-8");
        Require(outcome.text->find('\0') == std::string::npos, "string data ends at a zero");
    }
    if (outcome.error) {
        // what() is a C string: a name holding a zero ends the message there.
        const std::string message = "Invalid data type for '" + std::string(name) + "'";
        Require(*outcome.error == message.c_str(),
                "other types are refused with the value name as asked");
    }
    return outcome;
}

void ProbeKey(const RegistryFile& full, const RegistryFile& readOnly, const std::string& key,
              const std::vector<std::string>& valueNames) {
    const KeyAccess access = full.OpenKey(key);
    const KeyAccess readOnlyAccess = readOnly.OpenKey(key);
    const bool found = access != KeyAccess::NotFound;
    Require(access != KeyAccess::ReadOnly, "keys of a writable file open Full");
    Require(readOnlyAccess != KeyAccess::Full, "keys of a read-only file open ReadOnly");
    Require(found == (readOnlyAccess != KeyAccess::NotFound), "both files list the same keys");
    Require(full.OpenKey(UpperAscii(key)) == access, "key letter case is ignored");
    Require(full.OpenKey("\\\\" + key) == KeyAccess::NotFound,
            "two backslashes in a row name no key");

    if (found) {
        std::string parent = key.ends_with('\\') ? key.substr(0, key.size() - 1) : key;
        for (std::size_t slash = parent.rfind('\\'); slash != std::string::npos && slash > 0;
             slash = parent.rfind('\\')) {
            parent.resize(slash);
            Require(full.OpenKey(parent) == KeyAccess::Full, "the parents of a key exist");
        }
        Require(full.OpenKey("") == KeyAccess::Full, "the root exists when any key does");
    }

    for (const std::string& name : valueNames) {
        const Outcome outcome = Read(full, key, name);
        Require((!outcome.text && !outcome.error) || found, "values belong to existing keys");
        Require(Read(readOnly, key, name) == outcome, "access does not change the data");
        const Outcome upper = Read(full, UpperAscii(key), UpperAscii(name));
        Require(upper.text == outcome.text && upper.error.has_value() == outcome.error.has_value(),
                "value letter case is ignored");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const RegistryFile full = RegistryFile::FromBytes(bytes, true);
    const RegistryFile readOnly = RegistryFile::FromBytes(bytes, false);

    const InputNames names = NamesFromInput(SearchableText(bytes));
    std::vector<std::string> keys = {
        "\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup",
        "SOFTWARE\\Varnek\\Gerrix\\15.0\\Setup\\",
        "\\software\\varnek",
        "\\",
        "",
    };
    keys.insert(keys.end(), names.keys.begin(), names.keys.end());
    std::vector<std::string> valueNames = {"AppDir", "EnvDir", "Version", ""};
    valueNames.insert(valueNames.end(), names.values.begin(), names.values.end());

    for (const std::string& key : keys) {
        ProbeKey(full, readOnly, key, valueNames);
    }
    return 0;
}
