#include "platform/Shell.h"

#include "platform/Win32Text.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

namespace platform {

namespace {

// Shell extensions that open a document may be COM objects, so the shell
// wants COM set up on the calling thread; a thread that has it already
// (the window thread of the program) keeps its own setting.
class ComForThisCall {
public:
    ComForThisCall()
        : m_initialized(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComForThisCall() {
        if (m_initialized) {
            ::CoUninitialize();
        }
    }
    ComForThisCall(const ComForThisCall&) = delete;
    ComForThisCall& operator=(const ComForThisCall&) = delete;

private:
    bool m_initialized;
};

} // namespace

// ShellExecute reports success with a value above 32; the values up to 32
// are its error codes (no file, no viewer registered for the type, ...).
static bool OpenWithShell(const std::string& path) {
    const ComForThisCall com;
    HINSTANCE result = nullptr;
    if (const auto ansi = win::ToAnsiExact(path)) {
        result = ::ShellExecuteA(nullptr, "open", ansi->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else {
        result = ::ShellExecuteW(nullptr, L"open", win::Widen(path).c_str(), nullptr, nullptr,
                                 SW_SHOWNORMAL);
    }
    return reinterpret_cast<INT_PTR>(result) > 32;
}

struct ShellCall {
    std::string path;
    bool opened = false;
};

// A thread's start routine has the standard calling convention.
static DWORD WINAPI OpenOnThread(LPVOID parameter) {
    auto* call = static_cast<ShellCall*>(parameter);
    call->opened = OpenWithShell(call->path);
    return 0;
}

// ShellExecute returns only once the viewer has started, which can take
// seconds. It runs on a thread of its own meanwhile, and the caller's
// `whileWaiting` keeps the windows painting.
bool SystemShell::OpenDocument(const std::string& path, const std::function<void()>& whileWaiting) {
    if (!whileWaiting) {
        return OpenWithShell(path);
    }
    ShellCall call{path, false};
    HANDLE thread = ::CreateThread(nullptr, 0, OpenOnThread, &call, 0, nullptr);
    if (thread == nullptr) {
        return OpenWithShell(path);
    }
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        whileWaiting();
    }
    ::CloseHandle(thread);
    return call.opened;
}

} // namespace platform
