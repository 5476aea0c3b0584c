#include <gtest/gtest.h>

#include <cstdio>

#include "checker/Sha.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string hex;
    char digits[3];
    for (const unsigned char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", c);
        hex += digits;
    }
    return hex;
}

std::string DigestOf(const char* oid, const std::string& message, std::size_t piece) {
    auto digest = Digest::ForOid(oid);
    for (std::size_t at = 0; at < message.size(); at += piece) {
        digest->Update(std::string_view(message).substr(at, piece));
    }
    return Hex(digest->Final());
}

// The examples of FIPS 180-4: one block, two blocks, and a million "a" fed
// in uneven pieces.
TEST(ShaTest, TheStandardsExamples) {
    const char* sha1 = "1.3.14.3.2.26";
    const char* sha256 = "2.16.840.1.101.3.4.2.1";
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::string million(1000000, 'a');
    EXPECT_EQ(DigestOf(sha1, "abc", 3), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(DigestOf(sha1, twoBlocks, 7), "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(DigestOf(sha1, million, 997), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(DigestOf(sha256, "abc", 1), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(DigestOf(sha256, twoBlocks, 64), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(DigestOf(sha256, million, 997), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(DigestOf(sha256, "", 1), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Digest::ForOid("1.2.840.113549.2.5"), nullptr) << "MD5 is not offered";
}

} // namespace
