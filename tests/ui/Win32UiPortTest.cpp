// The native Win32 backend. The tests run under Wine's null graphics driver
// as on a desktop: windows, messages, painting into bitmaps and modal boxes
// all work there, the screen is one of 96 dpi.
#define NOMINMAX
#include <windows.h>

#include <commctrl.h>
// Names of the framework that windows.h takes for its own.
#undef CreateDialog
#undef MessageBox

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "ui/Application.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Exception.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/Label.h"
#include "ui/Memo.h"
#include "ui/Notebook.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/scripted/ScriptedUiPort.h"

#include "TestForms.h"
#include "ui/win32/Win32UiPort.h"
#include "ui/win32/Win32WindowNames.h"

namespace {

using namespace ui;
using ui_test::SetupForm;
using ui_test::StatusDialog;
using win32::FindFormWindow;
using win32::FindNamedWindow;


std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
}

LONG_PTR StyleOf(HWND window) {
    return ::GetWindowLongPtrW(window, GWL_STYLE);
}

LONG_PTR ExStyleOf(HWND window) {
    return ::GetWindowLongPtrW(window, GWL_EXSTYLE);
}

// Where the window lies in its parent's client area.
RECT PlaceOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
    if (::EqualRect(&actual, &expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "{" << actual.left << ", " << actual.top << ", " << actual.right << ", "
           << actual.bottom << "} instead of {" << expected.left << ", " << expected.top << ", "
           << expected.right << ", " << expected.bottom << "}";
}

// What the window paints into its client area, as an offscreen picture.
class Snapshot {
public:
    explicit Snapshot(HWND window) {
        RECT client{};
        ::GetClientRect(window, &client);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = std::max<LONG>(1, client.right);
        info.bmiHeader.biHeight = -std::max<LONG>(1, client.bottom);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_old = ::SelectObject(m_dc, m_bitmap);
        // Magenta marks what the window left unpainted.
        HBRUSH unpainted = ::CreateSolidBrush(RGB(255, 0, 255));
        ::FillRect(m_dc, &client, unpainted);
        ::DeleteObject(unpainted);
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc),
                       PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~Snapshot() {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }
    // Whether any pixel of the rows from `top` to before `bottom` differs
    // from `color`.
    bool AnyOtherThan(COLORREF color, int left, int top, int right, int bottom) const {
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                if (At(x, y) != color) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Modal boxes are answered from a thread timer: it fires inside the box's own
// message loop.
std::function<void(HWND)>& PendingAnswer() {
    static std::function<void(HWND)> answer;
    return answer;
}

BOOL CALLBACK FindModal(HWND window, LPARAM result) {
    if (ClassOf(window) == L"#32770" && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AnswerModal(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND modal = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&modal));
    if (modal == nullptr) {
        return;
    }
    ::KillTimer(nullptr, timer);
    const std::function<void(HWND)> answer = std::move(PendingAnswer());
    PendingAnswer() = nullptr;
    answer(modal);
}

// Runs `answer` on the modal dialog of this thread as soon as it is up. The
// answer must close the dialog.
void WhenModal(std::function<void(HWND)> answer) {
    PendingAnswer() = std::move(answer);
    ::SetTimer(nullptr, 0, 5, AnswerModal);
}

BOOL CALLBACK FindTooltip(HWND window, LPARAM result) {
    if (ClassOf(window) == TOOLTIPS_CLASSW) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

// Presses keys as the keyboard would: posted to the focused window (else
// `fallback`) and handed out by the port's message loop, with the modifiers
// held down meanwhile.
void PressKey(UiPort& port, HWND fallback, WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
    HWND focus = ::GetFocus();
    ::PostMessageW(focus != nullptr ? focus : fallback, WM_KEYDOWN, key, 1);
    port.ProcessPendingEvents();
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
}

class Win32UiPortTest : public ::testing::Test {
protected:
    Win32UiPortTest() {
        app.CreateForm(form);
        window = FindFormWindow("setupform");
    }

    HWND Find(const char* name) const {
        HWND found = window != nullptr ? FindNamedWindow(window, name) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    int Scaled(int value) const {
        return ::MulDiv(value, static_cast<int>(::GetDpiForWindow(window)), 96);
    }

    // Logical left, top, width and height as the scaled window rectangle.
    RECT ScaledRect(int left, int top, int width, int height) const {
        return {Scaled(left), Scaled(top), Scaled(left + width), Scaled(top + height)};
    }

    Win32UiPort port;
    Application app{port, "Test Setup"};
    SetupForm form{app};
    HWND window = nullptr;
};

TEST_F(Win32UiPortTest, EveryControlGetsANamedWindowOfItsClass) {
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(win32::ComponentNameOf(window), L"SetupForm");
    EXPECT_EQ(ClassOf(window), L"VgForm");
    const std::pair<const char*, const wchar_t*> expected[] = {
        {"Banner", L"Static"},      {"Title", L"Static"},      {"ButtonBar", L"VgPanel"},
        {"Divider", L"Static"},     {"NextButton", L"Button"}, {"Pages", L"VgPanel"},
        {"page0", L"VgPanel"},      {"page1", L"VgPanel"},     {"Intro", L"Static"},
        {"Languages", L"ComboBox"}, {"Log", L"Edit"},          {"Progress", L"msctls_progress32"}};
    for (const auto& [name, className] : expected) {
        HWND found = Find(name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(ClassOf(found), className) << name;
        EXPECT_EQ(win32::ComponentNameOf(found), std::wstring(name, name + std::strlen(name)));
    }
    EXPECT_EQ(FindNamedWindow(window, "nextbutton"), Find("NextButton")) << "letter case ignored";
    EXPECT_EQ(::GetParent(Find("NextButton")), Find("ButtonBar"));
    EXPECT_EQ(::GetParent(Find("page1")), Find("Pages"));
    EXPECT_EQ(StyleOf(Find("Languages")) & 3, CBS_DROPDOWNLIST);
    const LONG_PTR memo = ES_MULTILINE | ES_READONLY | WS_VSCROLL;
    EXPECT_EQ(StyleOf(Find("Log")) & memo, memo);
    EXPECT_EQ(StyleOf(window) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(StyleOf(window) & WS_SYSMENU, 0);

    // Later controls lie above earlier ones: the title above the banner.
    bool bannerBelow = false;
    for (HWND next = Find("Title"); next != nullptr; next = ::GetWindow(next, GW_HWNDNEXT)) {
        bannerBelow = bannerBelow || next == Find("Banner");
    }
    EXPECT_TRUE(bannerBelow);
}

TEST_F(Win32UiPortTest, AlignedControlsStackInTheOrderTheyWereAdded) {
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_TRUE(SameRect(client, ScaledRect(0, 0, 600, 362)));
    const struct {
        const char* name;
        RECT rect;
    } expected[] = {
        {"Banner", ScaledRect(0, 0, 600, 121)},     {"Title", ScaledRect(20, 20, 300, 24)},
        {"ButtonBar", ScaledRect(0, 329, 600, 33)}, {"NextButton", ScaledRect(430, 5, 75, 23)},
        {"Divider", ScaledRect(0, 327, 600, 2)},    {"Pages", ScaledRect(0, 121, 600, 206)},
        {"page1", ScaledRect(0, 0, 600, 206)},      {"Log", ScaledRect(0, 126, 600, 80)},
        {"Progress", ScaledRect(20, 60, 300, 16)}};
    for (const auto& row : expected) {
        EXPECT_TRUE(SameRect(PlaceOf(Find(row.name)), row.rect)) << row.name;
    }
    // The list's window also holds the dropped-down list below it.
    const RECT list = PlaceOf(Find("Languages"));
    EXPECT_EQ(list.left, Scaled(20));
    EXPECT_EQ(list.top, Scaled(20));
    EXPECT_EQ(list.right, Scaled(220));

    // A hidden aligned control gives its room up; a taller one takes more.
    form.divider.Hide();
    EXPECT_TRUE(SameRect(PlaceOf(Find("Pages")), ScaledRect(0, 121, 600, 208)));
    form.buttonBar.SetBounds(0, 0, 600, 40);
    EXPECT_TRUE(SameRect(PlaceOf(Find("ButtonBar")), ScaledRect(0, 322, 600, 40)));
    EXPECT_TRUE(SameRect(PlaceOf(Find("Pages")), ScaledRect(0, 121, 600, 201)));
    EXPECT_TRUE(SameRect(PlaceOf(Find("Log")), ScaledRect(0, 121, 600, 80)));
    form.divider.Show();
    EXPECT_TRUE(SameRect(PlaceOf(Find("Divider")), ScaledRect(0, 320, 600, 2)));
}

TEST_F(Win32UiPortTest, AScreenOfOtherDotsPerInchScalesPlacesAndFonts) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&frame));
    EXPECT_TRUE(SameRect(PlaceOf(Find("Banner")), {0, 0, 900, 182}));
    EXPECT_TRUE(SameRect(PlaceOf(Find("Pages")), {0, 182, 900, 491}));
    EXPECT_TRUE(SameRect(PlaceOf(Find("NextButton")), {645, 8, 758, 42}));
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Find("Title"), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -24);
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Find("Log"), WM_GETFONT, 0, 0)),
                 sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -17) << "11 pixels, inherited";
}

