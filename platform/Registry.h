#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// The outcome of opening a key of HKEY_LOCAL_MACHINE.
enum class KeyAccess {
    NotFound, // the key does not exist
    ReadOnly, // the key exists, but only reading it is allowed
    Full,     // the key exists and could also be opened with full access
};

class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Read access to HKEY_LOCAL_MACHINE.
//
// Key paths are relative to HKEY_LOCAL_MACHINE and made of key names joined
// by backslashes, such as "\SOFTWARE\Varnek\Gerrix\16.0\Setup"; one leading
// and one trailing backslash are ignored, and "" or "\" is the root key
// itself. As with RegOpenKeyEx, two backslashes in a row make the path
// invalid: such a key is never found. Key and value names match without
// regard to the case of ASCII letters. All text is UTF-8.
class Registry {
public:
    virtual ~Registry() = default;

    // Whether the key exists (it can be opened for reading) and whether it
    // could also be opened with full access.
    virtual KeyAccess OpenKey(std::string_view keyPath) const = 0;

    // The data of a string value (REG_SZ or REG_EXPAND_SZ; environment
    // variables are not expanded), cut at its first zero character. The value
    // name "" is the key's default value. nullopt when the key or the value
    // does not exist. Throws RegistryError("Invalid data type for
    // '<valueName>'"), with the name as passed, for a value of any other type.
    virtual std::optional<std::string> ReadString(std::string_view keyPath,
                                                  std::string_view valueName) const = 0;
};

// The registry of this machine. On Linux it is read from the registry export
// file named by the environment variable VG_REGISTRY_FILE (when set and not
// empty), else from "/etc/vg/registry.reg" (see RegistryFile), each time a
// key is opened: what OpenKey and the ReadString calls after it see is the
// file as it was at that OpenKey.
std::unique_ptr<Registry> MakeSystemRegistry();

} // namespace platform
