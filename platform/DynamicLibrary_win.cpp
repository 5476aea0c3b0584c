#include "platform/DynamicLibrary.h"

#include "platform/ProgramFolder.h"
#include "platform/SystemFolder.h"
#include "platform/Win32Text.h"

#include <windows.h>

namespace platform {

DynamicLibrary::~DynamicLibrary() {
    Unload();
}

bool DynamicLibrary::Load(const std::string& fileName) {
    Unload();
    // A library that cannot be found or loaded gives an error code, never a
    // system dialog.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE module = nullptr;
    if (const auto ansi = win::ToAnsiExact(fileName)) {
        module = ::LoadLibraryA(ansi->c_str());
    } else {
        module = ::LoadLibraryW(win::Widen(fileName).c_str());
    }
    const DWORD error = ::GetLastError();
    ::SetThreadErrorMode(oldMode, nullptr);
    if (module == nullptr) {
        m_lastError = fileName + ": " + win::ErrorText(error);
        return false;
    }
    m_handle = module;
    m_lastError.clear();
    return true;
}

void DynamicLibrary::Unload() {
    if (m_handle != nullptr) {
        ::FreeLibrary(static_cast<HMODULE>(m_handle));
        m_handle = nullptr;
    }
}

void* DynamicLibrary::Symbol(const char* name) const {
    if (m_handle == nullptr) {
        return nullptr;
    }
    // GetProcAddress hands out every export as a function pointer; the
    // caller casts it to the function type it expects.
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

const char* EngineLibraryName() {
    return "UnzDll.dll";
}

std::vector<std::string> EngineLibraryPaths() {
    const std::string name = std::string("\\") + EngineLibraryName();
    return {ProgramFolder() + name, SystemFolder() + name};
}

void RestrictLibrarySearch() {
    // Windows 8 and later, and 7 with its update KB2533623, have the call;
    // it is looked up so that the program still starts without it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"),
                                                 "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    ::SetDllDirectoryW(L"");
}

} // namespace platform
