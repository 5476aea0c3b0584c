#include "platform/UsageText.h"

#include <cstdio>

namespace platform {

void ShowUsageText(const std::string&, const std::string& text, bool wrongCommandLine, bool) {
    std::FILE* stream = wrongCommandLine ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

} // namespace platform
