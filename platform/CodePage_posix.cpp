#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Single-byte Windows and DOS code pages; iconv knows each as "CP" and the
// number. Everything else decodes as the Western code page.
constexpr int kSingleByteCodePages[] = {437,  737,  775,  850,  852,  855,  857,  860,
                                        861,  862,  863,  865,  866,  869,  874,  1250,
                                        1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

std::string IconvName(int codePage) {
    for (int known : kSingleByteCodePages) {
        if (known == codePage) {
            return "CP" + std::to_string(codePage);
        }
    }
    return "CP1252";
}

class Converter {
public:
    explicit Converter(const std::string& from) : m_handle(iconv_open("UTF-8", from.c_str())) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t Handle() const { return m_handle; }

private:
    iconv_t m_handle;
};

// Without a converter for the code page only ASCII can be trusted.
std::string DecodeAsciiOnly(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
            text += c;
        } else {
            text += kReplacement;
        }
    }
    return text;
}

// Code pages with combining marks (1255, 1258) make iconv hold back a base
// character until it sees what follows; flushing the state writes it out.
void Flush(iconv_t handle, std::string& text) {
    char buffer[64];
    for (;;) {
        char* out = buffer;
        size_t outLeft = sizeof(buffer);
        size_t result = iconv(handle, nullptr, nullptr, &out, &outLeft);
        int error = result == static_cast<size_t>(-1) ? errno : 0;
        text.append(buffer, static_cast<size_t>(out - buffer));
        if (error != E2BIG) {
            return;
        }
    }
}

// Runs the converter over the input in output-buffer sized steps. A byte the
// code page leaves undefined stops iconv with EILSEQ: it becomes U+FFFD and
// conversion resumes at the next byte.
std::string Convert(iconv_t handle, std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    char buffer[1024];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof(buffer);
        size_t result = iconv(handle, &in, &inLeft, &out, &outLeft);
        int error = result == static_cast<size_t>(-1) ? errno : 0;
        text.append(buffer, static_cast<size_t>(out - buffer));
        if (error == 0 || error == E2BIG) {
            continue;
        }
        Flush(handle, text);
        text += kReplacement;
        ++in;
        --inLeft;
    }
    Flush(handle, text);
    return text;
}

} // namespace

std::string DecodeCodePage(std::string_view bytes, int codePage) {
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // Every supported code page agrees with ASCII below 0x80.
    if (ascii) {
        return std::string(bytes);
    }

    Converter converter(IconvName(codePage));
    if (!converter.IsOpen()) {
        Converter western(IconvName(CpAnsiWestern));
        if (!western.IsOpen()) {
            return DecodeAsciiOnly(bytes);
        }
        return Convert(western.Handle(), bytes);
    }
    return Convert(converter.Handle(), bytes);
}

} // namespace platform
