#pragma once

#include <string>
#include <vector>

namespace ui {
class Application;
}

// Window show commands of the Windows program; accepted everywhere, with
// effect only where the platform has such commands.
inline constexpr int SW_SHOWDEFAULT = 10;

// The texts of the copy's progress window and error boxes, each "%s" standing
// for a name. English until the program sets them in its language.
struct CopyTexts {
    std::string copying = "Copying %s";          // the file being copied
    std::string to = "to %s";                    // where it goes
    std::string cancel = "Cancel";
    std::string errorCaption = "Error Copying File or Folder";
    std::string cannotCopy = "Cannot copy %s";   // then ": " and the system's reason
    std::string cannotCreateFolder = "Cannot create the folder %s";
};

// File and process operations of the wizard: copying files with a progress
// window, counting directory entries, starting a program and waiting for it.
// One instance lives for the whole run.
class TIOClass {
public:
    // `app` shows the progress window and the error boxes; it must outlive
    // this object.
    explicit TIOClass(ui::Application& app);

    // Copies every file matching `source` (a file name or a pattern with "*"
    // and "?" in its last part), or with `isDirectory` the folder `source`
    // with everything in it, into the folder `destination`, overwriting
    // files there without a question. The destination folder is created
    // first (one level; a failure there shows up as a failed copy). A
    // progress window captioned `progressTitle` shows the file being copied
    // and offers Cancel. Each file is written under a temporary name and
    // renamed over the old one, so a file in the destination is always the
    // old one or the complete new one.
    //
    // Returns false when nothing matches `source`, when a file could not be
    // copied (an error box names it and the system's reason; the copy stops
    // there) or when the user cancelled; true when every file was copied.
    bool CopyFiles(const std::string& source, const std::string& destination, bool isDirectory,
                   const std::string& progressTitle);

    // Copies each of `files` (paths of files) into the folder
    // `destination`, as CopyFiles copies what matches its pattern: one
    // progress window, each file written under a temporary name and renamed
    // over the old one, the copy stopping at the first failure. False when
    // the list is empty, a file could not be copied or the user cancelled.
    bool CopyFileList(const std::vector<std::string>& files, const std::string& destination,
                      const std::string& progressTitle);

    // Why the last copy returned false, in one line of fixed English
    // text (nothing matched, the file that could not be copied and the
    // system's reason, a cancel); empty after a copy that succeeded.
    const std::string& LastCopyError() const { return m_lastCopyError; }
    // Whether the last copy stopped because the user cancelled (its
    // Cancel button, or CancelCopy).
    bool LastCopyCancelled() const { return m_lastCopyCancelled; }

    // The texts the next copies show.
    void SetCopyTexts(const CopyTexts& texts) { m_copyTexts = texts; }
    const CopyTexts& GetCopyTexts() const { return m_copyTexts; }

    // Asks a running CopyFiles to stop, as its Cancel button does; for a
    // caller that must end the copy from elsewhere (the window closing).
    void CancelCopy() { m_cancelRequested = true; }

    // The number of directory entries matching `pattern`: files, folders,
    // hidden entries and every other kind; 0 when nothing matches.
    int CountFiles(const std::string& pattern) const;

    // Starts the program the command line names and waits until it ends.
    // Returns its exit code, or -1 when it cannot be started. A command line
    // of more than 511 characters is not started (-1) rather than cut.
    // `showMode` is a window show command (SW_SHOWDEFAULT, ...).
    int RunAndWait(const std::string& commandLine, int showMode);
    // Why the last RunAndWait could not start its program, in the system's
    // words; empty when it started.
    const std::string& LastRunError() const { return m_lastRunError; }

    // One file or folder of a copy and where it goes (TIOClass.cpp).
    struct CopyItem;

private:
    bool CopyItems(const std::vector<CopyItem>& items, const std::string& progressTitle);

    ui::Application& m_app;
    bool m_cancelRequested = false;
    bool m_lastCopyCancelled = false;
    std::string m_lastCopyError;
    std::string m_lastRunError;
    CopyTexts m_copyTexts;
};
