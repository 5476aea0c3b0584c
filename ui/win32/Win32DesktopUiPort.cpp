#include "ui/DesktopUiPort.h"
#include "ui/win32/Win32UiPort.h"

namespace ui {

std::unique_ptr<UiPort> MakeDesktopUiPort(int&, char**) {
    return std::make_unique<Win32UiPort>();
}

} // namespace ui
