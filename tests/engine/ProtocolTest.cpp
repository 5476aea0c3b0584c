// The callback protocol: the order of the calls, progress, stopping, and the
// checks of the parameter record.
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

std::string Text(std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += "protocol test line " + std::to_string(text.size()) + "\n";
    }
    text.resize(size);
    return text;
}

class EngineProtocol : public testing::Test {
protected:
    void SetUp() override {
        MakeZip(m_work / "three.zip",
                {{"a.txt", Text(1000)}, {"sub/", ""}, {"sub/b.txt", Text(700 * 1024)}});
    }

    std::string Archive() const { return m_work / "three.zip"; }

    testing_support::TempFolder m_work;
    Sandbox m_sandbox;
    EngineRun m_run;
};

TEST_F(EngineProtocol, AnnouncesTheBatchThenBeginsEveryEntryAndEndsTheBatch) {
    m_run.Extract(Archive(), m_sandbox.Folder());
    ASSERT_EQ(m_run.result, 0) << m_run.Messages();

    const auto& calls = m_run.calls;
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0].action, UNZ_ACTION_BATCH_COUNT);
    EXPECT_EQ(calls[0].number, 3);
    EXPECT_EQ(calls[1].action, UNZ_ACTION_BATCH_BYTES);
    EXPECT_EQ(calls[1].number, 1000 + 700 * 1024);
    EXPECT_EQ(calls.back().action, UNZ_ACTION_END_BATCH);
    EXPECT_EQ(m_run.Texts(UNZ_ACTION_BEGIN_ENTRY),
              (std::vector<std::string>{"a.txt", "sub\\", "sub\\b.txt"}));

    // Between two begins only progress reports, adding up to the size the
    // begin announced.
    int announced = -1;
    int reported = 0;
    for (std::size_t i = 2; i + 1 < calls.size(); ++i) {
        if (calls[i].action == UNZ_ACTION_BEGIN_ENTRY) {
            EXPECT_TRUE(announced < 0 || reported == announced) << calls[i].text;
            announced = calls[i].number;
            reported = 0;
        } else {
            ASSERT_EQ(calls[i].action, UNZ_ACTION_PROGRESS);
            reported += calls[i].number;
        }
    }
    EXPECT_EQ(reported, announced);
    for (const Call& call : calls) {
        EXPECT_EQ(call.identity, &m_run);
    }
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("sub/b.txt")), Text(700 * 1024));
}

TEST_F(EngineProtocol, ReportsProgressInStepsOfAboutQuarterAMebibyte) {
    m_run.Extract(Archive(), m_sandbox.Folder());
    std::vector<int> reports;
    for (const Call& call : m_run.calls) {
        if (call.action == UNZ_ACTION_PROGRESS) {
            reports.push_back(call.number);
        }
    }
    ASSERT_GE(reports.size(), 3u);
    for (int bytes : reports) {
        EXPECT_LT(bytes, 512 * 1024);
    }
}

TEST_F(EngineProtocol, StopInsideAnEntryLeavesTheExistingFileAndNoTrace) {
    WriteFile(m_sandbox.InFolder("sub/b.txt"), "the old file\n");
    int progress = 0;
    m_run.stopWhen = [&](const UnzCallbackInfo& info) {
        return info.action == UNZ_ACTION_PROGRESS && ++progress == 2 ? -1 : 0;
    };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, UNZ_CANCELLED);
    EXPECT_EQ(m_run.calls.back().action, UNZ_ACTION_PROGRESS);
    EXPECT_EQ(m_run.Count(UNZ_ACTION_END_BATCH), 0);
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("sub/b.txt")), "the old file\n");
    EXPECT_EQ(m_sandbox.Extracted(), (std::vector<std::string>{"a.txt", "sub", "sub/b.txt"}));
    m_sandbox.ExpectOutsideUntouched();
}

TEST_F(EngineProtocol, StopAtABeginLeavesTheEarlierEntries) {
    m_run.stopWhen = [](const UnzCallbackInfo& info) {
        return info.action == UNZ_ACTION_BEGIN_ENTRY && std::string(info.text) == "sub\\b.txt" ? 1
                                                                                               : 0;
    };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, UNZ_CANCELLED);
    EXPECT_EQ(m_sandbox.Extracted(), (std::vector<std::string>{"a.txt", "sub"}));
}

