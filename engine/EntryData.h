#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/ByteSource.h"
#include "engine/Decoder.h"
#include "engine/Decryptor.h"
#include "engine/TargetFolder.h"

namespace engine {

// What one entry's data should turn into.
struct DataPlan {
    std::uint64_t start = 0; // first byte after any encryption header
    std::uint64_t size = 0;  // bytes to decode, without encryption header and trailer
    std::uint64_t uncompressedSize = 0;
    std::uint32_t crc = 0;
    bool checkCrc = true;
    Decoder* decoder = nullptr;
    Decryptor* decryptor = nullptr; // null for plain data
};

// Moves the data of entries from the archive through decryption and
// decompression into output files, checking size and CRC. Owns the two
// bounded buffers that every entry shares.
class EntryData {
public:
    enum class Result {
        Complete, // the file holds exactly the stated data
        Damaged,  // a CRC, size or data error; the file holds what was decoded, cut at the stated
                  // size
        WriteFailed, // the output could not be written
        ReadFailed,  // the archive could not be read
        Stopped,     // `progress` asked to stop
    };

    static constexpr std::size_t kInputBuffer = 256 * 1024;
    static constexpr std::size_t kOutputBuffer = 256 * 1024;

    explicit EntryData(ByteSource& source);

    // Decodes the planned data into `output`. `progress` receives the bytes
    // written since its last call, after every step (possibly 0); it returns
    // false to stop. `message` tells what went wrong.
    Result Extract(const DataPlan& plan, OutputFile& output,
                   const std::function<bool(std::uint64_t)>& progress, std::string& message);

private:
    ByteSource& m_source;
    std::vector<unsigned char> m_input;
    std::vector<unsigned char> m_output;
};

} // namespace engine
