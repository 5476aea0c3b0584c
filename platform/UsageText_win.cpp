#include "platform/UsageText.h"

#include <cstdio>

#include <windows.h>

#include "platform/Win32Text.h"

namespace platform {

void ShowUsageText(const std::string& title, const std::string& text, bool wrongCommandLine,
                   bool noBox) {
    if (wrongCommandLine) {
        std::fputs(text.c_str(), stderr);
        std::fflush(stderr);
    }
    if (!noBox) {
        ::MessageBoxW(nullptr, win::Widen(text).c_str(), win::Widen(title).c_str(),
                      MB_OK | MB_SETFOREGROUND | (wrongCommandLine ? MB_ICONERROR : MB_ICONINFORMATION));
    }
}

} // namespace platform
