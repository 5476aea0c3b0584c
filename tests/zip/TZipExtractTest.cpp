#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ExtractFixture.h"
#include "ZipBuilder.h"
#include "ui/Text.h"

using namespace zip_test;

namespace {

constexpr std::int32_t T = -1; // "true" in the parameter record
constexpr std::int32_t F = 0;

void ExpectBox(const ui::ScriptedUiPort::ShownBox& box, const std::string& text,
               ui::MsgButtons buttons, ui::MsgIcon icon, int defaultButton) {
    EXPECT_EQ(box.request.text, text);
    EXPECT_EQ(box.request.caption, kTitle);
    EXPECT_EQ(box.request.buttons, buttons);
    EXPECT_EQ(box.request.icon, icon);
    EXPECT_EQ(box.request.defaultButton, defaultButton);
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) {
        result += text;
    }
    return result;
}

// ---- The parameter record -----------------------------------------------

struct OptionRow {
    TExtractOptions options;
    std::int32_t keep28, update48, freshen52, overwrite56, all60;
};

const OptionRow kOptionRows[] = {
    {0, F, F, F, F, T},  {1, F, T, F, F, F},  {2, F, F, T, F, F},  {3, F, T, F, F, F},
    {4, T, F, F, F, F},  {5, F, T, F, F, F},  {6, F, F, T, F, F},  {7, F, T, F, F, F},
    {8, F, F, F, F, T},  {9, F, T, F, F, F},  {10, F, F, T, F, F}, {11, F, T, F, F, F},
    {12, T, F, F, F, F}, {13, F, T, F, F, F}, {14, F, F, T, F, F}, {15, F, T, F, F, F},
    {16, F, F, F, T, T}, {17, F, T, F, T, F}, {18, F, F, T, T, F}, {19, F, T, F, T, F},
    {20, T, F, F, T, F}, {21, F, T, F, T, F}, {22, F, F, T, T, F}, {23, F, T, F, T, F},
    {24, F, F, F, T, T}, {25, F, T, F, T, F}, {26, F, F, T, T, F}, {27, F, T, F, T, F},
    {28, T, F, F, T, F}, {29, F, T, F, T, F}, {30, F, F, T, T, F}, {31, F, T, F, T, F},
};

TEST(TZipExtractTest, ParameterRecordFollowsEveryCombinationOfOptionsWithOneLoadedEngine) {
    ExtractFixture f;
    f.OpenArchive();
    f.zip.ShowProgressDialog = false;
    for (const OptionRow& row : kOptionRows) {
        SCOPED_TRACE(static_cast<int>(row.options));
        f.zip.ExtractOptions = row.options;
        ASSERT_EQ(f.Run({}, 100 - row.options), std::nullopt);
        EXPECT_EQ(f.result, 100 - row.options);
        const UnzParams& p = f.fake.Record().params;
        EXPECT_EQ(
            std::vector({p.keepExisting, p.update, p.freshen, p.overwriteExisting, p.extractAll}),
            std::vector({row.keep28, row.update48, row.freshen52, row.overwrite56, row.all60}));
        // At offsets 0, 8, 16, 20, 32, 36, 40, 44, 64, 104 and 144.
        EXPECT_EQ(std::vector({p.reserved0, p.version, p.reserved16, p.reserved20, p.reserved32,
                               p.reserved36, p.folderNames, p.reserved44, p.fileSpecCount, p.check3,
                               p.check7}),
                  std::vector({0, 160, F, 0, F, F, T, F, 0, 3, 7}));
        EXPECT_EQ(p.identity, &f.zip);
        EXPECT_EQ(p.callback, &TZip::EngineCallback);
        EXPECT_EQ(p.password, nullptr);
        EXPECT_EQ(p.fileSpecs, nullptr);
        EXPECT_EQ(std::count(std::begin(p.reserved76), std::end(p.reserved76), 0), 7);
        EXPECT_EQ(std::count(std::begin(p.reserved112), std::end(p.reserved112), 0), 8);
    }
    EXPECT_EQ(f.fake.Record().calls, 32);
    EXPECT_EQ(f.fake.VersionQueries(), 1) << "loaded once";
}

// Folders relative to the test's temporary folder. A colon is an ordinary
// character of a POSIX name.
struct FolderRow {
    const char* archive;
    const char* base; // nullptr: ExtractBaseFolder stays empty
    const char* folder;
};

