// Built without an AES library: WinZip AES entries are refused.
#include "engine/Decryptor.h"

namespace engine {

std::size_t WinZipAesHeaderSize(int strength) {
    return strength >= 1 && strength <= 3 ? 4 + 4 * static_cast<std::size_t>(strength) + 2 : 0;
}

bool WinZipAesAvailable() {
    return false;
}

std::unique_ptr<Decryptor> TryWinZipAes(std::string_view, int, const unsigned char*) {
    return nullptr;
}

} // namespace engine
