#pragma once

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "app/TForm1.h"
#include "fileio/TIOClass.h"
#include "localization/TTranslator.h"
#include "platform/FileProtection.h"
#include "platform/Locale.h"
#include "platform/RegistryFile.h"
#include "platform/Shell.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/UnattendedUiPort.h"
#include "ui/scripted/ScriptedUiPort.h"

namespace testing_support {

// A desktop whose viewer opens documents or not, as the test says.
class FakeShell : public platform::Shell {
public:
    bool viewerAvailable = true;
    std::vector<std::string> opened;
    // Whether the caller kept its windows going (and busy) while waiting.
    std::function<void()> whileOpening;
    bool OpenDocument(const std::string& path, const std::function<void()>& whileWaiting) override {
        if (whileOpening) {
            whileOpening();
        }
        if (whileWaiting) {
            whileWaiting();
        }
        opened.push_back(path);
        return viewerAvailable;
    }
};

// The system's file protection, as the test says: the paths it protects.
class FakeProtection : public platform::FileProtection {
public:
    std::vector<std::string> protectedPaths;
    bool IsProtected(const std::string& path) const override {
        return std::find(protectedPaths.begin(), protectedPaths.end(), path) != protectedPaths.end();
    }
};

class FakeLocale : public platform::Locale {
public:
    std::string abbreviation = "ENU";
    std::string AbbreviatedLanguageName() const override { return abbreviation; }
};

// A wizard on a medium in a temporary folder, drawn by the scripted backend.
// The medium starts with the shipped translation files; tests change it
// before calling Create().
class WizardFixture : public ::testing::Test {
protected:
    TempFolder medium;
    FakeLocale locale;
    FakeShell shell;
    FakeProtection protection;
    platform::SystemVolumes volumes;
    ui::ScriptedUiPort port;
    ui::Application app{port, kApplicationTitle};
    TTranslator translator{medium.Path()};
    TIOClass fileIO{app};
    // HKEY_LOCAL_MACHINE as an export file; tests replace it before Create().
    platform::RegistryFile registry = platform::RegistryFile::FromBytes("", true);

    void SetUp() override {
        std::filesystem::copy(VG_DEMO_TRANS_DIR, medium / "trans",
                              std::filesystem::copy_options::recursive);
    }
    void TearDown() override {
        EXPECT_EQ(port.Unanswered(), 0) << "a message box or question had no scripted answer";
        EXPECT_EQ(port.AnswersLeft(), 0u) << "scripted answers were not asked for";
    }

    // A run without a person on the same scripted screen: the unattended
    // port answers every box and query, which never reach `port`.
    ui::UnattendedUiPort noPerson{&port};
    ui::Application unattendedApp{noPerson, kApplicationTitle};
    TIOClass unattendedFileIO{unattendedApp};
    // Made last, so it goes first.
    std::unique_ptr<TForm1> form;

    // Makes the window of a run without a person, its answers logged as the
    // program logs them; RunSetup creates it.
    TForm1& MakeUnattended(const std::string& abbreviation = "ENU") {
        locale.abbreviation = abbreviation;
        form = std::make_unique<TForm1>(
            unattendedApp,
            WizardServices{translator, unattendedFileIO, locale, registry, shell, volumes, 437, 1252,
                           protection},
            medium.Path());
        noPerson.OnAnswered = [this](const std::string& question, ui::MsgResult answer) {
            form->LogAnswer(question, answer);
        };
        return *form;
    }

    // Makes the window and runs its creation handler, as the program does.
    TForm1& Create(const std::string& abbreviation = "ENU", std::string programFolder = {}) {
        locale.abbreviation = abbreviation;
        form = std::make_unique<TForm1>(
            app, WizardServices{translator, fileIO, locale, registry, shell, volumes, 437, 1252,
                                protection},
            programFolder.empty() ? medium.Path() : programFolder);
        app.CreateForm(*form);
        return *form;
    }
};

} // namespace testing_support
