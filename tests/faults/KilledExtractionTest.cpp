// An extraction through the archive component and the real engine, killed
// with SIGKILL at many points over a folder of existing files: after every
// kill each file holds its old bytes or its new ones, and nothing else is
// there.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "FaultFixture.h"
#include "app/TForm1.h"
#include "platform/Volumes.h"
#include "ui/Application.h"
#include "zip/TZip.h"

namespace fault_test {
namespace {

constexpr int kEntries = 40;
// Entries whose file does not exist before the extraction.
constexpr int kNewOnly = 4;
constexpr int kKillPoints = 30;

// Two files of megabytes, empty ones, and sizes between.
std::size_t SizeOfEntry(int i) {
    if (i == 9) {
        return 2 * 1024 * 1024 + 3;
    }
    if (i == 30) {
        return 1024 * 1024 - 3;
    }
    return i % 10 == 7 ? 0 : static_cast<std::size_t>(i) * 7919 % 60000;
}

class KilledExtractionTest : public testing::Test {
protected:
    TempFolder work;
    ui::ScriptedUiPort port;
    ui::Application app{port, kApplicationTitle};
    platform::SystemVolumes volumes;
    ui::Component window{nullptr, "Form1"};
    TZip& zip = window.Make<TZip>("ZipFile", TZipServices{app, volumes, 437, 1252, {}});
    fs::path startFolder = fs::current_path();
    // Old and new bytes of every entry's file; old is empty for the new ones.
    std::map<std::string, std::pair<std::string, std::string>> files;
    std::string folder = work / "target";

    void SetUp() override {
        Files entries;
        for (int i = 0; i < kEntries; ++i) {
            const std::string name =
                (i % 3 == 0 ? "sub/" : "") + std::string("file") + std::to_string(i) + ".dat";
            const std::size_t size = SizeOfEntry(i);
            const std::string newBytes = Noise(size, 100 + i);
            const std::string oldBytes =
                i < kNewOnly ? ""
                             : "old " + name + std::string(static_cast<std::size_t>(i) * 97, '-');
            files[name] = {oldBytes, newBytes};
            entries.emplace_back(name, newBytes);
        }
        MakeZip(work / "archive.zip", entries);
        zip.SetArchiveFileName(work / "archive.zip");
        zip.ShowProgressDialog = false;
        zip.ExtractOptions = ExtractOption16;
        zip.ExtractBaseFolder = folder;
        zip.LoadEngine();
    }
    void TearDown() override { fs::current_path(startFolder); }

    void WriteOldFiles() const {
        fs::remove_all(folder);
        fs::create_directories(folder + "/sub");
        for (const auto& [name, bytes] : files) {
            if (!bytes.first.empty()) {
                std::ofstream(folder + "/" + name, std::ios::binary) << bytes.first;
            }
        }
    }

    // Extracts in a child that reports every begin and progress event and
    // stops to be killed at event `killAt` (0: never). With `pause` the
    // child waits there; without, it goes on working while the parent
    // kills it, and waits at the end.
    std::unique_ptr<ChildProcess> StartExtraction(int killAt, bool pause) {
        return std::make_unique<ChildProcess>([this, killAt, pause] {
            int events = 0;
            auto step = [&] {
                if (++events == killAt) {
                    Report("kill me");
                    if (pause) {
                        WaitToBeKilled();
                    }
                }
            };
            zip.OnZEDBeginFileEvent = [&](ui::Component*, const std::string&, std::int32_t,
                                          std::int32_t, std::int32_t) { step(); };
            zip.OnZEDProgressEvent = [&](ui::Component*, const std::string&, std::int32_t,
                                         std::int32_t) { step(); };
            const std::int32_t result = zip.Extract();
            Report("done " + std::to_string(result) + " " + std::to_string(events));
            if (killAt != 0) {
                WaitToBeKilled(); // a kill sent while the child went on may land after the end
            }
        });
    }