TEST(TZipExtractTest, HandsOverTheArchiveAndTheExtractionFolderWhichBecomesCurrent) {
    const FolderRow rows[] = {
        {"archive.zip", nullptr, ""},    {"archive.zip", "out", "out/"},
        {"archive.zip", "out/", "out/"}, {"sub/x.zip", nullptr, "sub/"},
        {"a:b/x.zip", nullptr, "a:b/"},  {"sub/x:y.zip", nullptr, "sub/"},
        {"sub/x.zip", "a:b", "a:b/"},
    };
    for (const FolderRow& row : rows) {
#ifdef _WIN32
        // A colon names a drive or a stream on Windows, never a file.
        if (std::string(row.archive).find(':') != std::string::npos ||
            std::string(row.folder).find(':') != std::string::npos) {
            continue;
        }
#endif
        SCOPED_TRACE(std::string(row.archive) + " " + (row.base ? row.base : "(none)"));
        ExtractFixture f;
        std::filesystem::create_directories(f.folder / "out");
#ifndef _WIN32
        std::filesystem::create_directories(f.folder / "a:b");
#endif
        const std::string path = f.OpenArchive(row.archive);
        if (row.base != nullptr) {
            f.zip.ExtractBaseFolder = f.folder / row.base;
        }
        ASSERT_EQ(f.Run({}), std::nullopt);
        const std::string expected = f.folder / row.folder;
        EXPECT_EQ(f.fake.Record().archiveName, path);
        EXPECT_EQ(f.fake.Record().extractFolder, expected);
        EXPECT_EQ(f.fake.Record().currentFolder, std::filesystem::canonical(expected).string());
        EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(expected))
            << "not restored";
    }
}

// The engine reads the archive after the extraction folder has become the
// current folder: a relative archive path still names the archive opened.
TEST(TZipExtractTest, RelativePathsAreHandedOverAbsolute) {
    ExtractFixture f;
    std::filesystem::create_directories(f.folder / "out");
    const std::string path = f.OpenArchive("sub/x.zip");
    std::filesystem::current_path(f.folder.Path());
    f.zip.SetArchiveFileName("sub/x.zip");
    f.zip.ExtractBaseFolder = "out";
    ASSERT_EQ(f.Run({}), std::nullopt);
    EXPECT_EQ(f.fake.Record().archiveName, path);
    EXPECT_EQ(f.fake.Record().extractFolder, f.folder / "out/");
}

TEST(TZipExtractTest, HandsOverTheFileSpecsAndEmptiesThemAfterwards) {
    const std::vector<std::vector<std::string>> rows = {
        {}, {"*.txt"}, {"docs\\*", "a.txt", "dir/b?.txt", ""}};
    ExtractFixture f;
    f.OpenArchive();
    for (const auto& patterns : rows) {
        f.zip.FileSpecs = patterns;
        ASSERT_EQ(f.Run({}), std::nullopt);
        const fake_engine::Record& record = f.fake.Record();
        EXPECT_EQ(record.params.fileSpecCount, static_cast<std::int32_t>(patterns.size()));
        EXPECT_EQ(record.params.fileSpecs == nullptr, patterns.empty());
        EXPECT_EQ(record.patterns, patterns);
        EXPECT_TRUE(record.patternPaddingZero);
        EXPECT_TRUE(f.zip.FileSpecs.empty());
    }
}

// ---- Extractions that end before the engine runs -------------------------

struct QuietRow {
    const char* what;
    void (*prepare)(ExtractFixture&);
    std::string box; // {} for none; "%s" stands for the extraction folder
};

