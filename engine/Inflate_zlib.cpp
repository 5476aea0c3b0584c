// Deflate through zlib, the inflater every platform has.
#include <zlib.h>

#include <algorithm>
#include <climits>

#include "engine/Crc32.h"
#include "engine/Decoder.h"

namespace engine {

std::uint32_t Crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        auto step = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
        crc = static_cast<std::uint32_t>(crc32(crc, bytes, step));
        bytes += step;
        size -= step;
    }
    return crc;
}

namespace {

class ZlibInflater : public Decoder {
public:
    ZlibInflater() {
        // Raw deflate: negative window bits, no zlib wrapper.
        m_ready = inflateInit2(&m_stream, -MAX_WBITS) == Z_OK;
    }
    ~ZlibInflater() override {
        if (m_ready) {
            inflateEnd(&m_stream);
        }
    }
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    void Reset(std::uint64_t, std::uint64_t) override {
        if (m_ready) {
            inflateReset(&m_stream);
        }
        m_message.clear();
    }

    Status Decode(const unsigned char* input, std::size_t inputSize, bool lastInput,
                  unsigned char* output, std::size_t outputSize, std::size_t& consumed,
                  std::size_t& produced) override {
        consumed = produced = 0;
        if (!m_ready) {
            m_message = "the inflater could not be set up";
            return Status::Error;
        }
        m_stream.next_in = const_cast<unsigned char*>(input);
        m_stream.avail_in = static_cast<uInt>(std::min<std::size_t>(inputSize, UINT_MAX));
        m_stream.next_out = output;
        m_stream.avail_out = static_cast<uInt>(std::min<std::size_t>(outputSize, UINT_MAX));
        uInt inputBefore = m_stream.avail_in;
        uInt outputBefore = m_stream.avail_out;
        int result = inflate(&m_stream, Z_NO_FLUSH);
        consumed = inputBefore - m_stream.avail_in;
        produced = outputBefore - m_stream.avail_out;
        if (result == Z_STREAM_END) {
            return Status::End;
        }
        if (result == Z_OK) {
            return Status::Ok;
        }
        if (result == Z_BUF_ERROR) {
            if (lastInput && consumed == inputSize && m_stream.avail_out > 0) {
                m_message = "the compressed data ends early";
                return Status::Error;
            }
            return Status::Ok;
        }
        m_message = m_stream.msg != nullptr ? m_stream.msg : "the compressed data is damaged";
        return Status::Error;
    }

    std::string ErrorText() const override {
        return m_message.empty() ? Decoder::ErrorText() : m_message;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
    std::string m_message;
};

} // namespace

std::unique_ptr<Decoder> MakeInflater() {
    return std::make_unique<ZlibInflater>();
}

} // namespace engine
