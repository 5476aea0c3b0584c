#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace engine {

// Decrypts the data of one encrypted entry as it is read, front to back.
class Decryptor {
public:
    virtual ~Decryptor() = default;

    // Bytes in front of the encrypted data (checked by the Try functions)
    // and behind it (checked by Authenticate).
    virtual std::size_t HeaderSize() const = 0;
    virtual std::size_t TrailerSize() const { return 0; }

    virtual void Decrypt(unsigned char* data, std::size_t size) = 0;

    // True when the trailer matches the data decrypted so far.
    virtual bool Authenticate(const unsigned char*, std::size_t) { return true; }
};

// Traditional PKWARE encryption: the 12-byte header decrypts, under the
// right password, to a last byte equal to `checkByte` (the high byte of the
// CRC, or of the DOS time when sizes follow the data). Null for a wrong
// password. One wrong password in 256 passes this test; the CRC catches it.
constexpr std::size_t kZipCryptoHeaderSize = 12;
std::unique_ptr<Decryptor> TryZipCrypto(std::string_view password, const unsigned char* header,
                                        std::uint8_t checkByte);

// WinZip AES with key strength 1, 2 or 3 (128, 192, 256 bits): `header` holds
// the salt and the 2-byte password verifier. Null for a wrong password, or
// when the engine is built without AES.
std::size_t WinZipAesHeaderSize(int strength);
std::unique_ptr<Decryptor> TryWinZipAes(std::string_view password, int strength,
                                        const unsigned char* header);
bool WinZipAesAvailable();

} // namespace engine