TEST(TZipExtractTest, QuietCasesReturnZeroWithoutLoadingTheEngine) {
    const char* const multiDisk = "Cannot Add, Delete or Extract from a multiple disk Zip file...\n"
                                  "Merge this Zip file onto the hard disk before retrying.";
    const QuietRow rows[] = {
        {"no entries",
         [](ExtractFixture& f) { f.zip.SetArchiveFileName(f.folder / "new.zip"); },
         {}},
        {"disk 1 of a set",
         [](ExtractFixture& f) {
             Archive archive = MakeArchive({Entry{"a.txt", "", "", 20, 3, 0, "a"}});
             archive.end.thisDisk = archive.end.startDisk = 1;
             f.zip.SetArchiveFileName(f.folder.Write("multi.zip", archive.Bytes()));
             ASSERT_EQ(f.zip.Entries().size(), 1u);
             f.zip.ExtractBaseFolder = f.folder / "absent";
         },
         multiDisk},
        {"missing folder",
         [](ExtractFixture& f) {
             f.OpenArchive();
             f.zip.ExtractBaseFolder = f.folder / "absent";
         },
         "Unable to extract files to:\n\"%s\"\nThis folder does not exist."},
    };
    for (const QuietRow& row : rows) {
        SCOPED_TRACE(row.what);
        ExtractFixture f("NoSuchEngine.so", "UnzDll.so");
        row.prepare(f);
        f.zip.Cancelled = true;
        f.zip.FileSpecs = {"a.txt"};
        ASSERT_EQ(f.Run({}), std::nullopt);
        EXPECT_EQ(f.result, 0);
        EXPECT_FALSE(f.zip.Cancelled);
        EXPECT_EQ(f.zip.FileSpecs, std::vector<std::string>{"a.txt"});
        EXPECT_EQ(f.dialogsMade, 0);
        EXPECT_EQ(std::filesystem::current_path(), f.startFolder);
        ASSERT_EQ(f.port.Boxes().size(), row.box.empty() ? 0u : 1u);
        if (!row.box.empty()) {
            ExpectBox(f.port.Boxes()[0], ui::FormatText(row.box, f.zip.ExtractBaseFolder),
                      ui::MsgButtons::Ok, ui::MsgIcon::Information, 0);
        }
    }
}

TEST(TZipExtractTest, EngineThatCannotBeUsedRaisesAndIsTriedAgainNextTime) {
    const struct {
        const char* engine;
        const char* control;
        const char* message;
        int versionQueries; // after two attempts
    } rows[] = {
        {"NoSuchEngine.so", "UnzDll.so", "Unable to load \"NoSuchEngine.so\".", 0},
        {"UnzDllNoExec.so", "UnzDllNoExec.so", "Unable to load \"UnzDllNoExec.so\".", 0},
        {"UnzDllOld.so", "UnzDllOld.so", "Error - invalid version of ZipDll.dll or UnzDll.dll", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.engine);
        ExtractFixture f(row.engine, row.control);
        f.OpenArchive();
        f.zip.ExtractBaseFolder = f.folder.Path();
        f.zip.FileSpecs = {"a.txt"};
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                f.zip.Extract();
                ADD_FAILURE() << "no error";
            } catch (const ZipException& error) {
                EXPECT_STREQ(error.what(), row.message);
            }
        }
        EXPECT_EQ(f.fake.VersionQueries(), row.versionQueries);
        EXPECT_EQ(f.dialogsMade, 0);
        EXPECT_EQ(f.zip.FileSpecs, std::vector<std::string>{"a.txt"});
        EXPECT_EQ(std::filesystem::current_path(), f.startFolder);
    }
}

// ---- Progress -------------------------------------------------------------

// Codes 0, 4, 7 and unknown ones change nothing.
const std::vector<Step> kBatch = {{UNZ_ACTION_BATCH_COUNT, 0, 2, ""},
                                  {UNZ_ACTION_BATCH_BYTES, 0, 7, ""},
                                  {UNZ_ACTION_BEGIN_ENTRY, 0, 4, "a.txt"},
                                  {UNZ_ACTION_PROGRESS, 0, 3, "a.txt"},
                                  {UNZ_ACTION_NONE, 1, 1, "x"},
                                  {UNZ_ACTION_MESSAGE, 1, 1, "error"},
                                  {7, 1, 1, "x"},
                                  {12, 1, 1, "x"},
                                  {-1, 1, 1, "x"},
                                  {UNZ_ACTION_SKIPPED, 0, 0, "a.txt"},
                                  {UNZ_ACTION_BEGIN_ENTRY, 0, 3, "dir\\b.txt"},
                                  {UNZ_ACTION_PROGRESS, 0, 4, ""},
                                  {UNZ_ACTION_END_BATCH, 0, 0, ""}};

