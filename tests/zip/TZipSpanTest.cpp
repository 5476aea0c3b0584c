#include <gtest/gtest.h>

#include <ostream>

#include "ZipBuilder.h"
#include "ZipTestSupport.h"

using namespace zip_test;

namespace {

Entry Named(const std::string& name) {
    Entry entry;
    entry.name = name;
    return entry;
}

const std::vector<std::string> kTwoNames = {"a.txt", "dir\\b.txt"};

std::string LastDiskPrompt(int disk) {
    return "This is [ Disk " + std::to_string(disk) +
           " ] of a multiple disk Zip file.\nInsert the last disk of the Zip file before "
           "pressing [ OK ] to continue ...";
}

std::string InsertPrompt(int disk) {
    return "Insert [ Disk " + std::to_string(disk) +
           " ] of the Zip file into the floppy drive\nbefore pressing [ OK ] to continue ...";
}

// A set of floppy disks in one drive: the file at `path` and the label
// change when the user changes disks.
struct SpanFixture : ZipFixture {
    std::string path = folder / "set.zip";

    SpanFixture() { volumes.type = platform::DriveType::Removable; }

    void Insert(const std::string& label, const std::string& bytes) {
        volumes.label = label;
        folder.Write("set.zip", bytes);
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : port.Boxes()) {
            EXPECT_EQ(box.request.caption, kTitle);
            EXPECT_EQ(box.request.buttons, ui::MsgButtons::OkCancel);
            EXPECT_EQ(box.request.icon, ui::MsgIcon::Information);
            texts.push_back(box.request.text);
        }
        return texts;
    }
};

// The directory of two entries alone on a disk, and an end record calling
// it disk `thisDisk` with the directory starting on `startDisk` at `offset`.
std::string DirectoryDisk(std::uint16_t thisDisk, std::uint16_t startDisk, std::uint32_t offset,
                          const std::string& front = "") {
    Archive archive = MakeArchive({Named("a.txt"), Named("dir/b.txt")});
    EndFields end = archive.end;
    end.thisDisk = thisDisk;
    end.startDisk = startDisk;
    end.directoryOffset = offset;
    return front + archive.directory + EndRecord(end);
}

TEST(TZipSpanTest, FirstDiskAsksForTheLastAndCancelEndsQuietly) {
    SpanFixture f;
    f.Insert("PKBACK# 001", MakeArchive({Named("a.txt")}).front);
    f.port.Answer(ui::MsgResult::Cancel);

    EXPECT_EQ(f.Open(f.path), std::nullopt);

    EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{LastDiskPrompt(1)});
    EXPECT_TRUE(f.zip.Entries().empty());
    EXPECT_EQ(f.contentsChanged, 1);
}

// Nobody can change a disk in a run without a person: the prompts ask to be
// cancelled then, not answered OK (their default) forever, and the archive
// says why it was not read, for the log.
TEST(TZipSpanTest, DiskPromptsNobodyAnswersAreCancelledAndSaySo) {
    SpanFixture f;
    f.Insert("PKBACK# 001", MakeArchive({Named("a.txt")}).front);

    EXPECT_EQ(f.Open(f.path), std::nullopt);
    EXPECT_EQ(f.zip.Declined, "The last disk of the Zip file was not inserted.");
    EXPECT_FALSE(f.zip.AskForDisk(f.path, 2));
    EXPECT_EQ(f.zip.Declined, "Disk 2 of the Zip file was not inserted.");

    ASSERT_EQ(f.BoxTexts(), (std::vector<std::string>{LastDiskPrompt(1), InsertPrompt(2)}));
    for (const auto& box : f.port.Boxes()) {
        EXPECT_EQ(ui::AnswerWithoutPerson(box.request), ui::MsgResult::Cancel);
    }
    f.Insert("PKBACK# 001", MakeArchive({Named("a.txt")}).Bytes());
    EXPECT_EQ(f.Open(f.path), std::nullopt);
    EXPECT_TRUE(f.zip.Declined.empty()) << "a new path starts without a reason";
}

