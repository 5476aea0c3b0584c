#include "ui/win32/Win32ControlPeer.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/ProgressBar.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kPeerProperty[] = L"VgPeer";

// The edit window breaks lines at CR LF only.
std::wstring EditText(const std::string& line) {
    std::wstring text;
    const std::wstring wide = Widen(line);
    text.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if (c == L'\r' || c == L'\n') {
            text += L"\r\n";
            if (c == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') {
                ++i;
            }
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

DWORD FormStyle(const Form&) {
    // Fixed size, a title bar with a close box, no minimise or maximise box.
    return WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}

DWORD FormExStyle(const Form& form) {
    DWORD style = WS_EX_CONTROLPARENT;
    if (form.GetBorderStyle() == BorderStyle::Dialog) {
        style |= WS_EX_DLGMODALFRAME;
    }
    if (form.StayOnTop()) {
        style |= WS_EX_TOPMOST;
    }
    return style;
}

Win32ControlPeer::Win32ControlPeer(Control& control, HWND window, PortContext& context)
    : m_control(control), m_window(window), m_context(context), m_align(control.GetAlign()) {
    ::SetPropW(m_window, kPeerProperty, this);
    if (m_control.GetKind() == Control::Kind::Form) {
        m_dpi = WindowDpi(m_window);
    }
}

Win32ControlPeer::~Win32ControlPeer() {
    if (::IsWindow(m_window)) {
        ::RemovePropW(m_window, kPeerProperty);
        if (m_bigIcon != nullptr || m_smallIcon != nullptr) {
            ::SendMessageW(m_window, WM_SETICON, ICON_BIG, 0);
            ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, 0);
        }
    }
    if (m_picture != nullptr) {
        ::DeleteObject(m_picture);
    }
    for (HICON icon : {m_bigIcon, m_smallIcon}) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

Win32ControlPeer* Win32ControlPeer::Of(const Control& control) {
    return dynamic_cast<Win32ControlPeer*>(control.Peer());
}

Win32ControlPeer* Win32ControlPeer::FromWindow(HWND window) {
    return window != nullptr ? static_cast<Win32ControlPeer*>(::GetPropW(window, kPeerProperty))
                             : nullptr;
}

Win32ControlPeer* Win32ControlPeer::FormPeer() const {
    return Of(m_control.OwningForm());
}

UINT Win32ControlPeer::Dpi() const {
    const Win32ControlPeer* form = FormPeer();
    return form != nullptr ? form->m_dpi : WindowDpi(m_window);
}

void Win32ControlPeer::Update(Aspect aspect) {
    if (m_window != nullptr) {
        Apply(aspect);
    }
}

void Win32ControlPeer::Apply(Aspect aspect) {
    switch (aspect) {
    case Aspect::Bounds:
        ApplyBounds();
        break;
    case Aspect::Visible:
        ApplyVisible();
        break;
    case Aspect::Enabled:
        ApplyEnabled();
        break;
    case Aspect::Caption:
        ApplyCaption();
        break;
    case Aspect::Hint:
        ApplyHint();
        break;
    case Aspect::Font:
        ApplyFont();
        break;
    case Aspect::Color:
        ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        InvalidateOverlaps();
        break;
    case Aspect::Items:
        ApplyItems();
        break;
    case Aspect::ItemIndex:
        ApplyItemIndex();
        break;
    case Aspect::Lines:
        ApplyLines();
        break;
    case Aspect::PageIndex:
        ApplyPageIndex();
        break;
    case Aspect::Progress:
        ApplyProgress();
        break;
    case Aspect::Repaint:
        ::RedrawWindow(m_window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        break;
    case Aspect::Style:
        ApplyStyle();
        break;
    }
}

void Win32ControlPeer::ApplyAll() {
    for (Aspect aspect : {Aspect::Font, Aspect::Visible, Aspect::Enabled, Aspect::Caption,
                          Aspect::Hint, Aspect::Items, Aspect::ItemIndex, Aspect::Lines,
                          Aspect::PageIndex, Aspect::Progress, Aspect::Style}) {
        Apply(aspect);
    }
}

void Win32ControlPeer::ApplyVisible() {
    switch (m_control.GetKind()) {
    case Control::Kind::Form:
        if (m_control.Visible()) {
            ShowForm();
        } else {
            ::ShowWindow(m_window, SW_HIDE);
        }
        break;
    case Control::Kind::Page:
        // The page holder shows its current page only.
        break;
    default:
        ::ShowWindow(m_window, m_control.Visible() ? SW_SHOWNA : SW_HIDE);
        if (m_control.GetAlign() != Align::None && m_control.Parent() != nullptr) {
            if (Win32ControlPeer* parent = Of(*m_control.Parent())) {
                parent->ArrangeChildren();
            }
        }
        InvalidateOverlaps();
        RepairFocus();
        break;
    }
}

void Win32ControlPeer::ShowForm() {
    auto& form = static_cast<Form&>(m_control);
    if (!form.IconResource().empty() && form.IconResource() != m_iconName) {
        for (HICON icon : {m_bigIcon, m_smallIcon}) {
            if (icon != nullptr) {
                ::DestroyIcon(icon);
            }
        }
        m_iconName = form.IconResource();
        m_bigIcon = LoadIconPicture(m_iconName, MetricAt(SM_CXICON, m_dpi));
        m_smallIcon = LoadIconPicture(m_iconName, MetricAt(SM_CXSMICON, m_dpi));
        ::SendMessageW(m_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
        ::SendMessageW(m_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    }
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    int left = 0;
    int top = 0;
    if (!::IsWindowVisible(m_window) && !form.Position()) {
        RECT area{};
        RECT frame{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0) &&
            ::GetWindowRect(m_window, &frame)) {
            left = area.left + ((area.right - area.left) - (frame.right - frame.left)) / 2;
            top = area.top + ((area.bottom - area.top) - (frame.bottom - frame.top)) / 2;
            flags &= ~static_cast<UINT>(SWP_NOMOVE);
        }
    }
    ::SetWindowPos(m_window, form.StayOnTop() ? HWND_TOPMOST : HWND_TOP, left, top, 0, 0, flags);
    ::SetForegroundWindow(m_window);
    if (::GetActiveWindow() == m_window) {
        RepairFocus();
    }
}

void Win32ControlPeer::ApplyEnabled() {
    ::EnableWindow(m_window, m_control.Enabled() ? TRUE : FALSE);
    ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    RepairFocus();
}

void Win32ControlPeer::ApplyCaption() {
    switch (m_control.GetKind()) {
    case Control::Kind::Form:
    case Control::Kind::Button:
    case Control::Kind::Page:
        SetText(m_window, m_control.Caption());
        break;
    case Control::Kind::Label:
    case Control::Kind::Panel:
        if (GetText(m_window) != m_control.Caption()) {
            SetText(m_window, m_control.Caption());
        }
        // Alignment and word wrap come with the caption.
        ::InvalidateRect(m_window, nullptr, TRUE);
        break;
    case Control::Kind::Image: {
        if (m_picture != nullptr) {
            ::DeleteObject(m_picture);
        }
        m_picture = LoadPicture(static_cast<const Image&>(m_control).PictureResource());
        BITMAP info{};
        if (m_picture != nullptr && ::GetObjectW(m_picture, sizeof info, &info) != 0) {
            m_pictureSize = {info.bmWidth, std::abs(info.bmHeight)};
        } else {
            m_pictureSize = {};
        }
        ::InvalidateRect(m_window, nullptr, TRUE);
        InvalidateOverlaps();
        break;
    }
    default:
        break;
    }
}

void Win32ControlPeer::ApplyHint() {
    Win32ControlPeer* form = FormPeer();
    if (form == nullptr) {
        return;
    }
    const std::wstring hint = Widen(m_control.Hint());
    if (form->m_tooltip == nullptr) {
        if (hint.empty()) {
            return;
        }
        form->m_tooltip = ::CreateWindowExW(
            WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, form->m_window, nullptr,
            ::GetModuleHandleW(nullptr), nullptr);
        if (form->m_tooltip == nullptr) {
            return;
        }
    }
    // The size of the first tool records understood by every version of the
    // common controls.
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form->m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(m_window);
    ::SendMessageW(form->m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!hint.empty()) {
        std::wstring text = hint;
        tool.lpszText = text.data();
        ::SendMessageW(form->m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

std::optional<Font> Win32ControlPeer::EffectiveFont() const {
    for (const Control* step = &m_control; step != nullptr; step = step->Parent()) {
        if (step->OwnFont()) {
            return step->OwnFont();
        }
    }
    return std::nullopt;
}

void Win32ControlPeer::SetWindowFont() {
    HFONT font = m_context.gdi.Font(EffectiveFont(), Dpi());
    ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (m_control.GetKind() == Control::Kind::ComboBox) {
        PlaceWindow();
    }
}

void Win32ControlPeer::ApplyFont() {
    SetWindowFont();
    // Windows do not pass their font on; the controls without a font of
    // their own get the new one here.
    for (Control* child : m_control.Children()) {
        Win32ControlPeer* peer = Of(*child);
        if (peer != nullptr && !child->OwnFont()) {
            peer->ApplyFont();
        }
    }
}

void Win32ControlPeer::ApplyItems() {
    if (m_control.GetKind() != Control::Kind::ComboBox) {
        return;
    }
    const auto& box = static_cast<const ComboBox&>(m_control);
    ::SendMessageW(m_window, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : box.Items()) {
        const std::wstring text = Widen(item);
        ::SendMessageW(m_window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // Version 6 of the common controls sizes the list by its rows; older
    // ones by the window's height.
    ::SendMessageW(m_window, CB_SETMINVISIBLE,
                   static_cast<WPARAM>(std::max(1, box.DropDownCount())), 0);
    ::SendMessageW(m_window, CB_SETCURSEL, static_cast<WPARAM>(box.ItemIndex()), 0);
    PlaceWindow();
}

void Win32ControlPeer::ApplyItemIndex() {
    if (m_control.GetKind() == Control::Kind::ComboBox) {
        ::SendMessageW(m_window, CB_SETCURSEL,
                       static_cast<WPARAM>(static_cast<const ComboBox&>(m_control).ItemIndex()), 0);
    }
}

void Win32ControlPeer::ApplyLines() {
    if (m_control.GetKind() != Control::Kind::Memo) {
        return;
    }
    const std::vector<std::string>& lines = static_cast<const Memo&>(m_control).Lines();
    // A log grows line by line: only new lines at the end are appended.
    const bool grown = !m_shownLines.empty() && lines.size() >= m_shownLines.size() &&
                       std::equal(m_shownLines.begin(), m_shownLines.end(), lines.begin());
    std::wstring text;
    for (std::size_t i = grown ? m_shownLines.size() : 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += L"\r\n";
        }
        text += EditText(lines[i]);
    }
    if (grown) {
        const int end = ::GetWindowTextLengthW(m_window);
        ::SendMessageW(m_window, EM_SETSEL, static_cast<WPARAM>(end), end);
        ::SendMessageW(m_window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    } else {
        ::SetWindowTextW(m_window, text.c_str());
    }
    m_shownLines = lines;
    const int end = ::GetWindowTextLengthW(m_window);
    ::SendMessageW(m_window, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(m_window, EM_SCROLLCARET, 0, 0);
}

void Win32ControlPeer::ApplyPageIndex() {
    if (m_control.GetKind() != Control::Kind::Notebook) {
        return;
    }
    const auto& notebook = static_cast<const Notebook&>(m_control);
    const int index = notebook.PageIndex();
    const auto& pages = notebook.Pages();
    if (index < 0 || index >= static_cast<int>(pages.size())) {
        return;
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (Win32ControlPeer* page = Of(*pages[i])) {
            ::ShowWindow(page->m_window, static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
        }
    }
    InvalidateOverlaps();
    RepairFocus();
}

void Win32ControlPeer::ApplyProgress() {
    if (m_control.GetKind() != Control::Kind::ProgressBar) {
        return;
    }
    const auto& progress = static_cast<const ProgressBar&>(m_control);
    // A bar of 0 to 0 shows empty, as the Qt backend's does.
    const int max = std::max(1, progress.Max());
    const int position = progress.Max() <= 0 ? 0 : std::clamp(progress.Position(), 0, max);
    ::SendMessageW(m_window, PBM_SETRANGE32, 0, max);
    if (position > m_shownPosition && position < max) {
        // A themed bar creeps towards a higher position but jumps to a lower
        // one: stepping past the position and back shows it at once.
        ::SendMessageW(m_window, PBM_SETPOS, static_cast<WPARAM>(position + 1), 0);
    }
    ::SendMessageW(m_window, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    m_shownPosition = position;
}

void Win32ControlPeer::ApplyStyle() {
    if (m_control.GetKind() == Control::Kind::Button) {
        const bool isDefault = static_cast<const Button&>(m_control).Default();
        ::SendMessageW(m_window, BM_SETSTYLE,
                       static_cast<WPARAM>(isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), TRUE);
        return;
    }
    if (m_control.GetKind() != Control::Kind::Form) {
        return;
    }
    const auto& form = static_cast<const Form&>(m_control);
    const auto current = static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_EXSTYLE));
    const DWORD wanted = FormExStyle(form);
    if ((current & WS_EX_DLGMODALFRAME) != (wanted & WS_EX_DLGMODALFRAME)) {
        const DWORD style =
            (current & ~static_cast<DWORD>(WS_EX_DLGMODALFRAME)) | (wanted & WS_EX_DLGMODALFRAME);
        ::SetWindowLongPtrW(m_window, GWL_EXSTYLE, static_cast<LONG_PTR>(style));
        // The window keeps its place and its client size in the new frame.
        const LogicalRect client = ClientSize();
        const SIZE frame = FrameSize(
            ScaleTo(std::max(0, client.width), m_dpi), ScaleTo(std::max(0, client.height), m_dpi),
            static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_STYLE)), style, m_dpi);
        ::SetWindowPos(m_window, nullptr, 0, 0, frame.cx, frame.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    if (((current & WS_EX_TOPMOST) != 0) != form.StayOnTop()) {
        ::SetWindowPos(m_window, form.StayOnTop() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

} // namespace ui::win32
