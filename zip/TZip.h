#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/UnzDll.h"
#include "ui/Component.h"
#include "ui/MessageBox.h"
#include "zipformat/NameDecoder.h"
#include "zip/ZipException.h"
#include "zip/ZipRecords.h"

namespace ui {
class Application;
}

class TProgressForm;

namespace platform {
class InputFile;
class Volumes;
} // namespace platform

// Events of the archive component. `Sender` is always the component; texts
// are passed read-only.
using TNotifyEvent = std::function<void(ui::Component* Sender)>;
using TZEDBeginFileEvent =
    std::function<void(ui::Component* Sender, const std::string& Filename, std::int32_t FileSize,
                       std::int32_t BatchCount, std::int32_t TotalBytesInBatch)>;
using TProgressEvent = std::function<void(ui::Component* Sender, const std::string& Filename,
                                          std::int32_t BytesDone, std::int32_t TotalBytes)>;
using TZEDEndBatchEvent =
    std::function<void(ui::Component* Sender, std::int32_t SkippedCount, std::int32_t BatchCount,
                       std::int32_t TotalBytesInBatch)>;

// The extraction options: a set of the option values below, one bit each.
// What each does is decided by Extract and the unzip engine.
using TExtractOptions = std::uint8_t;
inline constexpr TExtractOptions ExtractOption1 = 1;
inline constexpr TExtractOptions ExtractOption2 = 2;
inline constexpr TExtractOptions ExtractOption4 = 4;
inline constexpr TExtractOptions ExtractOption8 = 8;
inline constexpr TExtractOptions ExtractOption16 = 16;

// The texts of the extraction dialog and of the questions the component
// asks, each "%s" standing for the entry name and "\n" for a line break.
// English until the program hands over its own: the component knows no
// translation files.
struct TZipTexts {
    // The extraction dialog's button, "&" before its access key.
    std::string cancel = "&Cancel";
    // The password request for an entry, and the request after a wrong one.
    std::string newPassword = "A new password is required for \"%s\"";
    std::string retryPassword = "Password is invalid, please retry ...";
    // Asked when no password was given.
    std::string noPassword = "No password was entered so the file will not be extracted...\n"
                             "Do you wish to continue extracting other files?";
    // Asked for an entry whose data fail their check.
    std::string damaged = "\"%s\" may be corrupted (CRC error).\nExtract this file anyway? ...";
    // Asked before an existing file is replaced (option 8): older than the
    // entry, or as old or newer.
    std::string older = "\"%s\" is older than the zipped file.\nOverwrite this file? ...";
    std::string newer = "\"%s\" is the same age or newer than the zipped file.\n"
                        "Do you really want to overwrite this file? ...";
};

// What the archive component works with. Everything referred to must
// outlive the component.
struct TZipServices {
    // Shows the disk prompts, captioned with the application title.
    ui::Application& app;
    // Drive test, drive type and volume labels of spanned disks.
    const platform::Volumes& volumes;
    // Code page of entry names written on DOS and Windows hosts
    // (platform::SystemOemCodePage()).
    int oemCodePage;
    // Code page of entry names that are not UTF-8 and not in the OEM code
    // page (platform::SystemAnsiCodePage()).
    int ansiCodePage;
    // Path of the unzip engine; empty: the engine of this program, looked
    // for where platform::EngineLibraryPaths() says, and named in messages
    // by platform::EngineLibraryName().
    std::string engineName;
};

// The archive component: a non-visual component of a window through which
// the wizard unpacks zip archives. Assigning the archive path opens the
// archive and reads its central directory into Entries.
//
// The component keeps no file open between calls. All of it runs on the
// window's thread. Its stored members are published as properties that hold
// no text, so a translation file can never set them.
class TZip : public ui::Component {
public:
    // Made by its owner (ui::Component::Make), which releases it.
    TZip(ui::Component* owner, std::string name, const TZipServices& services);
    ~TZip() override;

    // Path of the current archive; empty while none is open.
    const std::string& ArchiveFileName() const { return m_archiveFileName; }

