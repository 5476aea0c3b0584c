#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "ui/Control.h"

// Small services of the Win32 backend: text conversion at the window
// boundary, the screen's dots per inch, cached GDI objects and the pictures
// stored with the program.
namespace ui::win32 {

// UTF-8 as UTF-16 and back; ill-formed input becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The window text as UTF-8, and set from UTF-8.
std::string GetText(HWND window);
void SetText(HWND window, const std::string& text);

// Counts the model calls made for window messages right now, so that a
// window is never destroyed under its own window procedure. `leftOutermost`
// runs each time the outermost call returns.
class EventDepth {
public:
    void Run(const std::function<void()>& handler);
    bool Inside() const { return m_depth > 0; }
    std::function<void()> leftOutermost;

private:
    int m_depth = 0;
};

// Asks for the dots per inch of each monitor (Windows 10 1703 and later),
// else of the system (Vista and later). A manifest that declared the
// awareness already wins.
void MakeProcessDpiAware();
// The dots per inch the window is drawn at.
UINT WindowDpi(HWND window);
// The dots per inch of the primary screen.
UINT SystemDpi();
// `value` pixels at 96 dpi in pixels at `dpi`.
inline int ScaleTo(int value, UINT dpi) {
    return ::MulDiv(value, static_cast<int>(dpi), 96);
}
// The outer size of a window of that style around a client area of `width`
// by `height` pixels.
SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi);
// A system metric in pixels at `dpi`.
int MetricAt(int index, UINT dpi);
// The font of message boxes at `dpi`: the default font of the controls.
LOGFONTW MessageFont(UINT dpi);

COLORREF ToColorRef(Color color);

// Fonts and brushes made once and kept until the cache goes.
class GdiCache {
public:
    GdiCache() = default;
    ~GdiCache();
    GdiCache(const GdiCache&) = delete;
    GdiCache& operator=(const GdiCache&) = delete;

    // `font` at `dpi`; none is the message font.
    HFONT Font(const std::optional<ui::Font>& font, UINT dpi);
    HBRUSH Brush(COLORREF color);

private:
    std::map<std::tuple<std::wstring, LONG, LONG>, HFONT> m_fonts;
    std::map<COLORREF, HBRUSH> m_brushes;
};

// An offscreen copy of a device context's area, copied back when it goes:
// owner-drawn controls paint without flicker.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& area);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    // Where to paint: the copy, or the target itself when no copy could be
    // made.
    HDC Dc() const { return m_old != nullptr ? m_dc : m_target; }

private:
    HDC m_target;
    RECT m_area;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// The BITMAP resource of the program named `name`; nullptr when there is
// none. The caller deletes it.
HBITMAP LoadPicture(const std::string& name);
// The ICON resource of the program named `name` at `size` pixels; nullptr
// when there is none. The caller destroys it.
HICON LoadIconPicture(const std::string& name, int size);

} // namespace ui::win32
