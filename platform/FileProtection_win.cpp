#include "platform/FileProtection.h"

#include <windows.h>

#include "platform/Win32Text.h"

namespace platform {

namespace {

using SfcIsFileProtectedFunction = BOOL(WINAPI*)(HANDLE, LPCWSTR);

// SfcIsFileProtected of sfc.dll, loaded once by full path from the system
// folder (sfc.dll is not among the known DLLs, so a bare name could find a
// planted one); null when the system has none.
SfcIsFileProtectedFunction SfcIsFileProtectedOfSystem() {
    static const SfcIsFileProtectedFunction function = [] {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return SfcIsFileProtectedFunction{};
        }
        const std::wstring path = std::wstring(folder, length) + L"\\sfc.dll";
        HMODULE sfc = ::LoadLibraryW(path.c_str());
        return sfc == nullptr ? SfcIsFileProtectedFunction{}
                              : reinterpret_cast<SfcIsFileProtectedFunction>(reinterpret_cast<void*>(
                                    ::GetProcAddress(sfc, "SfcIsFileProtected")));
    }();
    return function;
}

} // namespace

bool SystemFileProtection::IsProtected(const std::string& path) const {
    const SfcIsFileProtectedFunction isProtected = SfcIsFileProtectedOfSystem();
    return isProtected != nullptr && isProtected(nullptr, win::Widen(path).c_str()) != FALSE;
}

} // namespace platform
