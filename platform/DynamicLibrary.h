#pragma once

#include <string>
#include <vector>

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

// Where the program looks for the unzip engine, in this order. Windows: by
// full path in the program's folder, then in the system folder (where the
// installation copies it); never the current folder (the extraction makes
// it the folder being written) nor the folders on PATH, where a file of
// that name would run with the program's rights. Linux: the bare name,
// which the dynamic loader looks for along the program's run path (its own
// folder) and in the system's library folders, never the current folder.
std::vector<std::string> EngineLibraryPaths();

// Restricts the libraries the process loads by bare name (its own later
// loads and those the system makes for it, such as the themes and the
// window manager's helpers) to the system folder: the program's own folder,
// perhaps a downloads folder full of other files, is no longer searched.
// Called first thing in main, before any window. Windows: the default
// search becomes the system folder (SetDefaultDllDirectories), or where
// that call is missing, the current folder leaves the search
// (SetDllDirectory ""). Linux: nothing to do, the loader never searches
// the program's folder by itself.
void RestrictLibrarySearch();

} // namespace platform
