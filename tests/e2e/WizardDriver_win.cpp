// Drives the wizard through window messages, as a user with a mouse would:
//
//   wizard_driver [--pause SECONDS] PROGRAM
//   wizard_driver --no-click PROGRAM [OPTION...]
//   wizard_driver --answer-box PROGRAM [OPTION...]
//
// The first form starts PROGRAM, waits for its window, clicks btnStart,
// waits until the installation has ended (btnFinish shown), clicks
// btnFinish and waits for the program to end. With --pause it waits that
// long before each click, so that the pages can be looked at (the demo
// takes its screenshots then). It prints the wizard's exit code and ends
// with 0 when every step happened in time; on any other outcome the windows
// of the program are listed with their texts.
//
// --no-click starts PROGRAM with the options, waits for its window and then
// for the program to end by itself, clicking nothing (a passive run).
// --answer-box waits for a message box of the program instead, prints its
// text, presses its first button and waits for the end. Both print the
// program's exit code and end with 0 when it ended in time.
// Controls are found by their component names (see ui/win32/Win32UiPort.h).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/win32/Win32UiPort.h"

namespace {

struct Search {
    DWORD processId;
    std::wstring name;
    HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (ui::win32::ComponentNameOf(window) == search->name) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId) {
        return TRUE;
    }
    if (ui::win32::ComponentNameOf(window) == search->name) {
        search->found = window;
        return FALSE;
    }
    EnumChildWindows(window, FindChild, param);
    return search->found == nullptr;
}

// The window of the component `name` in the process, or null.
HWND FindComponent(DWORD processId, const wchar_t* name) {
    Search search{processId, name};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(),
                                                        static_cast<int>(text.size()))));
    return text;
}

BOOL CALLBACK ListChild(HWND window, LPARAM) {
    std::printf("    %s \"%s\"%s\n", Narrow(ui::win32::ComponentNameOf(window)).c_str(),
                Narrow(TextOf(window)).c_str(), IsWindowVisible(window) ? "" : " (hidden)");
    return TRUE;
}

BOOL CALLBACK ListTopLevel(HWND window, LPARAM param) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == static_cast<DWORD>(param) && IsWindowVisible(window)) {
        std::printf("  window %s \"%s\"\n", Narrow(ui::win32::ComponentNameOf(window)).c_str(),
                    Narrow(TextOf(window)).c_str());
        EnumChildWindows(window, ListChild, 0);
    }
    return TRUE;
}

// Waits up to `seconds` for the component to be shown and enabled.
HWND WaitForControl(DWORD processId, const wchar_t* name, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        HWND window = FindComponent(processId, name);
        if (window != nullptr && IsWindowVisible(window) && IsWindowEnabled(window)) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

int Fail(const char* what, DWORD processId, HANDLE process) {
    std::printf("wizard_driver: %s\n", what);
    EnumWindows(ListTopLevel, static_cast<LPARAM>(processId));
    TerminateProcess(process, 99);
    return 1;
}

struct BoxSearch {
    DWORD processId;
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (owner == search->processId && IsWindowVisible(window) &&
        std::wstring(className) == L"#32770") {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

// The first visible message box of the process, or null.
HWND FindMessageBox(DWORD processId) {
    BoxSearch search{processId};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    return search.box;
}

// Waits for the program to end by itself and prints its exit code.
int AwaitEnd(DWORD id, HANDLE process, DWORD seconds) {
    if (WaitForSingleObject(process, seconds * 1000) != WAIT_OBJECT_0) {
        return Fail("the program did not end by itself", id, process);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    std::printf("wizard_driver: the program ended with %lu\n", exitCode);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    DWORD pause = 0;
    std::string mode;
    if (argc == 4 && std::string(argv[1]) == "--pause") {
        pause = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
        argv += 2;
        argc -= 2;
    } else if (argc >= 3 &&
               (std::string(argv[1]) == "--no-click" || std::string(argv[1]) == "--answer-box")) {
        mode = argv[1];
        ++argv;
        --argc;
    }
    if (argc < 2 || (mode.empty() && argc != 2)) {
        std::fprintf(stderr, "usage: wizard_driver [--pause SECONDS] PROGRAM\n"
                             "       wizard_driver --no-click|--answer-box PROGRAM [OPTION...]\n");
        return 2;
    }
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    for (int i = 2; i < argc; ++i) {
        commandLine += std::string(" ") + argv[i];
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("wizard_driver: cannot start %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    const DWORD id = process.dwProcessId;

    if (mode == "--no-click") {
        if (WaitForControl(id, L"Form1", 60) == nullptr) {
            return Fail("the window did not appear", id, process.hProcess);
        }
        std::printf("wizard_driver: the window appeared\n");
        return AwaitEnd(id, process.hProcess, 300);
    }
    if (mode == "--answer-box") {
        HWND box = nullptr;
        for (int i = 0; i < 600 && box == nullptr; ++i) {
            box = FindMessageBox(id);
            Sleep(100);
        }
        if (box == nullptr) {
            return Fail("no message box appeared", id, process.hProcess);
        }
        // A message box shows its text in the static control 0xFFFF.
        wchar_t text[4096] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 4096);
        std::printf("wizard_driver: message box \"%s\"\n", Narrow(text).c_str());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return AwaitEnd(id, process.hProcess, 60);
    }

    HWND start = WaitForControl(id, L"btnStart", 60);
    if (start == nullptr) {
        return Fail("btnStart did not appear", id, process.hProcess);
    }
    Sleep(pause);
    // Posted, not sent: the click runs the whole installation.
    PostMessageW(start, BM_CLICK, 0, 0);

    HWND finish = WaitForControl(id, L"btnFinish", 300);
    if (finish == nullptr) {
        return Fail("the installation did not end (btnFinish not shown)", id, process.hProcess);
    }
    Sleep(pause);
    PostMessageW(finish, BM_CLICK, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        return Fail("the wizard did not end after btnFinish", id, process.hProcess);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    std::printf("wizard_driver: the wizard ended with %lu\n", exitCode);
    return 0;
}
