// The end record search and the placing of the central directory, on
// archives held in memory.
#include <string>

#include <gtest/gtest.h>

#include "engine/ByteSource.h"
#include "engine/CentralDirectory.h"
#include "engine/EndRecord.h"

namespace engine {
namespace {

std::string EndRecord(std::uint16_t commentLength, std::uint32_t centralSize = 0,
                      std::uint32_t centralOffset = 0) {
    std::string record("PK\x05\x06", 4);
    record.append(6, '\0');
    record += std::string(2, '\0');
    for (int i = 0; i < 4; ++i) {
        record += static_cast<char>((centralSize >> (8 * i)) & 0xff);
    }
    for (int i = 0; i < 4; ++i) {
        record += static_cast<char>((centralOffset >> (8 * i)) & 0xff);
    }
    record += static_cast<char>(commentLength & 0xff);
    record += static_cast<char>(commentLength >> 8);
    return record;
}

TEST(EngineFindEndRecordIn, FindsTheRecordAtTheVeryEnd) {
    std::string tail = "data" + EndRecord(0);
    EXPECT_EQ(FindEndRecordIn(tail), 4u);
}

TEST(EngineFindEndRecordIn, PrefersTheCandidateWhoseCommentReachesTheEnd) {
    // The comment itself holds a signature followed by an end record shape
    // that does not reach the end; the real record does.
    std::string comment = EndRecord(0) + "tail";
    std::string tail = "data" + EndRecord(static_cast<std::uint16_t>(comment.size())) + comment;
    EXPECT_EQ(FindEndRecordIn(tail), 4u);
}

TEST(EngineFindEndRecordIn, FallsBackToTheLastSignatureWhenNoCommentFits) {
    std::string tail = EndRecord(0) + "x" + EndRecord(99) + "short comment";
    EXPECT_EQ(FindEndRecordIn(tail), 23u);
}

TEST(EngineFindEndRecordIn, IgnoresASignatureWithoutRoomForTheRecord) {
    std::string tail = EndRecord(3) + "abc" + std::string("PK\x05\x06", 4) + "123";
    EXPECT_EQ(FindEndRecordIn(tail), 0u);
}

TEST(EngineFindEndRecordIn, NoneWithoutSignatureOrWhenTooShort) {
    EXPECT_FALSE(FindEndRecordIn(std::string(100, 'x')));
    EXPECT_FALSE(FindEndRecordIn(std::string("PK\x05\x06", 4)));
    EXPECT_FALSE(FindEndRecordIn(""));
}

TEST(EngineLocateCentralDirectory, LearnsTheShiftOfDataInFront) {
    // An empty archive whose stated directory offset ignores 100 bytes of
    // data in front of it.
    std::string file = std::string(100, 'S') + EndRecord(0, 0, 0);
    MemorySource source(file);
    ArchiveLayout layout;
    std::string error;
    ASSERT_EQ(LocateCentralDirectory(source, layout, error), LayoutError::None) << error;
    EXPECT_EQ(layout.centralStart, 100u);
    EXPECT_EQ(layout.offsetShift, 100);
    EXPECT_EQ(layout.entryCount, 0u);
}

TEST(EngineLocateCentralDirectory, RefusesADirectoryLargerThanTheFile) {
    std::string file = EndRecord(0, 5000, 0);
    MemorySource source(file);
    ArchiveLayout layout;
    std::string error;
    EXPECT_EQ(LocateCentralDirectory(source, layout, error), LayoutError::NotZip);
    EXPECT_EQ(error, "the central directory is larger than the archive");
}

TEST(EngineLocateCentralDirectory, RefusesAZip64LocatorWithoutItsRecord) {
    std::string locator("PK\x06\x07", 4);
    locator.append(16, '\0');
    std::string file = locator + EndRecord(0);
    MemorySource source(file);
    ArchiveLayout layout;
    std::string error;
    EXPECT_EQ(LocateCentralDirectory(source, layout, error), LayoutError::NotZip);
    EXPECT_EQ(error, "the zip64 end of central directory record is missing");
}

TEST(EngineCentralDirectory, RefusesMoreEntriesThanItsLimit) {
    CentralDirectory directory;
    ArchiveLayout layout;
    layout.entryCount = CentralDirectory::kMaxEntries + 1;
    layout.centralSize = layout.entryCount * 46;
    std::string empty;
    MemorySource source(empty);
    std::string error;
    EXPECT_FALSE(directory.Read(source, layout, error));
    EXPECT_EQ(error, "the archive has 250001 entries, more than 250000");
}

} // namespace
} // namespace engine
