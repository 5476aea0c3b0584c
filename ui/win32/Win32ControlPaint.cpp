// Colours and painting: the owner-drawn labels, pictures, bevel lines and
// panels, and what shows through the transparent ones.
#include "ui/win32/Win32ControlPeer.h"

#include "ui/Bevel.h"
#include "ui/Label.h"

namespace ui::win32 {

namespace {

bool ModelEnabled(const Control& control) {
    for (const Control* step = &control; step != nullptr; step = step->Parent()) {
        if (!step->Enabled()) {
            return false;
        }
    }
    return true;
}

} // namespace

COLORREF Win32ControlPeer::TextColor() const {
    if (const std::optional<Font> font = EffectiveFont()) {
        return ToColorRef(font->color);
    }
    return ::GetSysColor(COLOR_WINDOWTEXT);
}

COLORREF Win32ControlPeer::Background() const {
    for (const Control* step = &m_control; step != nullptr; step = step->Parent()) {
        const bool transparent = step->GetKind() == Control::Kind::Label &&
                                 static_cast<const Label*>(step)->Transparent();
        if (step->OwnColor() && !transparent) {
            return ToColorRef(*step->OwnColor());
        }
    }
    return ::GetSysColor(COLOR_BTNFACE);
}

LRESULT Win32ControlPeer::ControlColors(HDC dc) {
    COLORREF background = Background();
    switch (m_control.GetKind()) {
    case Control::Kind::Memo:
    case Control::Kind::ComboBox:
        // Edit boxes colour their text area, white unless told otherwise.
        background =
            m_control.OwnColor() ? ToColorRef(*m_control.OwnColor()) : ::GetSysColor(COLOR_WINDOW);
        break;
    default:
        break;
    }
    ::SetTextColor(dc, TextColor());
    ::SetBkColor(dc, background);
    return reinterpret_cast<LRESULT>(m_context.gdi.Brush(background));
}

void Win32ControlPeer::PaintPicture(HDC dc, POINT origin) const {
    if (m_picture == nullptr) {
        return;
    }
    HDC source = ::CreateCompatibleDC(dc);
    if (source == nullptr) {
        return;
    }
    HGDIOBJ old = ::SelectObject(source, m_picture);
    // Pictures are drawn for 96 dpi and grow with the window.
    const UINT dpi = Dpi();
    const int width = ScaleTo(m_pictureSize.cx, dpi);
    const int height = ScaleTo(m_pictureSize.cy, dpi);
    if (width == m_pictureSize.cx && height == m_pictureSize.cy) {
        ::BitBlt(dc, origin.x, origin.y, width, height, source, 0, 0, SRCCOPY);
    } else {
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, origin.x, origin.y, width, height, source, 0, 0, m_pictureSize.cx,
                     m_pictureSize.cy, SRCCOPY);
    }
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

void Win32ControlPeer::PaintBackdrop(HDC dc, const RECT& area) const {
    Control* parent = m_control.Parent();
    Win32ControlPeer* parentPeer = parent != nullptr ? Of(*parent) : nullptr;
    const COLORREF background = parentPeer != nullptr ? parentPeer->Background() : Background();
    ::FillRect(dc, &area, m_context.gdi.Brush(background));
    if (parent == nullptr) {
        return;
    }
    POINT mine{0, 0};
    ::ClientToScreen(m_window, &mine);
    for (Control* sibling : parent->Children()) {
        if (sibling == &m_control) {
            break;
        }
        Win32ControlPeer* peer = Of(*sibling);
        if (peer == nullptr || (::GetWindowLongPtrW(peer->m_window, GWL_STYLE) & WS_VISIBLE) == 0) {
            continue;
        }
        POINT theirs{0, 0};
        ::ClientToScreen(peer->m_window, &theirs);
        RECT visible = area;
        ::OffsetRect(&visible, mine.x - theirs.x, mine.y - theirs.y);
        PaintWindowTree(peer->m_window, dc, {theirs.x - mine.x, theirs.y - mine.y}, visible);
    }
}

void Win32ControlPeer::PaintWindowTree(HWND window, HDC dc, POINT origin, const RECT& visible) {
    RECT client{};
    RECT needed{};
    ::GetClientRect(window, &client);
    if (!::IntersectRect(&needed, &client, &visible)) {
        return;
    }
    Win32ControlPeer* peer = FromWindow(window);
    const Control::Kind kind = peer != nullptr ? peer->m_control.GetKind() : Control::Kind::Button;
    const bool container = kind == Control::Kind::Form || kind == Control::Kind::Panel ||
                           kind == Control::Kind::Notebook || kind == Control::Kind::Page;
    const bool ownerDrawn = kind == Control::Kind::Label || kind == Control::Kind::Image ||
                            kind == Control::Kind::Bevel;
    if (peer != nullptr && (container || ownerDrawn)) {
        // The backend's own painting takes any origin.
        const int saved = ::SaveDC(dc);
        ::OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
        ::IntersectClipRect(dc, needed.left, needed.top, needed.right, needed.bottom);
        if (container) {
            peer->PaintPanel(dc);
        } else {
            DRAWITEMSTRUCT item{};
            item.CtlType = ODT_STATIC;
            item.hwndItem = window;
            item.hDC = dc;
            item.rcItem = client;
            peer->DrawItem(item);
        }
        PaintChildren(window, dc, needed);
        ::RestoreDC(dc, saved);
        return;
    }
    // The common controls take the device context's origin for that of
    // their client area: each paints into a picture of its own.
    HDC memory = ::CreateCompatibleDC(dc);
    HBITMAP picture = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (memory == nullptr || picture == nullptr) {
        if (picture != nullptr) {
            ::DeleteObject(picture);
        }
        if (memory != nullptr) {
            ::DeleteDC(memory);
        }
        return;
    }
    HGDIOBJ old = ::SelectObject(memory, picture);
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                   PRF_CLIENT | PRF_ERASEBKGND);
    PaintChildren(window, memory, needed);
    ::BitBlt(dc, origin.x + needed.left, origin.y + needed.top, needed.right - needed.left,
             needed.bottom - needed.top, memory, needed.left, needed.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteObject(picture);
    ::DeleteDC(memory);
}

void Win32ControlPeer::PaintChildren(HWND window, HDC dc, const RECT& visible) {
    // From the bottom of the z order up.
    HWND child = ::GetWindow(window, GW_CHILD);
    for (child = child != nullptr ? ::GetWindow(child, GW_HWNDLAST) : nullptr; child != nullptr;
         child = ::GetWindow(child, GW_HWNDPREV)) {
        if ((::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) == 0) {
            continue;
        }
        POINT place{0, 0};
        ::ClientToScreen(child, &place);
        ::ScreenToClient(window, &place);
        RECT childVisible = visible;
        ::OffsetRect(&childVisible, -place.x, -place.y);
        PaintWindowTree(child, dc, place, childVisible);
    }
}

void Win32ControlPeer::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT area = item.rcItem;
    if (area.right <= area.left || area.bottom <= area.top) {
        return;
    }
    BufferedPaint buffer(item.hDC, area);
    HDC dc = buffer.Dc();
    switch (m_control.GetKind()) {
    case Control::Kind::Label: {
        const auto& label = static_cast<const Label&>(m_control);
        if (label.Transparent()) {
            PaintBackdrop(dc, area);
        } else {
            ::FillRect(dc, &area, m_context.gdi.Brush(Background()));
        }
        // Without word wrap a line longer than the label is cut at its edge.
        UINT format = DT_NOPREFIX | DT_TOP | DT_EXPANDTABS;
        format |= label.Alignment() == TextAlign::Center  ? DT_CENTER
                  : label.Alignment() == TextAlign::Right ? DT_RIGHT
                                                          : DT_LEFT;
        if (label.WordWrap()) {
            format |= DT_WORDBREAK;
        }
        const std::wstring text = Widen(label.Caption());
        HGDIOBJ oldFont = ::SelectObject(dc, m_context.gdi.Font(EffectiveFont(), Dpi()));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ModelEnabled(label) ? TextColor() : ::GetSysColor(COLOR_GRAYTEXT));
        RECT textArea = area;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, format);
        ::SelectObject(dc, oldFont);
        break;
    }
    case Control::Kind::Image:
        PaintBackdrop(dc, area);
        PaintPicture(dc, {area.left, area.top});
        break;
    case Control::Kind::Bevel: {
        PaintBackdrop(dc, area);
        const Bevel::Shape shape = static_cast<const Bevel&>(m_control).GetShape();
        RECT edge = area;
        ::DrawEdge(dc, &edge, EDGE_ETCHED,
                   shape == Bevel::Shape::TopLine      ? BF_TOP
                   : shape == Bevel::Shape::BottomLine ? BF_BOTTOM
                                                       : BF_RECT);
        break;
    }
    default:
        ::FillRect(dc, &area, m_context.gdi.Brush(Background()));
        break;
    }
}

void Win32ControlPeer::PaintPanel(HDC dc) {
    RECT client{};
    ::GetClientRect(m_window, &client);
    ::FillRect(dc, &client, m_context.gdi.Brush(Background()));
    if (m_control.GetKind() != Control::Kind::Panel || m_control.Caption().empty()) {
        return;
    }
    const std::wstring caption = Widen(m_control.Caption());
    HGDIOBJ oldFont = ::SelectObject(dc, m_context.gdi.Font(EffectiveFont(), Dpi()));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, TextColor());
    ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &client,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
}
} // namespace ui::win32
