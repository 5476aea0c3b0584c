#include "platform/Volumes.h"

#include "platform/Win32Text.h"

#include <windows.h>

namespace platform {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A drive without a medium (an empty floppy or card reader) makes the
// system ask "insert a disk" unless critical errors are turned off. The
// thread's own error mode is used: the process-wide one is shared with other
// threads that may be changing it at the same time.
class CriticalErrorsOff {
public:
    CriticalErrorsOff() { ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_oldMode); }
    ~CriticalErrorsOff() { ::SetThreadErrorMode(m_oldMode, nullptr); }
    CriticalErrorsOff(const CriticalErrorsOff&) = delete;
    CriticalErrorsOff& operator=(const CriticalErrorsOff&) = delete;

private:
    DWORD m_oldMode = 0;
};

template <typename Char, typename Query>
std::optional<std::basic_string<Char>> LabelOf(const Char* root, Query query) {
    Char label[MAX_PATH + 1] = {};
    if (!query(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        return std::nullopt;
    }
    return std::basic_string<Char>(label);
}

} // namespace

std::string SystemVolumes::DrivePart(std::string_view path) const {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        return std::string(path.substr(0, 2));
    }
    // "\\server\share", from either kind of slash.
    if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) {
        return {};
    }
    std::size_t serverEnd = 2;
    while (serverEnd < path.size() && !IsSeparator(path[serverEnd])) {
        ++serverEnd;
    }
    std::size_t shareEnd = serverEnd + 1;
    while (shareEnd < path.size() && !IsSeparator(path[shareEnd])) {
        ++shareEnd;
    }
    if (serverEnd == 2 || serverEnd >= path.size() || shareEnd == serverEnd + 1) {
        return {};
    }
    return "\\\\" + std::string(path.substr(2, serverEnd - 2)) + "\\" +
           std::string(path.substr(serverEnd + 1, shareEnd - serverEnd - 1));
}

std::optional<std::string> SystemVolumes::VolumeLabel(const std::string& root) const {
    const CriticalErrorsOff quiet;
    if (const auto ansiRoot = win::ToAnsiExact(root)) {
        const auto label =
            LabelOf(root.empty() ? nullptr : ansiRoot->c_str(), ::GetVolumeInformationA);
        if (!label) {
            return std::nullopt;
        }
        // "?" stands for a character of the label the ANSI code page lacks.
        if (label->find('?') == std::string::npos) {
            return win::FromAnsi(*label);
        }
    }
    const std::wstring wideRoot = win::Widen(root);
    const auto label = LabelOf(root.empty() ? nullptr : wideRoot.c_str(), ::GetVolumeInformationW);
    if (!label) {
        return std::nullopt;
    }
    return win::Narrow(*label);
}

DriveType SystemVolumes::TypeOfDrive(const std::string& root) const {
    const CriticalErrorsOff quiet;
    UINT type = DRIVE_UNKNOWN;
    if (root.empty()) {
        type = ::GetDriveTypeA(nullptr);
    } else if (const auto ansi = win::ToAnsiExact(root)) {
        type = ::GetDriveTypeA(ansi->c_str());
    } else {
        type = ::GetDriveTypeW(win::Widen(root).c_str());
    }
    switch (type) {
    case DRIVE_NO_ROOT_DIR:
        return DriveType::NoRootDir;
    case DRIVE_REMOVABLE:
        return DriveType::Removable;
    case DRIVE_FIXED:
        return DriveType::Fixed;
    case DRIVE_REMOTE:
        return DriveType::Remote;
    case DRIVE_CDROM:
        return DriveType::CdRom;
    case DRIVE_RAMDISK:
        return DriveType::RamDisk;
    default:
        return DriveType::Unknown;
    }
}

} // namespace platform
