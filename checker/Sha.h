#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The SHA-1 and SHA-256 digests (FIPS 180-4), for the Authenticode digest
// of a program: fed in pieces, the digest as raw bytes at the end.
class Digest {
public:
    virtual ~Digest() = default;
    virtual void Update(std::string_view bytes) = 0;
    // The digest of everything fed; the object is used up.
    virtual std::string Final() = 0;

    // A digest of the algorithm named by its object identifier (dotted),
    // "1.3.14.3.2.26" SHA-1 or "2.16.840.1.101.3.4.2.1" SHA-256; null for
    // any other.
    static std::unique_ptr<Digest> ForOid(std::string_view oid);
};

class Sha256 : public Digest {
public:
    void Update(std::string_view bytes) override;
    std::string Final() override;

private:
    void Block(const unsigned char* block);
    std::array<std::uint32_t, 8> m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<unsigned char, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;
};

class Sha1 : public Digest {
public:
    void Update(std::string_view bytes) override;
    std::string Final() override;

private:
    void Block(const unsigned char* block);
    std::array<std::uint32_t, 5> m_state{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
    std::array<unsigned char, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;
};
