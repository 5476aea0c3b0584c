#include "platform/FileProtection.h"

#include <windows.h>

#include "platform/Win32Text.h"

namespace platform {

namespace {

using SfcIsFileProtectedFunction = BOOL(WINAPI*)(HANDLE, LPCWSTR);

// SfcIsFileProtected of the system's sfc.dll, looked up once; null when the
// system has none.
SfcIsFileProtectedFunction SfcIsFileProtectedOfSystem() {
    static const auto function = reinterpret_cast<SfcIsFileProtectedFunction>(
        win::SystemLibraryFunction(L"sfc.dll", "SfcIsFileProtected"));
    return function;
}

} // namespace

bool SystemFileProtection::IsProtected(const std::string& path) const {
    const SfcIsFileProtectedFunction isProtected = SfcIsFileProtectedOfSystem();
    return isProtected != nullptr && isProtected(nullptr, win::Widen(path).c_str()) != FALSE;
}

} // namespace platform
