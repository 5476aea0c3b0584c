#pragma once

#include <string>

namespace platform {

// Shows the program's usage text where the platform's own installers show
// theirs. On Windows: in a message box captioned `title` (an error icon for
// a wrong command line), unless `noBox` is set because nobody is there to
// close it (a deployment tool's run); a wrong command line also goes to
// standard error. Elsewhere: on standard output, or for a wrong command
// line on standard error.
void ShowUsageText(const std::string& title, const std::string& text, bool wrongCommandLine,
                   bool noBox);

} // namespace platform
