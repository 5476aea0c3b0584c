// The keyboard focus within a form: the tab order, Tab and Enter, and
// where the focus goes when its window is hidden or disabled.
#include "ui/win32/Win32ControlPeer.h"

#include <algorithm>
#include <climits>

#include "ui/Button.h"
#include "ui/Form.h"

namespace ui::win32 {

namespace {

bool TakesFocus(Control::Kind kind) {
    return kind == Control::Kind::Button || kind == Control::Kind::ComboBox ||
           kind == Control::Kind::Memo;
}

void CollectFocusChain(const Control& parent, std::vector<HWND>& chain) {
    std::vector<Control*> children = parent.Children();
    std::stable_sort(children.begin(), children.end(), [](const Control* a, const Control* b) {
        const int left = a->TabOrder() < 0 ? INT_MAX : a->TabOrder();
        const int right = b->TabOrder() < 0 ? INT_MAX : b->TabOrder();
        return left < right;
    });
    for (const Control* child : children) {
        Win32ControlPeer* peer = Win32ControlPeer::Of(*child);
        if (peer == nullptr) {
            continue;
        }
        if (TakesFocus(child->GetKind())) {
            chain.push_back(peer->Window());
        }
        CollectFocusChain(*child, chain);
    }
}

} // namespace

bool CanFocus(HWND form, HWND window) {
    if (!::IsWindowVisible(window)) {
        return false;
    }
    for (HWND step = window; step != nullptr && step != form; step = ::GetParent(step)) {
        if (!::IsWindowEnabled(step)) {
            return false;
        }
    }
    return true;
}

void Win32ControlPeer::RepairFocus() {
    Win32ControlPeer* form = FormPeer();
    if (form == nullptr) {
        return;
    }
    HWND focus = ::GetFocus();
    const bool lost = focus == nullptr
                          ? ::GetActiveWindow() == form->m_window
                          : ::IsChild(form->m_window, focus) && !CanFocus(form->m_window, focus);
    if (lost) {
        form->FocusFirst();
    }
}

void Win32ControlPeer::FocusFirst() {
    for (HWND window : FocusChain()) {
        if (CanFocus(m_window, window)) {
            ::SetFocus(window);
            return;
        }
    }
    if (::GetFocus() != m_window && ::GetActiveWindow() == m_window) {
        ::SetFocus(m_window);
    }
}

std::vector<HWND> Win32ControlPeer::FocusChain() const {
    std::vector<HWND> chain;
    CollectFocusChain(m_control, chain);
    return chain;
}

bool Win32ControlPeer::TranslateFormKey(const MSG& message) {
    if (message.message != WM_KEYDOWN ||
        (message.wParam != VK_TAB && message.wParam != VK_RETURN)) {
        return false;
    }
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const bool other = ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
    HWND focus = ::GetFocus();
    if (message.wParam == VK_TAB) {
        if (other) {
            return false;
        }
        std::vector<HWND> chain = FocusChain();
        std::erase_if(chain, [this](HWND window) { return !CanFocus(m_window, window); });
        if (chain.empty()) {
            return true;
        }
        const auto count = static_cast<std::ptrdiff_t>(chain.size());
        std::ptrdiff_t index = -1;
        for (std::ptrdiff_t i = 0; i < count; ++i) {
            if (chain[static_cast<std::size_t>(i)] == focus ||
                ::IsChild(chain[static_cast<std::size_t>(i)], focus)) {
                index = i;
            }
        }
        const std::ptrdiff_t next =
            index < 0 ? (shift ? count - 1 : 0) : (index + (shift ? count - 1 : 1)) % count;
        ::SetFocus(chain[static_cast<std::size_t>(next)]);
        return true;
    }
    Win32ControlPeer* focused = ::IsChild(m_window, focus) ? FromWindow(focus) : nullptr;
    if (focused != nullptr && focused->m_control.GetKind() == Control::Kind::ComboBox &&
        ::SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != 0) {
        // The dropped-down list takes Enter: it closes up.
        return false;
    }
    if (shift || other) {
        return true;
    }
    // As in a dialog: the focused button takes Enter, else the default.
    if (focused != nullptr && focused->m_control.GetKind() == Control::Kind::Button) {
        auto* button = static_cast<Button*>(&focused->m_control);
        m_context.depth.Run([button] { button->Click(); });
    } else {
        auto* form = static_cast<Form*>(&m_control);
        m_context.depth.Run([form] { form->EnterPressed(); });
    }
    return true;
}
} // namespace ui::win32