// 65535 / 7 in single precision is 9362.142578125: 7 bytes put the bar at
// 65534, where double precision would give 65535.
TEST(TZipExtractTest, BatchDrivesEventsCountersAndTheDialog) {
    for (bool dialog : {true, false}) {
        SCOPED_TRACE(dialog ? "with dialog" : "without dialog");
        ExtractFixture f;
        f.OpenArchive();
        f.zip.ShowProgressDialog = dialog;
        f.zip.BytesDone = 100; // left by an earlier batch
        f.zip.SkippedCount = 5;
        ASSERT_EQ(f.Run(kBatch, 1), std::nullopt);
        EXPECT_EQ(f.result, 1);
        EXPECT_EQ(f.events, (std::vector<std::string>{"begin a.txt 4 2 7", "progress a.txt 3 7",
                                                      "begin dir\\b.txt 3 2 7",
                                                      "progress dir\\b.txt 4 7", "end 1 2 7"}));
        EXPECT_EQ(f.zip.CurrentFileName, "dir\\b.txt");
        EXPECT_EQ(std::vector({f.zip.BatchCount, f.zip.TotalBytesInBatch, f.zip.BytesDone,
                               f.zip.SkippedCount}),
                  std::vector({2, 7, 7, 1}));
        EXPECT_EQ(f.zip.ProgressScale, 9362.142578125f);
        EXPECT_EQ(f.zip.ProgressDialog, nullptr);
        EXPECT_TRUE(f.port.Boxes().empty());
        ASSERT_EQ(f.fake.Replies().size(), kBatch.size());
        for (std::size_t i = 0; i < kBatch.size(); ++i) {
            const fake_engine::Reply& reply = f.fake.Replies()[i];
            EXPECT_EQ(std::vector({reply.info.flag, reply.info.number, reply.returned}),
                      std::vector({kBatch[i].flag, kBatch[i].number, 0}));
        }
        // Before the engine; after 5, 6 and 1; after the progress report,
        // each of the five codes without effect and the skip; then b.txt.
        std::vector<Seen> expected = {Shown("wait ...", 100, 0), Shown("wait ...", 100, 0),
                                      Shown("wait ...", 65535, 0), Shown("a.txt", 65535, 0)};
        expected.insert(expected.end(), 7, Shown("a.txt", 65535, 28086));
        expected.push_back(Shown("dir\\b.txt", 65535, 28086));
        expected.push_back(Shown("dir\\b.txt", 65535, 65534));
        expected.push_back(Shown("dir\\b.txt", 65535, 65534, false));
        if (!dialog) {
            expected.assign(kBatch.size(), kGone);
        }
        EXPECT_EQ(f.seen, expected);
        EXPECT_EQ(f.dialogsMade, dialog ? 1 : 0);
    }
}

// The bar follows the running total times the single-precision scale,
// truncated toward zero.
TEST(TZipExtractTest, BarPositionIsTheTruncatedProductOfTotalAndScale) {
    const struct {
        std::int32_t batchBytes;
        std::vector<std::int32_t> reports;
        float scale;
        std::vector<int> positions;
    } rows[] = {
        {7, {3, 4}, 9362.142578125f, {28086, 65534}},
        {1000, {250, 250, 500}, 65.535003662109375f, {16383, 32767, 65535}},
        {0, {300, 5}, 1.0f, {300, 305}},
        // The exact product is 65283.999999999996; in double precision it
        // rounds to 65284.
        {2147389314, {2139164655}, 3.0518454877892509103e-05f, {65283}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.batchBytes);
        ExtractFixture f;
        f.OpenArchive();
        std::vector<Step> steps = {{UNZ_ACTION_BATCH_COUNT, 0, 1, ""},
                                   {UNZ_ACTION_BATCH_BYTES, 0, row.batchBytes, ""},
                                   {UNZ_ACTION_BEGIN_ENTRY, 0, row.batchBytes, "big"}};
        for (std::int32_t bytes : row.reports) {
            steps.push_back({UNZ_ACTION_PROGRESS, 0, bytes, "big"});
        }
        ASSERT_EQ(f.Run(steps), std::nullopt);
        EXPECT_EQ(f.zip.ProgressScale, row.scale);
        std::vector<int> positions;
        for (std::size_t i = 4; i < f.seen.size(); ++i) {
            EXPECT_EQ(f.seen[i].barMax, 65535);
            positions.push_back(f.seen[i].barPosition);
        }
        EXPECT_EQ(positions, row.positions);
    }
}

