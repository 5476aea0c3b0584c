#include "app/TForm1.h"

#include <cstdio>

#include "localization/TTranslator.h"
#include "platform/Directory.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolder.h"
#include "ui/Application.h"
#include "ui/Exception.h"
#include "ui/Text.h"

namespace {

// Fonts of the window. Heights are character heights in pixels at 96 dpi.
ui::Font Verdana(int pixelHeight, bool bold = false) {
    return ui::Font{"Verdana", pixelHeight, bold, ui::ColorBlack};
}

} // namespace

TForm1::TForm1(ui::Application& app, const WizardServices& services, std::string programFolder)
    : ui::Form(app, "Form1"),
      Image1(Make<ui::Image>("Image1", this)),
      Panel1(Make<ui::Panel>("Panel1", this)),
      Bevel1(Make<ui::Bevel>("Bevel1", this)),
      btnClose(Make<ui::Button>("btnClose", &Panel1)),
      btnFinish(Make<ui::Button>("btnFinish", &Panel1)),
      Notebook1(Make<ui::Notebook>("Notebook1", this)),
      PageSelectLanguage(Notebook1.AddPage("Select Language")),
      PageProgress(Notebook1.AddPage("Progress")),
      Panel7(Make<ui::Panel>("Panel7", &PageSelectLanguage)),
      lbWelcomeText(Make<ui::Label>("lbWelcomeText", &Panel7)),
      Bevel3(Make<ui::Bevel>("Bevel3", &Panel7)),
      lbSelectLanguage(Make<ui::Label>("lbSelectLanguage", &Panel7)),
      edtLanguages(Make<ui::ComboBox>("edtLanguages", &Panel7)),
      btnManual(Make<ui::Button>("btnManual", &Panel7)),
      btnStart(Make<ui::Button>("btnStart", &Panel7)),
      Panel6(Make<ui::Panel>("Panel6", &PageProgress)),
      Bevel7(Make<ui::Bevel>("Bevel7", &Panel6)),
      memoVoortgang(Make<ui::Memo>("memoVoortgang", &PageProgress)),
      lbWelcome(Make<ui::Label>("lbWelcome", this)),
      lbProgressHeader(Make<ui::Label>("lbProgressHeader", this)),
      lbProgressText(Make<ui::Label>("lbProgressText", this)),
      ZipFile(Make<TZip>("ZipFile",
                         TZipServices{app, services.volumes, services.oemCodePage,
                                      services.ansiCodePage, {}})),
      m_translator(services.translator),
      m_fileIO(services.fileIO),
      m_locale(services.locale),
      m_registry(services.registry),
      m_shell(services.shell),
      m_protection(services.protection),
      m_programFolder(std::move(programFolder)) {
    LanguageEntryIndex.fill(-1);
    BuildLayout();
    OnCreate = [this] { FormCreate(); };
    btnClose.OnClick = [this] { btnCloseClick(); };
    btnFinish.OnClick = [this] { btnFinishClick(); };
    btnManual.OnClick = [this] { btnManualClick(); };
    btnStart.OnClick = [this] { btnStartClick(); };
    OnCloseQuery = [this] { return FormCloseQuery(); };
    edtLanguages.OnCloseUp = [this] { edtLanguagesPropertiesCloseUp(); };
}

TForm1::~TForm1() = default;

// The window as designed: positions and sizes in pixels at 96 dpi, and the
// design-time captions, which equal the component names wherever no
// translation replaces them.
void TForm1::BuildLayout() {
    SetCaption("Form1");
    SetClientSize(600, 362);
    SetFont(Verdana(11));
    SetIconResource("setup");

    Image1.SetAlign(ui::Align::Top);
    Image1.SetBounds(0, 0, 600, 121);
    Image1.SetPictureResource("banner");

    Panel1.SetAlign(ui::Align::Bottom);
    Panel1.SetBounds(0, 329, 600, 33);
    Bevel1.SetAlign(ui::Align::Bottom);
    Bevel1.SetBounds(0, 327, 600, 2);
    Bevel1.SetShape(ui::Bevel::Shape::BottomLine);

    btnClose.SetBounds(8, 5, 75, 25);
    btnClose.SetCaption("btnClose");
    btnClose.SetTabOrder(1);
    btnFinish.SetBounds(512, 6, 75, 23);
    btnFinish.SetCaption("btnFinish");
    btnFinish.SetTabOrder(0);
    btnFinish.Hide();

    Notebook1.SetAlign(ui::Align::Client);
    Notebook1.SetBounds(0, 121, 600, 206);
    Notebook1.SetFont(ui::Font{"MS Sans Serif", 11, false, ui::ColorBlack});

    Panel7.SetAlign(ui::Align::Client);
    Panel7.SetBounds(0, 0, 600, 206);
    Panel7.SetColor(ui::ColorWhite);

    lbWelcomeText.SetBounds(131, 9, 337, 107);
    lbWelcomeText.SetFont(Verdana(13));
    lbWelcomeText.SetWordWrap(true);
    lbWelcomeText.SetCaption("lbWelcomeText");

    Bevel3.SetBounds(131, 4, 337, 2);
    Bevel3.SetShape(ui::Bevel::Shape::TopLine);

    lbSelectLanguage.SetBounds(131, 123, 337, 25);
    lbSelectLanguage.SetFont(Verdana(13, true));
    lbSelectLanguage.SetAlignment(ui::TextAlign::Center);
    lbSelectLanguage.SetCaption("lbSelectLanguage");

    edtLanguages.SetBounds(192, 147, 215, 21);
    edtLanguages.SetFont(Verdana(13));
    edtLanguages.SetDropDownCount(12);
    edtLanguages.SetTabOrder(1);

    btnManual.SetBounds(192, 174, 103, 25);
    btnManual.SetCaption("btnManual");
    btnManual.SetTabOrder(2);
    btnStart.SetBounds(304, 174, 103, 25);
    btnStart.SetCaption("btnStart");
    btnStart.SetTabOrder(0);
    btnStart.SetEnabled(false);

    Panel6.SetAlign(ui::Align::Top);
    Panel6.SetBounds(0, 0, 600, 277);
    Panel6.SetColor(ui::ColorWhite);
    Bevel7.SetBounds(41, 0, 517, 2);
    Bevel7.SetShape(ui::Bevel::Shape::TopLine);

    memoVoortgang.SetBounds(41, 8, 517, 185);
    memoVoortgang.SetFont(Verdana(13));
    memoVoortgang.SetReadOnly(true);

    lbWelcome.SetBounds(131, 80, 337, 42);
    lbWelcome.SetFont(ui::Font{"Verdana", 16, true, ui::ColorWhite});
    lbWelcome.SetAlignment(ui::TextAlign::Center);
    lbWelcome.SetWordWrap(true);
    lbWelcome.SetCaption("lbWelcome");

    lbProgressHeader.SetBounds(131, 75, 337, 16);
    lbProgressHeader.SetFont(Verdana(13, true));
    lbProgressHeader.SetAlignment(ui::TextAlign::Center);
    lbProgressHeader.SetWordWrap(true);
    lbProgressHeader.SetCaption("lbProgressHeader");
    lbProgressHeader.Hide();

    lbProgressText.SetBounds(131, 90, 337, 33);
    lbProgressText.SetFont(Verdana(13));
    lbProgressText.SetAlignment(ui::TextAlign::Center);
    lbProgressText.SetCaption("lbProgressText");
    lbProgressText.Hide();
}

