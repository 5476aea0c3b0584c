#pragma once

// A window whose archive component extracts through a fake unzip engine,
// with what the user sees and does recorded along the way.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ZipBuilder.h"
#include "ZipTestSupport.h"
#include "engine/UnzDll.h"
#include "fake-engine/FakeEngineControl.h"
#include "zip/TProgressForm.h"

namespace zip_test {

using fake_engine::Step;

// Notes, for each box and query, whether the progress dialog was visible.
class AskingPort : public ui::ScriptedUiPort {
public:
    std::function<bool()> dialogVisible;
    std::vector<bool> visibleWhenAsked;

    ui::MsgResult ShowMessageBox(const ui::MessageBoxRequest& request) override {
        visibleWhenAsked.push_back(dialogVisible());
        return ScriptedUiPort::ShowMessageBox(request);
    }
    std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultValue) override {
        visibleWhenAsked.push_back(dialogVisible());
        return ScriptedUiPort::InputQuery(caption, prompt, defaultValue);
    }
};

// The progress dialog as the user sees it whenever pending events are
// handled: once before the engine is called, then after every callback.
struct Seen {
    bool exists = false;
    bool visible = false;
    std::string label;
    int barMax = 0;
    int barPosition = 0;
    bool operator==(const Seen&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << (s.exists ? "" : "no dialog ") << (s.visible ? "shown" : "hidden") << " \""
              << s.label << "\" " << s.barPosition << "/" << s.barMax;
}

inline const Seen kGone{};

// A window with one archive component that loads `engine`; the fake named
// `control` (default: the same) is reached for its records. The process's
// current folder is restored afterwards.
struct ExtractFixture {
    explicit ExtractFixture(const std::string& engine = "UnzDll.so", std::string control = "")
        : fake(control.empty() ? engine : control),
          zip(window.Make<TZip>("ZipFile", TZipServices{app, volumes, 850, 1252, engine})) {
        port.dialogVisible = [this] { return zip.ProgressDialog && zip.ProgressDialog->Visible(); };
        port.WhileProcessingEvents = [this] {
            seen.push_back(Look());
            if (whileProcessing) {
                whileProcessing(seen.size() - 1);
            }
        };
        port.OnRealize = [this](ui::Form& form) {
            EXPECT_NE(dynamic_cast<TProgressForm*>(&form), nullptr);
            EXPECT_EQ(form.Caption(), kTitle);
            ++dialogsMade;
        };
        // Each event as a line of its arguments.
        zip.OnZEDBeginFileEvent = [this](ui::Component* sender, const std::string& name,
                                         std::int32_t size, std::int32_t count,
                                         std::int32_t total) {
            Note(sender, "begin " + name, {size, count, total});
        };
        zip.OnZEDProgressEvent = [this](ui::Component* sender, const std::string& name,
                                        std::int32_t bytes, std::int32_t total) {
            Note(sender, "progress " + name, {bytes, total});
        };
        zip.OnZEDEndBatchEvent = [this](ui::Component* sender, std::int32_t skipped,
                                        std::int32_t count, std::int32_t total) {
            Note(sender, "end", {skipped, count, total});
        };
    }
    ~ExtractFixture() { std::filesystem::current_path(startFolder); }

    void Note(ui::Component* sender, std::string line, std::initializer_list<std::int32_t> values) {
        EXPECT_EQ(sender, &zip);
        for (std::int32_t value : values) {
            line += " " + std::to_string(value);
        }
        events.push_back(line);
    }

    Seen Look() const {
        if (!zip.ProgressDialog) {
            return {};
        }
        const TProgressForm& dialog = *zip.ProgressDialog;
        return {true, dialog.Visible(), dialog.FileLabel.Caption(), dialog.ProgressBar.Max(),
                dialog.ProgressBar.Position()};
    }

    std::string OpenArchive(const std::string& relative = "archive.zip") {
        Archive archive = MakeArchive({Entry{"a.txt", "", "", 20, 3, 0, "aaaa"},
                                       Entry{"dir/b.txt", "", "", 20, 3, 0, "bbb"}});
        const std::string path = folder.Write(relative, archive.Bytes());
        zip.SetArchiveFileName(path);
        EXPECT_EQ(zip.Entries().size(), 2u);
        return path;
    }

    // Plays `steps` through Extract; the message of the error raised, or
    // nullopt (the result is then in `result`).
    std::optional<std::string> Run(const std::vector<Step>& steps, std::int32_t engineResult = 0) {
        fake.Play(steps, engineResult);
        try {
            result = zip.Extract();
        } catch (const std::exception& error) {
            return std::string(error.what());
        }
        return std::nullopt;
    }

    std::filesystem::path startFolder = std::filesystem::current_path();
    testing_support::TempFolder folder;
    fake_engine::Control fake;
    AskingPort port;
    ui::Application app{port, kTitle};
    FakeVolumes volumes;
    ui::Component window{nullptr, "Form1"};
    TZip& zip;
    std::int32_t result = 12345;
    std::vector<Seen> seen;
    std::function<void(std::size_t)> whileProcessing;
    std::vector<std::string> events;
    int dialogsMade = 0;
};

inline Seen Shown(const std::string& label, int barMax, int barPosition, bool visible = true) {
    return {true, visible, label, barMax, barPosition};
}

// The text field up to its first zero.
inline std::string TextOf(const UnzCallbackInfo& info) {
    return std::string(info.text, std::find(std::begin(info.text), std::end(info.text), '\0'));
}

} // namespace zip_test
