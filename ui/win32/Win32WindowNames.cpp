#include "ui/win32/Win32WindowNames.h"

#include "ui/Text.h"
#include "ui/win32/Win32Support.h"

namespace ui::win32 {

namespace {

ATOM NameAtom(HWND window) {
    return static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(window, kNameProperty)));
}

struct Search {
    std::string_view name;
    const wchar_t* windowClass;
    HWND found;
};

bool Matches(HWND window, const Search& search) {
    if (search.windowClass != nullptr) {
        wchar_t className[64] = {};
        ::GetClassNameW(window, className, 64);
        if (::lstrcmpiW(className, search.windowClass) != 0) {
            return false;
        }
    }
    return SameText(Narrow(ComponentNameOf(window)), search.name);
}

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<Search*>(context);
    if (Matches(window, search)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ReleaseOne(HWND window, LPARAM) {
    if (const ATOM atom = NameAtom(window)) {
        ::RemovePropW(window, kNameProperty);
        ::GlobalDeleteAtom(atom);
    }
    return TRUE;
}

} // namespace

std::wstring ComponentNameOf(HWND window) {
    const ATOM atom = NameAtom(window);
    if (atom == 0) {
        return {};
    }
    wchar_t name[256] = {};
    const UINT length = ::GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, length);
}

HWND FindNamedWindow(HWND parent, std::string_view name) {
    if (name.empty()) {
        return nullptr;
    }
    Search search{name, nullptr, nullptr};
    ::EnumChildWindows(parent, Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindFormWindow(std::string_view name) {
    if (name.empty()) {
        return nullptr;
    }
    Search search{name, kFormClass, nullptr};
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void AttachName(HWND window, std::string_view name) {
    if (name.empty()) {
        return;
    }
    const ATOM atom = ::GlobalAddAtomW(Widen(name).c_str());
    if (atom != 0 &&
        !::SetPropW(window, kNameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)))) {
        ::GlobalDeleteAtom(atom);
    }
}

void ReleaseNames(HWND root) {
    ::EnumChildWindows(root, ReleaseOne, 0);
    ReleaseOne(root, 0);
}

} // namespace ui::win32
