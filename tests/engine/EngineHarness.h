#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/TempFolder.h"
#include "engine/UnzDll.h"

namespace engine_test {

namespace fs = std::filesystem;

// One callback record as the engine sent it.
struct Call {
    void* identity;
    int action;
    int flag;
    int number;
    std::string text;
};

// Calls UnzDllExec with a parameter record like the archive component's
// option set {16} and answers every question from a script, recording
// every call.
class EngineRun {
public:
    // Answers: the overwrite question (number), the damaged-entry question
    // (flag), and passwords in order (an empty text answers "no password").
    int overwriteAnswer = 1;
    int damagedAnswer = 0;
    std::deque<std::string> passwords;
    // Returns non-zero to stop; sees every record before it is answered.
    std::function<int(const UnzCallbackInfo&)> stopWhen;
    // Adjusts the record before the call.
    std::function<void(UnzParams&)> adjust;

    std::vector<Call> calls;
    int result = 0;

    int Extract(const std::string& archive, const std::string& folder,
                std::vector<std::string> specs = {}) {
        calls.clear();
        std::vector<UnzFileSpec> specArray(specs.size());
        for (std::size_t i = 0; i < specs.size(); ++i) {
            specArray[i].pattern = specs[i].c_str();
        }
        UnzParams params{};
        params.identity = this;
        params.version = UNZ_INTERFACE_VERSION;
        params.callback = &EngineRun::Callback;
        params.folderNames = -1;
        params.overwriteExisting = -1;
        params.extractAll = -1;
        params.fileSpecCount = static_cast<int32_t>(specs.size());
        params.archiveName = archive.c_str();
        params.fileSpecs = specs.empty() ? nullptr : specArray.data();
        params.check3 = 3;
        params.extractFolder = folder.c_str();
        params.check7 = 7;
        if (adjust) {
            adjust(params);
        }
        result = UnzDllExec(&params);
        return result;
    }

    std::vector<int> Actions() const {
        std::vector<int> actions;
        for (const Call& call : calls) {
            actions.push_back(call.action);
        }
        return actions;
    }

    std::vector<std::string> Texts(int action) const {
        std::vector<std::string> texts;
        for (const Call& call : calls) {
            if (call.action == action) {
                texts.push_back(call.text);
            }
        }
        return texts;
    }

    int Count(int action) const {
        return static_cast<int>(
            std::count_if(calls.begin(), calls.end(),
                          [action](const Call& call) { return call.action == action; }));
    }

    // The messages joined, for failure output and substring checks.
    std::string Messages() const {
        std::string joined;
        for (const std::string& text : Texts(UNZ_ACTION_MESSAGE)) {
            joined += text + "\n";
        }
        return joined;
    }

private:
    static int32_t UNZ_CALL Callback(UnzCallbackInfo* info) {
        auto* run = static_cast<EngineRun*>(info->identity);
        run->calls.push_back({info->identity, info->action, info->flag, info->number, info->text});
        if (run->stopWhen && run->stopWhen(*info) != 0) {
            return -1;
        }
        switch (info->action) {
        case UNZ_ACTION_OVERWRITE:
            info->number = run->overwriteAnswer;
            break;
        case UNZ_ACTION_DAMAGED:
            info->flag = run->damagedAnswer;
            break;
        case UNZ_ACTION_PASSWORD:
            if (run->passwords.empty() || run->passwords.front().empty()) {
                info->flag = 0;
                info->number = 0;
            } else {
                std::string password = run->passwords.front();
                std::snprintf(info->text, sizeof(info->text), "%s", password.c_str());
                info->flag = 1;
                if (info->number > 0) {
                    --info->number;
                }
            }
            if (!run->passwords.empty()) {
                run->passwords.pop_front();
            }
            break;
        default:
            break;
        }
        return 0;
    }
};

// A scratch folder holding the extraction folder "extract/" and, beside it,
// "outside/sentinel.txt": a file no archive may ever change.
class Sandbox {
public:
    Sandbox() {
        fs::create_directories(m_root.Path() + "/extract");
        m_root.Write("outside/sentinel.txt", kSentinel);
        fs::last_write_time(Sentinel(), kSentinelTime);
    }

