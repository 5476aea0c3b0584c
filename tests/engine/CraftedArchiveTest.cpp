// Crafted hostile and damaged archives: each entry that would leave the
// extraction folder, or whose data cannot be trusted, is refused with a
// message, and the sentinel beside the folder never changes.
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

struct CraftedCase {
    const char* file;
    int result;
    const char* message;                // a part of the one refusal message
    std::vector<std::string> extracted; // what the extraction folder holds afterwards
    bool asksDamaged = false;
};

void PrintTo(const CraftedCase& crafted, std::ostream* out) {
    *out << crafted.file;
}

const std::vector<std::string> kGood = {"good.txt"};

class EngineCraftedArchive : public testing::TestWithParam<CraftedCase> {};

TEST_P(EngineCraftedArchive, RefusesTheDefectAndStaysInsideTheFolder) {
    const CraftedCase& crafted = GetParam();
    Sandbox sandbox;
    EngineRun run;
    run.Extract(DataFile(crafted.file), sandbox.Folder());

    EXPECT_EQ(run.result, crafted.result) << run.Messages();
    EXPECT_NE(run.Messages().find(crafted.message), std::string::npos) << run.Messages();
    EXPECT_EQ(sandbox.Extracted(), crafted.extracted);
    EXPECT_EQ(run.Count(UNZ_ACTION_DAMAGED), crafted.asksDamaged ? 1 : 0);
    EXPECT_FALSE(std::filesystem::exists("/tmp/vg-engine-absolute-evil.txt"));
    sandbox.ExpectOutsideUntouched();
    if (crafted.result > 0) {
        EXPECT_EQ(run.Count(UNZ_ACTION_MESSAGE), crafted.result);
        EXPECT_EQ(run.Count(UNZ_ACTION_SKIPPED), crafted.result);
        EXPECT_EQ(run.calls.back().action, UNZ_ACTION_END_BATCH);
    } else if (crafted.result < 0) {
        EXPECT_EQ(run.Actions(), std::vector<int>{UNZ_ACTION_MESSAGE});
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineCraftedArchive,
    testing::Values(
        CraftedCase{"traversal-dotdot.zip", 1, "leads out of the extraction folder", kGood},
        CraftedCase{"traversal-backslash.zip", 1, "leads out of the extraction folder", kGood},
        CraftedCase{"traversal-nested.zip", 1, "leads out of the extraction folder", kGood},
        CraftedCase{"traversal-trailing-dotdot.zip", 1, "leads out of the extraction folder",
                    kGood},
        CraftedCase{"absolute-path.zip", 1, "is an absolute path", kGood},
        CraftedCase{"absolute-backslash.zip", 1, "is an absolute path", kGood},
        CraftedCase{"drive-letter.zip", 2, "starts with a drive letter", kGood},
        CraftedCase{"unc-path.zip", 2, "is a network path", kGood},
        CraftedCase{"nul-in-name.zip", 1, "contains a NUL byte", kGood},
        CraftedCase{"control-character.zip", 1, "contains a control character", kGood},
        CraftedCase{"empty-component.zip", 1, "has an empty part", kGood},
        CraftedCase{"symlink-entry.zip",
                    1,
                    "\"link\" was not extracted: it is a symbolic link",
                    {"good.txt", "link", "link/sentinel.txt"}},
        CraftedCase{"device-file-entry.zip", 1, "is a special file", kGood},
        CraftedCase{"overlapping-entries.zip", 2, "its data overlaps another entry", kGood},
        CraftedCase{"data-overlaps-central-directory.zip", 1,
                    "its data overlaps another entry or the central directory", kGood},
        CraftedCase{"offset-beyond-archive.zip", 1, "its central directory entry is damaged",
                    kGood},
        CraftedCase{"crc-error.zip", 1, "it is damaged (CRC error)", kGood, true},
        CraftedCase{"size-larger-than-stated.zip", 1, "larger than its stated size", kGood, true},
        CraftedCase{"size-smaller-than-stated.zip", 1, "smaller than its stated size", kGood, true},
        CraftedCase{"deflate-data-damaged.zip", 1,
                    "\"damaged-deflate.txt\" was not extracted: it is damaged", kGood, true},
        CraftedCase{"local-name-differs.zip", 1, "the local header names another file", kGood,
                    true},
        CraftedCase{"local-method-differs.zip", 1,
                    "the local header gives another compression method", kGood, true},
        CraftedCase{"unsupported-method.zip", 1, "compression method 9 is not supported", kGood},
        CraftedCase{"strong-encryption.zip", 1, "strong encryption", kGood},
        CraftedCase{"truncated-archive.zip", UNZ_NOT_A_ZIP, "is not a valid zip archive", {}},
        CraftedCase{"entry-count-too-large.zip", UNZ_NOT_A_ZIP, "too small for 60000 entries", {}},
        CraftedCase{"multi-disk.zip", UNZ_MULTI_DISK, "is spread over several disks", {}},
        CraftedCase{"not-a-zip.zip", UNZ_NOT_A_ZIP, "no end of central directory record", {}}),
    [](const testing::TestParamInfo<CraftedCase>& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST(EngineCraftedAnswers, DamagedEntryKeptOnYesIsCutAtItsStatedSize) {
    Sandbox sandbox;
    EngineRun run;
    run.damagedAnswer = 1;
    run.Extract(DataFile("size-larger-than-stated.zip"), sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    std::string stated;
    for (int i = 0; i < 10; ++i) {
        stated += "0123456789";
    }
    EXPECT_EQ(testing_support::ReadBytes(sandbox.InFolder("larger-than-stated.txt")), stated);
}

TEST(EngineCraftedAnswers, CancelAtDamagedQuestionStopsWithoutTheFile) {
    Sandbox sandbox;
    EngineRun run;
    run.stopWhen = [](const UnzCallbackInfo& info) {
        return info.action == UNZ_ACTION_DAMAGED ? -1 : 0;
    };
    run.Extract(DataFile("crc-error.zip"), sandbox.Folder());
    EXPECT_EQ(run.result, UNZ_CANCELLED);
    EXPECT_EQ(run.calls.back().action, UNZ_ACTION_DAMAGED);
    EXPECT_TRUE(sandbox.Extracted().empty());
}

TEST(EngineNames, OemNameIsDecodedFromTheLocaleCodePage) {
    Sandbox sandbox;
    EngineRun run;
    run.Extract(DataFile("oem-name.zip"), sandbox.Folder());
    EXPECT_EQ(run.result, 0) << run.Messages();
    EXPECT_EQ(sandbox.Extracted(),
              (std::vector<std::string>{"caf\xC3\xA9 \xC3\x84.txt", "good.txt"}));
    EXPECT_EQ(run.Texts(UNZ_ACTION_BEGIN_ENTRY).front(), "caf\xC3\xA9 \xC3\x84.txt");
}

// Inputs that once broke the engine under the fuzzer: none may crash it or
// reach outside the folder.
TEST(EngineFuzzFindings, ReplayWithoutHarm) {
    for (const auto& item :
         std::filesystem::directory_iterator(std::string(VG_TEST_DATA_DIR) + "/engine")) {
        std::string name = item.path().filename().string();
        if (name.rfind("fuzz-", 0) != 0) {
            continue;
        }
        SCOPED_TRACE(name);
        Sandbox sandbox;
        EngineRun run;
        run.damagedAnswer = 1;
        run.passwords = {"a", "b", "c"};
        run.Extract(item.path().string(), sandbox.Folder());
        EXPECT_NE(run.result, UNZ_INTERNAL);
        sandbox.ExpectOutsideUntouched();
    }
}

} // namespace
} // namespace engine_test
