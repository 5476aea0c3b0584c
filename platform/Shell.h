#pragma once

#include <functional>
#include <string>

namespace platform {

// The desktop's shell: opening a document with the viewer registered for it.
class Shell {
public:
    virtual ~Shell() = default;

    // Opens the document with the desktop's default viewer and returns
    // without waiting for the viewer to close. True when a viewer was
    // started; false when the desktop has no way to open the document.
    // `whileWaiting` runs again and again while the desktop starts the
    // viewer (the caller keeps its windows painting there); it may be empty.
    virtual bool OpenDocument(const std::string& path, const std::function<void()>& whileWaiting) = 0;
    bool OpenDocument(const std::string& path) { return OpenDocument(path, {}); }
};

// The shell of this machine: on Linux "xdg-open" (the desktop's default
// viewer), on Windows the shell's "open" verb.
class SystemShell : public Shell {
public:
    using Shell::OpenDocument;
    bool OpenDocument(const std::string& path, const std::function<void()>& whileWaiting) override;
};

} // namespace platform
