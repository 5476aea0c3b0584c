#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/win32/Win32Support.h"

namespace ui::win32 {

// Private messages to the port's message window.
inline constexpr UINT kDestroyRetired = WM_APP + 1;
// wParam: the drop-down list's window.
inline constexpr UINT kListClosedUp = WM_APP + 2;

// Whether the user can put the focus on `window` of the form window `form`:
// it is shown, and neither it nor a window it lies on is disabled.
bool CanFocus(HWND form, HWND window);

// The window styles of a form's window.
DWORD FormStyle(const Form& form);
DWORD FormExStyle(const Form& form);

// What the port shares with its peers.
struct PortContext {
    HWND portWindow = nullptr;
    EventDepth depth;
    GdiCache gdi;
    // Windows of forms dropped by their own handlers, destroyed once the
    // handlers have returned.
    std::vector<HWND> retired;
    // While set, the windows of the program show the busy cursor.
    bool busy = false;
};

// A rectangle in pixels at 96 dpi, relative to the parent's client area.
struct LogicalRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LogicalRect&) const = default;
};

// The Win32 side of one control: the tie between the control and its
// window. It mirrors every change of the control on the window, paints the
// owner-drawn ones (labels, pictures, bevel lines, panels) and hands the
// notifications of its child windows (clicks, list close-ups) to their
// controls. The window carries a pointer to the peer in the property
// "VgPeer" while the peer lives.
class Win32ControlPeer : public ControlPeer {
public:
    Win32ControlPeer(Control& control, HWND window, PortContext& context);
    ~Win32ControlPeer() override;
    Win32ControlPeer(const Win32ControlPeer&) = delete;
    Win32ControlPeer& operator=(const Win32ControlPeer&) = delete;

    void Update(Aspect aspect) override;

    // Applies every aspect except the placement, as after creation.
    void ApplyAll();

    // Places the controls on this one: aligned ones stacked by their
    // alignment in the order they were added (Top ones from the top, Bottom
    // ones from the bottom, Client ones in what is left), hidden aligned ones
    // taking no room; pages filling their page holder; the others at their
    // own bounds. Sizes are scaled to the form window's dots per inch.
    void ArrangeChildren();

    // A form's window moved to a screen of other dots per inch: places every
    // window and chooses every font anew. `suggested` is the frame the
    // system proposes.
    void DpiChanged(UINT dpi, const RECT& suggested);

    static Win32ControlPeer* Of(const Control& control);
    static Win32ControlPeer* FromWindow(HWND window);

    Control& Model() const { return m_control; }
    HWND Window() const { return m_window; }
    PortContext& Context() const { return m_context; }
    // The dots per inch of the form window the control lies on.
    UINT Dpi() const;

    // Window procedures of the classes the backend registers.
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Keyboard handling of the message loop for a message to a window of
    // this form: Tab and Shift+Tab move the focus along the tab order, Enter
    // presses the focused button, else the form's default button. True when
    // the message was used up.
    bool TranslateFormKey(const MSG& message);

    // The windows that take the keyboard focus, in tab order: the controls
    // of each parent in ascending TabOrder, those without one after them;
    // buttons, drop-down lists and memos only.
    std::vector<HWND> FocusChain() const;

    // A drop-down list's dropped-down list closed a while ago: the choice
    // reaches the control, then its close-up handler runs.
    void ListClosedUp();

private:
    LRESULT ContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT FormMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void Command(WORD code);
    LRESULT ControlColors(HDC dc);
    void DrawItem(const DRAWITEMSTRUCT& item);
    void PaintPanel(HDC dc);
    // Paints what shows through this control at `area` of its client area:
    // the background of the parent and the controls added to the parent
    // before it.
    void PaintBackdrop(HDC dc, const RECT& area) const;
    // Has `window` and the windows on it paint their client areas into `dc`,
    // the top-left corner of the window's client area at `origin`; only the
    // part at `visible` (client coordinates of `window`) is painted.
    static void PaintWindowTree(HWND window, HDC dc, POINT origin, const RECT& visible);
    // PaintWindowTree for the windows on `window`, in its client coordinates.
    static void PaintChildren(HWND window, HDC dc, const RECT& visible);
    void PaintPicture(HDC dc, POINT origin) const;
    COLORREF Background() const;
    COLORREF TextColor() const;
    std::optional<Font> EffectiveFont() const;

    void Apply(Aspect aspect);
    LogicalRect ClientSize() const;
    void Place(const LogicalRect& rect);
    void PlaceWindow();
    void ApplyBounds();
    void ApplyVisible();
    void ApplyEnabled();
    void ApplyCaption();
    void ApplyHint();
    void ApplyFont();
    void SetWindowFont();
    void ApplyItems();
    void ApplyItemIndex();
    void ApplyLines();
    void ApplyPageIndex();
    void ApplyProgress();
    void ApplyStyle();
    void ShowForm();
    void InvalidateOverlaps();
    void RepairFocus();
    void FocusFirst();
    Win32ControlPeer* FormPeer() const;
    // Forgets where the windows were put and gives them the fonts for the
    // form's dots per inch, this one and all below it.
    void Relayout();

    Control& m_control;
    HWND m_window;
    PortContext& m_context;
    // Where the window was last put; none before the first placement.
    std::optional<LogicalRect> m_rect;
    // The control's alignment when its bounds were last applied.
    Align m_align;
    // Pictures.
    HBITMAP m_picture = nullptr;
    SIZE m_pictureSize{};
    // Memos: the lines the window shows.
    std::vector<std::string> m_shownLines;
    // Progress bars: the position the window shows.
    int m_shownPosition = 0;
    // Drop-down lists: the list is dropped down.
    bool m_dropped = false;
    // Forms.
    UINT m_dpi = 96;
    std::optional<POINT> m_windowPosition;
    std::string m_iconName;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    HWND m_tooltip = nullptr;
    HWND m_lastFocus = nullptr;
};

} // namespace ui::win32
