// The program entry: the two services that live for the whole run, the
// application object with its title, the wizard window and the message loop.

#include "app/TForm1.h"
#include "localization/TTranslator.h"
#include "platform/Locale.h"
#include "platform/ProgramFolder.h"
#include "ui/Application.h"
#include "ui/qt/QtUiPort.h"

// The translation catalogue, from program load to program end.
TTranslator Translator{platform::ProgramFolder()};

int main(int argc, char** argv) {
    ui::QtUiPort port(argc, argv);
    ui::Application application(port, kApplicationTitle);
    platform::SystemLocale locale;
    TForm1 form(application, Translator, locale, platform::ProgramFolder());
    application.CreateForm(form);
    application.Run();
    return 0;
}
