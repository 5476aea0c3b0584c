#include "ui/win32/Win32UiPort.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "ui/Form.h"
#include "ui/win32/Win32ControlPeer.h"
#include "ui/win32/Win32Support.h"
#include "ui/win32/Win32WindowNames.h"

namespace ui {

using win32::Win32ControlPeer;

namespace {

constexpr wchar_t kPortClass[] = L"VgPort";
// A thread that handles messages while it is busy gets its turn back after
// this long even when timers and paints keep coming.
constexpr ULONGLONG kPendingEventsBudget = 100; // milliseconds

LRESULT CALLBACK PortProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterClasses() {
    static const bool registered = [] {
        HINSTANCE module = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW form{};
        form.cbSize = sizeof form;
        form.style = CS_DBLCLKS;
        form.lpfnWndProc = Win32ControlPeer::FormProc;
        form.hInstance = module;
        form.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
        form.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        form.lpszClassName = win32::kFormClass;
        ::RegisterClassExW(&form);

        WNDCLASSEXW panel = form;
        panel.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        panel.lpfnWndProc = Win32ControlPeer::PanelProc;
        panel.hIcon = nullptr;
        panel.lpszClassName = win32::kPanelClass;
        ::RegisterClassExW(&panel);

        WNDCLASSEXW port{};
        port.cbSize = sizeof port;
        port.lpfnWndProc = PortProc;
        port.hInstance = module;
        port.lpszClassName = kPortClass;
        ::RegisterClassExW(&port);
        return true;
    }();
    (void)registered;
}

struct WindowKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowKind KindOf(const Control& control) {
    switch (control.GetKind()) {
    case Control::Kind::Form: {
        const auto& form = static_cast<const Form&>(control);
        return {win32::kFormClass, win32::FormStyle(form), win32::FormExStyle(form)};
    }
    case Control::Kind::Label:
        return {WC_STATICW, SS_OWNERDRAW | SS_NOPREFIX | SS_NOTIFY, 0};
    case Control::Kind::Button:
        return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case Control::Kind::Panel:
    case Control::Kind::Notebook:
    case Control::Kind::Page:
        return {win32::kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Control::Kind::Bevel:
        return {WC_STATICW, SS_OWNERDRAW, 0};
    case Control::Kind::Image:
        return {WC_STATICW, SS_OWNERDRAW | SS_NOTIFY, 0};
    case Control::Kind::ComboBox:
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case Control::Kind::Memo:
        return {WC_EDITW, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    case Control::Kind::ProgressBar:
        return {PROGRESS_CLASSW, 0, 0};
    }
    return {win32::kPanelClass, 0, 0};
}

UINT MessageBoxType(const MessageBoxRequest& request) {
    UINT type = 0;
    switch (request.buttons) {
    case MsgButtons::Ok:
        type = MB_OK;
        break;
    case MsgButtons::OkCancel:
        type = MB_OKCANCEL;
        break;
    case MsgButtons::YesNo:
        type = MB_YESNO;
        break;
    case MsgButtons::YesNoCancel:
        type = MB_YESNOCANCEL;
        break;
    }
    switch (request.icon) {
    case MsgIcon::Error:
        type |= MB_ICONERROR;
        break;
    case MsgIcon::Warning:
        type |= MB_ICONWARNING;
        break;
    case MsgIcon::Information:
        type |= MB_ICONINFORMATION;
        break;
    case MsgIcon::Question:
        type |= MB_ICONQUESTION;
        break;
    case MsgIcon::None:
        break;
    }
    const int position =
        request.defaultButton >= 0 && request.defaultButton < ButtonCount(request.buttons)
            ? request.defaultButton
            : 0;
    const UINT defaults[] = {MB_DEFBUTTON1, MB_DEFBUTTON2, MB_DEFBUTTON3};
    return type | defaults[position];
}

// The dialog of InputQuery, laid out in dialog units and written as an
// in-memory dialog template: a DLGTEMPLATE header with its menu, class,
// title and font, then one DLGITEMTEMPLATE per control, each aligned to a
// DWORD, with its class as a predefined atom.
class InputDialogTemplate {
public:
    static constexpr WORD kPromptId = 101;

    InputDialogTemplate() {
        constexpr DWORD dialogStyle =
            DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        Dword(dialogStyle);
        Dword(0);
        Word(4);
        Short(0, 0, 240, 62);
        Word(0); // no menu
        Word(0); // the dialog class
        String(L"");
        Word(8);
        String(L"MS Shell Dlg");
        Item(kStatic, SS_LEFT | SS_NOPREFIX, 7, 7, 226, 8, kPromptId, L"");
        Item(kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 226, 14,
             Win32UiPort::kInputQueryEditId, L"");
        Item(kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 129, 41, 50, 14, IDOK, L"OK");
        Item(kButton, BS_PUSHBUTTON | WS_TABSTOP, 183, 41, 50, 14, IDCANCEL, L"Cancel");
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

private:
    static constexpr WORD kButton = 0x0080;
    static constexpr WORD kEdit = 0x0081;
    static constexpr WORD kStatic = 0x0082;

    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(short x, short y, short cx, short cy) {
        for (short value : {x, y, cx, cy}) {
            Word(static_cast<WORD>(value));
        }
    }
    void String(const wchar_t* text) {
        for (; *text != L'\0'; ++text) {
            Word(static_cast<WORD>(*text));
        }
        Word(0);
    }
    void Item(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id,
              const wchar_t* text) {
        if (m_words.size() % 2 != 0) {
            Word(0);
        }
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Short(x, y, cx, cy);
        Word(id);
        Word(0xFFFF);
        Word(atom);
        String(text);
        Word(0); // no creation data
    }

    // Allocated by operator new: aligned for the DWORDs of the template.
    std::vector<WORD> m_words;
};

struct InputQueryState {
    std::wstring caption;
    std::wstring prompt;
    std::wstring value;
};

// Moves `control` of `dialog` down by `offset` pixels.
void MoveDown(HWND dialog, int id, int offset) {
    HWND control = ::GetDlgItem(dialog, id);
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(control, nullptr, rect.left, rect.top + offset, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The prompt gets the lines it needs; the rest of the dialog moves down.
void FitPrompt(HWND dialog) {
    HWND prompt = ::GetDlgItem(dialog, InputDialogTemplate::kPromptId);
    RECT rect{};
    ::GetWindowRect(prompt, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const std::string text = win32::GetText(prompt);
    const std::wstring wide = win32::Widen(text);
    HDC dc = ::GetDC(prompt);
    HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(prompt, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, rect.right - rect.left, 0};
    ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(prompt, dc);
    const int offset = (needed.bottom - needed.top) - (rect.bottom - rect.top);
    if (offset <= 0) {
        return;
    }
    ::SetWindowPos(prompt, nullptr, 0, 0, rect.right - rect.left, needed.bottom - needed.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {Win32UiPort::kInputQueryEditId, IDOK, IDCANCEL}) {
        MoveDown(dialog, id, offset);
    }
    RECT frame{};
    ::GetWindowRect(dialog, &frame);
    ::SetWindowPos(dialog, nullptr, frame.left, frame.top - offset / 2, frame.right - frame.left,
                   frame.bottom - frame.top + offset, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK InputQueryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* state = reinterpret_cast<InputQueryState*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ::SetWindowTextW(dialog, state->caption.c_str());
        ::SetDlgItemTextW(dialog, InputDialogTemplate::kPromptId, state->prompt.c_str());
        ::SetDlgItemTextW(dialog, Win32UiPort::kInputQueryEditId, state->value.c_str());
        FitPrompt(dialog);
        HWND edit = ::GetDlgItem(dialog, Win32UiPort::kInputQueryEditId);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SetFocus(edit);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* state =
                reinterpret_cast<InputQueryState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
            HWND edit = ::GetDlgItem(dialog, Win32UiPort::kInputQueryEditId);
            const int length = ::GetWindowTextLengthW(edit);
            std::wstring value(static_cast<std::size_t>(std::max(0, length)) + 1, L'\0');
            const int copied = ::GetWindowTextW(edit, value.data(), length + 1);
            value.resize(static_cast<std::size_t>(std::max(0, copied)));
            state->value = value;
            ::EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

struct Win32UiPort::Impl {
    struct RealizedForm {
        Form* form;
        HWND window;
    };

    // Declared first so that it outlives the peers.
    win32::PortContext context;
    std::map<const Control*, std::unique_ptr<Win32ControlPeer>> peers;
    std::vector<RealizedForm> forms;
    bool terminated = false;

    HWND Build(Control& control, HWND parent, int pageNumber, int& nextId);
    void ApplyAll(Control& control);
    void Detach(Control& control);
    HWND DialogParent() const;
    void Dispatch(MSG& message);
};

namespace {

void DestroyFormWindow(HWND window) {
    if (::IsWindow(window)) {
        win32::ReleaseNames(window);
        ::DestroyWindow(window);
    }
}

void DestroyRetired(win32::PortContext& context) {
    std::vector<HWND> windows;
    windows.swap(context.retired);
    for (HWND window : windows) {
        DestroyFormWindow(window);
    }
}

LRESULT CALLBACK PortProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* context =
        reinterpret_cast<win32::PortContext*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (context != nullptr) {
        try {
            if (message == win32::kDestroyRetired) {
                if (!context->depth.Inside()) {
                    DestroyRetired(*context);
                }
                return 0;
            }
            if (message == win32::kListClosedUp) {
                auto* list = reinterpret_cast<HWND>(wParam);
                if (::IsWindow(list)) {
                    if (Win32ControlPeer* peer = Win32ControlPeer::FromWindow(list)) {
                        peer->ListClosedUp();
                    }
                }
                return 0;
            }
        } catch (...) {
            // No exception may cross the window system's frames.
            return 0;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

HWND Win32UiPort::Impl::Build(Control& control, HWND parent, int pageNumber, int& nextId) {
    const WindowKind kind = KindOf(control);
    const bool child = parent != nullptr;
    const DWORD style = kind.style | (child ? WS_CHILD | WS_CLIPSIBLINGS : 0);
    HWND window =
        ::CreateWindowExW(kind.exStyle, kind.className, L"", style, 0, 0, 0, 0, parent,
                          child ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)) : nullptr,
                          ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        throw std::runtime_error("Cannot create the window of " + control.Name() + ".");
    }
    win32::AttachName(window, control.GetKind() == Control::Kind::Page
                                  ? "page" + std::to_string(pageNumber)
                                  : control.Name());
    auto& peer = peers[&control];
    peer = std::make_unique<Win32ControlPeer>(control, window, context);
    control.AttachPeer(peer.get());
    if (control.GetKind() == Control::Kind::Memo) {
        // The most text an edit window holds.
        ::SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
    }

    int pages = 0;
    for (Control* childControl : control.Children()) {
        const bool page = childControl->GetKind() == Control::Kind::Page;
        HWND childWindow = Build(*childControl, window, page ? pages++ : 0, nextId);
        // Later controls lie on top of earlier ones.
        ::SetWindowPos(childWindow, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return window;
}

void Win32UiPort::Impl::ApplyAll(Control& control) {
    if (Win32ControlPeer* peer = Win32ControlPeer::Of(control)) {
        peer->ApplyAll();
    }
    for (Control* child : control.Children()) {
        ApplyAll(*child);
    }
}

void Win32UiPort::Impl::Detach(Control& control) {
    for (Control* child : control.Children()) {
        Detach(*child);
    }
    control.AttachPeer(nullptr);
    peers.erase(&control);
}

HWND Win32UiPort::Impl::DialogParent() const {
    HWND active = ::GetActiveWindow();
    for (const RealizedForm& realized : forms) {
        if (realized.window == active && ::IsWindowVisible(active)) {
            return active;
        }
    }
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if (::IsWindowVisible(it->window)) {
            return it->window;
        }
    }
    return nullptr;
}

void Win32UiPort::Impl::Dispatch(MSG& message) {
    if (message.hwnd != nullptr && message.message >= WM_KEYFIRST &&
        message.message <= WM_KEYLAST) {
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        Win32ControlPeer* form = Win32ControlPeer::FromWindow(root);
        if (form != nullptr && &form->Context() == &context &&
            form->Model().GetKind() == Control::Kind::Form) {
            if (form->TranslateFormKey(message) || ::IsDialogMessageW(root, &message)) {
                return;
            }
        }
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

Win32UiPort::Win32UiPort() : m_impl(std::make_unique<Impl>()) {
    win32::MakeProcessDpiAware();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC =
        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);
    RegisterClasses();
    m_impl->context.portWindow = ::CreateWindowExW(0, kPortClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                   nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (m_impl->context.portWindow == nullptr) {
        throw std::runtime_error("Cannot create the message window of the user interface.");
    }
    ::SetWindowLongPtrW(m_impl->context.portWindow, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(&m_impl->context));
    m_impl->context.depth.leftOutermost = [context = &m_impl->context] {
        if (!context->retired.empty()) {
            ::PostMessageW(context->portWindow, win32::kDestroyRetired, 0, 0);
        }
    };
}

Win32UiPort::~Win32UiPort() {
    while (!m_impl->forms.empty()) {
        Unrealize(*m_impl->forms.back().form);
    }
    DestroyRetired(m_impl->context);
    ::SetWindowLongPtrW(m_impl->context.portWindow, GWLP_USERDATA, 0);
    ::DestroyWindow(m_impl->context.portWindow);
}

void Win32UiPort::Realize(Form& form) {
    if (form.Peer() != nullptr) {
        Unrealize(form);
    }
    int nextId = 1000;
    HWND window = m_impl->Build(form, nullptr, 0, nextId);
    m_impl->forms.push_back({&form, window});
    form.Peer()->Update(Aspect::Bounds);
    m_impl->ApplyAll(form);
}

void Win32UiPort::Unrealize(Form& form) {
    auto found = std::find_if(
        m_impl->forms.begin(), m_impl->forms.end(),
        [&form](const Impl::RealizedForm& realized) { return realized.form == &form; });
    m_impl->Detach(form);
    if (found == m_impl->forms.end()) {
        return;
    }
    HWND window = found->window;
    m_impl->forms.erase(found);
    ::ShowWindow(window, SW_HIDE);
    if (m_impl->context.depth.Inside()) {
        m_impl->context.retired.push_back(window);
    } else {
        DestroyFormWindow(window);
    }
}

MsgResult Win32UiPort::ShowMessageBox(const MessageBoxRequest& request) {
    const int count = ButtonCount(request.buttons);
    MsgResult escape = ButtonAt(request.buttons, count - 1);
    for (int position = 0; position < count; ++position) {
        if (ButtonAt(request.buttons, position) == MsgResult::Cancel) {
            escape = MsgResult::Cancel;
        }
    }
    HWND owner = m_impl->DialogParent();
    UINT type = MessageBoxType(request) | MB_SETFOREGROUND;
    if (owner == nullptr) {
        type |= MB_TASKMODAL;
    }
    const int answer = ::MessageBoxW(owner, win32::Widen(request.text).c_str(),
                                     win32::Widen(request.caption).c_str(), type);
    switch (answer) {
    case IDOK:
        return MsgResult::Ok;
    case IDYES:
        return MsgResult::Yes;
    case IDNO:
        return MsgResult::No;
    default:
        return escape;
    }
}

std::optional<std::string> Win32UiPort::InputQuery(const std::string& caption,
                                                   const std::string& prompt,
                                                   const std::string& defaultValue) {
    const InputDialogTemplate dialog;
    InputQueryState state{win32::Widen(caption), win32::Widen(prompt), win32::Widen(defaultValue)};
    const INT_PTR answer =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.Get(), m_impl->DialogParent(),
                                  InputQueryProc, reinterpret_cast<LPARAM>(&state));
    if (answer != IDOK) {
        return std::nullopt;
    }
    return win32::Narrow(state.value);
}

void Win32UiPort::ProcessPendingEvents() {
    const ULONGLONG start = ::GetTickCount64();
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        m_impl->Dispatch(message);
        if (::GetTickCount64() - start >= kPendingEventsBudget) {
            break;
        }
    }
}

void Win32UiPort::Run(Form& mainForm) {
    if (m_impl->terminated) {
        return;
    }
    if (mainForm.Peer() == nullptr) {
        Realize(mainForm);
    }
    mainForm.Show();
    MSG message{};
    while (!m_impl->terminated) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            break;
        }
        m_impl->Dispatch(message);
    }
}

void Win32UiPort::SetBusy(bool busy) {
    m_impl->context.busy = busy;
    // The cursor changes at once where it is, not only when it next moves.
    POINT where{};
    if (::GetCursorPos(&where)) {
        ::SetCursorPos(where.x, where.y);
    }
}

void Win32UiPort::Terminate() {
    m_impl->terminated = true;
    // Wakes the loop of Run.
    ::PostMessageW(m_impl->context.portWindow, WM_NULL, 0, 0);
}

Bounds Win32UiPort::FrameBounds(const Form& form) const {
    const auto found = std::find_if(
        m_impl->forms.begin(), m_impl->forms.end(),
        [&form](const Impl::RealizedForm& realized) { return realized.form == &form; });
    RECT frame{};
    if (found != m_impl->forms.end() && ::GetWindowRect(found->window, &frame)) {
        return {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
    }
    const ScreenPoint position = form.Position().value_or(ScreenPoint{});
    return {position.left, position.top, form.GetBounds().width, form.GetBounds().height};
}

Bounds Win32UiPort::WorkArea() const {
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        return {};
    }
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

int Win32UiPort::ScrollArrowHeight() const {
    return win32::MetricAt(SM_CYVSCROLL, 96);
}

} // namespace ui
