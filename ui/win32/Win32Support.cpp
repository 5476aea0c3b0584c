#include "ui/win32/Win32Support.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace ui::win32 {

namespace {

// Functions newer than the oldest Windows the program starts on are looked
// up when called, so that the program still loads where they are missing.
template <class Function> Function UserFunction(const char* name) {
    Function function = nullptr;
    if (HMODULE user = ::GetModuleHandleW(L"user32.dll")) {
        const FARPROC address = ::GetProcAddress(user, name);
        static_assert(sizeof function == sizeof address);
        std::memcpy(&function, &address, sizeof function);
    }
    return function;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using SetDpiContextFunction = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using MetricsForDpiFunction = int(WINAPI*)(int, UINT);
using ParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

int ClampedLength(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

} // namespace

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = ClampedLength(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = ClampedLength(utf16.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::string GetText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Narrow(text);
}

void SetText(HWND window, const std::string& text) {
    ::SetWindowTextW(window, Widen(text).c_str());
}

void EventDepth::Run(const std::function<void()>& handler) {
    struct Leave {
        EventDepth& depth;
        ~Leave() {
            if (--depth.m_depth == 0 && depth.leftOutermost) {
                depth.leftOutermost();
            }
        }
    };
    ++m_depth;
    Leave leave{*this};
    handler();
}

void MakeProcessDpiAware() {
    if (auto setContext = UserFunction<SetDpiContextFunction>("SetProcessDpiAwarenessContext")) {
        if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
            ::GetLastError() == ERROR_ACCESS_DENIED) {
            // Set now, or already set by the manifest.
            return;
        }
        if (setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) {
            return;
        }
    }
    ::SetProcessDPIAware();
}

UINT SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND window) {
    static const auto getDpi = UserFunction<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpi != nullptr && window != nullptr) {
        if (const UINT dpi = getDpi(window); dpi > 0) {
            return dpi;
        }
    }
    return SystemDpi();
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust = UserFunction<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    if (adjust == nullptr || !adjust(&rect, style, FALSE, exStyle, dpi)) {
        rect = {0, 0, width, height};
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int MetricAt(int index, UINT dpi) {
    static const auto metrics = UserFunction<MetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (metrics != nullptr) {
        return metrics(index, dpi);
    }
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi),
                    static_cast<int>(SystemDpi()));
}

LOGFONTW MessageFont(UINT dpi) {
    static const auto parameters =
        UserFunction<ParametersForDpiFunction>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parameters != nullptr &&
        parameters(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        return metrics.lfMessageFont;
    }
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        metrics.lfMessageFont.lfHeight = ::MulDiv(
            metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
        return metrics.lfMessageFont;
    }
    LOGFONTW font{};
    font.lfHeight = -ScaleTo(12, dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    std::wcscpy(font.lfFaceName, L"Tahoma");
    return font;
}

COLORREF ToColorRef(Color color) {
    return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

BufferedPaint::BufferedPaint(HDC target, const RECT& area) : m_target(target), m_area(area) {
    // Only the part the target shows is painted.
    RECT shown{};
    if (::GetClipBox(target, &shown) > NULLREGION) {
        ::IntersectRect(&m_area, &area, &shown);
    }
    if (::IsRectEmpty(&m_area)) {
        return;
    }
    m_dc = ::CreateCompatibleDC(target);
    m_bitmap =
        ::CreateCompatibleBitmap(target, m_area.right - m_area.left, m_area.bottom - m_area.top);
    if (m_dc != nullptr && m_bitmap != nullptr) {
        m_old = ::SelectObject(m_dc, m_bitmap);
        ::SetWindowOrgEx(m_dc, m_area.left, m_area.top, nullptr);
    }
}
BufferedPaint::~BufferedPaint() {
    if (m_old != nullptr) {
        ::BitBlt(m_target, m_area.left, m_area.top, m_area.right - m_area.left,
                 m_area.bottom - m_area.top, m_dc, m_area.left, m_area.top, SRCCOPY);
        ::SelectObject(m_dc, m_old);
    }
    if (m_bitmap != nullptr) {
        ::DeleteObject(m_bitmap);
    }
    if (m_dc != nullptr) {
        ::DeleteDC(m_dc);
    }
}

GdiCache::~GdiCache() {
    for (const auto& [key, font] : m_fonts) {
        ::DeleteObject(font);
    }
    for (const auto& [key, brush] : m_brushes) {
        ::DeleteObject(brush);
    }
}

HFONT GdiCache::Font(const std::optional<ui::Font>& font, UINT dpi) {
    LOGFONTW description = MessageFont(dpi);
    if (font) {
        // A negative height is the character height, as the pixel height of
        // the framework's fonts is.
        if (font->pixelHeight > 0) {
            description.lfHeight = -ScaleTo(font->pixelHeight, dpi);
        }
        description.lfWeight = font->bold ? FW_BOLD : FW_NORMAL;
        description.lfItalic = FALSE;
        description.lfUnderline = FALSE;
        description.lfCharSet = DEFAULT_CHARSET;
        if (!font->family.empty()) {
            const std::wstring family = Widen(font->family);
            const std::size_t length = std::min<std::size_t>(family.size(), LF_FACESIZE - 1);
            std::wmemcpy(description.lfFaceName, family.data(), length);
            description.lfFaceName[length] = L'\0';
        }
    }
    const auto key = std::make_tuple(std::wstring(description.lfFaceName), description.lfHeight,
                                     description.lfWeight);
    auto found = m_fonts.find(key);
    if (found != m_fonts.end()) {
        return found->second;
    }
    HFONT created = ::CreateFontIndirectW(&description);
    if (created == nullptr) {
        created = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
        return created;
    }
    m_fonts.emplace(key, created);
    return created;
}

HBRUSH GdiCache::Brush(COLORREF color) {
    auto found = m_brushes.find(color);
    if (found != m_brushes.end()) {
        return found->second;
    }
    HBRUSH brush = ::CreateSolidBrush(color);
    if (brush == nullptr) {
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    m_brushes.emplace(color, brush);
    return brush;
}

HBITMAP LoadPicture(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    return static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), Widen(name).c_str(),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

HICON LoadIconPicture(const std::string& name, int size) {
    if (name.empty()) {
        return nullptr;
    }
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), Widen(name).c_str(),
                                           IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

} // namespace ui::win32
