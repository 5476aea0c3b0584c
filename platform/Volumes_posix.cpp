#include "platform/Volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace platform {

namespace {

// The first few kilobytes of a small system file (sysfs attributes,
// mountinfo); nullopt when it cannot be read.
std::optional<std::string> ReadSystemFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string contents;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || contents.size() > (1u << 22)) {
            break;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return contents;
}

std::optional<std::string> RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return std::string(resolved.get());
}

// The path without its last component; "/" stays "/", a bare name gives "".
std::string ParentOf(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<struct stat> StatOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return info;
}

// The folder a volume root names: "" is the current folder. Nullopt unless
// it is an existing folder.
std::optional<struct stat> RootFolder(const std::string& root) {
    auto info = StatOf(root.empty() ? std::string(".") : root);
    if (!info || !S_ISDIR(info->st_mode)) {
        return std::nullopt;
    }
    return info;
}

// Mount points and sources in /proc/self/mountinfo write a blank, tab,
// newline and backslash as a backslash and three octal digits.
std::string DecodeMountField(const std::string& field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                decoded += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        decoded += field[i];
    }
    return decoded;
}

struct MountInfo {
    std::string fileSystem;
    std::string source;
};

// The mount of the file system with device number `device`:
//   id parent major:minor root mount-point options [optional...] - type source super-options
std::optional<MountInfo> FindMount(dev_t device) {
    const auto table = ReadSystemFile("/proc/self/mountinfo");
    if (!table) {
        return std::nullopt;
    }
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::istringstream lines(*table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id;
        std::string parent;
        std::string numbers;
        if (!(fields >> id >> parent >> numbers) || numbers != wanted) {
            continue;
        }
        std::string field;
        while (fields >> field && field != "-") {
        }
        MountInfo mount;
        if (fields >> mount.fileSystem >> field) {
            mount.source = DecodeMountField(field);
            return mount;
        }
    }
    return std::nullopt;
}

// The block device behind a file system: its source when that is a device
// node (ext4, vfat, fuseblk on /dev/sdb1), else the file system's own device
// number when sysfs lists it as a block device.
std::optional<dev_t> BlockDeviceOf(dev_t device, const std::optional<MountInfo>& mount) {
    if (mount && mount->source.rfind("/dev/", 0) == 0) {
        const auto node = StatOf(mount->source);
        if (node && S_ISBLK(node->st_mode)) {
            return node->st_rdev;
        }
    }
    const std::string sysfs =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    if (StatOf(sysfs)) {
        return device;
    }
    return std::nullopt;
}

bool SysfsFlag(const std::string& path) {
    const auto value = ReadSystemFile(path);
    return value && !value->empty() && (*value)[0] == '1';
}

// A partition has no removable attribute of its own; its disk, one level up
// in sysfs, has.
bool IsRemovable(dev_t block) {
    const std::string sysfs =
        "/sys/dev/block/" + std::to_string(major(block)) + ":" + std::to_string(minor(block));
    if (StatOf(sysfs + "/removable")) {
        return SysfsFlag(sysfs + "/removable");
    }
    return SysfsFlag(sysfs + "/../removable");
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (value == name) {
            return true;
        }
    }
    return false;
}

// Major number of SCSI optical drives (/dev/sr*).
constexpr unsigned kScsiCdRomMajor = 11;

} // namespace

std::string SystemVolumes::DrivePart(std::string_view path) const {
    std::string absolute(path);
    if (absolute.empty() || absolute.front() != '/') {
        char buffer[PATH_MAX];
        if (::getcwd(buffer, sizeof buffer) == nullptr) {
            return {};
        }
        absolute = std::string(buffer) + (absolute.empty() ? "" : "/" + absolute);
    }

    // The parent of an absolute path is never empty; "/" is its own.
    std::string candidate = absolute;
    std::optional<std::string> existing;
    while (!(existing = RealPath(candidate))) {
        if (candidate == "/") {
            return {};
        }
        candidate = ParentOf(candidate);
    }

    auto info = StatOf(*existing);
    if (!info) {
        return {};
    }
    std::string mountPoint = S_ISDIR(info->st_mode) ? *existing : ParentOf(*existing);
    while (mountPoint != "/") {
        const std::string parent = ParentOf(mountPoint);
        const auto parentInfo = StatOf(parent);
        if (!parentInfo || parentInfo->st_dev != info->st_dev) {
            break;
        }
        mountPoint = parent;
    }
    return mountPoint;
}

std::optional<std::string> SystemVolumes::VolumeLabel(const std::string& root) const {
    const auto info = RootFolder(root);
    if (!info) {
        return std::nullopt;
    }
    const auto block = BlockDeviceOf(info->st_dev, FindMount(info->st_dev));
    if (!block) {
        return std::string();
    }
    const std::string folder = "/dev/disk/by-label";
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) {
        return std::string();
    }
    std::string label;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const auto node = StatOf(folder + "/" + name);
        if (node && S_ISBLK(node->st_mode) && node->st_rdev == *block) {
            label = DecodeUdevName(name);
            break;
        }
    }
    ::closedir(listing);
    return label;
}

DriveType SystemVolumes::TypeOfDrive(const std::string& root) const {
    const auto info = RootFolder(root);
    if (!info) {
        return DriveType::NoRootDir;
    }
    const auto mount = FindMount(info->st_dev);
    const std::string type = mount ? mount->fileSystem : std::string();
    if (IsOneOf(type, {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "afs", "ceph", "coda", "ncpfs",
                       "glusterfs", "davfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs"})) {
        return DriveType::Remote;
    }
    if (IsOneOf(type, {"tmpfs", "ramfs"})) {
        return DriveType::RamDisk;
    }
    if (IsOneOf(type, {"iso9660", "udf"})) {
        return DriveType::CdRom;
    }
    if (const auto block = BlockDeviceOf(info->st_dev, mount)) {
        if (major(*block) == kScsiCdRomMajor) {
            return DriveType::CdRom;
        }
        return IsRemovable(*block) ? DriveType::Removable : DriveType::Fixed;
    }
    if (!mount ||
        IsOneOf(type, {"proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "debugfs",
                       "tracefs", "securityfs", "pstore", "bpf", "configfs", "mqueue", "hugetlbfs",
                       "autofs", "binfmt_misc", "fusectl", "efivarfs", "nsfs"})) {
        return DriveType::Unknown;
    }
    return DriveType::Fixed;
}

} // namespace platform
