// Deflate through Intel's ISA-L: a streaming inflater about as fast as a
// whole-buffer one, so large entries need no large buffers.
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <climits>

#include "engine/Crc32.h"
#include "engine/Decoder.h"

namespace engine {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        auto step = static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT_MAX));
        crc = crc32_gzip_refl(crc, bytes, step);
        bytes += step;
        size -= step;
    }
    return crc;
}

namespace {

class IsalInflater : public Decoder {
public:
    IsalInflater() : m_state(std::make_unique<inflate_state>()) {
        isal_inflate_init(m_state.get());
    }

    void Reset(std::uint64_t, std::uint64_t) override {
        isal_inflate_reset(m_state.get());
        m_state->crc_flag = ISAL_DEFLATE;
        m_error = ISAL_DECOMP_OK;
    }

    Status Decode(const unsigned char* input, std::size_t inputSize, bool lastInput,
                  unsigned char* output, std::size_t outputSize, std::size_t& consumed,
                  std::size_t& produced) override {
        inflate_state& state = *m_state;
        state.next_in = const_cast<unsigned char*>(input);
        state.avail_in = static_cast<std::uint32_t>(std::min<std::size_t>(inputSize, UINT_MAX));
        state.next_out = output;
        state.avail_out = static_cast<std::uint32_t>(std::min<std::size_t>(outputSize, UINT_MAX));
        std::uint32_t inputBefore = state.avail_in;
        std::uint32_t outputBefore = state.avail_out;
        int result = isal_inflate(&state);
        consumed = inputBefore - state.avail_in;
        produced = outputBefore - state.avail_out;
        if (result != ISAL_DECOMP_OK && result != ISAL_END_INPUT && result != ISAL_OUT_OVERFLOW) {
            m_error = result;
            return Status::Error;
        }
        if (state.block_state == ISAL_BLOCK_FINISH) {
            return Status::End;
        }
        if (lastInput && consumed == inputSize && state.avail_out > 0) {
            m_error = ISAL_END_INPUT;
            return Status::Error;
        }
        return Status::Ok;
    }

    std::string ErrorText() const override {
        switch (m_error) {
        case ISAL_END_INPUT:
            return "the compressed data ends early";
        case ISAL_INVALID_LOOKBACK:
            return "the compressed data refers back too far";
        default:
            return "the compressed data is damaged";
        }
    }

private:
    std::unique_ptr<inflate_state> m_state;
    int m_error = ISAL_DECOMP_OK;
};

} // namespace

std::unique_ptr<Decoder> MakeInflater() {
    return std::make_unique<IsalInflater>();
}

} // namespace engine
