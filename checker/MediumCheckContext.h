#pragma once

// What the checks of a medium share: the wizard's window, made headless on
// the scripted backend only to be asked which components and properties it
// has, with the services it needs to exist.

#include <string>

#include "app/TForm1.h"
#include "checker/MediumCheck.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/FileProtection.h"
#include "platform/Locale.h"
#include "platform/LocaleCodePage.h"
#include "platform/RegistryFile.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/scripted/ScriptedUiPort.h"

namespace medium_check {

// The window never asks the locale, opens a document or reads the
// registry here.
class EnglishLocale : public platform::Locale {
public:
    std::string AbbreviatedLanguageName() const override { return "ENU"; }
};

class NoShell : public platform::Shell {
public:
    bool OpenDocument(const std::string&, const std::function<void()>&) override { return false; }
};

} // namespace medium_check

struct MediumCheck::Context {
    explicit Context(const std::string& folder)
        : translator(folder), english(folder),
          form(app,
               WizardServices{translator, fileIO, locale, registry, shell, volumes,
                              platform::SystemOemCodePage(), platform::SystemAnsiCodePage(),
                              protection},
               folder) {
        form.ProgramFolder = folder;
    }

    // Boxes and questions are recorded, and answered by their default
    // buttons: what a customer would be asked is reported.
    ui::ScriptedUiPort port;
    ui::Application app{port, kApplicationTitle};
    TTranslator translator;
    TIOClass fileIO{app};
    medium_check::EnglishLocale locale;
    platform::RegistryFile registry = platform::RegistryFile::FromBytes("", true);
    medium_check::NoShell shell;
    platform::SystemVolumes volumes;
    platform::SystemFileProtection protection;
    // The English names of the languages, for the report.
    TTranslator english;
    TForm1 form;
};
