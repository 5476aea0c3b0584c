// WinZip AES encryption (AE-1 and AE-2) through Nettle.
#include <nettle/aes.h>
#include <nettle/hmac.h>
#include <nettle/nettle-meta.h>
#include <nettle/pbkdf2.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/Decryptor.h"

namespace engine {

namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kVerifierSize = 2;
constexpr std::size_t kAuthenticationSize = 10;
constexpr unsigned kIterations = 1000;

std::size_t KeySize(int strength) {
    return strength >= 1 && strength <= 3 ? 8 + 8 * static_cast<std::size_t>(strength) : 0;
}

const nettle_cipher* Cipher(int strength) {
    switch (strength) {
    case 1:
        return &nettle_aes128;
    case 2:
        return &nettle_aes192;
    default:
        return &nettle_aes256;
    }
}

// AES in counter mode with a little-endian counter starting at 1; the
// authentication code is HMAC-SHA1 over the encrypted bytes.
class WinZipAes : public Decryptor {
public:
    WinZipAes(int strength, const std::uint8_t* keys)
        : m_cipher(Cipher(strength)), m_context(m_cipher->context_size),
          m_header(KeySize(strength) / 2 + kVerifierSize) {
        std::size_t keySize = KeySize(strength);
        m_cipher->set_encrypt_key(m_context.data(), keys);
        hmac_sha1_set_key(&m_hmac, keySize, keys + keySize);
    }

    std::size_t HeaderSize() const override { return m_header; }
    std::size_t TrailerSize() const override { return kAuthenticationSize; }

    void Decrypt(unsigned char* data, std::size_t size) override {
        hmac_sha1_update(&m_hmac, size, data);
        std::size_t done = 0;
        while (done < size) {
            if (m_used == m_stream.size()) {
                Refill();
            }
            std::size_t step = std::min(size - done, m_stream.size() - m_used);
            for (std::size_t i = 0; i < step; ++i) {
                data[done + i] ^= m_stream[m_used + i];
            }
            done += step;
            m_used += step;
        }
    }

    bool Authenticate(const unsigned char* trailer, std::size_t size) override {
        std::uint8_t digest[SHA1_DIGEST_SIZE];
        hmac_sha1_digest(&m_hmac, sizeof(digest), digest);
        return size == kAuthenticationSize &&
               std::memcmp(digest, trailer, kAuthenticationSize) == 0;
    }

private:
    // Encrypts 256 counter blocks at once.
    void Refill() {
        std::uint8_t counters[256 * kBlock];
        for (std::size_t block = 0; block < 256; ++block) {
            ++m_counter;
            std::memset(counters + block * kBlock, 0, kBlock);
            for (std::size_t i = 0; i < 8; ++i) {
                counters[block * kBlock + i] = static_cast<std::uint8_t>(m_counter >> (8 * i));
            }
        }
        m_cipher->encrypt(m_context.data(), sizeof(counters), m_stream.data(), counters);
        m_used = 0;
    }

    const nettle_cipher* m_cipher;
    std::vector<std::uint8_t> m_context;
    std::size_t m_header;
    hmac_sha1_ctx m_hmac{};
    std::vector<std::uint8_t> m_stream = std::vector<std::uint8_t>(256 * kBlock);
    std::size_t m_used = 256 * kBlock;
    std::uint64_t m_counter = 0;
};

} // namespace

std::size_t WinZipAesHeaderSize(int strength) {
    return KeySize(strength) / 2 + kVerifierSize;
}

bool WinZipAesAvailable() {
    return true;
}

std::unique_ptr<Decryptor> TryWinZipAes(std::string_view password, int strength,
                                        const unsigned char* header) {
    std::size_t keySize = KeySize(strength);
    if (keySize == 0) {
        return nullptr;
    }
    std::size_t saltSize = keySize / 2;
    std::vector<std::uint8_t> keys(2 * keySize + kVerifierSize);
    pbkdf2_hmac_sha1(password.size(), reinterpret_cast<const std::uint8_t*>(password.data()),
                     kIterations, saltSize, header, keys.size(), keys.data());
    if (std::memcmp(keys.data() + 2 * keySize, header + saltSize, kVerifierSize) != 0) {
        return nullptr;
    }
    return std::make_unique<WinZipAes>(strength, keys.data());
}

} // namespace engine
