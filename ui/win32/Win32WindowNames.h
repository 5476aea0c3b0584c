#pragma once

#include <windows.h>

#include <string_view>

#include "ui/win32/Win32UiPort.h"

// Finding the windows of the Win32 backend by the names of their components
// (see Win32UiPort.h), for tests and drivers. Names are compared without
// regard to the letter case of A to Z, as component names are.
namespace ui::win32 {

inline constexpr wchar_t kNameProperty[] = L"VgName";
inline constexpr wchar_t kFormClass[] = L"VgForm";
inline constexpr wchar_t kPanelClass[] = L"VgPanel";

// The first window below `parent`, at any depth, whose component name is
// `name` (UTF-8); nullptr when there is none.
HWND FindNamedWindow(HWND parent, std::string_view name);

// The form window named `name` among the top-level windows of the desktop,
// hidden ones included; nullptr when there is none.
HWND FindFormWindow(std::string_view name);

// Backend: attaches `name` to `window` (nothing for an empty name or one of
// more than 255 characters, the most an atom holds), and releases the names
// of `root` and every window below it before they are destroyed.
void AttachName(HWND window, std::string_view name);
void ReleaseNames(HWND root);

} // namespace ui::win32
