#include "ui/win32/Win32ControlPeer.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Layout.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/ProgressBar.h"

namespace ui::win32 {

namespace {

constexpr wchar_t kPeerProperty[] = L"VgPeer";

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

// Whether the user can put the focus on `window` of the form window `form`:
// it is shown, and neither it nor a window it lies on is disabled.
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

bool ModelEnabled(const Control& control) {
    for (const Control* step = &control; step != nullptr; step = step->Parent()) {
        if (!step->Enabled()) {
            return false;
        }
    }
    return true;
}

// An offscreen copy of a device context's area, copied back when it goes:
// owner-drawn controls paint without flicker.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& area) : m_target(target), m_area(area) {
        // Only the part the target shows is painted.
        RECT shown{};
        if (::GetClipBox(target, &shown) > NULLREGION) {
            ::IntersectRect(&m_area, &area, &shown);
        }
        if (::IsRectEmpty(&m_area)) {
            return;
        }
        m_dc = ::CreateCompatibleDC(target);
        m_bitmap = ::CreateCompatibleBitmap(target, m_area.right - m_area.left,
                                            m_area.bottom - m_area.top);
        if (m_dc != nullptr && m_bitmap != nullptr) {
            m_old = ::SelectObject(m_dc, m_bitmap);
            ::SetWindowOrgEx(m_dc, m_area.left, m_area.top, nullptr);
        }
    }
    ~BufferedPaint() {
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
