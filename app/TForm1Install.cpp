// The installation run: the target lookup, the library copy and the two
// archives, each step written to the progress log.

#include <exception>

#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemFolder.h"
#include "ui/Application.h"

namespace {

// Marks the run as going on for as long as it exists, also when an error
// ends the run early.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

void TForm1::btnStartClick() {
    lbProgressHeader.Show();
    lbProgressText.Show();
    lbWelcome.Hide();
    Notebook1.NextPage();
    btnClose.Hide();

    const RunningFlag running(m_installing);
    if (LookupTargetInstallation() && !CloseRequested() && CopyLibraries() && !CloseRequested()) {
        AddLogLine(m_translator.Translate("msgCopyDataToNewVarnekGerrix"));
        UnpackVersionArchive();
        if (!CloseRequested()) {
            UnpackEnvironments();
        }
    }
    if (CloseRequested()) {
        Close();
        return;
    }
    AddLogLine("");
    AddLogLine(m_translator.Translate("msgCloseInstallation"));
    btnFinish.SetCaption(m_translator.Translate("btnClose"));
    btnFinish.Show();
}

bool TForm1::CopyLibraries() {
    const std::string systemFolder = platform::SystemFolder();
    AddLogLine(m_translator.Translate("msgCopyZipDll"));
    const std::string libraries =
        ProgramFolder + platform::PathSeparator() + platform::LibraryFilePattern();
    if (m_fileIO.CopyFiles(libraries, systemFolder, false, m_translator.Translate("msgCopyZip"))) {
        return true;
    }
    AddLogLine(m_translator.Translate("msgNotCopied") + " (" + libraries + ")");
    return false;
}

void TForm1::UnpackVersionArchive() {
    if (AppDir.empty()) {
        return;
    }
    const std::string archive = ProgramFolder + platform::PathSeparator() + VersionZipName + ".zip";
    if (!UnpackArchive(archive, AppDir)) {
        AddLogLine(m_translator.Translate("msgNotCopied") + " (" + archive + ")");
    }
}

void TForm1::UnpackEnvironments() {
    if (EnvDir.empty()) {
        return;
    }
    const std::string sep = platform::PathSeparator();
    const std::string archive = ProgramFolder + sep + "environments.zip";
    // Unlike the other failure lines, this one has no blank before the
    // parenthesis: the log keeps the line as the wizard has always written
    // it.
    if (!UnpackArchive(archive, EnvDir + Version + sep + "environments" + sep)) {
        AddLogLine(m_translator.Translate("msgNotCopied") + "(" + archive + ")");
    }
}

bool TForm1::UnpackArchive(const std::string& archive, const std::string& folder) {
    try {
        ZipFile.SetArchiveFileName(archive);
        ZipFile.ExtractBaseFolder = folder;
        ZipFile.ExtractOptions = ExtractOption16;
        // The component shows none of the engine's messages: only the
        // result tells that entries failed (a full disk, a read-only
        // folder) or that the archive could no longer be read.
        return ZipFile.Extract() == 0;
    } catch (...) {
        return false;
    }
}

bool TForm1::FormCloseQuery() {
    if (!m_installing) {
        return true;
    }
    // Closing while a step runs: ask the running copy or extraction to stop
    // as its Cancel button would; the run closes the window once the step
    // has returned, so nothing is left half written.
    m_closeRequested = true;
    ZipFile.Cancelled = true;
    m_fileIO.CancelCopy();
    return false;
}
