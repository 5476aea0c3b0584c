#pragma once

// What the fault tests share: folder snapshots, archives made by Info-ZIP
// zip, and an installation set up as on a reseller's medium whose run can
// go on in a child process.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "../app/WizardFixture.h"
#include "../support/TempFolder.h"
#include "ChildProcess.h"
#include "ui/scripted/ScriptedUiPort.h"

namespace fault_test {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using Files = std::vector<std::pair<std::string, std::string>>;

// One entry of a folder as a snapshot holds it: its kind and, for a file,
// its bytes, for a link, where it points.
struct Node {
    enum class Kind { File, Folder, Link, Other } kind = Kind::File;
    std::string bytes;
    bool operator==(const Node&) const = default;
};

inline Node FileNode(std::string bytes) {
    return {Node::Kind::File, std::move(bytes)};
}
inline Node FolderNode() {
    return {Node::Kind::Folder, {}};
}

// Failure output names the size and the first bytes, not megabytes.
inline void PrintTo(const Node& node, std::ostream* os) {
    static const char* const kKinds[] = {"file", "folder", "link", "other"};
    *os << kKinds[static_cast<int>(node.kind)];
    if (node.kind == Node::Kind::File || node.kind == Node::Kind::Link) {
        *os << " of " << node.bytes.size() << " bytes \"" << node.bytes.substr(0, 24) << "\"";
    }
}

// Every path below a folder, relative, with what it holds; links are
// listed, never followed.
using Tree = std::map<std::string, Node>;

inline Tree Snapshot(const std::string& folder) {
    Tree tree;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(item.path(), folder).generic_string();
        if (item.is_symlink()) {
            tree[relative] = {Node::Kind::Link, fs::read_symlink(item.path()).string()};
        } else if (item.is_directory()) {
            tree[relative] = FolderNode();
        } else if (item.is_regular_file()) {
            tree[relative] = FileNode(ReadBytes(item.path().string()));
        } else {
            tree[relative] = {Node::Kind::Other, {}};
        }
    }
    return tree;
}

// `size` bytes that deflate only in part: runs of text between random
// bytes, the same for the same seed.
inline std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937_64 random(seed);
    std::string bytes;
    bytes.reserve(size + 64);
    while (bytes.size() < size) {
        const std::uint64_t draw = random();
        if (draw % 2 == 0) {
            bytes +=
                "line " + std::to_string(draw % 1000) + " of seed " + std::to_string(seed) + "\n";
        } else {
            for (int i = 0; i < 8; ++i) {
                const std::uint64_t word = random();
                bytes.append(reinterpret_cast<const char*>(&word), sizeof word);
            }
        }
    }
    bytes.resize(size);
    return bytes;
}

