#include "fileio/TIOClass.h"

#include <cstdint>
#include <vector>

#include "fileio/TCopyProgressDialog.h"
#include "platform/Directory.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/ProgramFolder.h"
#include "ui/Application.h"
#include "ui/Text.h"

// One file or folder of a copy, with the place it is copied to.
struct TIOClass::CopyItem {
    std::string source;
    std::string target;
    bool isFolder = false;
};

namespace {

using CopyItem = TIOClass::CopyItem;

constexpr std::size_t kCommandLineLimit = 511;


std::string BaseName(const std::string& path) {
    // Windows takes "/" as a separator too.
    const std::string separators = std::string(platform::PathSeparator()) + "/";
    const auto cut = path.find_last_of(separators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The files and folders below `folder`, each with its place below `target`,
// folders before what they hold.
void CollectTree(const std::string& folder, const std::string& target, std::vector<CopyItem>& items) {
    const std::string sep = platform::PathSeparator();
    items.push_back({folder, target, true});
    for (const auto& entry : platform::EnumerateMatches(folder + sep + "*")) {
        if (entry.isDirectory) {
            CollectTree(entry.path, target + sep + entry.name, items);
        } else {
            items.push_back({entry.path, target + sep + entry.name, false});
        }
    }
}

} // namespace

TIOClass::TIOClass(ui::Application& app) : m_app(app) {}

int TIOClass::CountFiles(const std::string& pattern) const {
    return static_cast<int>(platform::EnumerateMatches(pattern).size());
}

int TIOClass::RunAndWait(const std::string& commandLine, int /*showMode*/) {
    m_lastRunError.clear();
    if (commandLine.size() > kCommandLineLimit) {
        m_lastRunError = "The command line is longer than 511 characters";
        return -1;
    }
    return platform::RunProgramAndWait(commandLine, m_lastRunError);
}

bool TIOClass::CopyFiles(const std::string& source, const std::string& destination,
                         bool isDirectory, const std::string& progressTitle) {
    m_lastCopyError.clear();
    m_lastCopyCancelled = false;
    if (!platform::DirectoryExists(destination)) {
        platform::CreateFolder(destination);
    }
    const std::string sep = platform::PathSeparator();
    std::vector<CopyItem> items;
    if (isDirectory) {
        if (!platform::DirectoryExists(source)) {
            m_lastCopyError = "The folder " + source + " does not exist.";
            return false;
        }
        CollectTree(source, destination + sep + BaseName(source), items);
    } else {
        if (CountFiles(source) <= 0) {
            m_lastCopyError = "No file matches " + source + ".";
            return false;
        }
        for (const auto& entry : platform::EnumerateMatches(source)) {
            if (entry.isDirectory) {
                CollectTree(entry.path, destination + sep + entry.name, items);
            } else {
                items.push_back({entry.path, destination + sep + entry.name, false});
            }
        }
    }
    return CopyItems(items, progressTitle);
}

bool TIOClass::CopyFileList(const std::vector<std::string>& files, const std::string& destination,
                            const std::string& progressTitle) {
    m_lastCopyError.clear();
    m_lastCopyCancelled = false;
    if (!platform::DirectoryExists(destination)) {
        platform::CreateFolder(destination);
    }
    if (files.empty()) {
        m_lastCopyError = "No file to copy.";
        return false;
    }
    std::vector<CopyItem> items;
    for (const std::string& file : files) {
        items.push_back({file, destination + platform::PathSeparator() + BaseName(file), false});
    }
    return CopyItems(items, progressTitle);
}

bool TIOClass::CopyItems(const std::vector<CopyItem>& items, const std::string& progressTitle) {
    m_cancelRequested = false;
    TCopyProgressDialog dialog(m_app, progressTitle, m_copyTexts);
    m_app.CreateDialog(dialog);
    dialog.Show();
    m_app.ProcessMessages();

    bool ok = true;
    for (std::size_t i = 0; i < items.size() && ok; ++i) {
        const CopyItem& item = items[i];
        if (dialog.CancelRequested() || m_cancelRequested) {
            m_lastCopyError = "The copy was cancelled.";
            m_lastCopyCancelled = true;
            ok = false;
            break;
        }
        dialog.ShowFile(BaseName(item.source), item.target);
        m_app.ProcessMessages();
        if (item.isFolder) {
            if (!platform::DirectoryExists(item.target) && !platform::CreateFolder(item.target)) {
                m_lastCopyError = "Cannot create the folder " + item.target + ".";
                m_app.MessageBox(ui::FormatText(m_copyTexts.cannotCreateFolder, item.target) + ".",
                                 m_copyTexts.errorCaption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
                ok = false;
            }
            continue;
        }
        std::string reason;
        const double before = static_cast<double>(i) / static_cast<double>(items.size());
        const double share = 1.0 / static_cast<double>(items.size());
        const auto outcome = platform::CopyFileSafely(
            item.source, item.target,
            [&](std::uint64_t done, std::uint64_t total) {
                const double part = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
                dialog.SetFraction(before + share * part);
                m_app.ProcessMessages();
                return !dialog.CancelRequested() && !m_cancelRequested;
            },
            reason);
        if (outcome == platform::CopyOutcome::Failed) {
            m_lastCopyError = "Cannot copy " + item.source + " to " + item.target + ": " + reason + ".";
            m_app.MessageBox(ui::FormatText(m_copyTexts.cannotCopy, BaseName(item.source)) + ": " +
                                 reason + ".",
                             m_copyTexts.errorCaption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
            ok = false;
        } else if (outcome == platform::CopyOutcome::Cancelled) {
            m_lastCopyError = "The copy was cancelled.";
            m_lastCopyCancelled = true;
            ok = false;
        }
    }
    dialog.SetFraction(1.0);
    dialog.Close();
    return ok;
}
