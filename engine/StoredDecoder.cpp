#include <algorithm>
#include <cstring>

#include "engine/Decoder.h"

namespace engine {

namespace {

class StoredDecoder : public Decoder {
public:
    void Reset(std::uint64_t compressedSize, std::uint64_t) override { m_left = compressedSize; }

    Status Decode(const unsigned char* input, std::size_t inputSize, bool, unsigned char* output,
                  std::size_t outputSize, std::size_t& consumed, std::size_t& produced) override {
        std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::min(inputSize, outputSize), m_left));
        std::memcpy(output, input, count);
        consumed = produced = count;
        m_left -= count;
        return m_left == 0 ? Status::End : Status::Ok;
    }

private:
    std::uint64_t m_left = 0;
};

} // namespace

std::unique_ptr<Decoder> MakeStoredDecoder() {
    return std::make_unique<StoredDecoder>();
}

} // namespace engine
