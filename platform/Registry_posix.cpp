#include "platform/Registry.h"
#include "platform/RegistryFile.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr const char* kDefaultRegistryFile = "/etc/vg/registry.reg";
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
    return std::make_unique<RegistryFile>(file && *file ? std::string(file)
                                                        : std::string(kDefaultRegistryFile));
}

} // namespace platform
