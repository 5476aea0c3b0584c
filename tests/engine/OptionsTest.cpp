// The record's options: existing files, folder names, file specs and
// passwords, each with the questions the engine asks.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace engine_test {
namespace {

class EngineOptions : public testing::Test {
protected:
    void SetUp() override {
        MakeZip(
            m_work / "files.zip",
            {{"a.txt", "new a\n"}, {"sub/", ""}, {"sub/b.txt", "new b\n"}, {"c.dat", "new c\n"}});
    }

    std::string Archive() const { return m_work / "files.zip"; }
    std::string Read(const std::string& relative) const {
        return testing_support::ReadBytes(m_sandbox.InFolder(relative));
    }

    testing_support::TempFolder m_work;
    Sandbox m_sandbox;
    EngineRun m_run;
};

struct OverwriteCase {
    const char* name;
    fs::file_time_type existingTime;
    int answer;
    int expectedFlag;
    const char* expectedContent;
};

void PrintTo(const OverwriteCase& c, std::ostream* out) {
    *out << c.name;
}

class EngineOverwriteQuestion : public EngineOptions,
                                public testing::WithParamInterface<OverwriteCase> {};

TEST_P(EngineOverwriteQuestion, CarriesTheAgeAndIsObeyed) {
    const OverwriteCase& c = GetParam();
    WriteFile(m_sandbox.InFolder("a.txt"), "old a\n", c.existingTime);
    m_run.overwriteAnswer = c.answer;
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();

    ASSERT_EQ(m_run.Count(UNZ_ACTION_OVERWRITE), 1);
    const auto question =
        std::find_if(m_run.calls.begin(), m_run.calls.end(),
                     [](const Call& call) { return call.action == UNZ_ACTION_OVERWRITE; });
    EXPECT_EQ(question->flag & 1, c.expectedFlag);
    EXPECT_EQ(question->text, "a.txt");
    EXPECT_EQ((question - 1)->action, UNZ_ACTION_BEGIN_ENTRY);
    EXPECT_EQ((question + 1)->action, c.answer == 1 ? UNZ_ACTION_PROGRESS : UNZ_ACTION_SKIPPED);
    EXPECT_EQ(Read("a.txt"), c.expectedContent);
    EXPECT_EQ(Read("sub/b.txt"), "new b\n");
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineOverwriteQuestion,
    testing::Values(OverwriteCase{"OlderReplaced", kOlderTime, 1, 1, "new a\n"},
                    OverwriteCase{"OlderKept", kOlderTime, 0, 1, "old a\n"},
                    OverwriteCase{"NewerReplaced", kNewerTime, 1, 0, "new a\n"},
                    OverwriteCase{"NewerKept", kNewerTime, 0, 0, "old a\n"},
                    OverwriteCase{"SameAgeIsNotOlder", kEntryTime, 0, 0, "old a\n"}),
    [](const testing::TestParamInfo<OverwriteCase>& info) { return std::string(info.param.name); });

TEST_F(EngineOptions, ReplacedFileGetsTheEntryTime) {
    WriteFile(m_sandbox.InFolder("a.txt"), "old a\n");
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(fs::last_write_time(m_sandbox.InFolder("a.txt")), kEntryTime);
}

TEST_F(EngineOptions, FolderInThePlaceOfAFileIsRefused) {
    fs::create_directories(m_sandbox.InFolder("a.txt/inside"));
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 1);
    EXPECT_EQ(m_run.Messages(), "\"a.txt\" was not extracted: a folder of that name exists\n");
    EXPECT_TRUE(fs::is_directory(m_sandbox.InFolder("a.txt/inside")));
}

TEST_F(EngineOptions, UpdateExtractsNewFilesAndAsksForExistingOnes) {
    WriteFile(m_sandbox.InFolder("a.txt"), "old a\n");
    m_run.adjust = [](UnzParams& p) {
        p.update = -1;
        p.extractAll = 0;
    };
    m_run.overwriteAnswer = 0;
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0);
    EXPECT_EQ(m_run.Count(UNZ_ACTION_OVERWRITE), 1);
    EXPECT_EQ(Read("a.txt"), "old a\n");
    EXPECT_EQ(Read("c.dat"), "new c\n");
}

TEST_F(EngineOptions, FreshenTouchesOnlyExistingFiles) {
    WriteFile(m_sandbox.InFolder("a.txt"), "old a\n");
    m_run.adjust = [](UnzParams& p) {
        p.freshen = -1;
        p.extractAll = 0;
    };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0);
    EXPECT_EQ(Read("a.txt"), "new a\n");
    EXPECT_EQ(m_sandbox.Extracted(), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(m_run.Count(UNZ_ACTION_SKIPPED), 3);
}

TEST_F(EngineOptions, KeepExistingNeverAsksAndWinsOverOverwrite) {
    WriteFile(m_sandbox.InFolder("a.txt"), "old a\n");
    m_run.adjust = [](UnzParams& p) {
        p.keepExisting = -1;
        p.update = -1;
        p.extractAll = 0;
    };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0);
    EXPECT_EQ(m_run.Count(UNZ_ACTION_OVERWRITE), 0);
    EXPECT_EQ(m_run.Count(UNZ_ACTION_SKIPPED), 1);
    EXPECT_EQ(Read("a.txt"), "old a\n");
    EXPECT_EQ(Read("c.dat"), "new c\n");
}

TEST_F(EngineOptions, WithoutFolderNamesEveryFileLandsInTheFolder) {
    m_run.adjust = [](UnzParams& p) { p.folderNames = 0; };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0);
    EXPECT_EQ(m_sandbox.Extracted(), (std::vector<std::string>{"a.txt", "b.txt", "c.dat"}));
}

