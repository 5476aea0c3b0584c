#include <gtest/gtest.h>

#include "ZipBuilder.h"
#include "zipformat/EndRecordSearch.h"

using zipformat::FindEndRecordIn;
using zip_test::EndFields;
using zip_test::EndRecord;

namespace {

std::string Record(std::uint16_t commentLength) {
    EndFields end;
    end.commentLength = commentLength;
    return EndRecord(end);
}

std::optional<std::int64_t> FindInWholeFile(const std::string& file) {
    return FindEndRecordIn(file, 0, static_cast<std::int64_t>(file.size()));
}

TEST(EndRecordSearchTest, PrefersTheRecordWhoseCommentEndsTheFile) {
    // A record with a 30-byte comment that holds a record of its own.
    const std::string inner = Record(3) + "abc";
    const std::string file = "data" + Record(30) + inner + std::string(30 - inner.size(), '-');
    EXPECT_EQ(FindInWholeFile(file), 4);
}

TEST(EndRecordSearchTest, FallsBackToTheRecordNearestTheEnd) {
    const std::string file = "data" + Record(0) + "xx" + Record(9) + "short";
    EXPECT_EQ(FindInWholeFile(file), 4 + 22 + 2);
}

TEST(EndRecordSearchTest, ReachesBackExactlyOneFullCommentAndRecord) {
    const std::string longest = Record(65535) + std::string(65535, 'c');
    EXPECT_EQ(FindInWholeFile("front" + longest), 5);
    // One byte more of trailing data puts the record out of reach, whatever
    // the tail holds.
    EXPECT_EQ(FindInWholeFile("front" + longest + "x"), std::nullopt);
}

TEST(EndRecordSearchTest, NeedsAWholeRecordAndATailThatEndsTheFile) {
    const std::string file = "data" + Record(0);
    EXPECT_EQ(FindInWholeFile(file.substr(0, file.size() - 1)), std::nullopt);
    EXPECT_EQ(FindInWholeFile(Record(0).substr(0, 21)), std::nullopt);
    EXPECT_EQ(FindEndRecordIn(std::string_view(file).substr(4), 4, 26), 4);
    EXPECT_EQ(FindEndRecordIn(std::string_view(file).substr(4, 21), 4, 26), std::nullopt);
    EXPECT_EQ(FindEndRecordIn(file, -1, 25), std::nullopt);
}

TEST(EndRecordSearchTest, SearchStartKeepsTheSpanFromTheEnd) {
    EXPECT_EQ(zipformat::EndRecordSearchStart(10), 0);
    EXPECT_EQ(zipformat::EndRecordSearchStart(65557), 0);
    EXPECT_EQ(zipformat::EndRecordSearchStart(100000), 100000 - 65557);
}

} // namespace
