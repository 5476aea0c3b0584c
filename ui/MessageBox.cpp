#include "ui/MessageBox.h"

namespace ui {

int ButtonCount(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return 1;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNo:
        return 2;
    case MsgButtons::YesNoCancel:
        return 3;
    }
    return 1;
}

MsgResult ButtonAt(MsgButtons buttons, int position) {
    if (position < 0 || position >= ButtonCount(buttons)) {
        position = 0;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::OkCancel:
        return position == 0 ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo:
        return position == 0 ? MsgResult::Yes : MsgResult::No;
    case MsgButtons::YesNoCancel:
        return position == 0 ? MsgResult::Yes : position == 1 ? MsgResult::No : MsgResult::Cancel;
    }
    return MsgResult::Ok;
}

MsgResult AnswerWithoutPerson(const MessageBoxRequest& request) {
    return request.answerWithoutPerson.value_or(ButtonAt(request.buttons, request.defaultButton));
}

const char* AnswerName(MsgResult answer) {
    switch (answer) {
    case MsgResult::Ok:
        return "OK";
    case MsgResult::Cancel:
        return "Cancel";
    case MsgResult::Yes:
        return "Yes";
    case MsgResult::No:
        return "No";
    }
    return "OK";
}

} // namespace ui
