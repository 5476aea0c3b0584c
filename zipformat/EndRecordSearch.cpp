#include "zipformat/EndRecordSearch.h"

#include <algorithm>

namespace zipformat {

namespace {

// Offset of the 16-bit archive comment length within the end record.
constexpr std::size_t kCommentLengthOffset = 20;

std::int64_t CommentLengthAt(std::string_view bytes, std::size_t recordStart) {
    const auto low = static_cast<unsigned char>(bytes[recordStart + kCommentLengthOffset]);
    const auto high = static_cast<unsigned char>(bytes[recordStart + kCommentLengthOffset + 1]);
    return low | (high << 8);
}

} // namespace

std::int64_t EndRecordSearchStart(std::int64_t fileSize) {
    return std::max<std::int64_t>(0, fileSize - kEndRecordSearchSpan);
}

std::optional<std::int64_t> FindEndRecordIn(std::string_view tail, std::int64_t tailOffset,
                                            std::int64_t fileSize) {
    constexpr auto recordSize = static_cast<std::int64_t>(kEndRecordSize);
    if (fileSize < recordSize || tailOffset < 0 || tailOffset > fileSize ||
        static_cast<std::int64_t>(tail.size()) != fileSize - tailOffset) {
        return std::nullopt;
    }
    const std::int64_t first = std::max(tailOffset, EndRecordSearchStart(fileSize));
    std::optional<std::int64_t> nearestEnd;
    for (std::int64_t position = fileSize - recordSize; position >= first; --position) {
        const auto index = static_cast<std::size_t>(position - tailOffset);
        if (tail.compare(index, kEndRecordSignatureBytes.size(), kEndRecordSignatureBytes) != 0) {
            continue;
        }
        if (position + recordSize + CommentLengthAt(tail, index) == fileSize) {
            return position;
        }
        if (!nearestEnd) {
            nearestEnd = position;
        }
    }
    return nearestEnd;
}

} // namespace zipformat