    // Opens the archive at `path`, which becomes ArchiveFileName whatever
    // happens. Every call starts afresh: OemNames false, EOCHInfo reset
    // (EndRecord the bare signature, EndRecordPosition -1), Entries empty.
    // An empty path closes the archive. A path that names no file gets an
    // empty archive of 22 bytes written there first. An archive on one disk
    // whose end record is completed by a Zip64 end record (more than 65535
    // entries) is read with the Zip64 count and size. Raises
    // OnContentsChanged when it returns normally.
    //
    // Raises ZipException with
    //   "Unable to access the selected drive!" when the volume of the path
    //     cannot be queried;
    //   "Unable to create \n\"<path>\"" when the missing file cannot be
    //     created or written;
    //   "\"<path>\"\nis not a valid Zip file." when no end record is found
    //     and the file does not lie on a numbered removable disk, or a disk
    //     number of the end record is above 1000;
    //   "Error reading CentralFileHeader." when a central header or a part
    //     of it is missing or damaged, or a disk needed is not supplied;
    // and ui::Exception "Cannot open file \"<path>\". <reason>" when the file
    // cannot be opened for reading. After an error Entries is empty and
    // OnContentsChanged is not raised.
    //
    // On a removable disk labelled "PKBACK# " and a number, may ask the user
    // (OK / Cancel) for other disks of the set; a Cancel ends the opening
    // without error and with no entries.
    void SetArchiveFileName(const std::string& path);

    // Folder into which Extract unpacks; empty means the archive's folder.
    std::string ExtractBaseFolder;
    TExtractOptions ExtractOptions = ExtractOption1;
    // Whether Extract shows its progress dialog.
    bool ShowProgressDialog = true;
    // The texts of the dialog and the questions; the program may set them in
    // its language before Extract.
    TZipTexts Texts;
    // Texts Extract hands to the engine to choose the entries; emptied after
    // every completed extraction.
    std::vector<std::string> FileSpecs;
    // Stop request for a running extraction.
    bool Cancelled = false;
    // The engine's messages (action 4) of the last Extract, in the order
    // reported (the first 100): why an entry or the whole archive could not
    // be extracted. Emptied when Extract starts.
    std::vector<std::string> EngineMessages;

    // Why the current archive was not extracted although no error was
    // raised, in the component's fixed English words: a disk prompt answered
    // Cancel, an archive spread over several disks, an extraction folder
    // that does not exist (each reported to the user by a message box
    // alone). Empty otherwise. Emptied when a path is assigned and when
    // Extract starts on an archive with entries.
    std::string Declined;

    // The central directory of the current archive, in the order stored.
    const std::vector<TFileInfo>& Entries() const { return m_entries; }
    // The end record of the current archive.
    const TEOCHInfo& EOCHInfo() const { return m_eochInfo; }
    // Whether the current archive stores its names in the OEM code page:
    // decided once per archive by the host system of its first entry
    // (DOS, OS/2 HPFS, or Windows NTFS with PKZIP 5.0). Entries flagged as
    // UTF-8 (general purpose flag bit 11) are read as UTF-8 all the same.
    bool OemNames() const { return m_oemNames; }

    TNotifyEvent OnContentsChanged;
    TZEDBeginFileEvent OnZEDBeginFileEvent;
    TProgressEvent OnZEDProgressEvent;
    TZEDEndBatchEvent OnZEDEndBatchEvent;
    // Kept for stored windows; the component never raises them.
    TProgressEvent OnMergeProgress;
    TProgressEvent OnSpanProgress;

    // Unpacks the current archive into ExtractBaseFolder (empty: the
    // archive's own folder), which becomes the process's current folder,
    // through the unzip engine, showing the progress dialog when
    // ShowProgressDialog is set. Returns the engine's result, or 0 when the
    // engine was not called: an archive without entries does nothing, and an
    // archive spread over several disks or a missing extraction folder is
    // reported by a message box alone. FileSpecs is emptied after a
    // completed extraction.
    //
    // Raises ZipException "Unable to load \"<engine>\"." when the engine
    // cannot be loaded, "Error - invalid version of ZipDll.dll or
    // UnzDll.dll" for an engine older than 160, ui::Exception when the
    // extraction folder cannot be made current, and passes on what an event
    // handler raises (the dialog is then gone and FileSpecs kept).
    std::int32_t Extract();