struct SpecCase {
    const char* name;
    std::vector<std::string> specs;
    std::vector<std::string> extracted;
};

void PrintTo(const SpecCase& c, std::ostream* out) {
    *out << c.name;
}

class EngineFileSpecs : public EngineOptions, public testing::WithParamInterface<SpecCase> {};

TEST_P(EngineFileSpecs, SelectTheBatch) {
    const SpecCase& c = GetParam();
    m_run.Extract(Archive(), m_sandbox.Folder(), c.specs);
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(m_sandbox.Extracted(), c.extracted);
    EXPECT_EQ(m_run.calls.front().number, m_run.Count(UNZ_ACTION_BEGIN_ENTRY));
}

INSTANTIATE_TEST_SUITE_P(
    All, EngineFileSpecs,
    testing::Values(SpecCase{"Wildcard", {"*.txt"}, {"a.txt", "sub", "sub/b.txt"}},
                    SpecCase{"FolderWithBackslash", {"SUB\\"}, {"sub", "sub/b.txt"}},
                    SpecCase{"ExactNames", {"c.dat", "a.txt"}, {"a.txt", "c.dat"}},
                    SpecCase{"QuestionMark", {"?.dat"}, {"c.dat"}},
                    SpecCase{"NoMatch", {"*.exe"}, {}}),
    [](const testing::TestParamInfo<SpecCase>& info) { return std::string(info.param.name); });

// Made once by zip -P secret and kept: traditional encryption lets one wrong
// password in 256 pass its check, and this archive is known to refuse the
// wrong passwords used here.
class EnginePasswords : public testing::Test {
protected:
    static std::string Archive() { return DataFile("zipcrypto-password-secret.zip"); }

    std::vector<int> PasswordNumbers() const {
        std::vector<int> numbers;
        for (const Call& call : m_run.calls) {
            if (call.action == UNZ_ACTION_PASSWORD) {
                numbers.push_back(call.number);
            }
        }
        return numbers;
    }

    Sandbox m_sandbox;
    EngineRun m_run;
};

TEST_F(EnginePasswords, RightPasswordIsAskedOnceForTheBatch) {
    m_run.passwords = {"secret"};
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(PasswordNumbers(), std::vector<int>{3});
    EXPECT_EQ(m_run.Texts(UNZ_ACTION_PASSWORD), std::vector<std::string>{"one.txt"});
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("two.txt")), "second secret\n");
}

TEST_F(EnginePasswords, WrongPasswordIsAskedAgain) {
    m_run.passwords = {"wrong", "secret"};
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(PasswordNumbers(), (std::vector<int>{3, 2}));
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("one.txt")), "first secret\n");
}

TEST_F(EnginePasswords, ThreeWrongPasswordsRefuseTheEntry) {
    m_run.passwords = {"a", "b", "c", ""};
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 2);
    EXPECT_EQ(PasswordNumbers(), (std::vector<int>{3, 2, 1, 3}));
    EXPECT_EQ(m_run.Messages(), "\"one.txt\" was not extracted: the password is wrong\n"
                                "\"two.txt\" was not extracted: a password is needed\n");
    EXPECT_TRUE(m_sandbox.Extracted().empty());
}

// An entry whose password is not given is left out, and that is a failure
// of the extraction: whoever reads its result learns the entry is missing.
TEST_F(EnginePasswords, NoPasswordLeavesTheEntryOutAsAFailure) {
    m_run.passwords = {"", "secret"};
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 1);
    EXPECT_EQ(m_run.Messages(), "\"one.txt\" was not extracted: a password is needed\n");
    EXPECT_EQ(m_run.Count(UNZ_ACTION_SKIPPED), 1);
    EXPECT_EQ(m_sandbox.Extracted(), std::vector<std::string>{"two.txt"});
}

TEST_F(EnginePasswords, PasswordInTheRecordIsTriedFirst) {
    m_run.adjust = [](UnzParams& p) { p.password = "secret"; };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0);
    EXPECT_EQ(m_run.Count(UNZ_ACTION_PASSWORD), 0);
}

// Entry one's password is "alpha", entry two's "beta"; two's one-byte check
// also passes with "alpha", whose data then fails the checksum. The kept
// password is set aside and the user asked again, never the damage question.
TEST_F(EnginePasswords, KeptPasswordThatOnlyPassesTheCheckIsAskedAgain) {
    m_run.passwords = {"alpha", "beta"};
    m_run.damagedAnswer = 1;
    m_run.Extract(DataFile("zipcrypto-kept-password-passes-second-check.zip"), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, 0) << m_run.Messages();
    EXPECT_EQ(PasswordNumbers(), (std::vector<int>{3, 2})) << "the second request is a retry";
    EXPECT_EQ(m_run.Texts(UNZ_ACTION_PASSWORD), (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(m_run.Count(UNZ_ACTION_DAMAGED), 0);
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("one.txt")), "first secret\n");
    EXPECT_EQ(testing_support::ReadBytes(m_sandbox.InFolder("two.txt")), "second secret\n");
}

TEST_F(EnginePasswords, StopAtThePasswordRequest) {
    m_run.stopWhen = [](const UnzCallbackInfo& info) {
        return info.action == UNZ_ACTION_PASSWORD ? -1 : 0;
    };
    m_run.Extract(Archive(), m_sandbox.Folder());
    EXPECT_EQ(m_run.result, UNZ_CANCELLED);
    EXPECT_TRUE(m_sandbox.Extracted().empty());
}

} // namespace
} // namespace engine_test
