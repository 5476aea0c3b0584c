#include <lzma.h>

#include <algorithm>
#include <cstdlib>

#include "engine/Decoder.h"

namespace engine {

namespace {

// A ZIP LZMA entry starts with a 2-byte encoder version, a 2-byte length of
// the properties and the properties themselves (5 bytes for LZMA1), then
// the raw LZMA stream, with or without an end marker.
constexpr std::size_t kPropertiesHeader = 4;
constexpr std::size_t kMaxProperties = 64;
constexpr std::uint32_t kMaxDictionary = 40u << 20;

class LzmaDecoder : public Decoder {
public:
    ~LzmaDecoder() override { lzma_end(&m_stream); }

    void Reset(std::uint64_t, std::uint64_t uncompressedSize) override {
        lzma_end(&m_stream);
        m_stream = LZMA_STREAM_INIT;
        m_header.clear();
        m_started = false;
        m_uncompressedSize = uncompressedSize;
        m_message.clear();
    }

    Status Decode(const unsigned char* input, std::size_t inputSize, bool lastInput,
                  unsigned char* output, std::size_t outputSize, std::size_t& consumed,
                  std::size_t& produced) override {
        consumed = produced = 0;
        if (!m_started) {
            while (consumed < inputSize && !HeaderComplete()) {
                m_header.push_back(input[consumed++]);
            }
            if (!HeaderComplete()) {
                return Fail(lastInput && consumed == inputSize, "the LZMA header is cut short");
            }
            if (!Start()) {
                return Status::Error;
            }
        }
        m_stream.next_in = input + consumed;
        m_stream.avail_in = inputSize - consumed;
        m_stream.next_out = output;
        m_stream.avail_out = outputSize;
        lzma_ret result = lzma_code(&m_stream, LZMA_RUN);
        consumed = inputSize - m_stream.avail_in;
        produced = outputSize - m_stream.avail_out;
        if (result == LZMA_STREAM_END) {
            return Status::End;
        }
        if (result == LZMA_OK || result == LZMA_BUF_ERROR) {
            return Fail(lastInput && consumed == inputSize && m_stream.avail_out > 0,
                        "the compressed data ends early");
        }
        return Fail(true, result == LZMA_MEM_ERROR ? "the LZMA decoder ran out of memory"
                                                   : "the LZMA data is damaged");
    }

    std::string ErrorText() const override {
        return m_message.empty() ? Decoder::ErrorText() : m_message;
    }

private:
    bool HeaderComplete() const {
        return m_header.size() >= kPropertiesHeader &&
               m_header.size() >=
                   kPropertiesHeader +
                       std::min<std::size_t>(kMaxProperties,
                                             static_cast<unsigned char>(m_header[2]) |
                                                 (static_cast<unsigned char>(m_header[3]) << 8));
    }

    Status Fail(bool failed, const char* message) {
        if (!failed) {
            return Status::Ok;
        }
        m_message = message;
        return Status::Error;
    }

    bool Start() {
        lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
        const auto* properties =
            reinterpret_cast<const std::uint8_t*>(m_header.data()) + kPropertiesHeader;
        if (lzma_properties_decode(&filters[0], nullptr, properties,
                                   m_header.size() - kPropertiesHeader) != LZMA_OK) {
            m_message = "the LZMA properties are invalid";
            return false;
        }
        auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
        // The dictionary is allocated whole; one larger than the entry is
        // never used, and the stored size may be hostile.
        options->dict_size = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            options->dict_size, std::max<std::uint64_t>(m_uncompressedSize, 4096)));
        if (options->dict_size > kMaxDictionary) {
            std::free(filters[0].options);
            m_message = "the LZMA dictionary needs too much memory";
            return false;
        }
        options->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        options->ext_size_low = static_cast<std::uint32_t>(m_uncompressedSize);
        options->ext_size_high = static_cast<std::uint32_t>(m_uncompressedSize >> 32);
        lzma_ret result = lzma_raw_decoder(&m_stream, filters);
        std::free(filters[0].options);
        if (result != LZMA_OK) {
            m_message = "the LZMA decoder could not be set up";
            return false;
        }
        m_started = true;
        return true;
    }

    lzma_stream m_stream = LZMA_STREAM_INIT;
    std::string m_header;
    bool m_started = false;
    std::uint64_t m_uncompressedSize = 0;
    std::string m_message;
};

} // namespace

std::unique_ptr<Decoder> MakeLzmaDecoder() {
    return std::make_unique<LzmaDecoder>();
}

} // namespace engine
