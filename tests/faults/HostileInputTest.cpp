// Input files the wizard cannot read: a translation file that is a folder
// or a pipe, a registry file that is a folder, a pipe, closed to the user
// or garbage. Each gives a clear outcome and never a crash or a wait; the
// cases that might wait run in a child process with a time limit.

#include <chrono>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "FaultFixture.h"
#include "platform/RegistryFile.h"

namespace fault_test {
namespace {

constexpr std::chrono::seconds kTimeLimit{10};

class HostileInputTest : public InstallationFixture {};

TEST_F(HostileInputTest, TranslationFileThatIsAFolderGivesItsErrorBoxOnStartUp) {
    fs::remove(medium / "trans/europe.mdl");
    fs::create_directories(medium / "trans/europe.mdl");
    port.Answer(ui::MsgResult::Ok);

    TForm1& w = Create("ENU");

    ASSERT_EQ(port.Boxes().size(), 1u);
    EXPECT_EQ(port.Boxes()[0].request.text, "Translationfile not found!");
    EXPECT_EQ(port.Boxes()[0].request.icon, ui::MsgIcon::Error);
    EXPECT_EQ(w.btnStart.Caption(), "btnStart");
    EXPECT_FALSE(w.btnStart.Enabled());
}

TEST_F(HostileInputTest, TranslationFileThatIsAPipeIsAnEmptyCatalogueAtOnce) {
    fs::remove(medium / "trans/europe.mdl");
    MakeFifo(medium / "trans/europe.mdl");

    ChildProcess child([this] {
        TForm1& w = Create("ENU");
        Report(std::to_string(port.Boxes().size()) + " boxes, Start captioned " +
               w.btnStart.Caption() + (w.btnStart.Enabled() ? ", enabled" : ", disabled"));
    });

    EXPECT_EQ(child.Rest(kTimeLimit),
              std::vector<std::string>{"0 boxes, Start captioned btnStart, enabled"});
    const ChildEnd end = child.Wait();
    EXPECT_FALSE(end.timedOut);
    EXPECT_EQ(end.exitCode, 0);
}

TEST_F(HostileInputTest, RegistryFileThatCannotBeReadFindsNoInstallation) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> make;
        bool unprivileged;
        bool found;
    };
    const std::string exportBytes = RegistryExport();
    const Case cases[] = {
        {"a folder", [](const std::string& path) { fs::create_directories(path); }, false, false},
        {"a pipe", [](const std::string& path) { MakeFifo(path); }, false, false},
        {"closed to its reader",
         [&](const std::string& path) {
             std::ofstream(path, std::ios::binary) << exportBytes;
             fs::permissions(path, fs::perms::none);
         },
         true, false},
        {"binary garbage",
         [](const std::string& path) { std::ofstream(path, std::ios::binary) << Noise(65536, 7); },
         false, false},
        // The same export, readable: the installation is found.
        {"readable", [&](const std::string& path) { std::ofstream(path) << exportBytes; }, false,
         true},
    };
    Create();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = medium / "registry.reg";
        fs::remove_all(path);
        c.make(path);

        const ChildRun run = RunInstallationInChild([&] {
            if (c.unprivileged) {
                BecomeUnprivileged();
            }
            registry = platform::RegistryFile(path);
        });

        if (const std::string reason = SkipReason(run); !reason.empty()) {
            GTEST_LOG_(INFO) << "not tried (" << c.what << "): " << reason;
            continue;
        }
        EXPECT_FALSE(run.end.timedOut);
        EXPECT_EQ(run.end.exitCode, 0) << testing::PrintToString(run.other);
        EXPECT_TRUE(run.boxes.empty()) << testing::PrintToString(run.boxes);
        const std::string reason = "- The installation of version \"16.0\" was not found in the registry: "
                                   "there is no key HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup.";
        const std::vector<std::string> notFound{
            "", "", "", NotCopied(medium / "Data.zip"), reason, EnvironmentsNotCopied(), reason, "",
            LogLine("msgCloseInstallation")};
        EXPECT_EQ(run.log, c.found ? RunLog({LogLine("msgCopyDataToNewVarnekGerrix")}) : notFound);
    }
}

} // namespace
} // namespace fault_test
