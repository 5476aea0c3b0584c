#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace engine {

// A streaming decompressor for one compression method. One object serves
// many entries: Reset starts the next.
class Decoder {
public:
    enum class Status {
        Ok,    // more input or output space is needed
        End,   // the compressed stream ended
        Error, // the data is damaged; ErrorText says how
    };

    virtual ~Decoder() = default;

    // Prepares for a new entry whose compressed data holds `compressedSize`
    // bytes and should give `uncompressedSize` bytes.
    virtual void Reset(std::uint64_t compressedSize, std::uint64_t uncompressedSize) = 0;

    // Decodes from `input` into `output`. `consumed` and `produced` receive
    // the bytes used and written; `lastInput` tells that no input follows.
    virtual Status Decode(const unsigned char* input, std::size_t inputSize, bool lastInput,
                          unsigned char* output, std::size_t outputSize, std::size_t& consumed,
                          std::size_t& produced) = 0;

    virtual std::string ErrorText() const { return "the compressed data is damaged"; }
};

// Copies data unchanged (method 0).
std::unique_ptr<Decoder> MakeStoredDecoder();

// Deflate (method 8) through the library chosen at build time.
std::unique_ptr<Decoder> MakeInflater();

// Bzip2 (method 12) and LZMA (method 14); null when the engine is built
// without the library.
std::unique_ptr<Decoder> MakeBzip2Decoder();
std::unique_ptr<Decoder> MakeLzmaDecoder();

} // namespace engine
