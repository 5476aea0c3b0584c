// The program entry: the services that live for the whole run, the
// application object with its title, the wizard window and the message loop.

#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/Locale.h"
#include "platform/LocaleCodePage.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/DesktopUiPort.h"

// The translation catalogue, from program load to program end.
TTranslator Translator{platform::ProgramFolder()};

int main(int argc, char** argv) {
    // No command-line option has an effect: the backend sees the program's
    // name alone (Qt would otherwise take -platform, -reverse, -style and
    // the like from the command line).
    int ownArgc = argc > 0 ? 1 : 0;
    char* ownArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    const auto port = ui::MakeDesktopUiPort(ownArgc, ownArgv);
    ui::Application application(*port, kApplicationTitle);
    // The file operations need the application for their progress window, so
    // they are made with it, still before the window.
    TIOClass FileIO(application);
    const platform::SystemLocale locale;
    const auto registry = platform::MakeSystemRegistry();
    platform::SystemShell shell;
    const platform::SystemVolumes volumes;

    TForm1 form(application, WizardServices{Translator, FileIO, locale, *registry, shell, volumes,
                                             platform::SystemOemCodePage(),
                                             platform::SystemAnsiCodePage()},
                platform::ProgramFolder());
    application.CreateForm(form);
    application.Run();
    return 0;
}
