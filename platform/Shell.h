#pragma once

#include <string>

namespace platform {

// The desktop's shell: opening a document with the viewer registered for it.
class Shell {
public:
    virtual ~Shell() = default;

    // Opens the document with the desktop's default viewer and returns
    // without waiting for the viewer to close. True when a viewer was
    // started; false when the desktop has no way to open the document.
    virtual bool OpenDocument(const std::string& path) = 0;
};

// The shell of this machine: on Linux "xdg-open" (the desktop's default
// viewer), on Windows the shell's "open" verb.
class SystemShell : public Shell {
public:
    bool OpenDocument(const std::string& path) override;
};

} // namespace platform