TEST(TZipSpanTest, LastDiskInsertedAtThePromptIsRead) {
    SpanFixture f;
    f.Insert("PKBACK# 001", MakeArchive({Named("a.txt")}).front);
    f.port.whileShown = [&f](std::size_t) { f.Insert("PKBACK# 002", DirectoryDisk(1, 1, 0)); };
    f.port.Answer(ui::MsgResult::Ok);

    EXPECT_EQ(f.Open(f.path), std::nullopt);

    EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{LastDiskPrompt(1)});
    EXPECT_EQ(f.Names(), kTwoNames);
}

TEST(TZipSpanTest, DiskWithoutNumberedLabelIsNotAZip) {
    for (const auto& [type, label] : std::vector<std::pair<platform::DriveType, std::string>>{
             {platform::DriveType::Fixed, "PKBACK# 001"},
             {platform::DriveType::Removable, "HOLIDAY"}}) {
        SpanFixture f;
        f.volumes.type = type;
        f.Insert(label, "no end record here, only data of a disk");
        EXPECT_EQ(f.Open(f.path), NotValid(f.path)) << label;
        EXPECT_TRUE(f.port.Boxes().empty());
    }
}

TEST(TZipSpanTest, DirectoryOnAnotherDiskIsAskedForAndCancelEndsQuietly) {
    SpanFixture f;
    f.Insert("PKBACK# 003", DirectoryDisk(2, 1, 0));
    f.port.Answer(ui::MsgResult::Cancel);

    EXPECT_EQ(f.Open(f.path), std::nullopt);

    EXPECT_EQ(f.BoxTexts(), std::vector<std::string>{InsertPrompt(1)});
    EXPECT_TRUE(f.zip.Entries().empty());
    EXPECT_EQ(f.contentsChanged, 1);
}

// Another disk cannot be put into a fixed drive: an end record naming
// another start disk there is damaged, not a prompt until Cancel.
TEST(TZipSpanTest, DirectoryOnAnotherDiskOfAFixedDriveIsAnError) {
    for (const auto type : {platform::DriveType::Fixed, platform::DriveType::Remote,
                            platform::DriveType::NoRootDir}) {
        SpanFixture f;
        f.volumes.type = type;
        f.Insert("PKBACK# 003", DirectoryDisk(0, 1, 0));

        EXPECT_EQ(f.Open(f.path), kCentralError);

        EXPECT_TRUE(f.port.Boxes().empty());
        EXPECT_TRUE(f.zip.Entries().empty());
        EXPECT_EQ(f.contentsChanged, 0);
    }
}

TEST(TZipSpanTest, DirectorySpreadOverTwoDisksIsReadAcrossThem) {
    SpanFixture f;
    const Archive archive = MakeArchive({Named("a.txt"), Named("dir/b.txt")});
    const std::size_t split = 46 + 5; // after the first central header
    const std::string front = "data of the first disk";
    EndFields end = archive.end;
    end.thisDisk = 2;
    end.startDisk = 1;
    end.directoryOffset = static_cast<std::uint32_t>(front.size());
    f.Insert("PKBACK# 003", "tail of the data" + EndRecord(end));
    f.port.whileShown = [&](std::size_t shown) {
        if (shown == 0) {
            f.Insert("PKBACK# 001", front + archive.directory.substr(0, split));
        } else {
            f.Insert("PKBACK# 002", archive.directory.substr(split));
        }
    };
    f.port.Answer(ui::MsgResult::Ok);
    f.port.Answer(ui::MsgResult::Ok);

    EXPECT_EQ(f.Open(f.path), std::nullopt);

    EXPECT_EQ(f.BoxTexts(), (std::vector<std::string>{InsertPrompt(1), InsertPrompt(2)}));
    EXPECT_EQ(f.Names(), kTwoNames);
}