// The engine fills the whole text field, without a terminating zero.
TEST(TZipExtractTest, EntryNameIsReadUpToTheEndOfTheTextField) {
    ExtractFixture f;
    f.OpenArchive();
    ASSERT_EQ(f.Run({{UNZ_ACTION_BEGIN_ENTRY, 0, 1, std::string(600, 'n')}}), std::nullopt);
    EXPECT_EQ(f.zip.CurrentFileName, std::string(512, 'n'));
    EXPECT_EQ(f.events, std::vector<std::string>{"begin " + std::string(512, 'n') + " 1 0 0"});
}

// The error does not travel through the engine: the callback asks it to stop
// (-1 from then on, acting on nothing) and Extract raises the error once the
// engine has returned.
TEST(TZipExtractTest, ErrorOfAnEventHandlerRemovesTheDialogAndPassesOn) {
    for (bool dialog : {true, false}) {
        ExtractFixture f;
        f.OpenArchive();
        f.zip.ShowProgressDialog = dialog;
        f.zip.FileSpecs = {"*.txt"};
        int calls = 0;
        f.zip.OnZEDProgressEvent = [&](ui::Component*, const std::string&, std::int32_t,
                                       std::int32_t) {
            ++calls;
            EXPECT_EQ(f.zip.ProgressDialog != nullptr, dialog);
            throw ui::Exception("handler failed");
        };
        EXPECT_EQ(f.Run(kBatch), "handler failed");
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(f.zip.ProgressDialog, nullptr);
        EXPECT_EQ(f.zip.FileSpecs, std::vector<std::string>{"*.txt"});
        const auto& replies = f.fake.Replies();
        ASSERT_EQ(replies.size(), kBatch.size());
        for (std::size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(replies[i].returned, i < 3 ? 0 : -1) << "reply " << i;
        }
    }
}

// ---- Cancel ------------------------------------------------------------

// A Cancel click while pending events are handled: `clickAt` 0 is Extract's
// own handling before the engine runs, n the one of the n-th callback.
TEST(TZipExtractTest, CancelReachesTheEngineWithTheNextCallbackAndStopsEverything) {
    const std::vector<Step> steps = {
        {UNZ_ACTION_BATCH_COUNT, 0, 1, ""},       {UNZ_ACTION_BATCH_BYTES, 0, 10, ""},
        {UNZ_ACTION_BEGIN_ENTRY, 0, 10, "a.txt"}, {UNZ_ACTION_PROGRESS, 0, 5, ""},
        {UNZ_ACTION_PASSWORD, 0, 3, "a.txt"},     {UNZ_ACTION_OVERWRITE, 1, 9, "a.txt"},
        {UNZ_ACTION_DAMAGED, 7, 0, "a.txt"},      {UNZ_ACTION_BEGIN_ENTRY, 0, 1, "b.txt"},
        {UNZ_ACTION_SKIPPED, 0, 0, ""},           {UNZ_ACTION_END_BATCH, 0, 0, ""},
    };
    const struct {
        std::size_t clickAt;
        bool stopOnNonZero;
        std::size_t replies;
        std::vector<std::string> events;
        std::int32_t bytesDone;
    } rows[] = {
        {4, false, 10, {"begin a.txt 10 1 10", "progress a.txt 5 10"}, 5},
        {4, true, 5, {"begin a.txt 10 1 10", "progress a.txt 5 10"}, 5},
        {0, false, 10, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clickAt);
        ExtractFixture f;
        f.OpenArchive();
        f.zip.ExtractOptions = ExtractOption8;
        f.whileProcessing = [&](std::size_t index) {
            if (index == row.clickAt) {
                f.zip.ProgressDialog->CancelButton.Click();
            }
        };
        f.fake.Play(steps, UNZ_CANCELLED, row.stopOnNonZero);
        EXPECT_EQ(f.zip.Extract(), UNZ_CANCELLED);
        EXPECT_TRUE(f.zip.Cancelled);
        EXPECT_EQ(f.events, row.events);
        EXPECT_EQ(f.zip.BytesDone, row.bytesDone);
        EXPECT_EQ(f.zip.SkippedCount, 0);
        EXPECT_TRUE(f.port.Boxes().empty());
        EXPECT_TRUE(f.port.Queries().empty());
        const auto& replies = f.fake.Replies();
        ASSERT_EQ(replies.size(), row.replies);
        for (std::size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(replies[i].returned, i < row.clickAt ? 0 : -1) << i;
            EXPECT_EQ(replies[i].info.flag, steps[i].flag) << i;
            EXPECT_EQ(replies[i].info.number, steps[i].number) << i;
            EXPECT_EQ(TextOf(replies[i].info), steps[i].text) << i;
        }
        for (std::size_t i = row.clickAt + 1; i < f.seen.size(); ++i) {
            EXPECT_FALSE(f.seen[i].visible) << i;
        }
    }
}

