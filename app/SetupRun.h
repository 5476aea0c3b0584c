#pragma once

#include "app/ExitCode.h"
#include "app/SetupOptions.h"

class TForm1;

namespace ui {
class Application;
}

// Runs the wizard as the options ask and returns the program's exit code.
// The application creates the window (its creation handler runs), "lang"
// chooses its language in the list, and then:
// - interactive: the window waits for the user's clicks until it closes;
// - quiet and passive: the installation runs at once, as a click on Start
//   and then on Finish do. The application's backend must answer for the
//   missing person (ui::UnattendedUiPort). A run that cannot start (no
//   language could be loaded) or stops on an error still saves its log.
ExitCode RunSetup(ui::Application& app, TForm1& form, const SetupOptions& options);