void TForm1::FormCreate() {
    lbProgressHeader.Hide();
    lbProgressText.Hide();
    ProgramFolder = m_programFolder;
    Panel6.SetColor(ui::ColorWhite);
    Panel7.SetColor(ui::ColorWhite);
    btnFinish.Hide();
    btnClose.Show();
    btnStart.SetEnabled(false);
    Notebook1.SetPageIndex(0);
    RegionCode = DetectRegionCode();
    m_translator.LoadLanguage(*this, RegionCode);
    FillLanguageList();
    SelectLanguageEntry(RegionCode);
    ReadSetupSettings();
    SetCaption(m_translator.Translate("msgTitleBar"));
    lbSelectLanguage.SetCaption(m_translator.Translate("lbSelectLanguage"));
}

void TForm1::btnCloseClick() {
    App().Terminate();
}

void TForm1::btnFinishClick() {
    SaveLog();
    Close();
}

void TForm1::AddLogLine(const std::string& text) {
    memoVoortgang.AddLine(text.empty() ? std::string() : "- " + text);
    memoVoortgang.Repaint();
}

void TForm1::SaveLog() {
    // Without a target installation the log would land at the root of the
    // file system (or relative to whatever folder is current): it goes to
    // the folder for temporary files instead, where the user may write.
    const std::string folder = AppDir.empty() ? platform::TemporaryFolder() : AppDir + Version;
    const std::string path = folder + platform::PathSeparator() + "setup.log";
    std::string contents;
    for (const std::string& line : memoVoortgang.Lines()) {
        contents += line;
        contents += "\r\n";
    }
    std::string failures;
    std::string reason;
    if (!platform::WriteWholeFile(path, contents, reason)) {
        failures = "Cannot create file \"" + path + "\". " + reason;
    }
    if (!LogCopyPath.empty() &&
        !(platform::CreateParentFolders(LogCopyPath, reason) &&
          platform::WriteWholeFile(LogCopyPath, contents, reason))) {
        failures += (failures.empty() ? "" : "\n");
        failures += "Cannot create file \"" + LogCopyPath + "\". " + reason;
    }
    m_logSaveFailed = !failures.empty();
    if (m_logSaveFailed) {
        throw ui::Exception(failures);
    }
}

void TForm1::LogAnswer(const std::string& question, ui::MsgResult answer) {
    // The answer in the language of the log, where the file has its word.
    const char* key = "msgAnswerOK";
    switch (answer) {
    case ui::MsgResult::Ok:
        break;
    case ui::MsgResult::Cancel:
        key = "msgAnswerCancel";
        break;
    case ui::MsgResult::Yes:
        key = "msgAnswerYes";
        break;
    case ui::MsgResult::No:
        key = "msgAnswerNo";
        break;
    }
    const std::string answerText = " [" + m_translator.TranslateOr(key, ui::AnswerName(answer)) + "]";
    AddLogLine(question.substr(0, question.find_first_of("\r\n")) + answerText);
    std::fputs(("setup: " + ui::OneLine(question) + answerText + "\n").c_str(), stderr);
}

ExitCode TForm1::Outcome() const {
    if (!m_runStarted || m_cancelledByUser) {
        return ExitCode::CancelledByUser;
    }
    if (!m_runFinished || m_failureLines > 0 || m_logSaveFailed) {
        return ExitCode::InstallationFailed;
    }
    return ExitCode::Success;
}
