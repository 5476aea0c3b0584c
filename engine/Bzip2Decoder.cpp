#include <bzlib.h>

#include <algorithm>
#include <climits>

#include "engine/Decoder.h"

namespace engine {

namespace {

class Bzip2Decoder : public Decoder {
public:
    ~Bzip2Decoder() override { End(); }

    void Reset(std::uint64_t, std::uint64_t) override {
        End();
        m_stream = bz_stream{};
        m_ready = BZ2_bzDecompressInit(&m_stream, 0, 0) == BZ_OK;
        m_message.clear();
    }

    Status Decode(const unsigned char* input, std::size_t inputSize, bool lastInput,
                  unsigned char* output, std::size_t outputSize, std::size_t& consumed,
                  std::size_t& produced) override {
        consumed = produced = 0;
        if (!m_ready) {
            m_message = "the bzip2 decoder could not be set up";
            return Status::Error;
        }
        m_stream.next_in = const_cast<char*>(reinterpret_cast<const char*>(input));
        m_stream.avail_in = static_cast<unsigned>(std::min<std::size_t>(inputSize, UINT_MAX));
        m_stream.next_out = reinterpret_cast<char*>(output);
        m_stream.avail_out = static_cast<unsigned>(std::min<std::size_t>(outputSize, UINT_MAX));
        unsigned inputBefore = m_stream.avail_in;
        unsigned outputBefore = m_stream.avail_out;
        int result = BZ2_bzDecompress(&m_stream);
        consumed = inputBefore - m_stream.avail_in;
        produced = outputBefore - m_stream.avail_out;
        if (result == BZ_STREAM_END) {
            return Status::End;
        }
        if (result == BZ_OK) {
            if (lastInput && consumed == inputSize && m_stream.avail_out > 0) {
                m_message = "the compressed data ends early";
                return Status::Error;
            }
            return Status::Ok;
        }
        m_message = result == BZ_MEM_ERROR ? "the bzip2 decoder ran out of memory"
                                           : "the bzip2 data is damaged";
        return Status::Error;
    }

    std::string ErrorText() const override {
        return m_message.empty() ? Decoder::ErrorText() : m_message;
    }

private:
    void End() {
        if (m_ready) {
            BZ2_bzDecompressEnd(&m_stream);
            m_ready = false;
        }
    }

    bz_stream m_stream{};
    bool m_ready = false;
    std::string m_message;
};

} // namespace

std::unique_ptr<Decoder> MakeBzip2Decoder() {
    return std::make_unique<Bzip2Decoder>();
}

} // namespace engine
