// The program entry: the command line, the services that live for the whole
// run, the application object with its title, the wizard window, and the
// run as the options ask.

#include <memory>
#include <string>
#include <vector>

#include "app/SetupOptions.h"
#include "app/SetupRun.h"
#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileProtection.h"
#include "platform/Locale.h"
#include "platform/LocaleCodePage.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/UsageText.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/DesktopUiPort.h"
#include "ui/UnattendedUiPort.h"

// The translation catalogue, from program load to program end.
TTranslator Translator{platform::ProgramFolder()};

int main(int argc, char** argv) {
    // Before anything loads a library by name: the program runs elevated
    // from folders nobody controls.
    platform::RestrictLibrarySearch();
    const ParsedCommandLine line =
        ParseSetupOptions(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    const SetupOptions& options = line.options;
    const bool unattended = options.mode != RunMode::Interactive;
    if (!line.error.empty()) {
        platform::ShowUsageText(kApplicationTitle, line.error + "\n\n" + SetupUsageText(), true,
                                unattended);
        return ProcessExitCode(ExitCode::InvalidCommandLine);
    }
    if (options.help) {
        platform::ShowUsageText(kApplicationTitle, SetupUsageText(), false, unattended);
        return ProcessExitCode(ExitCode::Success);
    }

    // The options are the program's own: the backend sees the program's
    // name alone (Qt would otherwise take -platform, -reverse, -style and
    // the like from the command line). A quiet run makes no backend at all,
    // so it needs no display.
    int ownArgc = argc > 0 ? 1 : 0;
    char* ownArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    std::unique_ptr<ui::UiPort> desktop;
    if (options.mode != RunMode::Quiet) {
        desktop = ui::MakeDesktopUiPort(ownArgc, ownArgv);
    }
    std::unique_ptr<ui::UnattendedUiPort> noPerson;
    if (unattended) {
        noPerson = std::make_unique<ui::UnattendedUiPort>(desktop.get());
    }
    ui::Application application(noPerson ? *noPerson : *desktop, kApplicationTitle);
    // The file operations need the application for their progress window, so
    // they are made with it, still before the window.
    TIOClass FileIO(application);
    const platform::SystemLocale locale;
    const auto registry = platform::MakeSystemRegistry();
    platform::SystemShell shell;
    const platform::SystemVolumes volumes;
    const platform::SystemFileProtection protection;

    TForm1 form(application, WizardServices{Translator, FileIO, locale, *registry, shell, volumes,
                                             platform::SystemOemCodePage(),
                                             platform::SystemAnsiCodePage(), protection},
                platform::ProgramFolder());
    if (noPerson) {
        noPerson->OnAnswered = [&form](const std::string& question, ui::MsgResult answer) {
            form.LogAnswer(question, answer);
        };
    }
    return ProcessExitCode(RunSetup(application, form, options));
}
