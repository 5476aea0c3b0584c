#include <array>

#include "engine/Decryptor.h"

namespace engine {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}

constexpr auto kCrcTable = MakeCrcTable();

// The cipher's three 32-bit keys, stirred by every plaintext byte.
class ZipCrypto : public Decryptor {
public:
    explicit ZipCrypto(std::string_view password) {
        for (char c : password) {
            Update(static_cast<unsigned char>(c));
        }
    }

    std::size_t HeaderSize() const override { return kZipCryptoHeaderSize; }

    void Decrypt(unsigned char* data, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = static_cast<unsigned char>(data[i] ^ KeyByte());
            Update(data[i]);
        }
    }

private:
    static std::uint32_t CrcStep(std::uint32_t crc, unsigned char byte) {
        return (crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xff];
    }

    void Update(unsigned char byte) {
        m_key0 = CrcStep(m_key0, byte);
        m_key1 = (m_key1 + (m_key0 & 0xff)) * 134775813u + 1;
        m_key2 = CrcStep(m_key2, static_cast<unsigned char>(m_key1 >> 24));
    }

    unsigned char KeyByte() const {
        std::uint32_t temp = (m_key2 | 2) & 0xffff;
        return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
    }

    std::uint32_t m_key0 = 0x12345678;
    std::uint32_t m_key1 = 0x23456789;
    std::uint32_t m_key2 = 0x34567890;
};

} // namespace

std::unique_ptr<Decryptor> TryZipCrypto(std::string_view password, const unsigned char* header,
                                        std::uint8_t checkByte) {
    auto cipher = std::make_unique<ZipCrypto>(password);
    unsigned char plain[kZipCryptoHeaderSize];
    std::copy(header, header + kZipCryptoHeaderSize, plain);
    cipher->Decrypt(plain, kZipCryptoHeaderSize);
    if (plain[kZipCryptoHeaderSize - 1] != checkByte) {
        return nullptr;
    }
    return cipher;
}

} // namespace engine
