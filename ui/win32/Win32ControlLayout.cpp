// Placement of the windows: alignment, scaling to the form's dots per
// inch, and the owner-drawn siblings that must paint again when a window
// moves beneath them.
#include "ui/win32/Win32ControlPeer.h"

#include <algorithm>

#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Layout.h"

namespace ui::win32 {

LogicalRect Win32ControlPeer::ClientSize() const {
    const Bounds& bounds = m_control.GetBounds();
    if (m_control.GetKind() == Control::Kind::Form) {
        return {0, 0, bounds.width, bounds.height};
    }
    if (m_rect) {
        return {0, 0, m_rect->width, m_rect->height};
    }
    return {0, 0, bounds.width, bounds.height};
}

void Win32ControlPeer::ArrangeChildren() {
    const LogicalRect client = ClientSize();
    for (Control* child : m_control.Children()) {
        // The page holder sizes its pages to itself.
        Win32ControlPeer* peer = Of(*child);
        if (peer != nullptr && child->GetKind() == Control::Kind::Page) {
            peer->Place({0, 0, client.width, client.height});
        }
    }
    for (const auto& [child, place] : ArrangeAligned(m_control, client.width, client.height)) {
        if (Win32ControlPeer* peer = Of(*child)) {
            peer->Place({place.left, place.top, place.width, place.height});
        }
    }
}

void Win32ControlPeer::Place(const LogicalRect& rect) {
    if (m_rect && *m_rect == rect) {
        return;
    }
    const bool resized = !m_rect || m_rect->width != rect.width || m_rect->height != rect.height;
    m_rect = rect;
    PlaceWindow();
    if (resized) {
        ArrangeChildren();
    }
}

void Win32ControlPeer::PlaceWindow() {
    if (!m_rect) {
        return;
    }
    // Edges are scaled rather than sizes, so that stacked controls still
    // meet without gaps.
    const UINT dpi = Dpi();
    const int left = ScaleTo(m_rect->left, dpi);
    const int top = ScaleTo(m_rect->top, dpi);
    const int width = std::max(0, ScaleTo(m_rect->left + m_rect->width, dpi) - left);
    int height = std::max(0, ScaleTo(m_rect->top + m_rect->height, dpi) - top);
    if (m_control.GetKind() == Control::Kind::ComboBox) {
        // The window of a drop-down list also holds the dropped-down list;
        // the edit part takes the height of the font.
        const auto& box = static_cast<const ComboBox&>(m_control);
        const int rows = std::max(1, box.DropDownCount());
        const auto itemHeight = static_cast<int>(::SendMessageW(m_window, CB_GETITEMHEIGHT, 0, 0));
        height += rows * std::max(1, itemHeight) + 2;
    }
    ::SetWindowPos(m_window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateOverlaps();
}

void Win32ControlPeer::ApplyBounds() {
    switch (m_control.GetKind()) {
    case Control::Kind::Form: {
        const auto& form = static_cast<const Form&>(m_control);
        const LogicalRect client = ClientSize();
        const SIZE frame = FrameSize(
            ScaleTo(std::max(0, client.width), m_dpi), ScaleTo(std::max(0, client.height), m_dpi),
            static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_STYLE)),
            static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_EXSTYLE)), m_dpi);
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE;
        POINT place{};
        if (const auto& position = form.Position()) {
            // A window's position is that of its frame; only a new one moves
            // a window the user may have dragged.
            place = {position->left, position->top};
            if (!m_windowPosition || m_windowPosition->x != place.x ||
                m_windowPosition->y != place.y) {
                m_windowPosition = place;
                flags &= ~static_cast<UINT>(SWP_NOMOVE);
            }
        }
        ::SetWindowPos(m_window, nullptr, place.x, place.y, frame.cx, frame.cy, flags);
        ArrangeChildren();
        break;
    }
    case Control::Kind::Page:
        break;
    default: {
        // A control that is not aligned, and was not before, lies at its own
        // bounds and moves none of its siblings.
        Win32ControlPeer* parent =
            m_control.Parent() != nullptr ? Of(*m_control.Parent()) : nullptr;
        const bool stacked = m_control.GetAlign() != Align::None || m_align != Align::None;
        m_align = m_control.GetAlign();
        if (parent != nullptr && stacked) {
            parent->ArrangeChildren();
        } else {
            const Bounds& bounds = m_control.GetBounds();
            Place({bounds.left, bounds.top, bounds.width, bounds.height});
        }
        break;
    }
    }
}

void Win32ControlPeer::InvalidateOverlaps() {
    // Labels, pictures and bevel lines added later paint what lies beneath
    // them themselves, so they paint again when this control changes.
    Control* parent = m_control.Parent();
    if (parent == nullptr) {
        return;
    }
    RECT mine{};
    ::GetWindowRect(m_window, &mine);
    bool later = false;
    for (Control* sibling : parent->Children()) {
        if (sibling == &m_control) {
            later = true;
            continue;
        }
        const Control::Kind kind = sibling->GetKind();
        Win32ControlPeer* peer = Of(*sibling);
        RECT theirs{};
        RECT overlap{};
        if (later && peer != nullptr &&
            (kind == Control::Kind::Label || kind == Control::Kind::Image ||
             kind == Control::Kind::Bevel) &&
            ::GetWindowRect(peer->m_window, &theirs) && ::IntersectRect(&overlap, &mine, &theirs)) {
            ::InvalidateRect(peer->m_window, nullptr, FALSE);
        }
    }
}

void Win32ControlPeer::Relayout() {
    m_rect.reset();
    SetWindowFont();
    for (Control* child : m_control.Children()) {
        if (Win32ControlPeer* peer = Of(*child)) {
            peer->Relayout();
        }
    }
}

void Win32ControlPeer::DpiChanged(UINT dpi, const RECT& suggested) {
    m_dpi = dpi;
    ::SetWindowPos(m_window, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
    ApplyBounds();
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
} // namespace ui::win32