TEST(TZipSpanTest, DirectoryCutShortOnTheLastDiskIsAnError) {
    SpanFixture f;
    f.Insert("PKBACK# 003", DirectoryDisk(2, 2, 5000));

    EXPECT_EQ(f.Open(f.path), kCentralError);

    EXPECT_TRUE(f.port.Boxes().empty());
    EXPECT_TRUE(f.zip.Entries().empty());
}

TEST(TZipSpanTest, AskForDiskAsksUntilTheDiskIsInOrTheUserCancels) {
    SpanFixture f;
    f.Insert("PKBACK# 003", "x");
    EXPECT_TRUE(f.zip.AskForDisk(f.path, 3));
    EXPECT_TRUE(f.port.Boxes().empty());

    // The first OK finds the same disk still in the drive.
    f.port.whileShown = [&f](std::size_t shown) {
        if (shown == 1) {
            f.Insert("PKBACK# 002", "x");
        }
    };
    f.port.Answer(ui::MsgResult::Ok);
    f.port.Answer(ui::MsgResult::Ok);
    EXPECT_TRUE(f.zip.AskForDisk(f.path, 2));
    EXPECT_EQ(f.BoxTexts(), (std::vector<std::string>{InsertPrompt(2), InsertPrompt(2)}));

    f.port.Answer(ui::MsgResult::Cancel);
    EXPECT_FALSE(f.zip.AskForDisk(f.path, 5));
    EXPECT_EQ(f.port.Boxes().size(), 3u);
}

struct LabelCase {
    const char* label;
    int disk;
};

void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << '"' << c.label << '"';
}

class SpanDiskNumberTest : public testing::TestWithParam<LabelCase> {};

TEST_P(SpanDiskNumberTest, ReadsTheNumberFromTheLabel) {
    SpanFixture f;
    f.Insert(GetParam().label, "x");
    EXPECT_EQ(f.zip.SpanDiskNumber(f.path), GetParam().disk);
}

INSTANTIATE_TEST_SUITE_P(Labels, SpanDiskNumberTest,
                         testing::Values(LabelCase{"PKBACK# 001", 1}, LabelCase{"PKBACK# 012", 12},
                                         LabelCase{"PKBACK# 999", 999}, LabelCase{"PKBACK# 7", 7},
                                         LabelCase{"PKBACK# 0042", 4}, LabelCase{"PKBACK# 000", 0},
                                         LabelCase{"PKBACK#001", 0}, LabelCase{"pkback# 001", 0},
                                         LabelCase{"PKBACK# ", 0}, LabelCase{"PKBACK# 1A", 0},
                                         LabelCase{"PKBACK# -1", 0}, LabelCase{"PKBACK#  12", 0},
                                         LabelCase{"", 0}));

TEST(TZipSpanTest, OnlyAnExistingFileOnAReadableRemovableDriveHasADiskNumber) {
    SpanFixture f;
    f.Insert("PKBACK# 004", "x");
    EXPECT_EQ(f.zip.SpanDiskNumber(f.path), 4);
    EXPECT_EQ(f.zip.SpanDiskNumber(f.folder / "missing.zip"), 0);
    EXPECT_EQ(f.zip.SpanDiskNumber(""), 0);

    f.volumes.label = std::nullopt;
    EXPECT_EQ(f.zip.SpanDiskNumber(f.path), 0);

    f.volumes.label = "PKBACK# 004";
    for (auto type : {platform::DriveType::Fixed, platform::DriveType::Remote,
                      platform::DriveType::CdRom, platform::DriveType::NoRootDir}) {
        f.volumes.type = type;
        EXPECT_EQ(f.zip.SpanDiskNumber(f.path), 0);
    }

    f.volumes.type = platform::DriveType::Removable;
    f.volumes.drivePart = "";
    EXPECT_EQ(f.zip.SpanDiskNumber(f.path), 0);
}

} // namespace
