#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The kinds of drive Windows tells apart; the POSIX backend maps each file
// system onto the nearest of them.
enum class DriveType { NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk, Unknown };

// Volumes and drives: which volume holds a path, its label and its kind.
//
// A query is made on a volume root: the drive part of a path with the path
// separator appended (unless the drive part is empty or already ends with
// one). An empty root stands for the volume of the current folder. No query
// ever shows a system dialog (on Windows the critical-error dialogs are
// suppressed for the time of the call; POSIX has none).
class Volumes {
public:
    virtual ~Volumes() = default;

    // The part of `path` that names its volume.
    //
    // Windows: the drive letter with its colon, or "\\server\share" of a
    // network path; empty for a path without either.
    //
    // POSIX: the mount point of the file system holding the path, found from
    // the deepest part of the path that exists (so a file that does not exist
    // yet lies on the volume of its folder); a relative path is taken from the
    // current folder. "/" for the root file system; empty only when no part
    // of the path can be found at all (the current folder has been removed).
    // A medium mounted at a fixed mount point (an fstab entry for the floppy
    // or card reader) keeps its drive part when the medium is changed, as a
    // drive letter does; a desktop automounter that mounts each medium at a
    // folder named after its label gives every disk of a set another path.
    virtual std::string DrivePart(std::string_view path) const = 0;

    // The label of the volume whose root is `root`: empty when the volume
    // has none; nullopt when the volume cannot be queried (Windows: no such
    // drive, or no medium in it; POSIX: the root is not an existing folder).
    //
    // POSIX: the label the system lists for the volume's block device in
    // /dev/disk/by-label; file systems without a block device or a label
    // have an empty label.
    virtual std::optional<std::string> VolumeLabel(const std::string& root) const = 0;

    // The kind of the drive whose root is `root`; NoRootDir when the root is
    // not an existing folder.
    //
    // POSIX: Removable when the block device of the volume (or the disk it
    // is a partition of) reports itself removable in /sys/block; CdRom for
    // optical discs; Remote for network file systems; RamDisk for tmpfs and
    // ramfs; Fixed for other block devices and for overlay and similar file
    // systems that stand in for a disk; Unknown for kernel file systems
    // (proc, sysfs, ...).
    virtual DriveType TypeOfDrive(const std::string& root) const = 0;
};

// The volumes of the running system.
class SystemVolumes : public Volumes {
public:
    std::string DrivePart(std::string_view path) const override;
    std::optional<std::string> VolumeLabel(const std::string& root) const override;
    DriveType TypeOfDrive(const std::string& root) const override;
};

// Decodes a name as udev writes it below /dev/disk/by-label: characters
// that are not safe in a file name appear as "\x" and two hex digits
// ("PKBACK#\x20001" is "PKBACK# 001"). Other text is kept. Pure function.
std::string DecodeUdevName(std::string_view name);

} // namespace platform