// ---- Questions -----------------------------------------------------------

// The box a question shows, with the entry name of the question.
ui::MessageBoxRequest BoxFor(const Step& question) {
    using ui::MsgButtons, ui::MsgIcon;
    const std::string name = "\"" + question.text + "\"";
    if (question.action == UNZ_ACTION_PASSWORD) {
        return {"No password was entered so the file will not be extracted...\n"
                "Do you wish to continue extracting other files?",
                kTitle, MsgButtons::YesNo, MsgIcon::Question, 0, {}};
    }
    if (question.action == UNZ_ACTION_DAMAGED) {
        return {name + " may be corrupted (CRC error).\nExtract this file anyway? ...", kTitle,
                MsgButtons::YesNoCancel, MsgIcon::Question, 1, {}};
    }
    if ((question.flag & 1) != 0) {
        return {name + " is older than the zipped file.\nOverwrite this file? ...", kTitle,
                MsgButtons::YesNoCancel, MsgIcon::Information, 0, {}};
    }
    return {name + " is the same age or newer than the zipped file.\n"
                   "Do you really want to overwrite this file? ...",
            kTitle, MsgButtons::YesNoCancel, MsgIcon::Error, 1, {}};
}

struct QuestionRow {
    TExtractOptions options;
    Step question;
    std::optional<std::string> typed;    // into the password query; nullopt: Cancel
    std::optional<ui::MsgResult> answer; // to the box, when one is expected
    std::int32_t flag;                   // the record as the callback leaves it
    std::int32_t number;
    std::string text; // empty: the entry name, unchanged
    bool cancelled;
};

const std::string kPassword = "A new password is required for \"enc.txt\"";
const std::string kRetry = "Password is invalid, please retry ...";
const Step kPasswordQuestion = {UNZ_ACTION_PASSWORD, 7, 3, "enc.txt"};
const Step kRetryQuestion = {UNZ_ACTION_PASSWORD, 7, 2, "enc.txt"};
const Step kDamaged = {UNZ_ACTION_DAMAGED, 5, 9, "dir\\bad.txt"};

Step Overwrite(std::int32_t flag) {
    return {UNZ_ACTION_OVERWRITE, flag, 7, "old.txt"};
}

using enum ui::MsgResult;

