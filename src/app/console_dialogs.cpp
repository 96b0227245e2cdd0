#include "console_dialogs.h"

#include <QThread>
#include <cstdio>

namespace zh {
namespace {

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

int ConsoleDialogs::messageBox(const QString& title, const QString& text, int flags) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    say(QStringLiteral("[") + title + QStringLiteral("] ") + shown);
    switch (flags & 0xF) {
        case mb::YesNo:
        case mb::YesNoCancel:
            return (flags & 0xF) == mb::YesNo ? mb::ResultNo : mb::ResultCancel;
        case mb::OkCancel:
        case mb::RetryCancel:
        case mb::SaveDiscardCancel:
            return mb::ResultCancel;
        case mb::AbortRetryIgnore:
            return mb::ResultAbort;
        default:
            return mb::ResultOk;
    }
}

QString ConsoleDialogs::openFileRequester(const QString&, const QString& proposed, const QString&) {
    return proposed;
}
QString ConsoleDialogs::saveFileRequester(const QString&, const QString& proposed, const QString&) {
    return proposed;
}
QString ConsoleDialogs::inputRequester(const QString&, const QString&, const QString& proposed) {
    return proposed;
}

void ConsoleDialogs::progressOpen(const QString& title) {
    progressOpen_ = true;
    say(QStringLiteral("== ") + title);
}
void ConsoleDialogs::progressSetStep(const QString& text) {
    say(QStringLiteral("   ") + text);
}
void ConsoleDialogs::progressSetStatus(const QString& text, int) {
    if (!text.isEmpty()) say(QStringLiteral("   ") + text);
}
bool ConsoleDialogs::progressWaitButton(int timeoutMs) {
    sleep(timeoutMs);
    return false;
}
void ConsoleDialogs::sleep(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}
void ConsoleDialogs::beep(int, int) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

}  // namespace zh
