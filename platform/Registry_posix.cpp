#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include <cstdlib>
#include <optional>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kDefaultRegistryFile = "/etc/vg/registry.reg";

// The registry file as it is when a key is opened: opening a key reads the
// file anew, so a target registered while the wizard is open is found; the
// values are then read from that same reading.
class LiveRegistryFile : public Registry {
public:
    explicit LiveRegistryFile(std::string path) : m_path(std::move(path)) {}

    KeyAccess OpenKey(std::string_view keyPath) const override {
        m_file.emplace(m_path);
        return m_file->OpenKey(keyPath);
    }

    std::optional<std::string> ReadString(std::string_view keyPath,
                                          std::string_view valueName) const override {
        if (!m_file) {
            m_file.emplace(m_path);
        }
        return m_file->ReadString(keyPath, valueName);
    }

private:
    std::string m_path;
    mutable std::optional<RegistryFile> m_file;
};

} // namespace

// access() grants root write access to any file on a writable file system,
// so the permission bits are asked as well: a registry file nobody may write
// is how a read-only registry is set up, whoever runs the wizard.
bool RegistryFile::FileIsWritable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & 0222) == 0) {
        return false;
    }
    return ::access(path.c_str(), W_OK) == 0;
}

std::unique_ptr<Registry> MakeSystemRegistry() {
    const char* file = std::getenv("VG_REGISTRY_FILE");
    return std::make_unique<LiveRegistryFile>(file && *file ? std::string(file)
                                                            : std::string(kDefaultRegistryFile));
}

} // namespace platform
