// Disks of spanned archives: which disk is in the drive, and asking for
// another.

#include <string_view>

#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "zip/TZip.h"

namespace {

// Volume label of a disk of a spanned archive: "PKBACK# " and the disk
// number in three digits.
constexpr std::string_view kSpanLabelPrefix = "PKBACK# ";
constexpr std::size_t kSpanLabelDigits = 3;

} // namespace

std::string TZip::VolumeRoot(const std::string& path) const {
    std::string root = m_volumes.DrivePart(path);
    const std::string separator = platform::PathSeparator();
    if (!root.empty() && !std::string_view(root).ends_with(separator)) {
        root += separator;
    }
    return root;
}

bool TZip::OnRemovableDrive(const std::string& path) const {
    const std::string root = VolumeRoot(path);
    return !root.empty() && m_volumes.TypeOfDrive(root) == platform::DriveType::Removable;
}

int TZip::SpanDiskNumber(const std::string& path) const {
    if (!platform::FileExists(path)) {
        return 0;
    }
    // A path without a drive part names no drive Windows could ask about.
    if (!OnRemovableDrive(path)) {
        return 0;
    }
    const std::string root = VolumeRoot(path);
    const auto label = m_volumes.VolumeLabel(root);
    if (!label || !std::string_view(*label).starts_with(kSpanLabelPrefix)) {
        return 0;
    }
    const std::string digits = label->substr(kSpanLabelPrefix.size(), kSpanLabelDigits);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoi(digits);
}

ui::MessageBoxRequest TZip::DiskPrompt(std::string text) {
    ui::MessageBoxRequest request{std::move(text), "", ui::MsgButtons::OkCancel,
                                  ui::MsgIcon::Information, 0, {}};
    request.answerWithoutPerson = ui::MsgResult::Cancel;
    return request;
}

bool TZip::AskForDisk(const std::string& path, int disk) {
    if (SpanDiskNumber(path) == disk) {
        return true;
    }
    for (;;) {
        const auto answer = m_app.MessageBox(DiskPrompt(
            "Insert [ Disk " + std::to_string(disk) +
            " ] of the Zip file into the floppy drive\nbefore pressing [ OK ] to continue ..."));
        if (answer != ui::MsgResult::Ok) {
            Declined = "Disk " + std::to_string(disk) + " of the Zip file was not inserted.";
            return false;
        }
        if (SpanDiskNumber(path) == disk) {
            return true;
        }
    }
}
