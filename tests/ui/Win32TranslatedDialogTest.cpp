// The extraction dialog's Cancel, in every language of the demo medium,
// fits its button at 96 dpi when Windows draws it (here Wine, whose null
// graphics driver runs at 96 dpi).
#define NOMINMAX
#include <windows.h>
#undef CreateDialog
#undef MessageBox

#include <gtest/gtest.h>

#include "TranslatedCancel.h"
#include "platform/Win32Text.h"
#include "ui/Application.h"
#include "ui/win32/Win32UiPort.h"
#include "ui/win32/Win32WindowNames.h"
#include "zip/TProgressForm.h"
#include "zip/TZip.h"

namespace {

TEST(Win32TranslatedDialogTest, EveryLanguagesCancelFitsTheExtractionDialog) {
    ui::Win32UiPort port;
    ui::Application app{port, kApplicationTitle};
    ui::Component owner(nullptr, "ZipFile");
    bool cancelled = false;
    testing_support::ForEachLanguagesCancel([&](const std::string& file, const std::string& caption) {
        TProgressForm dialog(app, owner, cancelled, caption);
        HWND button = ui::win32::FindNamedWindow(ui::win32::FindFormWindow("ProgressForm"), "CancelButton");
        ASSERT_NE(button, nullptr) << file;
        RECT client{};
        GetClientRect(button, &client);
        EXPECT_EQ(client.right, 75) << "the button is 75 pixels wide at 96 dpi";
        // The caption as the button draws it: its font, the access key's "&"
        // taken as a prefix, inside the edges and the focus rectangle.
        const std::wstring text = platform::win::Widen(caption);
        HDC dc = GetDC(button);
        const auto font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
        HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
        RECT needed{0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(button, dc);
        const int margins = 2 * (GetSystemMetrics(SM_CXEDGE) + 2);
        EXPECT_LE(needed.right + margins, client.right) << file << ": \"" << caption << "\" is cut off";
    });
}

} // namespace
