// The archive's dialog and questions speak the chosen language where the
// translation file has their sections, English where it has not.

#include <gtest/gtest.h>

#include "InstallFixture.h"
#include "app/SetupRun.h"
#include "zip/TProgressForm.h"

using testing_support::InstallTest;
using testing_support::ReadBytes;

namespace {

class ArchiveLanguageTest : public InstallTest {
protected:
    // A damaged entry in the version archive, two entries with a password in
    // the environments archive.
    void SetUp() override {
        InstallTest::SetUp();
        medium.Write("Data.zip", ReadBytes(std::string(VG_TEST_DATA_DIR) + "/engine/crc-error.zip"));
        medium.Write("environments.zip",
                     ReadBytes(std::string(VG_TEST_DATA_DIR) + "/engine/zipcrypto-password-secret.zip"));
    }
    // Answers as a user who keeps nothing damaged and knows no password.
    void AnswerEveryQuestion() {
        port.Answer(ui::MsgResult::No);
        for (int entry = 0; entry < 2; ++entry) {
            port.AnswerInput(std::nullopt);
            port.Answer(ui::MsgResult::Yes);
        }
    }
    // A Polish installation clicked through, the dialog's Cancel kept.
    std::string cancelCaption;
    void RunInPolish() {
        port.OnRealize = [this](ui::Form& form) {
            if (auto* dialog = dynamic_cast<TProgressForm*>(&form)) {
                cancelCaption = dialog->CancelButton.Caption();
            }
        };
        TForm1& w = Create("PLK");
        AnswerEveryQuestion();
        ui::Click(w, "btnStart");
    }
};

TEST_F(ArchiveLanguageTest, PolishQuestionsAndCancelWhenPolishIsChosen) {
    RunInPolish();
    ASSERT_EQ(port.Boxes().size(), 3u);
    EXPECT_EQ(port.Boxes()[0].request.text,
              "Plik „crc-error.txt” może być uszkodzony (błąd CRC).\nCzy mimo to wyodrębnić ten plik? ...");
    EXPECT_EQ(port.Boxes()[1].request.text,
              "Nie wprowadzono hasła, więc plik nie zostanie wyodrębniony...\n"
              "Czy chcesz kontynuować wyodrębnianie pozostałych plików?");
    ASSERT_EQ(port.Queries().size(), 2u);
    EXPECT_EQ(port.Queries()[0].prompt, "Plik „one.txt” wymaga podania nowego hasła");
    EXPECT_EQ(cancelCaption, "&Anuluj");
}

// A file without the sections gives the English texts, never a section
// name.
TEST_F(ArchiveLanguageTest, EnglishForAFileWithoutTheSections) {
    std::string polish = ReadBytes(medium / "trans/poland.mdl");
    polish = polish.substr(0, polish.find("[msgZipCancel]"));
    medium.Write("trans/poland.mdl", polish);
    RunInPolish();
    ASSERT_EQ(port.Boxes().size(), 3u);
    EXPECT_EQ(port.Boxes()[0].request.text,
              "\"crc-error.txt\" may be corrupted (CRC error).\nExtract this file anyway? ...");
    EXPECT_EQ(port.Queries()[0].prompt, "A new password is required for \"one.txt\"");
    EXPECT_EQ(cancelCaption, "&Cancel");
}

// Unattended, the answered question's line is in the chosen language too.
TEST_F(ArchiveLanguageTest, TheUnattendedAnswerLineIsInTheChosenLanguage) {
    TForm1& w = MakeUnattended("PLK");
    SetupOptions quiet;
    quiet.mode = RunMode::Quiet;
    EXPECT_EQ(RunSetup(unattendedApp, w, quiet), ExitCode::InstallationFailed);
    const auto log = Log();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "- Plik „crc-error.txt” może być uszkodzony (błąd CRC). [Nie]"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "- Plik „one.txt” wymaga podania nowego hasła [Anuluj]"),
              log.end());
}

} // namespace
