// The installation manual: the PDF in the language of the current region,
// opened with the desktop's viewer, or the reader installer when there is
// none.

#include <string_view>

#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "platform/Shell.h"
#include "ui/Application.h"

namespace {

struct ManualRow {
    const char* regionCode;
    const char* suffix;
};

// Manuals exist in Dutch, German and Spanish; every other region reads the
// English one.
constexpr ManualRow kManuals[] = {
    {"NL", "nld"}, {"DE", "deu"}, {"AUS", "deu"}, {"SPA", "esp"}, {"S_A", "esp"},
};
constexpr const char* kEnglishManual = "enu";

} // namespace

std::string TForm1::ManualLanguageSuffix() const {
    for (const auto& row : kManuals) {
        if (RegionCode == row.regionCode) {
            return row.suffix;
        }
    }
    return kEnglishManual;
}

void TForm1::btnManualClick() {
    const std::string sep = platform::PathSeparator();
    const std::string manual =
        ProgramFolder + sep + "doc" + sep + "installation_" + ManualLanguageSuffix() + ".pdf";
    const std::string reader =
        ProgramFolder + sep + "xtra" + sep + "acrobat" + sep + "AdobeReader.exe";

    if (!platform::FileExists(manual)) {
        App().MessageBox(m_translator.Translate("msgfilenotfound"), "", ui::MsgButtons::Ok);
        return;
    }
    // The desktop may take seconds to start its viewer: the window keeps
    // painting meanwhile and shows the busy cursor. Its controls take no
    // click until the viewer has started, so no second manual, language
    // change or installation starts inside the wait.
    bool opened = false;
    {
        App().SetBusy(true);
        struct Waiting {
            TForm1& form;
            bool start = form.btnStart.Enabled();
            bool manual = form.btnManual.Enabled();
            bool languages = form.edtLanguages.Enabled();
            Waiting(TForm1& f) : form(f) {
                form.btnStart.SetEnabled(false);
                form.btnManual.SetEnabled(false);
                form.edtLanguages.SetEnabled(false);
            }
            ~Waiting() {
                form.btnStart.SetEnabled(start);
                form.btnManual.SetEnabled(manual);
                form.edtLanguages.SetEnabled(languages);
                form.App().SetBusy(false);
            }
        } waiting{*this};
        opened = m_shell.OpenDocument(manual, [this] { App().ProcessMessages(); });
    }
    if (opened) {
        return;
    }
    const ui::MsgResult answer =
        App().MessageBox(m_translator.Translate("msginstall_acrobat"), "Information",
                         ui::MsgButtons::OkCancel, ui::MsgIcon::Information);
    if (answer != ui::MsgResult::Ok) {
        return;
    }
    // The installer's path is quoted so that a program folder with blanks
    // starts this program and no other.
    Hide();
    m_fileIO.RunAndWait("\"" + reader + "\"", SW_SHOWDEFAULT);
    Show();
    // An installer that could not be started (missing, or no program for
    // this system) is named with the reason, not passed over in silence.
    if (!m_fileIO.LastRunError().empty()) {
        App().MessageBox("Cannot start " + reader + ": " + m_fileIO.LastRunError() + ".", "",
                         ui::MsgButtons::Ok, ui::MsgIcon::Error);
    }
}
