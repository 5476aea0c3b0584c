#pragma once

#include <memory>

#include "ui/UiPort.h"

namespace ui {

// The backend that draws the program's windows on the desktop it was built
// for: native Win32 windows on Windows, Qt Widgets elsewhere. `argc` and
// `argv` are the program's arguments (Qt reads its own options from them)
// and must outlive the port.
std::unique_ptr<UiPort> MakeDesktopUiPort(int& argc, char** argv);

} // namespace ui
