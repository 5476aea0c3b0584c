// Extracting an archive through the archive component as the wizard does:
// options {16}, the progress dialog centred over a shown main form, and the
// Qt backend handling pending events on every engine callback. Compared with
// the engine alone (engine_driver) by engine_bench.py --tzip.
//
//   zip_extract_bench [--no-dialog] [--count] ARCHIVE FOLDER
//
// FOLDER is made when missing. Prints the wall time of Extract() alone, as
// "seconds: <s>"; opening the archive and starting Qt are not counted.
// --no-dialog extracts with ShowProgressDialog false (events are still
// handled on every callback); --count also prints how many entries began
// and how many progress reports came.
//
// Qt draws offscreen unless QT_QPA_PLATFORM names another platform.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/Panel.h"
#include "ui/qt/QtUiPort.h"
#include "zip/TZip.h"

namespace {

// A main form of the wizard's size and make: a header, the progress log and
// the button row, in the wizard's font.
class BenchForm : public ui::Form {
public:
    explicit BenchForm(ui::Application& app)
        : ui::Form(app, "Form1"), Header(Make<ui::Panel>("Header", this)),
          ButtonRow(Make<ui::Panel>("ButtonRow", this)),
          CloseButton(Make<ui::Button>("btnClose", &ButtonRow)),
          Log(Make<ui::Memo>("memoVoortgang", this)),
          Status(Make<ui::Label>("lbProgressText", this)) {
        SetCaption("zip_extract_bench");
        SetClientSize(600, 362);
        SetFont(ui::Font{"Verdana", 11, false, ui::ColorBlack});
        Header.SetAlign(ui::Align::Top);
        Header.SetBounds(0, 0, 600, 121);
        ButtonRow.SetAlign(ui::Align::Bottom);
        ButtonRow.SetBounds(0, 329, 600, 33);
        CloseButton.SetCaption("Close");
        CloseButton.SetBounds(515, 4, 75, 25);
        Status.SetBounds(16, 130, 568, 17);
        Status.SetCaption("Unpacking ...");
        Log.SetBounds(16, 152, 568, 170);
        Log.SetReadOnly(true);
        Log.AddLine("Copying files ...");
    }

    ui::Panel& Header;
    ui::Panel& ButtonRow;
    ui::Button& CloseButton;
    ui::Memo& Log;
    ui::Label& Status;
};

struct Arguments {
    bool dialog = true;
    bool count = false;
    std::string archive;
    std::string folder;
};

bool Parse(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-dialog") == 0) {
            arguments.dialog = false;
        } else if (std::strcmp(argv[i], "--count") == 0) {
            arguments.count = true;
        } else {
            positional.emplace_back(argv[i]);
        }
    }
    if (positional.size() != 2) {
        return false;
    }
    // Extract makes the extraction folder current before the engine opens
    // the archive, so relative paths would no longer hold.
    arguments.archive = std::filesystem::absolute(positional[0]).string();
    arguments.folder = std::filesystem::absolute(positional[1]).string();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!Parse(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: %s [--no-dialog] [--count] ARCHIVE FOLDER\n", argv[0]);
        return 2;
    }
    std::filesystem::create_directories(arguments.folder);

    // The platform goes to the QApplication as its own command line option.
    std::vector<char*> qtArguments{argv[0]};
    std::string platformOption = "-platform";
    std::string offscreen = "offscreen";
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen == nullptr || *chosen == '\0') {
        qtArguments.push_back(platformOption.data());
        qtArguments.push_back(offscreen.data());
    }
    qtArguments.push_back(nullptr);
    int qtCount = static_cast<int>(qtArguments.size()) - 1;

    try {
        ui::QtUiPort port(qtCount, qtArguments.data());
        ui::Application app(port, "zip_extract_bench");
        BenchForm form(app);
        app.CreateForm(form);
        form.Show();
        app.ProcessMessages();

        const platform::SystemVolumes volumes;
        TZip& zip = form.Make<TZip>(
            "ZipFile", TZipServices{app, volumes, 850, 1252, {}});
        std::int64_t entries = 0;
        std::int64_t reports = 0;
        if (arguments.count) {
            zip.OnZEDBeginFileEvent = [&entries](ui::Component*, const std::string&, std::int32_t,
                                                 std::int32_t, std::int32_t) { ++entries; };
            zip.OnZEDProgressEvent = [&reports](ui::Component*, const std::string&, std::int32_t,
                                                std::int32_t) { ++reports; };
        }
        zip.SetArchiveFileName(arguments.archive);
        zip.ExtractBaseFolder = arguments.folder;
        zip.ExtractOptions = ExtractOption16;
        zip.ShowProgressDialog = arguments.dialog;

        const auto start = std::chrono::steady_clock::now();
        const std::int32_t result = zip.Extract();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

        std::printf("seconds: %.6f\n", took.count());
        if (arguments.count) {
            std::printf("entries: %lld\nprogress reports: %lld\n", static_cast<long long>(entries),
                        static_cast<long long>(reports));
        }
        if (result != 0) {
            std::fprintf(stderr, "engine result %d\n", result);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
