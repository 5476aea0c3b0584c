// libFuzzer harness over the opening of an archive: the end record search on
// the input as a buffer, then the archive component opening the input as a
// file, once on a fixed drive and once on a numbered floppy disk of a
// spanned set, where the disk prompts are answered OK twice and then Cancel.
//
// Every outcome the component documents (an error carrying a message, or a
// list of entries) is fine; a crash, a sanitizer report, a hang or any other
// exception is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/Volumes.h"
#include "ui/Application.h"
#include "ui/Component.h"
#include "ui/Exception.h"
#include "ui/scripted/ScriptedUiPort.h"
#include "zipformat/EndRecordSearch.h"
#include "zip/TZip.h"

namespace {

class FuzzVolumes : public platform::Volumes {
public:
    FuzzVolumes(platform::DriveType type, std::string label)
        : m_type(type), m_label(std::move(label)) {}
    std::string DrivePart(std::string_view) const override { return "/media/floppy"; }
    std::optional<std::string> VolumeLabel(const std::string&) const override { return m_label; }
    platform::DriveType TypeOfDrive(const std::string&) const override { return m_type; }

private:
    platform::DriveType m_type;
    std::string m_label;
};

class PatientUser : public ui::ScriptedUiPort {
public:
    ui::MsgResult ShowMessageBox(const ui::MessageBoxRequest& request) override {
        Answer(Boxes().size() < 2 ? ui::MsgResult::Ok : ui::MsgResult::Cancel);
        return ScriptedUiPort::ShowMessageBox(request);
    }
};

// The file each input is written to, in memory where the system offers a
// memory file system; removed when the fuzzer exits.
class InputFile {
public:
    InputFile() {
        std::filesystem::path folder = "/dev/shm";
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            folder = std::filesystem::temp_directory_path();
        }
        m_path = (folder / ("zip_open_fuzzer-" + std::to_string(std::random_device{}()) + ".zip"))
                     .string();
    }
    ~InputFile() {
        std::error_code error;
        std::filesystem::remove(m_path, error);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const std::string& InputPath() {
    static const InputFile file;
    return file.Path();
}

void OpenOn(platform::DriveType type, const std::string& label) {
    PatientUser port;
    ui::Application app(port, "fuzz");
    FuzzVolumes volumes(type, label);
    ui::Component window(nullptr, "Form1");
    TZip& zip = window.Make<TZip>("ZipFile", TZipServices{app, volumes, 850, 1252, {}});
    try {
        zip.SetArchiveFileName(InputPath());
    } catch (const ui::Exception&) {
        if (!zip.Entries().empty()) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto found = zipformat::FindEndRecordIn(bytes, 0, static_cast<std::int64_t>(size));
    if (found && (*found < 0 || *found + static_cast<std::int64_t>(zipformat::kEndRecordSize) >
                                    static_cast<std::int64_t>(size))) {
        std::abort();
    }

    {
        std::ofstream file(InputPath(), std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    OpenOn(platform::DriveType::Fixed, "");
    OpenOn(platform::DriveType::Removable, "PKBACK# 002");
    return 0;
}