TEST_F(EngineProtocol, ExceptionFromTheCallbackPassesOnAfterCleaningUp) {
#if defined(_WIN32) && !defined(_WIN64)
    GTEST_SKIP() << "on 32-bit Windows no exception crosses the engine's module";
#endif
    m_run.stopWhen = [](const UnzCallbackInfo& info) -> int {
        if (info.action == UNZ_ACTION_PROGRESS) {
            throw std::runtime_error("handler failed");
        }
        return 0;
    };
    EXPECT_THROW(m_run.Extract(Archive(), m_sandbox.Folder()), std::runtime_error);
    EXPECT_EQ(m_sandbox.Extracted(), std::vector<std::string>{});
}

TEST(EngineBatch, EmptyArchiveIsAnEmptyBatch) {
    testing_support::TempFolder work;
    work.Write("empty.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    Sandbox sandbox;
    EngineRun run;
    run.Extract(work / "empty.zip", sandbox.Folder());
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.Actions(), (std::vector<int>{UNZ_ACTION_BATCH_COUNT, UNZ_ACTION_BATCH_BYTES,
                                               UNZ_ACTION_END_BATCH}));
}

TEST(EngineBatch, MissingArchiveOrFolderIsOneMessage) {
    testing_support::TempFolder work;
    EngineRun run;
    EXPECT_EQ(run.Extract(work / "missing.zip", work.Path()), UNZ_NO_ARCHIVE);
#ifdef _WIN32
    // The reason is the system's text, in the language of the system.
    std::string opening = "Cannot open the archive \"" + (work / "missing.zip") + "\": ";
    ASSERT_EQ(run.Texts(UNZ_ACTION_MESSAGE).size(), 1u);
    EXPECT_EQ(run.Texts(UNZ_ACTION_MESSAGE).front().rfind(opening, 0), 0u) << run.Messages();
    EXPECT_GT(run.Texts(UNZ_ACTION_MESSAGE).front().size(), opening.size());
#else
    EXPECT_EQ(run.Texts(UNZ_ACTION_MESSAGE),
              std::vector<std::string>{"Cannot open the archive \"" + (work / "missing.zip") +
                                       "\": No such file or directory"});
#endif
    MakeZip(work / "a.zip", {{"a.txt", "a"}});
    EXPECT_EQ(run.Extract(work / "a.zip", work / "no-folder/"), UNZ_NO_FOLDER);
    EXPECT_EQ(run.Actions(), std::vector<int>{UNZ_ACTION_MESSAGE});
}

TEST(EngineRecord, VersionIsAtLeast160) {
    EXPECT_GE(GetUnzDllVersion(), 160u);
}

struct BadRecord {
    const char* name;
    void (*spoil)(UnzParams&);
};

void PrintTo(const BadRecord& bad, std::ostream* out) {
    *out << bad.name;
}

class EngineBadRecord : public testing::TestWithParam<BadRecord> {};

TEST_P(EngineBadRecord, IsRefusedWithoutACall) {
    testing_support::TempFolder work;
    MakeZip(work / "a.zip", {{"a.txt", "a"}});
    EngineRun run;
    run.adjust = GetParam().spoil;
    EXPECT_EQ(run.Extract(work / "a.zip", work.Path()), UNZ_BAD_PARAMETERS);
    EXPECT_TRUE(run.calls.empty());
    EXPECT_FALSE(fs::exists(work / "a.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineBadRecord,
    testing::Values(BadRecord{"OldVersion", [](UnzParams& p) { p.version = 159; }},
                    BadRecord{"WrongCheck3", [](UnzParams& p) { p.check3 = 0; }},
                    BadRecord{"WrongCheck7", [](UnzParams& p) { p.check7 = 3; }},
                    BadRecord{"NoCallback", [](UnzParams& p) { p.callback = nullptr; }},
                    BadRecord{"NoArchiveName", [](UnzParams& p) { p.archiveName = nullptr; }},
                    BadRecord{"NoFolder", [](UnzParams& p) { p.extractFolder = nullptr; }},
                    BadRecord{"SpecsWithoutArray", [](UnzParams& p) { p.fileSpecCount = 1; }},
                    BadRecord{"NegativeSpecCount", [](UnzParams& p) { p.fileSpecCount = -1; }}),
    [](const testing::TestParamInfo<BadRecord>& info) { return std::string(info.param.name); });

TEST(EngineRecord, NullRecordIsRefused) {
    EXPECT_EQ(UnzDllExec(nullptr), UNZ_BAD_PARAMETERS);
}

} // namespace
} // namespace engine_test
