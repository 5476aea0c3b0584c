#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

// The ZIP CRC-32 of `size` bytes, continuing from `crc` (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size);

} // namespace engine
