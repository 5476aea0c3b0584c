#pragma once

#include <optional>
#include <string>

namespace ui {

// The buttons of a message box, in the order they are shown.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };

// The icon of a message box. The stop icon of Windows is the error icon.
enum class MsgIcon { None, Error, Warning, Information, Question };

// The answer to a message box. Closing a box by its system menu or Escape
// answers Cancel where the box has a Cancel button (Ok for a lone OK).
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    // Zero-based position of the default button among `buttons`.
    int defaultButton = 0;
    // The answer when no person is there to give one (an unattended run);
    // none means the default button. A box that asks for something only a
    // person can do (insert a disk) names Cancel here.
    std::optional<MsgResult> answerWithoutPerson;
};

// The answer of the button at `position` (zero-based) of `buttons`; the
// first button for a position out of range.
MsgResult ButtonAt(MsgButtons buttons, int position);
// How many buttons `buttons` shows.
int ButtonCount(MsgButtons buttons);
// The answer a box gets when nobody can answer it: its answerWithoutPerson,
// else its default button.
MsgResult AnswerWithoutPerson(const MessageBoxRequest& request);
// The label of the button that gives `answer` ("OK", "Cancel", "Yes", "No").
const char* AnswerName(MsgResult answer);

} // namespace ui
