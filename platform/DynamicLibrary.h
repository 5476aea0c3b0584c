#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time. Loading by a bare file name uses the
// platform's search order: on Windows the program's folder first; on Linux
// the run path of the program (which names the program's folder), then the
// system's library folders. The library is unloaded with the object.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library; false when it cannot be loaded (the reason is then
    // in LastError()). Unloads a library loaded before.
    bool Load(const std::string& fileName);
    void Unload();
    bool Loaded() const { return m_handle != nullptr; }

    // The address of an exported function; nullptr when there is none.
    void* Symbol(const char* name) const;

    const std::string& LastError() const { return m_lastError; }

private:
    void* m_handle = nullptr;
    std::string m_lastError;
};

// The file name of the unzip engine on this platform: "UnzDll.so" on Linux,
// "UnzDll.dll" on Windows.
const char* EngineLibraryName();

} // namespace platform
