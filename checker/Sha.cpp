#include "checker/Sha.h"

namespace {

std::uint32_t RotateRight(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

std::uint32_t RotateLeft(std::uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

constexpr std::uint32_t kSha256Rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// Feeds `bytes` through 64-byte blocks, keeping the rest for later.
template <typename BlockFunction>
void Feed(std::string_view bytes, std::array<unsigned char, 64>& buffer, std::size_t& buffered,
          std::uint64_t& length, BlockFunction block) {
    length += bytes.size();
    for (const char c : bytes) {
        buffer[buffered++] = static_cast<unsigned char>(c);
        if (buffered == buffer.size()) {
            block(buffer.data());
            buffered = 0;
        }
    }
}

// The closing padding: 0x80, zeros, the length in bits as 64-bit big-endian.
std::string Padding(std::uint64_t length) {
    std::string padding(1, '\x80');
    padding.append((64 + 56 - (length + 1) % 64) % 64, '\0');
    const std::uint64_t bits = length * 8;
    for (int shift = 56; shift >= 0; shift -= 8) {
        padding += static_cast<char>((bits >> shift) & 0xff);
    }
    return padding;
}

template <std::size_t N>
std::string BigEndianWords(const std::array<std::uint32_t, N>& words) {
    std::string out;
    for (const std::uint32_t word : words) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out += static_cast<char>((word >> shift) & 0xff);
        }
    }
    return out;
}

} // namespace

std::unique_ptr<Digest> Digest::ForOid(std::string_view oid) {
    if (oid == "2.16.840.1.101.3.4.2.1") {
        return std::make_unique<Sha256>();
    }
    if (oid == "1.3.14.3.2.26") {
        return std::make_unique<Sha1>();
    }
    return nullptr;
}

void Sha256::Update(std::string_view bytes) {
    Feed(bytes, m_buffer, m_buffered, m_length, [this](const unsigned char* b) { Block(b); });
}

std::string Sha256::Final() {
    const std::uint64_t length = m_length;
    Update(Padding(length));
    return BigEndianWords(m_state);
}

void Sha256::Block(const unsigned char* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = BigEndian32(block + 4 * i);
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = m_state;
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + kSha256Rounds[i] + w[i];
        const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::uint32_t add[8] = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) {
        m_state[i] += add[i];
    }
}

void Sha1::Update(std::string_view bytes) {
    Feed(bytes, m_buffer, m_buffered, m_length, [this](const unsigned char* b) { Block(b); });
}

std::string Sha1::Final() {
    const std::uint64_t length = m_length;
    Update(Padding(length));
    return BigEndianWords(m_state);
}

void Sha1::Block(const unsigned char* block) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
        w[i] = BigEndian32(block + 4 * i);
    }
    for (int i = 16; i < 80; ++i) {
        w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    }
    auto [a, b, c, d, e] = m_state;
    for (int i = 0; i < 80; ++i) {
        std::uint32_t f = 0;
        std::uint32_t k = 0;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5a827999;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ed9eba1;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8f1bbcdc;
        } else {
            f = b ^ c ^ d;
            k = 0xca62c1d6;
        }
        const std::uint32_t temp = RotateLeft(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = RotateLeft(b, 30);
        b = a;
        a = temp;
    }
    const std::uint32_t add[5] = {a, b, c, d, e};
    for (int i = 0; i < 5; ++i) {
        m_state[i] += add[i];
    }
}
