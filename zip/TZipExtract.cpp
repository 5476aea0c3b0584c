// Extraction through the unzip engine: loading it, the parameter record, and
// the callback that keeps the progress counters, drives the dialog and asks
// the user.

#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>

#include "engine/UnzDll.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "ui/Application.h"
#include "ui/Exception.h"
#include "ui/Text.h"
#include "ui/UiPort.h"
#include "zip/TProgressForm.h"
#include "zip/TZip.h"

namespace {

using GetVersionFunction = std::uint32_t(UNZ_CALL*)();
using ExecFunction = std::int32_t(UNZ_CALL*)(const UnzParams*);

// The engine is loaded once per process and shared by every component.
struct Engine {
    platform::DynamicLibrary library;
    GetVersionFunction getVersion = nullptr;
    ExecFunction exec = nullptr;
};

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

constexpr std::uint32_t kOldestEngine = 160;
constexpr std::int32_t kTrue = -1;
constexpr std::int32_t kFalse = 0;

std::int32_t Truth(bool value) {
    return value ? kTrue : kFalse;
}

// The entry name in the callback record: its text up to the first zero, at
// most the whole field.
std::string EntryName(const UnzCallbackInfo& info) {
    return std::string(info.text, strnlen(info.text, sizeof info.text));
}

// Copies `text` into the record's text field, zero-terminated: at most 511
// bytes, never ending inside a UTF-8 sequence.
void PutText(UnzCallbackInfo& info, const std::string& text) {
    std::size_t length = std::min(text.size(), sizeof info.text - 1);
    if (length < text.size()) {
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(info.text, text.data(), length);
    info.text[length] = '\0';
}

// Counters wrap around like the 32-bit integers they are.
std::int32_t Add32(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// The bar position: the product truncated toward zero. The exact product of
// a 32-bit count and a float has up to 55 significant bits; rounded to a
// double it can reach the next whole number, so a whole-numbered product is
// checked against its rounding error.
int BarPosition(std::int32_t bytesDone, float scale) {
    const double count = bytesDone;
    const double factor = scale;
    const double product = count * factor;
    double position = std::trunc(product);
    if (position == product) {
        const double error = std::fma(count, factor, -product);
        if (position > 0 && error < 0) {
            position -= 1;
        } else if (position < 0 && error > 0) {
            position += 1;
        }
    }
    if (!(position > std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    if (position > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(position);
}

} // namespace

bool TZip::LoadEngine() {
    Engine& engine = TheEngine();
    if (engine.library.Loaded()) {
        return true;
    }
    for (const std::string& path : m_enginePaths) {
        if (!engine.library.Load(path)) {
            continue;
        }
        engine.getVersion =
            reinterpret_cast<GetVersionFunction>(engine.library.Symbol("GetUnzDllVersion"));
        engine.exec = reinterpret_cast<ExecFunction>(engine.library.Symbol("UnzDllExec"));
        if (engine.getVersion != nullptr && engine.exec != nullptr) {
            break;
        }
        UnloadEngine();
    }
    if (!engine.library.Loaded()) {
        return false;
    }
    if (engine.getVersion() < kOldestEngine) {
        UnloadEngine();
        throw ZipException("Error - invalid version of ZipDll.dll or UnzDll.dll");
    }
    return true;
}

void TZip::UnloadEngine() {
    Engine& engine = TheEngine();
    engine.getVersion = nullptr;
    engine.exec = nullptr;
    engine.library.Unload();
}

std::string TZip::ExtractionFolder() const {
    const std::string sep = platform::PathSeparator();
    if (!ExtractBaseFolder.empty()) {
        return ExtractBaseFolder.ends_with(sep) ? ExtractBaseFolder : ExtractBaseFolder + sep;
    }
    // A colon ends the drive of a Windows path; in a POSIX name it is an
    // ordinary character.
    const std::string boundaries = sep == std::string("\\") ? "\\:" : sep;
    const auto cut = m_archiveFileName.find_last_of(boundaries);
    return cut == std::string::npos ? std::string() : m_archiveFileName.substr(0, cut + 1);
}

std::int32_t TZip::Extract() {
    std::int32_t result = 0;
    Cancelled = false;
    EngineMessages.clear();
    if (m_entries.empty()) {
        return result;
    }
    Declined.clear();
    const std::uint16_t thisDisk =
        static_cast<std::uint16_t>(m_eochInfo.EndRecord[4] | (m_eochInfo.EndRecord[5] << 8));
    if (thisDisk != 0) {
        Declined = "Cannot Add, Delete or Extract from a multiple disk Zip file...\n"
                   "Merge this Zip file onto the hard disk before retrying.";
        m_app.MessageBox(Declined, "", ui::MsgButtons::Ok, ui::MsgIcon::Information);
        return result;
    }
    if (!ExtractBaseFolder.empty() && !platform::DirectoryExists(ExtractBaseFolder)) {
        Declined = ui::FormatText("Unable to extract files to:\n\"%s\"\nThis folder does not exist.",
                                  ExtractBaseFolder);
        m_app.MessageBox(Declined, "", ui::MsgButtons::Ok, ui::MsgIcon::Information);
        return result;
    }
    if (!LoadEngine()) {
        throw ZipException(ui::FormatText("Unable to load %s", "\"" + m_engineName + "\"."));
    }

    // The engine opens the archive after the extraction folder has become
    // the current folder, so a relative path is made absolute first: it
    // must still name the archive that was opened.
    const std::string archive = platform::AbsolutePath(m_archiveFileName);
    const std::string folder = platform::AbsolutePath(ExtractionFolder());
    std::string reason;
    if (!folder.empty() && !platform::ChangeCurrentFolder(folder, reason)) {
        throw ui::Exception("Cannot make \"" + folder + "\" the current folder. " + reason);
    }

    std::vector<UnzFileSpec> specs(FileSpecs.size());
    for (std::size_t i = 0; i < FileSpecs.size(); ++i) {
        specs[i] = UnzFileSpec{};
        specs[i].pattern = FileSpecs[i].c_str();
    }
    const bool option1 = (ExtractOptions & ExtractOption1) != 0;
    const bool option2 = (ExtractOptions & ExtractOption2) != 0;
    const bool option4 = (ExtractOptions & ExtractOption4) != 0;
    UnzParams params{};
    params.identity = this;
    params.version = UNZ_INTERFACE_VERSION;
    params.callback = &TZip::EngineCallback;
    params.reserved16 = kFalse;
    params.password = nullptr;
    params.keepExisting = Truth(option4 && !option1 && !option2);
    params.reserved32 = kFalse;
    params.reserved36 = kFalse;
    params.folderNames = kTrue;
    params.reserved44 = kFalse;
    params.update = Truth(option1);
    params.freshen = Truth(option2 && !option1);
    params.overwriteExisting = Truth((ExtractOptions & ExtractOption16) != 0);
    params.extractAll = Truth(!option1 && !option2 && !option4);
    params.fileSpecCount = static_cast<std::int32_t>(specs.size());
    params.archiveName = archive.c_str();
    params.fileSpecs = specs.empty() ? nullptr : specs.data();
    params.check3 = 3;
    params.extractFolder = folder.c_str();
    params.check7 = 7;

    m_callbackError = nullptr;
    if (ShowProgressDialog) {
        ProgressDialog = std::make_unique<TProgressForm>(m_app, *this, Cancelled, Texts.cancel);
        try {
            ProgressDialog->Show();
            m_app.ProcessMessages();
            result = TheEngine().exec(&params);
        } catch (...) {
            ProgressDialog.reset();
            throw;
        }
        ProgressDialog.reset();
    } else {
        result = TheEngine().exec(&params);
    }
    if (m_callbackError) {
        std::rethrow_exception(std::exchange(m_callbackError, nullptr));
    }
    FileSpecs.clear();
    return result;
}

std::int32_t UNZ_CALL TZip::EngineCallback(UnzCallbackInfo* info) {
    TZip& zip = *static_cast<TZip*>(info->identity);
    if (zip.m_callbackError) {
        return -1;
    }
    try {
        if (!zip.Cancelled) {
            zip.HandleEngineAction(*info);
        }
        const bool cancelled = zip.Cancelled;
        zip.m_app.ProcessMessages();
        return cancelled ? -1 : 0;
    } catch (...) {
        zip.m_callbackError = std::current_exception();
        return -1;
    }
}

void TZip::HandleEngineAction(UnzCallbackInfo& info) {
    switch (info.action) {
    case UNZ_ACTION_BEGIN_ENTRY:
        CurrentFileName = EntryName(info);
        if (OnZEDBeginFileEvent) {
            OnZEDBeginFileEvent(this, CurrentFileName, info.number, BatchCount, TotalBytesInBatch);
        }
        if (ShowProgressDialog && ProgressDialog) {
            ProgressDialog->ShowFileName(CurrentFileName);
        }
        break;
    case UNZ_ACTION_PROGRESS:
        BytesDone = Add32(BytesDone, info.number);
        if (OnZEDProgressEvent) {
            OnZEDProgressEvent(this, CurrentFileName, info.number, TotalBytesInBatch);
        }
        if (ShowProgressDialog && ProgressDialog) {
            ProgressDialog->SetBarPosition(BarPosition(BytesDone, ProgressScale));
        }
        break;
    case UNZ_ACTION_END_BATCH:
        if (OnZEDEndBatchEvent) {
            OnZEDEndBatchEvent(this, SkippedCount, BatchCount, TotalBytesInBatch);
        }
        HideDialog();
        break;
    case UNZ_ACTION_BATCH_COUNT:
        BatchCount = info.number;
        break;
    case UNZ_ACTION_BATCH_BYTES:
        TotalBytesInBatch = info.number;
        BytesDone = 0;
        SkippedCount = 0;
        ProgressScale = info.number == 0 ? 1.0f : static_cast<float>(65535.0 / info.number);
        if (ShowProgressDialog && ProgressDialog) {
            ProgressDialog->SetBarMax(65535);
        }
        break;
    case UNZ_ACTION_PASSWORD:
        AskForPassword(info, EntryName(info));
        break;
    case UNZ_ACTION_DAMAGED:
        AskAboutDamage(info, EntryName(info));
        break;
    case UNZ_ACTION_OVERWRITE:
        AskAboutOverwrite(info, EntryName(info));
        break;
    case UNZ_ACTION_SKIPPED:
        SkippedCount = Add32(SkippedCount, 1);
        break;
    case UNZ_ACTION_MESSAGE:
        // Shown nowhere by the component; kept for the caller's report of
        // a failed extraction. An archive of many bad entries reports one
        // each: the first hundred tell enough.
        if (EngineMessages.size() < 100) {
            EngineMessages.push_back(EntryName(info));
        }
        break;
    default:
        // 0 and 7 carry nothing.
        break;
    }
}

void TZip::HideDialog() {
    if (ShowProgressDialog && ProgressDialog) {
        ProgressDialog->Hide();
    }
}

void TZip::ShowDialogAgain() {
    if (!Cancelled && ShowProgressDialog && ProgressDialog) {
        ProgressDialog->Show();
    }
}

void TZip::AskForPassword(UnzCallbackInfo& info, const std::string& entry) {
    HideDialog();
    const std::string prompt =
        info.number == UNZ_PASSWORD_FIRST_REQUEST
            ? ui::FormatText(Texts.newPassword, entry)
            : Texts.retryPassword;
    const std::string answer = m_app.Port().InputQuery(m_app.Title(), prompt, "").value_or("");
    if (!answer.empty()) {
        PutText(info, answer);
        info.flag = 1;
        if (info.number > 0) {
            --info.number;
        }
    } else {
        if (m_app.MessageBox(Texts.noPassword, "", ui::MsgButtons::YesNo, ui::MsgIcon::Question) !=
            ui::MsgResult::Yes) {
            Cancelled = true;
        }
        info.flag = 0;
        info.number = 0;
    }
    ShowDialogAgain();
}

void TZip::AskAboutDamage(UnzCallbackInfo& info, const std::string& entry) {
    HideDialog();
    const ui::MsgResult answer = m_app.MessageBox(
        ui::FormatText(Texts.damaged, entry), "", ui::MsgButtons::YesNoCancel,
        ui::MsgIcon::Question, 1);
    if (answer == ui::MsgResult::Cancel) {
        Cancelled = true;
    } else {
        info.flag = answer == ui::MsgResult::Yes ? 1 : 0;
    }
    ShowDialogAgain();
}

void TZip::AskAboutOverwrite(UnzCallbackInfo& info, const std::string& entry) {
    const bool option1 = (ExtractOptions & ExtractOption1) != 0;
    const bool option2 = (ExtractOptions & ExtractOption2) != 0;
    const bool option8 = (ExtractOptions & ExtractOption8) != 0;
    if (!option1 && !option2 && !option8) {
        info.number = 1;
        return;
    }
    if (option1 || option2) {
        info.number = info.flag & 1;
        return;
    }
    HideDialog();
    ui::MsgResult answer;
    if ((info.flag & 1) != 0) {
        answer = m_app.MessageBox(ui::FormatText(Texts.older, entry), "",
                                  ui::MsgButtons::YesNoCancel, ui::MsgIcon::Information);
    } else {
        answer = m_app.MessageBox(ui::FormatText(Texts.newer, entry), "",
                                  ui::MsgButtons::YesNoCancel, ui::MsgIcon::Error, 1);
    }
    if (answer == ui::MsgResult::Cancel) {
        info.number = 0;
        Cancelled = true;
    } else {
        info.number = answer == ui::MsgResult::Yes ? 1 : 0;
    }
    ShowDialogAgain();
}