TEST_F(Win32UiPortTest, WindowsFollowTheirControls) {
    form.SetCaption("Setup of Démo");
    EXPECT_EQ(TextOf(window), L"Setup of D\u00e9mo");
    form.title.Hide();
    EXPECT_EQ(StyleOf(Find("Title")) & WS_VISIBLE, 0);
    form.title.Show();
    EXPECT_NE(StyleOf(Find("Title")) & WS_VISIBLE, 0);
    form.nextButton.SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(Find("NextButton")));
    form.nextButton.SetCaption("&Install");
    EXPECT_EQ(TextOf(Find("NextButton")), L"&Install");
    form.intro.SetCaption("Grüße");
    EXPECT_EQ(TextOf(Find("Intro")), L"Gr\u00fc\u00dfe");
    EXPECT_EQ(TextOf(Find("page1")), L"Progress");

    form.title.SetHint("Schön");
    HWND tooltip = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(::GetWindow(tooltip, GW_OWNER), window);
    wchar_t hint[64] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(Find("Title"));
    tool.lpszText = hint;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(hint, L"Sch\u00f6n");
    form.title.SetHint("");
    EXPECT_EQ(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(Win32UiPortTest, FontsAreInheritedUnlessSet) {
    const auto fontOf = [this](const char* name) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Find(name), WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        return font;
    };
    EXPECT_EQ(fontOf("Title").lfHeight, -Scaled(16));
    EXPECT_EQ(fontOf("Title").lfWeight, FW_BOLD);
    EXPECT_STREQ(fontOf("Title").lfFaceName, L"Tahoma");
    EXPECT_EQ(fontOf("Intro").lfHeight, -Scaled(11));
    EXPECT_EQ(fontOf("Intro").lfWeight, FW_NORMAL);
    EXPECT_EQ(fontOf("Languages").lfHeight, -Scaled(11));
    form.SetFont({"Tahoma", 13, false, 0x102030});
    EXPECT_EQ(fontOf("Intro").lfHeight, -Scaled(13));
    EXPECT_EQ(fontOf("Languages").lfHeight, -Scaled(13));
    EXPECT_EQ(fontOf("Title").lfHeight, -Scaled(16));
    form.pages.SetFont({"Tahoma", 12, true, ColorBlack});
    EXPECT_EQ(fontOf("Log").lfHeight, -Scaled(12));
    EXPECT_EQ(fontOf("NextButton").lfHeight, -Scaled(13));
}