    std::string Root() const { return m_root.Path(); }
    std::string Folder() const { return m_root.Path() + "/extract/"; }
    std::string Outside() const { return m_root.Path() + "/outside"; }
    std::string Sentinel() const { return Outside() + "/sentinel.txt"; }
    std::string InFolder(const std::string& relative) const { return Folder() + relative; }

    // The sentinel still holds its bytes and time, and nothing else appeared
    // beside it or beside the extraction folder.
    void ExpectOutsideUntouched() const {
        EXPECT_EQ(testing_support::ReadBytes(Sentinel()), kSentinel);
        EXPECT_EQ(fs::last_write_time(Sentinel()), kSentinelTime);
        std::vector<std::string> outside = List(Outside());
        EXPECT_EQ(outside, std::vector<std::string>{"sentinel.txt"});
        std::vector<std::string> top;
        for (const auto& item : fs::directory_iterator(Root())) {
            top.push_back(item.path().filename().string());
        }
        std::sort(top.begin(), top.end());
        EXPECT_EQ(top, (std::vector<std::string>{"extract", "outside"}));
    }

    // Every path below `folder`, relative and sorted; links are listed, not
    // followed.
    static std::vector<std::string> List(const std::string& folder) {
        std::vector<std::string> paths;
        for (const auto& item : fs::recursive_directory_iterator(folder)) {
            paths.push_back(fs::relative(item.path(), folder).generic_string());
        }
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    std::vector<std::string> Extracted() const { return List(Folder()); }

    static constexpr const char* kSentinel = "sentinel: never changed\n";
    // Whole seconds: MinGW's standard library sets file times in seconds.
    static inline const fs::file_time_type kSentinelTime = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));

private:
    testing_support::TempFolder m_root;
};

inline std::string DataFile(const std::string& name) {
    return std::string(VG_TEST_DATA_DIR) + "/engine/" + name;
}

// Runs a shell command line; true when it exits with 0.
inline bool Shell(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// Two days before the tests run, and a day after: times of existing files
// that are older and newer than every entry made by MakeZip.
inline const fs::file_time_type kEntryTime =
    std::chrono::file_clock::from_sys(std::chrono::sys_seconds{std::chrono::seconds{1620284890}});
inline const fs::file_time_type kOlderTime = kEntryTime - std::chrono::hours(48);
inline const fs::file_time_type kNewerTime = kEntryTime + std::chrono::hours(24);

inline std::string Quote(const std::string& text);

// Writes a file, creating its folders, and dates it.
inline void WriteFile(const std::string& path, const std::string& bytes,
                      fs::file_time_type time = kOlderTime) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    fs::last_write_time(path, time);
}

#ifdef _WIN32
// Makes `archive` from (name, content) pairs as Info-ZIP zip does on Linux,
// every file dated kEntryTime; a name ending with "/" makes a folder.
// Windows has no zip program: Win32ConfinementTest.cpp writes the archive.
void MakeZip(const std::string& archive,
             const std::vector<std::pair<std::string, std::string>>& files);
#else
// Makes `archive` with Info-ZIP zip from (name, content) pairs, every file
// dated kEntryTime; a name ending with "/" makes a folder. `options` are
// added to zip's command line.
inline void MakeZip(const std::string& archive,
                    const std::vector<std::pair<std::string, std::string>>& files,
                    const std::string& options = "") {
    testing_support::TempFolder source;
    std::string names;
    for (const auto& [name, content] : files) {
        if (name.back() == '/') {
            fs::create_directories(source / name);
        } else {
            source.Write(name, content);
        }
        names += ' ';
        names += Quote(name);
    }
    for (const auto& [name, content] : files) {
        fs::last_write_time(source / name, kEntryTime);
    }
    std::string command =
        "cd " + Quote(source.Path()) + " && zip -q " + options + " " + Quote(archive) + names;
    ASSERT_TRUE(Shell(command)) << command;
}
#endif

inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

} // namespace engine_test
