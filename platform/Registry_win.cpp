#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// The key path as RegOpenKeyEx takes it below HKEY_LOCAL_MACHINE: without
// the one leading and one trailing backslash callers may write. nullopt for
// a path with an empty key name in it ("a\\b", "\\a").
std::optional<std::string_view> SubKeyOf(std::string_view path) {
    if (path.starts_with('\\')) {
        path.remove_prefix(1);
    }
    if (path.empty()) {
        return path;
    }
    if (path.ends_with('\\')) {
        path.remove_suffix(1);
    }
    if (path.empty() || path.starts_with('\\') || path.ends_with('\\') ||
        path.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return path;
}

// The two views of HKEY_LOCAL_MACHINE\SOFTWARE on 64-bit Windows: the 64-bit
// one, and the one 32-bit programs see (WOW6432Node). An installed program
// registers itself in the view of its own kind, so a key is looked for in
// this program's own view first (the one Windows would show it) and then in
// the other; on 32-bit Windows both flags are ignored and there is one view.
constexpr REGSAM kViews[] = {sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY,
                             sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY};

class Key {
public:
    // Opens the key in the first view that has it, or in `view` only.
    Key(std::string_view path, REGSAM access, std::optional<REGSAM> view = std::nullopt) {
        const auto subKey = SubKeyOf(path);
        if (!subKey) {
            return;
        }
        for (REGSAM candidate : kViews) {
            if (view && *view != candidate) {
                continue;
            }
            LSTATUS status = ERROR_FILE_NOT_FOUND;
            if (const auto ansi = win::ToAnsiExact(*subKey)) {
                status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ansi->c_str(), 0, access | candidate,
                                         &m_key);
            } else {
                status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win::Widen(*subKey).c_str(), 0,
                                         access | candidate, &m_key);
            }
            if (status == ERROR_SUCCESS) {
                m_view = candidate;
                return;
            }
            m_key = nullptr;
        }
    }
    ~Key() {
        if (m_key != nullptr) {
            ::RegCloseKey(m_key);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool IsOpen() const { return m_key != nullptr; }
    HKEY Get() const { return m_key; }
    REGSAM View() const { return m_view; }

private:
    HKEY m_key = nullptr;
    REGSAM m_view = 0;
};

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<unsigned char> data;
};

// The type and data of a value; nullopt when there is no such value. The
// value may grow between asking its size and reading it, hence the loop.
template <typename Char, typename Query>
std::optional<RawValue> QueryValue(HKEY key, const Char* name, Query query) {
    RawValue value;
    DWORD size = 0;
    LSTATUS status = query(key, name, nullptr, &value.type, nullptr, &size);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        value.data.resize(size + 2 * sizeof(Char));
        size = static_cast<DWORD>(value.data.size());
        status = query(key, name, nullptr, &value.type, value.data.data(), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

// String data up to its first zero character (stored strings need not end
// in one, and may hold more after it).
template <typename Char>
std::basic_string<Char> StringData(const std::vector<unsigned char>& data) {
    std::basic_string<Char> text(data.size() / sizeof(Char), Char{});
    std::copy(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(Char)),
              reinterpret_cast<unsigned char*>(text.data()));
    const auto zero = text.find(Char{});
    if (zero != std::basic_string<Char>::npos) {
        text.resize(zero);
    }
    return text;
}

class SystemRegistry : public Registry {
public:
    KeyAccess OpenKey(std::string_view keyPath) const override {
        const Key readable(keyPath, KEY_READ);
        if (!readable.IsOpen()) {
            return KeyAccess::NotFound;
        }
        return Key(keyPath, KEY_ALL_ACCESS, readable.View()).IsOpen() ? KeyAccess::Full
                                                                      : KeyAccess::ReadOnly;
    }

    // The "A" query hands out string data in the ANSI code page, which can
    // lack characters of a folder name; unless that code page is UTF-8 the
    // data are read as UTF-16.
    std::optional<std::string> ReadString(std::string_view keyPath,
                                          std::string_view valueName) const override {
        const Key key(keyPath, KEY_QUERY_VALUE);
        if (!key.IsOpen()) {
            return std::nullopt;
        }
        const bool wide = !win::AnsiIsUtf8();
        const std::optional<RawValue> value =
            wide ? QueryValue(key.Get(), win::Widen(valueName).c_str(), ::RegQueryValueExW)
                 : QueryValue(key.Get(), std::string(valueName).c_str(), ::RegQueryValueExA);
        if (!value) {
            return std::nullopt;
        }
        if (value->type != REG_SZ && value->type != REG_EXPAND_SZ) {
            throw RegistryError("Invalid data type for '" + std::string(valueName) + "'");
        }
        return wide ? win::Narrow(StringData<wchar_t>(value->data)) : StringData<char>(value->data);
    }
};

} // namespace

// A registry export file read on Windows counts as writable when it is not
// marked read-only and this process may open it for writing. The attribute
// is asked first: under Wine a process of the Unix root user may open any
// file for writing, as root may on Linux.
bool RegistryFile::FileIsWritable(const std::string& path) {
    const auto ansi = win::ToAnsiExact(path);
    const DWORD attributes =
        ansi ? ::GetFileAttributesA(ansi->c_str()) : ::GetFileAttributesW(win::Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = ansi ? ::CreateFileA(ansi->c_str(), GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr)
                       : ::CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, kShare, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<SystemRegistry>();
}

} // namespace platform
