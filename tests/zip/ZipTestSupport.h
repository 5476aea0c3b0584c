#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../support/TempFolder.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zip/TZip.h"

namespace zip_test {

inline constexpr const char* kTitle = "Varnek Gerrix Morvellin setup";

// A drive with a fixed drive part, kind and label. The label may change
// while the test runs (the user changes disks); every query is recorded.
class FakeVolumes : public platform::Volumes {
public:
    std::string drivePart = "/media/floppy";
    platform::DriveType type = platform::DriveType::Fixed;
    std::optional<std::string> label = std::string();
    mutable std::vector<std::string> queriedRoots;

    std::string DrivePart(std::string_view) const override { return drivePart; }
    std::optional<std::string> VolumeLabel(const std::string& root) const override {
        queriedRoots.push_back(root);
        return label;
    }
    platform::DriveType TypeOfDrive(const std::string& root) const override {
        queriedRoots.push_back(root);
        return type;
    }
};

// Scripted answers, and what the user does while a box is shown: the
// callback gets the number of boxes shown before this one. A box beyond the
// script is answered Cancel, so that a prompt repeated in error ends.
class DiskChangingPort : public ui::ScriptedUiPort {
public:
    std::function<void(std::size_t)> whileShown;

    ui::MsgResult ShowMessageBox(const ui::MessageBoxRequest& request) override {
        if (whileShown) {
            whileShown(Boxes().size());
        }
        if (AnswersLeft() == 0) {
            Answer(ui::MsgResult::Cancel);
        }
        return ScriptedUiPort::ShowMessageBox(request);
    }
};

// A window owning one archive component, with OEM code page 850 and ANSI
// code page 1252.
struct ZipFixture {
    testing_support::TempFolder folder;
    DiskChangingPort port;
    ui::Application app{port, kTitle};
    FakeVolumes volumes;
    ui::Component window{nullptr, "Form1"};
    TZip& zip = window.Make<TZip>("ZipFile", TZipServices{app, volumes, 850, 1252, {}});
    int contentsChanged = 0;

    ZipFixture() {
        zip.OnContentsChanged = [this](ui::Component* sender) {
            EXPECT_EQ(sender, &zip);
            ++contentsChanged;
        };
    }

    // Opens `path`; the message of the error raised, or nullopt.
    std::optional<std::string> Open(const std::string& path) {
        try {
            zip.SetArchiveFileName(path);
        } catch (const ui::Exception& error) {
            return std::string(error.what());
        }
        return std::nullopt;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const TFileInfo& entry : zip.Entries()) {
            names.push_back(entry.FileName);
        }
        return names;
    }
};

inline std::string NotValid(const std::string& path) {
    return "\"" + path + "\"\nis not a valid Zip file.";
}

inline const char* const kCentralError = "Error reading CentralFileHeader.";

} // namespace zip_test