// Packs the files with Info-ZIP's zip, as the medium's archives are made;
// their folders become folder entries.
inline void MakeZip(const std::string& archive, const Files& files) {
    TempFolder content;
    for (const auto& [path, bytes] : files) {
        content.Write(path, bytes);
    }
    fs::remove(archive);
    const std::string command = "cd '" + content.Path() + "' && zip -q -r -X '" + archive + "' .";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// A medium with one library and both archives, a target installation named
// in the registry with its folders, and a system folder: all in temporary
// folders. Tests change them before Create().
class InstallationFixture : public testing_support::WizardFixture {
protected:
    TempFolder target;

    void SetUp() override {
        WizardFixture::SetUp();
        if (const char* old = std::getenv("VG_SYSTEM_DIR")) {
            m_oldSystemDir = old;
        }
        ::setenv("VG_SYSTEM_DIR", (target / "system").c_str(), 1);
        medium.Write("VG_Setup.ini",
                     "[ENVIROMENT]\r\nRegisterVersion=16.0\r\nVersionZipName=Data\r\n");
        medium.Write("libvgone.so", "library one");
        MakeZip(medium / "Data.zip", {{"16.0/readme.txt", "version data"}});
        MakeZip(medium / "environments.zip", {{"Default/settings.ini", "[Environment]"}});
        fs::create_directories(target / "env/16.0/environments");
        fs::create_directories(target / "app/16.0");
        registry = platform::RegistryFile::FromBytes(RegistryExport(), true);
    }
    void TearDown() override {
        ::setenv("VG_SYSTEM_DIR", m_oldSystemDir.c_str(), 1);
        fs::current_path(fs::temp_directory_path());
        WizardFixture::TearDown();
    }

    // The export file naming the target installation.
    std::string RegistryExport() const {
        return "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup]\r\n"
               "\"AppDir\"=\"" +
               target / "app/" + "\"\r\n\"EnvDir\"=\"" + target / "env/" +
               "\"\r\n\"Version\"=\"16.0\"\r\n";
    }

    std::string T(const char* key) const { return translator.Translate(key); }
    std::string LogLine(const char* key) const { return "- " + T(key); }
    std::vector<std::string> Log() const { return form->memoVoortgang.Lines(); }

    // The log of a run that found the target installation: the target, the
    // library copy line, `middle`, and the closing lines.
    std::vector<std::string> RunLog(const std::vector<std::string>& middle) const {
        std::vector<std::string> lines{"- " + target / "app/", "- " + target / "env/", "- 16.0",
                                       LogLine("msgCopyZipDll")};
        lines.insert(lines.end(), middle.begin(), middle.end());
        lines.insert(lines.end(), {"", LogLine("msgCloseInstallation")});
        return lines;
    }
    std::string NotCopied(const std::string& what) const {
        return LogLine("msgNotCopied") + " (" + what + ")";
    }
    // The environments' failure line has no blank before the parenthesis.
    std::string EnvironmentsNotCopied() const {
        return LogLine("msgNotCopied") + "(" + medium / "environments.zip" + ")";
    }

    // What a child process saw of an installation run.
    struct ChildRun {
        std::vector<std::string> log;
        std::vector<std::string> boxes;
        // Any other message of the child ("raised: ...", "skip: ...").
        std::vector<std::string> other;
        ChildEnd end;
    };

    // In a child: drops root privileges (see DropRootPrivileges) and checks
    // that the medium can still be read. Raises "skip: <reason>" when the
    // child cannot run unprivileged here.
    void BecomeUnprivileged() {
        form->ZipFile.LoadEngine(); // the build folder may be closed to others
        if (!DropRootPrivileges()) {
            throw std::runtime_error("skip: root privileges cannot be dropped");
        }
        if (ReadBytes(medium / "VG_Setup.ini").empty()) {
            throw std::runtime_error("skip: the temporary folder is closed to user nobody");
        }
    }
    // Why the child could not run its test, or "" when it did.
    static std::string SkipReason(const ChildRun& run) {
        for (const std::string& message : run.other) {
            if (message.starts_with("raised: skip: ")) {
                return message.substr(14);
            }
        }
        return {};
    }

    // Clicks Start on the window made by Create() in a child process, after
    // `prepare` has run there, and brings back the log and the texts of the
    // message boxes shown.
    ChildRun RunInstallationInChild(const std::function<void()>& prepare) {
        ChildProcess child([&] {
            prepare();
            ui::Click(*form, "btnStart");
            for (const std::string& line : Log()) {
                Report("log:" + line);
            }
            for (const auto& box : port.Boxes()) {
                Report("box:" + box.request.text);
            }
        });
        ChildRun run;
        for (const std::string& message : child.Rest(std::chrono::seconds(20))) {
            if (message.starts_with("log:")) {
                run.log.push_back(message.substr(4));
            } else if (message.starts_with("box:")) {
                run.boxes.push_back(message.substr(4));
            } else {
                run.other.push_back(message);
            }
        }
        run.end = child.Wait();
        return run;
    }

private:
    std::string m_oldSystemDir;
};

} // namespace fault_test