TEST_F(Win32UiPortTest, PaintingShowsColoursPicturesAndLines) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_EQ(Snapshot(Find("ButtonBar")).At(2, 2), RGB(0x33, 0x66, 0x99));
    {
        const Snapshot banner(Find("Banner"));
        EXPECT_EQ(banner.At(0, 0), red);
        EXPECT_EQ(banner.At(Scaled(4) - 1, Scaled(3) - 1), red);
        EXPECT_EQ(banner.At(Scaled(4), 0), face) << "beside the picture: the form's background";
    }

    // A transparent label shows the picture beneath it, an opaque one its
    // colour.
    form.title.SetBounds(2, 1, 100, 24);
    form.title.SetCaption("");
    EXPECT_EQ(Snapshot(Find("Title")).At(0, 0), red);
    EXPECT_EQ(Snapshot(Find("Title")).At(Scaled(10), 0), face);
    form.title.SetColor(0x00FF00);
    EXPECT_EQ(Snapshot(Find("Title")).At(0, 0), red);
    form.title.SetTransparent(false);
    EXPECT_EQ(Snapshot(Find("Title")).At(0, 0), RGB(0, 255, 0));

    for (const char* missing : {"png-9x9", "missing", ""}) {
        form.banner.SetPictureResource(missing);
        EXPECT_EQ(Snapshot(Find("Banner")).At(0, 0), face) << missing;
    }

    const COLORREF dark = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    form.divider.SetBounds(0, 0, 600, 6);
    const int height = PlaceOf(Find("Divider")).bottom - PlaceOf(Find("Divider")).top;
    {
        const Snapshot bottom(Find("Divider"));
        EXPECT_EQ(bottom.At(10, height - 2), dark);
        EXPECT_EQ(bottom.At(10, height - 1), light);
        EXPECT_EQ(bottom.At(10, 0), face);
    }
    form.divider.SetShape(Bevel::Shape::TopLine);
    const Snapshot top(Find("Divider"));
    EXPECT_EQ(top.At(10, 0), dark);
    EXPECT_EQ(top.At(10, 1), light);
    EXPECT_EQ(top.At(10, height - 1), face);
}