    // Whether `node` at `path` is a complete new file under the engine's
    // temporary name. Linux cannot give an unnamed file a name that already
    // exists, so the engine names a finished file briefly before it renames
    // it over the old one; a kill in between leaves that name behind.
    bool IsFinishedTemporary(const std::string& path, const Node& node) const {
        static const std::regex kTemporaryName(R"((sub/)?\.UnzDll-[0-9]+-[0-9]+-[0-9a-f]{8}\.tmp)");
        if (!std::regex_match(path, kTemporaryName)) {
            return false;
        }
        const std::string folderPart = path.substr(0, path.find_last_of('/') + 1);
        for (const auto& [name, bytes] : files) {
            if (name.substr(0, name.find_last_of('/') + 1) == folderPart &&
                node == FileNode(bytes.second)) {
                return true;
            }
        }
        return false;
    }

    // Checks the folder after a kill: every file holds its old or its new
    // bytes, a file that did not exist is missing or complete, and nothing
    // else is there but at most one finished file under a temporary name.
    // Returns how many files hold their new bytes.
    int CheckAfterKill(int killAt) const {
        int fresh = 0;
        int temporaries = 0;
        for (const auto& [path, node] : Snapshot(folder)) {
            if (path == "sub") {
                EXPECT_EQ(node, FolderNode()) << "after kill at event " << killAt;
                continue;
            }
            const auto known = files.find(path);
            if (known == files.end()) {
                EXPECT_TRUE(IsFinishedTemporary(path, node) && ++temporaries == 1)
                    << "after kill at event " << killAt << ": a stray \"" << path << "\", "
                    << testing::PrintToString(node);
                continue;
            }
            const auto& [oldBytes, newBytes] = known->second;
            const bool isNew = node == FileNode(newBytes);
            const bool isOld = !oldBytes.empty() && node == FileNode(oldBytes);
            EXPECT_TRUE(isNew || isOld) << "after kill at event " << killAt << ": \"" << path
                                        << "\" is " << testing::PrintToString(node);
            fresh += isNew && !isOld ? 1 : 0;
        }
        for (const auto& [name, bytes] : files) {
            if (!bytes.first.empty()) {
                EXPECT_TRUE(fs::exists(folder + "/" + name))
                    << "after kill at event " << killAt << ": \"" << name << "\" is gone";
            }
        }
        return fresh;
    }
};

TEST_F(KilledExtractionTest, EveryFileIsOldOrNewAfterEveryKill) {
    WriteOldFiles();
    auto complete = StartExtraction(0, false);
    const std::vector<std::string> report = complete->Rest(std::chrono::seconds(20));
    ASSERT_EQ(complete->Wait().exitCode, 0) << testing::PrintToString(report);
    ASSERT_EQ(report.size(), 1u);
    int totalEvents = 0;
    ASSERT_EQ(std::sscanf(report[0].c_str(), "done 0 %d", &totalEvents), 1) << report[0];
    Tree allNew;
    allNew["sub"] = FolderNode();
    for (const auto& [name, bytes] : files) {
        allNew[name] = FileNode(bytes.second);
    }
    ASSERT_EQ(Snapshot(folder), allNew);
    ASSERT_GT(totalEvents, 2 * kKillPoints);

    // Kill points spread over the first nine tenths of the events: time
    // based progress reports may make another run a little shorter.
    std::set<int> freshCounts;
    for (int i = 0; i < kKillPoints; ++i) {
        const int killAt = 1 + i * (totalEvents * 9 / 10 - 1) / (kKillPoints - 1);
        WriteOldFiles();
        auto child = StartExtraction(killAt, i % 2 == 0);
        const std::optional<std::string> message = child->Next(std::chrono::seconds(10));
        child->Kill();
        const ChildEnd end = child->Wait();
        ASSERT_EQ(message, "kill me") << "event " << killAt << " of " << totalEvents;
        EXPECT_EQ(end.signal, kKillSignal);
        freshCounts.insert(CheckAfterKill(killAt));
    }
    // The kills fell all over the batch, not only at its ends.
    EXPECT_GE(freshCounts.size(), 10u) << testing::PrintToString(freshCounts);
}

} // namespace
} // namespace fault_test
