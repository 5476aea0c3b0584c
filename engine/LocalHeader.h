#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ByteSource.h"
#include "engine/CentralDirectory.h"

namespace engine {

// Where the data of an entry lies, from its local header.
struct LocalData {
    std::uint64_t start = 0; // file position of the first data byte
    // Why the local header contradicts the central header (name, method,
    // encryption, or CRC and sizes when no data descriptor follows); empty
    // when it agrees.
    std::string contradiction;
};

// Reads and checks the local header of entry `index`. Returns an empty text
// and fills `data`, or returns why the entry cannot be read safely: the
// central header is damaged, the local header is missing or cut short, or
// the data overlaps another entry or the central directory.
std::string ReadLocalHeader(ByteSource& source, const CentralDirectory& directory,
                            std::size_t index, LocalData& data);

} // namespace engine