// A transparent label over the edge of a page, whose top line it covers.
class LayeredForm : public Form {
public:
    explicit LayeredForm(Application& app) : Form(app, "LayeredForm") {
        SetClientSize(200, 100);
        pages.SetBounds(0, 20, 200, 80);
        sheet.SetAlign(Align::Client);
        sheet.SetColor(ColorWhite);
        line.SetBounds(0, 0, 200, 2);
        line.SetShape(Bevel::Shape::TopLine);
        label.SetBounds(10, 10, 100, 20);
    }

    Notebook& pages = Make<Notebook>("Pages", this);
    Page& page = pages.AddPage("Page");
    Panel& sheet = Make<Panel>("Sheet", &page);
    Bevel& line = Make<Bevel>("Line", &sheet);
    Label& label = Make<Label>("Label", this);
};

TEST_F(Win32UiPortTest, TransparentLabelsShowTheControlsBeneathThem) {
    LayeredForm layered(app);
    app.CreateDialog(layered);
    HWND label = FindNamedWindow(FindFormWindow("LayeredForm"), "Label");
    ASSERT_NE(label, nullptr);
    const Snapshot beneath(label);
    EXPECT_EQ(beneath.At(5, Scaled(10)), ::GetSysColor(COLOR_BTNSHADOW)) << "the page's top line";
    EXPECT_EQ(beneath.At(5, Scaled(10) + 1), ::GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(beneath.At(5, Scaled(15)), RGB(255, 255, 255)) << "the page's colour";
    EXPECT_EQ(beneath.At(5, 0), ::GetSysColor(COLOR_BTNFACE)) << "the form's colour";
}

TEST_F(Win32UiPortTest, TheIconComesFromTheResources) {
    form.SetIconResource("setup");
    form.Show();
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(Win32UiPortTest, TabFollowsTheTabOrderOverShownAndEnabledControls) {
    form.pages.SetPageIndex(1);
    form.Show();
    ::SetFocus(Find("CancelButton"));
    const char* const forward[] = {"NextButton", "Languages", "Log", "CancelButton"};
    for (const char* expected : forward) {
        PressKey(port, window, VK_TAB);
        EXPECT_EQ(::GetFocus(), Find(expected)) << expected;
    }
    PressKey(port, window, VK_TAB, true);
    EXPECT_EQ(::GetFocus(), Find("Log"));

    form.nextButton.SetEnabled(false);
    form.pages.SetPageIndex(0);
    ::SetFocus(Find("CancelButton"));
    PressKey(port, window, VK_TAB);
    EXPECT_EQ(::GetFocus(), Find("CancelButton")) << "the only control left to focus";
}

TEST_F(Win32UiPortTest, ComboMirrorsItsListAndReportsTheCloseUpAfterwards) {
    HWND list = Find("Languages");
    for (const char* item : {"English", "Deutsch", "Français"}) {
        form.languages.AddItem(item);
    }
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), CB_ERR);
    form.languages.SetItemIndex(2);
    wchar_t text[32] = {};
    ::SendMessageW(list, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Fran\u00e7ais");
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), 2);

    int closeUps = 0;
    int indexSeen = -2;
    bool listOpen = true;
    form.languages.OnCloseUp = [&] {
        ++closeUps;
        indexSeen = form.languages.ItemIndex();
        listOpen = ::SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0;
    };
    form.pages.SetPageIndex(1);
    form.Show();
    ::SetFocus(list);
    PressKey(port, window, VK_UP); // a choice on the closed list closes up
    EXPECT_EQ(form.languages.ItemIndex(), 1);
    port.ProcessPendingEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(indexSeen, 1);
    closeUps = 0;

    ::SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_NE(::SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0), 0);
    ::SendMessageW(list, CB_SETCURSEL, 0, 0);
    ::SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(form.languages.ItemIndex(), 0);
    EXPECT_EQ(closeUps, 0) << "the handler runs once the list has gone";
    port.ProcessPendingEvents();
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(indexSeen, 0);
    EXPECT_FALSE(listOpen);

    form.languages.ClearItems();
    EXPECT_EQ(::SendMessageW(list, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(Win32UiPortTest, MemoPagesAndProgressFollowTheirControls) {
    HWND log = Find("Log");
    form.log.AddLine("one");
    form.log.AddLine("two");
    EXPECT_EQ(TextOf(log), L"one\r\ntwo");
    form.log.SetText("a\r\nb");
    EXPECT_EQ(TextOf(log), L"a\r\nb");
    form.log.AddLine("c\nd");
    EXPECT_EQ(TextOf(log), L"a\r\nb\r\nc\r\nd");
    form.log.ClearLines();
    EXPECT_EQ(TextOf(log), L"");

    EXPECT_NE(StyleOf(Find("page0")) & WS_VISIBLE, 0);
    EXPECT_EQ(StyleOf(Find("page1")) & WS_VISIBLE, 0);
    form.pages.SetPageIndex(1);
    EXPECT_EQ(StyleOf(Find("page0")) & WS_VISIBLE, 0);
    EXPECT_NE(StyleOf(Find("page1")) & WS_VISIBLE, 0);

    form.Show();
    for (int i = 0; i < 200; ++i) {
        form.log.AddLine("line " + std::to_string(i));
    }
    port.ProcessPendingEvents();
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_ALL;
    ASSERT_TRUE(::GetScrollInfo(log, SB_VERT, &scroll));
    EXPECT_GT(scroll.nMax, static_cast<int>(scroll.nPage));
    EXPECT_EQ(scroll.nPos + static_cast<int>(scroll.nPage), scroll.nMax + 1)
        << "the last line shows";

    HWND bar = Find("Progress");
    const auto range = [bar] {
        PBRANGE limits{};
        ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&limits));
        return limits;
    };
    form.progress.SetMax(0);
    EXPECT_NE(range().iLow, range().iHigh) << "a bar of 0 to 0 shows empty";
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
    form.progress.SetMax(200);
    form.progress.SetPosition(50);
    EXPECT_EQ(range().iHigh, 200);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 50);
    form.progress.SetPosition(500);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 200);
    form.progress.SetPosition(-5);
    EXPECT_EQ(::SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
}