    // Loads the engine (one per process, shared by every component) unless
    // it is loaded: the first of its places that holds a library with both
    // entry points. False when none does. Raises ZipException for an engine
    // older than 160 (then unloaded).
    bool LoadEngine();
    // Unloads the engine if it is loaded.
    static void UnloadEngine();

    // The engine's callback: acts on the report or question in `info` for
    // the component named there, handles pending window messages, and
    // returns -1 once the extraction is cancelled, else 0. The engine's
    // calling convention (the standard one on 32-bit Windows). An error
    // raised while it acts never leaves it: no exception may cross the
    // engine's C frames (on 32-bit Windows each module has its own unwinder,
    // and one thrown through the other ends the program). It is kept, the
    // engine is asked to stop (-1, and -1 to every later call, without
    // acting), and Extract raises it again once the engine has returned.
    static std::int32_t UNZ_CALL EngineCallback(UnzCallbackInfo* info);

    // State of a running extraction; the counters keep their values until
    // the next batch is announced.
    std::string CurrentFileName;
    std::int32_t BatchCount = 0;
    std::int32_t TotalBytesInBatch = 0;
    std::int32_t BytesDone = 0;
    std::int32_t SkippedCount = 0;
    float ProgressScale = 1.0f;
    // Exists only while the engine runs with ShowProgressDialog set.
    std::unique_ptr<TProgressForm> ProgressDialog;

    // The number of the disk of a spanned archive that holds `path`: the
    // number in characters 9 to 11 of the volume label "PKBACK# nnn" of the
    // removable drive holding an existing file at `path`. 0 when the file
    // does not exist, the drive is not removable, its label cannot be read
    // or does not begin with "PKBACK# ", or those characters are not
    // decimal digits.
    int SpanDiskNumber(const std::string& path) const;

    // True at once when the disk holding `path` is disk `disk`; otherwise
    // asks for it ("Insert [ Disk n ] ...", OK / Cancel) until it is, and
    // returns false as soon as the user answers anything but OK.
    bool AskForDisk(const std::string& path, int disk);

private:
    struct FoundEndRecord;

    // A prompt for a disk of a spanned archive: OK and Cancel, an
    // information icon; a run without a person cancels it, as nobody can
    // change the disk.
    static ui::MessageBoxRequest DiskPrompt(std::string text);

    // The error raised inside the running engine's callback, if any.
    std::exception_ptr m_callbackError;

    void HandleEngineAction(UnzCallbackInfo& info);
    void AskForPassword(UnzCallbackInfo& info, const std::string& entry);
    void AskAboutDamage(UnzCallbackInfo& info, const std::string& entry);
    void AskAboutOverwrite(UnzCallbackInfo& info, const std::string& entry);
    void HideDialog();
    void ShowDialogAgain();
    std::string ExtractionFolder() const;
    struct DirectoryPlace;

    void ReadDirectory();
    std::optional<FoundEndRecord> FindEndRecord(const platform::InputFile& file) const;
    DirectoryPlace LocateDirectory(const platform::InputFile& file,
                                   std::int64_t endRecordOffset) const;
    bool ReadCentralHeaders(platform::InputFile& file, const DirectoryPlace& place);
    void OpenForReading(platform::InputFile& file) const;
    std::string VolumeRoot(const std::string& path) const;
    // Whether `path` lies on a removable drive, where the disks of a
    // spanned archive are changed.
    bool OnRemovableDrive(const std::string& path) const;

    ui::Application& m_app;
    // How messages name the engine, and where it is looked for, in order.
    std::string m_engineName;
    std::vector<std::string> m_enginePaths;
    const platform::Volumes& m_volumes;
    zipformat::NameDecoder m_names;
    std::string m_archiveFileName;
    std::vector<TFileInfo> m_entries;
    TEOCHInfo m_eochInfo;
    bool m_oemNames = false;
};
