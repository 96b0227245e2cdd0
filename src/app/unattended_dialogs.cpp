#include "unattended_dialogs.h"

namespace zh {

int defaultAnswer(int flags) {
    const int second = (flags & mb::DefaultButton2) != 0;
    const int third = (flags & mb::DefaultButton3) != 0;
    switch (flags & 0xF) {
        case mb::OkCancel:
            return second ? mb::ResultCancel : mb::ResultOk;
        case mb::AbortRetryIgnore:
            return third ? mb::ResultIgnore : mb::ResultAbort;
        case mb::YesNoCancel:
            return third ? mb::ResultCancel : second ? mb::ResultNo : mb::ResultYes;
        case mb::YesNo:
            return second ? mb::ResultNo : mb::ResultYes;
        case mb::RetryCancel:
            return mb::ResultCancel;
        case mb::SaveDiscardCancel:
            return third ? mb::ResultCancel : second ? mb::ResultDiscard : mb::ResultSave;
        default:
            return mb::ResultOk;
    }
}

void UnattendedDialogs::fail(const QString& text) {
    ++failures_;
    lastFailure_ = text;
}

int UnattendedDialogs::messageBox(const QString& title, const QString& text, int flags) {
    if ((flags & 0xF0) == mb::IconError)
        fail(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    return defaultAnswer(flags);
}

void UnattendedDialogs::progressSetStatus(const QString& text, int colour) {
    status_ = text;
    shown_.progressSetStatus(text, colour);
}

// The progress window waits without limit only for an error to be read.
bool UnattendedDialogs::progressWaitButton(int timeoutMs) {
    if (timeoutMs >= 0) return shown_.progressWaitButton(timeoutMs);
    fail(status_);
    return true;
}

}  // namespace zh