// The texts and buttons a message box shows.
struct BoxContent {
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;
    int defaultButton = 0;
    bool icon = false;
    HWND owner = nullptr;
};

BoxContent ReadBox(HWND box) {
    BoxContent content;
    content.caption = TextOf(box);
    content.text = TextOf(::GetDlgItem(box, 0xFFFF));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        HWND button = ::GetDlgItem(box, id);
        if (button != nullptr && ::IsWindowVisible(button)) {
            content.buttons.push_back(id);
            if ((StyleOf(button) & 0x0F) == BS_DEFPUSHBUTTON) {
                content.defaultButton = id;
            }
        }
    }
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON &&
            ::IsWindowVisible(child) && ::SendMessageW(child, STM_GETICON, 0, 0) != 0) {
            content.icon = true;
        }
    }
    content.owner = ::GetWindow(box, GW_OWNER);
    return content;
}

TEST_F(Win32UiPortTest, ClickRunsOnClickUnderTheTopLevelHandler) {
    form.Show();
    form.nextButton.OnClick = [] { throw Exception("Boom"); };
    BoxContent seen;
    WhenModal([&](HWND box) {
        seen = ReadBox(box);
        ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    ::SendMessageW(Find("NextButton"), BM_CLICK, 0, 0);
    EXPECT_EQ(seen.text, L"Boom.");
    EXPECT_EQ(seen.caption, L"Test Setup");
    EXPECT_TRUE(seen.icon);
    EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(seen.owner, window);

    int clicks = 0;
    form.nextButton.OnClick = [&] { ++clicks; };
    ::SendMessageW(Find("NextButton"), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    // What the user cannot click is not clicked through the model either.
    form.nextButton.SetEnabled(false);
    ::SendMessageW(Find("NextButton"), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Win32UiPortTest, MessageBoxesAnswerWithTheButtonPressed) {
    constexpr int escapeKey = 0;
    const struct {
        MsgButtons buttons;
        MsgIcon icon;
        int defaultButton;
        std::vector<int> shown;
        int expectedDefault;
        int press;
        MsgResult answer;
    } cases[] = {
        {MsgButtons::Ok, MsgIcon::None, 0, {IDOK}, IDOK, escapeKey, MsgResult::Ok},
        {MsgButtons::OkCancel,
         MsgIcon::Information,
         1,
         {IDOK, IDCANCEL},
         IDCANCEL,
         IDOK,
         MsgResult::Ok},
        {MsgButtons::OkCancel,
         MsgIcon::Warning,
         0,
         {IDOK, IDCANCEL},
         IDOK,
         escapeKey,
         MsgResult::Cancel},
        {MsgButtons::YesNo, MsgIcon::Warning, 1, {IDYES, IDNO}, IDNO, IDNO, MsgResult::No},
        {MsgButtons::YesNoCancel,
         MsgIcon::Question,
         7,
         {IDCANCEL, IDYES, IDNO},
         IDYES,
         escapeKey,
         MsgResult::Cancel},
        {MsgButtons::YesNoCancel,
         MsgIcon::Error,
         2,
         {IDCANCEL, IDYES, IDNO},
         IDCANCEL,
         IDYES,
         MsgResult::Yes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(&c - cases));
        BoxContent seen;
        WhenModal([&](HWND box) {
            seen = ReadBox(box);
            if (c.press == escapeKey) {
                ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
            } else {
                ::SendMessageW(::GetDlgItem(box, c.press), BM_CLICK, 0, 0);
            }
        });
        EXPECT_EQ(app.MessageBox("Go on?", "Question time", c.buttons, c.icon, c.defaultButton),
                  c.answer);
        EXPECT_EQ(seen.text, L"Go on?");
        EXPECT_EQ(seen.caption, L"Question time");
        EXPECT_EQ(seen.icon, c.icon != MsgIcon::None);
        EXPECT_EQ(seen.buttons, c.shown);
        EXPECT_EQ(seen.defaultButton, c.expectedDefault);
        EXPECT_EQ(seen.owner, nullptr) << "no form window is shown";
    }
}

TEST_F(Win32UiPortTest, InputQueryReturnsTheTextOrNothing) {
    form.Show();
    std::wstring caption;
    std::wstring prompt;
    std::wstring shown;
    HWND owner = nullptr;
    WhenModal([&](HWND dialog) {
        caption = TextOf(dialog);
        owner = ::GetWindow(dialog, GW_OWNER);
        HWND edit = ::GetDlgItem(dialog, Win32UiPort::kInputQueryEditId);
        shown = TextOf(edit);
        ::SetWindowTextW(edit, L"C:\\d\u00e9mo");
        ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(port.InputQuery("Folder", "Install to:", "C:\\demo"), std::string("C:\\démo"));
    EXPECT_EQ(caption, L"Folder");
    EXPECT_EQ(shown, L"C:\\demo");
    EXPECT_EQ(owner, window);

    // A prompt of several lines pushes the edit box down; Escape cancels.
    RECT promptRect{};
    RECT editRect{};
    WhenModal([&](HWND dialog) {
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) == L"Static") {
                prompt = TextOf(child);
                ::GetWindowRect(child, &promptRect);
            }
        }
        ::GetWindowRect(::GetDlgItem(dialog, Win32UiPort::kInputQueryEditId), &editRect);
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    EXPECT_EQ(port.InputQuery("Password", "Line one\nline two\nline three", ""), std::nullopt);
    EXPECT_EQ(prompt, L"Line one\nline two\nline three");
    EXPECT_GE(editRect.top, promptRect.bottom);
}

UiPort* watchedPort = nullptr;

void CALLBACK EndStuckLoop(HWND, UINT, UINT_PTR, DWORD) {
    ADD_FAILURE() << "the message loop did not end";
    watchedPort->Terminate();
}

TEST_F(Win32UiPortTest, RunEndsWhenTheMainFormCloses) {
    watchedPort = &port;
    const UINT_PTR watchdog = ::SetTimer(nullptr, 0, 5000, EndStuckLoop);
    form.nextButton.OnClick = [this] { form.Close(); };
    ::PostMessageW(Find("NextButton"), BM_CLICK, 0, 0);
    app.Run();
    ::KillTimer(nullptr, watchdog);
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(::IsWindowVisible(window));
}

TEST_F(Win32UiPortTest, UserCloseAsksTheModelAndEndsTheProgram) {
    form.Show();
    int asked = 0;
    bool allow = false;
    form.OnCloseQuery = [&] {
        ++asked;
        return allow;
    };
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_FALSE(form.Closed());
    allow = true;
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(::IsWindow(window));
    form.Show();
    port.Run(form); // the main form's close ended the program: returns at once
}

TEST_F(Win32UiPortTest, PendingEventsAreHandledAndAQuitIsLeftForTheLoop) {
    form.Show();
    int clicks = 0;
    form.nextButton.OnClick = [&] { ++clicks; };
    ::PostMessageW(Find("NextButton"), BM_CLICK, 0, 0);
    ::PostQuitMessage(3);
    app.ProcessMessages();
    EXPECT_EQ(clicks, 1);
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

TEST_F(Win32UiPortTest, WindowsOfAFormDroppedByItsOwnHandlerGoLater) {
    SetupForm other(app, "OtherForm");
    app.CreateForm(other);
    HWND otherWindow = FindFormWindow("OtherForm");
    ASSERT_NE(otherWindow, nullptr);
    HWND otherButton = FindNamedWindow(otherWindow, "NextButton");
    other.nextButton.OnClick = [&] { port.Unrealize(other); };
    ::SendMessageW(otherButton, BM_CLICK, 0, 0);
    EXPECT_EQ(other.Peer(), nullptr);
    EXPECT_EQ(other.nextButton.Peer(), nullptr);
    EXPECT_TRUE(::IsWindow(otherWindow));
    EXPECT_FALSE(::IsWindowVisible(otherWindow));
    port.ProcessPendingEvents();
    EXPECT_FALSE(::IsWindow(otherWindow));
    other.SetCaption("after"); // reaches no window
}


class Win32DialogTest : public Win32UiPortTest {
protected:
    Win32DialogTest() {
        app.CreateDialog(dialog);
        dialogWindow = FindFormWindow("StatusDialog");
    }

    HWND InDialog(const char* name) const {
        HWND found = dialogWindow != nullptr ? FindNamedWindow(dialogWindow, name) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    StatusDialog dialog{app};
    HWND dialogWindow = nullptr;
};

TEST_F(Win32DialogTest, DialogBorderIsFixedAndStaysOnTop) {
    ASSERT_NE(dialogWindow, nullptr);
    EXPECT_EQ(app.MainForm(), &form);
    EXPECT_NE(ExStyleOf(dialogWindow) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_NE(ExStyleOf(dialogWindow) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(StyleOf(dialogWindow) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_EQ(ExStyleOf(window) & (WS_EX_DLGMODALFRAME | WS_EX_TOPMOST), 0);
    RECT client{};
    ::GetClientRect(dialogWindow, &client);
    EXPECT_TRUE(SameRect(client, ScaledRect(0, 0, 300, 100)));

    // The window keeps its place, its client size and its visibility.
    dialog.SetPosition(123, 45);
    dialog.Show();
    dialog.SetStayOnTop(false);
    EXPECT_EQ(ExStyleOf(dialogWindow) & WS_EX_TOPMOST, 0);
    dialog.SetBorderStyle(BorderStyle::Single);
    EXPECT_EQ(ExStyleOf(dialogWindow) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_TRUE(::IsWindowVisible(dialogWindow));
    RECT frame{};
    ::GetWindowRect(dialogWindow, &frame);
    EXPECT_EQ(frame.left, 123);
    EXPECT_EQ(frame.top, 45);
    ::GetClientRect(dialogWindow, &client);
    EXPECT_TRUE(SameRect(client, ScaledRect(0, 0, 300, 100)));
}

TEST_F(Win32DialogTest, EnterPressesTheFocusedButtonElseTheDefault) {
    HWND cancel = InDialog("Cancel");
    HWND other = InDialog("Other");
    ASSERT_NE(cancel, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(StyleOf(cancel) & 0x0F, BS_DEFPUSHBUTTON);
    EXPECT_EQ(StyleOf(other) & 0x0F, BS_PUSHBUTTON);
    dialog.Show();

    const struct {
        const char* what;
        HWND focus;
        WPARAM key;
        bool shift;
        int otherClicks;
        int cancelClicks;
    } cases[] = {
        {"Enter on no control", nullptr, VK_RETURN, false, 0, 1},
        {"Enter on the default button", cancel, VK_RETURN, false, 0, 1},
        {"Enter on another button", other, VK_RETURN, false, 1, 0},
        {"Shift+Enter", nullptr, VK_RETURN, true, 0, 0},
        {"another key", nullptr, 'A', false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialog.otherClicks = dialog.cancelClicks = 0;
        ::SetFocus(c.focus);
        PressKey(port, dialogWindow, c.key, c.shift);
        EXPECT_EQ(dialog.otherClicks, c.otherClicks);
        EXPECT_EQ(dialog.cancelClicks, c.cancelClicks);
    }

    // The access key of "&Cancel".
    dialog.cancelClicks = 0;
    ::SetFocus(other);
    ::PostMessageW(other, WM_SYSCHAR, 'c', 1 << 29);
    port.ProcessPendingEvents();
    EXPECT_EQ(dialog.cancelClicks, 1);

    // Without a usable default button Enter does nothing.
    dialog.cancelClicks = 0;
    ::SetFocus(nullptr);
    dialog.cancel.SetEnabled(false);
    PressKey(port, dialogWindow, VK_RETURN);
    dialog.cancel.SetEnabled(true);
    dialog.cancel.SetDefault(false);
    EXPECT_EQ(StyleOf(cancel) & 0x0F, BS_PUSHBUTTON);
    ::SetFocus(nullptr);
    PressKey(port, dialogWindow, VK_RETURN);
    EXPECT_EQ(dialog.cancelClicks, 0);
}

TEST_F(Win32DialogTest, LongTextIsCutAtTheLabelsEdgeNotWrapped) {
    HWND status = InDialog("Status");
    ASSERT_NE(status, nullptr);
    dialog.status.SetBounds(10, 15, 280, 60);
    dialog.status.SetCaption(std::string(80, 'W') + " and more words to wrap");
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const int width = Scaled(280);
    const int secondLine = Scaled(30);
    {
        const Snapshot cut(status);
        EXPECT_TRUE(cut.AnyOtherThan(face, 0, 0, width, Scaled(12))) << "the first line shows";
        EXPECT_FALSE(cut.AnyOtherThan(face, 0, secondLine, width, Scaled(60)));
    }
    dialog.status.SetWordWrap(true);
    const Snapshot wrapped(status);
    EXPECT_TRUE(wrapped.AnyOtherThan(face, 0, Scaled(14), width, Scaled(60)));
}

TEST_F(Win32DialogTest, FramesPlacesAndMetricsComeFromTheWindows) {
    dialog.SetPosition(130, 70);
    RECT frame{};
    ::GetWindowRect(dialogWindow, &frame);
    const Bounds bounds = port.FrameBounds(dialog);
    EXPECT_EQ(bounds.left, 130);
    EXPECT_EQ(bounds.top, 70);
    EXPECT_EQ(bounds.width, frame.right - frame.left);
    EXPECT_EQ(bounds.height, frame.bottom - frame.top);
    EXPECT_GT(bounds.width, Scaled(300)) << "the frame counts";
    dialog.Show();
    dialog.Hide();
    dialog.Show();
    EXPECT_EQ(port.FrameBounds(dialog).left, 130) << "a placed window is not re-centred";

    // A window the program did not place is centred in the work area.
    form.Show();
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const Bounds work = port.WorkArea();
    EXPECT_EQ(work.left, area.left);
    EXPECT_EQ(work.width, area.right - area.left);
    EXPECT_EQ(work.height, area.bottom - area.top);
    const Bounds main = port.FrameBounds(form);
    EXPECT_LE(std::abs(main.left + main.width / 2 - (work.left + work.width / 2)), 1);
    EXPECT_LE(std::abs(main.top + main.height / 2 - (work.top + work.height / 2)), 1);

    EXPECT_EQ(port.ScrollArrowHeight(), ::GetSystemMetricsForDpi(SM_CYVSCROLL, 96));
    EXPECT_GT(port.ScrollArrowHeight(), 0);

    StatusDialog unrealized(app);
    unrealized.SetPosition(-5, 9);
    const Bounds none = port.FrameBounds(unrealized);
    EXPECT_EQ(none.left, -5);
    EXPECT_EQ(none.top, 9);
    EXPECT_EQ(none.width, 300);
    EXPECT_EQ(none.height, 100);
}

TEST_F(Win32DialogTest, ShowBringsTheDialogToTheFrontAndClosingItOnlyHides) {
    form.Show();
    dialog.Show();
    EXPECT_EQ(::GetActiveWindow(), dialogWindow);
    EXPECT_EQ(::GetFocus(), InDialog("Other")) << "the first control in tab order";
    ::SendMessageW(dialogWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(dialogWindow));
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Closed());
    EXPECT_TRUE(::IsWindowVisible(window));
    dialog.Show();
    EXPECT_TRUE(::IsWindowVisible(dialogWindow));
}

TEST(Win32UiPortLifetime, PortMayGoBeforeTheForms) {
    ScriptedUiPort scripted;
    Application app(scripted, "Test Setup");
    SetupForm form(app, "Orphan");
    HWND window = nullptr;
    {
        Win32UiPort port;
        port.Realize(form);
        window = FindFormWindow("Orphan");
        ASSERT_NE(window, nullptr);
        EXPECT_NE(::GlobalFindAtomW(L"Orphan"), 0);
    }
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(::GlobalFindAtomW(L"Orphan"), 0) << "the names go with the windows";
    EXPECT_EQ(form.Peer(), nullptr);
    EXPECT_EQ(form.log.Peer(), nullptr);
    form.log.AddLine("after");
}

} // namespace
