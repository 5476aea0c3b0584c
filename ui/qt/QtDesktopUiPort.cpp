#include "ui/DesktopUiPort.h"
#include "ui/qt/QtUiPort.h"

namespace ui {

std::unique_ptr<UiPort> MakeDesktopUiPort(int& argc, char** argv) {
    return std::make_unique<QtUiPort>(argc, argv);
}

} // namespace ui
