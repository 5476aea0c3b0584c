// The window procedures of forms and panels, and the notifications of
// their child windows handed to the controls.
#include "ui/win32/Win32ControlPeer.h"

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"

namespace ui::win32 {

void Win32ControlPeer::Command(WORD code) {
    switch (m_control.GetKind()) {
    case Control::Kind::Button:
        if (code == BN_CLICKED) {
            auto* button = static_cast<Button*>(&m_control);
            m_context.depth.Run([button] { button->Click(); });
        }
        break;
    case Control::Kind::ComboBox: {
        auto* box = static_cast<ComboBox*>(&m_control);
        const auto index = static_cast<int>(::SendMessageW(m_window, CB_GETCURSEL, 0, 0));
        if (code == CBN_DROPDOWN) {
            m_dropped = true;
        } else if (code == CBN_SELCHANGE && !m_dropped) {
            // A choice on the closed list (arrow keys, typing the start of
            // an entry, the mouse wheel) counts as a close-up, so that what
            // the list shows is what the program uses.
            m_context.depth.Run([box, index] { box->SetItemIndex(index); });
            ::PostMessageW(m_context.portWindow, kListClosedUp, reinterpret_cast<WPARAM>(m_window),
                           0);
        } else if (code == CBN_CLOSEUP && m_dropped) {
            m_dropped = false;
            // The handler may show a modal box: it runs once the list has
            // gone, after the list's own notifications.
            ::PostMessageW(m_context.portWindow, kListClosedUp, reinterpret_cast<WPARAM>(m_window),
                           0);
            m_context.depth.Run([box, index] { box->SetItemIndex(index); });
        }
        break;
    }
    default:
        break;
    }
}

void Win32ControlPeer::ListClosedUp() {
    if (m_control.GetKind() != Control::Kind::ComboBox) {
        return;
    }
    auto* box = static_cast<ComboBox*>(&m_control);
    const auto index = static_cast<int>(::SendMessageW(m_window, CB_GETCURSEL, 0, 0));
    m_context.depth.Run([box, index] {
        box->SetItemIndex(index);
        box->CloseUp();
    });
}

LRESULT Win32ControlPeer::ContainerMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           bool& handled) {
    handled = true;
    switch (message) {
    case WM_COMMAND:
        if (Win32ControlPeer* child = FromWindow(reinterpret_cast<HWND>(lParam))) {
            // The child's handler may end this peer: nothing of it is used
            // afterwards.
            child->Command(HIWORD(wParam));
        }
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Win32ControlPeer* child = FromWindow(item->hwndItem)) {
            child->DrawItem(*item);
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (Win32ControlPeer* child = FromWindow(reinterpret_cast<HWND>(lParam))) {
            return child->ControlColors(reinterpret_cast<HDC>(wParam));
        }
        break;
    case WM_ERASEBKGND: {
        RECT client{};
        ::GetClientRect(m_window, &client);
        ::FillRect(reinterpret_cast<HDC>(wParam), &client, m_context.gdi.Brush(Background()));
        return 1;
    }
    case WM_PRINTCLIENT:
        PaintPanel(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(m_window, &paint);
        if (dc != nullptr) {
            {
                BufferedPaint buffer(dc, paint.rcPaint);
                PaintPanel(buffer.Dc());
            }
            ::EndPaint(m_window, &paint);
        }
        return 0;
    }
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT Win32ControlPeer::FormMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
    case WM_CLOSE: {
        // The model decides whether the window goes; it hides it if so.
        auto* form = static_cast<Form*>(&m_control);
        m_context.depth.Run([form] { form->CloseByUser(); });
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(m_window, focus)) {
                m_lastFocus = focus;
            }
        } else if (HIWORD(wParam) == 0) {
            if (m_lastFocus != nullptr && ::IsChild(m_window, m_lastFocus) &&
                CanFocus(m_window, m_lastFocus)) {
                ::SetFocus(m_lastFocus);
            } else {
                FocusFirst();
            }
        }
        return 0;
    case WM_SETFOCUS:
        for (HWND window : FocusChain()) {
            if (CanFocus(m_window, window)) {
                ::SetFocus(window);
                break;
            }
        }
        return 0;
    case WM_DPICHANGED:
        DpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SETCURSOR:
        // The controls ask their form first: while the program waits, every
        // window of the form shows the busy cursor.
        if (m_context.busy && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_COMMAND:
        // Escape on the window sends IDCANCEL from no control: not used.
        if (FromWindow(reinterpret_cast<HWND>(lParam)) == nullptr) {
            return 0;
        }
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

LRESULT CALLBACK Win32ControlPeer::FormProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    Win32ControlPeer* peer = FromWindow(window);
    if (peer == nullptr) {
        // A window whose form has gone: it is hidden until it is destroyed.
        if (message == WM_CLOSE) {
            ::ShowWindow(window, SW_HIDE);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception may cross the window system's frames; the model's
    // handlers run under the application's top-level handler, so only a
    // failure of the backend itself ends here, and is dropped.
    try {
        bool handled = false;
        LRESULT result = peer->FormMessage(message, wParam, lParam, handled);
        if (!handled) {
            result = peer->ContainerMessage(message, wParam, lParam, handled);
        }
        if (handled) {
            return result;
        }
    } catch (...) {
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK Win32ControlPeer::PanelProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (Win32ControlPeer* peer = FromWindow(window)) {
        try {
            bool handled = false;
            const LRESULT result = peer->ContainerMessage(message, wParam, lParam, handled);
            if (handled) {
                return result;
            }
        } catch (...) {
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace ui::win32