// Every question is played between an entry and the end of the batch, with
// and without the dialog.
const QuestionRow kQuestionRows[] = {
    {1, kPasswordQuestion, "secret", {}, 1, 2, "secret", false},
    {1, kRetryQuestion, "again", {}, 1, 1, "again", false},
    {1, {UNZ_ACTION_PASSWORD, 7, 1, "enc.txt"}, "x", {}, 1, 0, "x", false},
    {1, {UNZ_ACTION_PASSWORD, 7, 0, "enc.txt"}, "x", {}, 1, 0, "x", false},
    {1, kPasswordQuestion, Repeat("p", 600), {}, 1, 2, Repeat("p", 511), false},
    // Cut before a character that would not fit whole.
    {1, kPasswordQuestion, Repeat("\xC3\xA4", 300), {}, 1, 2, Repeat("\xC3\xA4", 255), false},
    {1, kPasswordQuestion, std::nullopt, Yes, 0, 0, "", false},
    {1, kRetryQuestion, "", Yes, 0, 0, "", false},
    {1, kPasswordQuestion, "", No, 0, 0, "", true},

    {1, kDamaged, {}, Yes, 1, 9, "", false},
    {1, kDamaged, {}, No, 0, 9, "", false},
    {1, kDamaged, {}, Cancel, 5, 9, "", true},

    // Overwritten without a question.
    {16, Overwrite(0), {}, {}, 0, 1, "", false},
    {16, Overwrite(1), {}, {}, 1, 1, "", false},
    {0, Overwrite(0), {}, {}, 0, 1, "", false},
    {4 | 16, Overwrite(0), {}, {}, 0, 1, "", false},
    // Only an older file, without a question.
    {1, Overwrite(1), {}, {}, 1, 1, "", false},
    {1, Overwrite(0), {}, {}, 0, 0, "", false},
    {1, Overwrite(2), {}, {}, 2, 0, "", false},
    {1 | 16, Overwrite(3), {}, {}, 3, 1, "", false},
    {2, Overwrite(1), {}, {}, 1, 1, "", false},
    {2, Overwrite(0), {}, {}, 0, 0, "", false},
    {1 | 8, Overwrite(0), {}, {}, 0, 0, "", false},
    {2 | 8, Overwrite(1), {}, {}, 1, 1, "", false},
    // The user decides.
    {8, Overwrite(1), {}, Yes, 1, 1, "", false},
    {8, Overwrite(1), {}, No, 1, 0, "", false},
    {8, Overwrite(3), {}, Cancel, 3, 0, "", true},
    {8, Overwrite(0), {}, Yes, 0, 1, "", false},
    {8 | 16, Overwrite(2), {}, No, 2, 0, "", false},
    {8, Overwrite(0), {}, Cancel, 0, 0, "", true},
};

TEST(TZipExtractTest, QuestionsAreAnsweredInTheRecord) {
    for (const QuestionRow& row : kQuestionRows) {
        for (bool dialog : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "row " << &row - kQuestionRows << (dialog ? " with dialog" : ""));
            ExtractFixture f;
            f.OpenArchive();
            f.zip.ExtractOptions = row.options;
            f.zip.ShowProgressDialog = dialog;
            const bool password = row.question.action == UNZ_ACTION_PASSWORD;
            if (password) {
                f.port.AnswerInput(row.typed);
            }
            if (row.answer) {
                f.port.Answer(*row.answer);
            }
            ASSERT_EQ(f.Run({{UNZ_ACTION_BATCH_COUNT, 0, 1, ""},
                             {UNZ_ACTION_BATCH_BYTES, 0, 10, ""},
                             {UNZ_ACTION_BEGIN_ENTRY, 0, 10, row.question.text},
                             row.question,
                             {UNZ_ACTION_END_BATCH, 0, 0, ""}}),
                      std::nullopt);

            ASSERT_GE(f.fake.Replies().size(), 4u);
            const fake_engine::Reply& reply = f.fake.Replies()[3];
            EXPECT_EQ(TextOf(reply.info), row.text.empty() ? row.question.text : row.text);
            EXPECT_EQ(reply.info.flag, row.flag);
            EXPECT_EQ(reply.info.number, row.number);
            EXPECT_EQ(reply.returned, row.cancelled ? -1 : 0);
            EXPECT_EQ(f.zip.Cancelled, row.cancelled);
            EXPECT_EQ(f.seen.at(dialog ? 4 : 3).visible, dialog && !row.cancelled);
            for (bool visible : f.port.visibleWhenAsked) {
                EXPECT_FALSE(visible) << "the dialog is hidden while the user is asked";
            }
            EXPECT_EQ(f.port.Unanswered(), 0);
            EXPECT_EQ(f.port.AnswersLeft(), 0u);

            ASSERT_EQ(f.port.Queries().size(), password ? 1u : 0u);
            if (password) {
                EXPECT_EQ(f.port.Queries()[0].caption, kTitle);
                EXPECT_EQ(f.port.Queries()[0].prompt,
                          row.question.number == 3 ? kPassword : kRetry);
                EXPECT_EQ(f.port.Queries()[0].defaultValue, "");
            }
            ASSERT_EQ(f.port.Boxes().size(), row.answer ? 1u : 0u);
            if (row.answer) {
                const ui::MessageBoxRequest expected = BoxFor(row.question);
                ExpectBox(f.port.Boxes()[0], expected.text, expected.buttons, expected.icon,
                          expected.defaultButton);
            }
        }
    }
}

} // namespace
