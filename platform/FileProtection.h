#pragma once

#include <string>

namespace platform {

// The system's protection of its own files. Windows keeps the libraries of
// its system folder that it ships from being replaced (Windows File
// Protection); a setup must not try, whatever its medium carries.
class FileProtection {
public:
    virtual ~FileProtection() = default;
    // Whether the system protects the file at `path` from being replaced.
    virtual bool IsProtected(const std::string& path) const = 0;
};

// The system's own answer: on Windows SfcIsFileProtected (sfc.dll, loaded
// from the system folder by full path); Linux has no such service, and
// nothing counts as protected.
class SystemFileProtection : public FileProtection {
public:
    bool IsProtected(const std::string& path) const override;
};

} // namespace platform
