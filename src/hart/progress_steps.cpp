#include "progress_steps.h"

#include <QTime>

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "request_sender.h"

namespace zh {
namespace {

constexpr int kBlue = rgb(0, 0, 255);
constexpr int kRed = rgb(255, 0, 0);

}  // namespace

QString ProgressSteps::tr(const QString& text) const {
    return p_.messages.lookupMessage(text, QStringLiteral("SerialIO"));
}

int ProgressSteps::showStep(const QString& stepName, const QString& text, const QString& detail,
                            int step, int steps) {
    Dialogs& d = p_.dialogs;
    const QString shown =
        detail.isEmpty() ? text : text + QStringLiteral(" (") + detail + QLatin1Char(')');
    d.progressSetTitle(stepName);
    d.progressSetStep(shown);
    if (steps > 0) d.progressSetBar(step * 100 / steps, kBlue);
    d.progressSetNote(QTime::currentTime().toString(QStringLiteral("hh:mm:ss ")) + shown);
    return d.servePendingEvents() ? 1 : 0;
}

// An error stays until the person presses OK: a message that closes by
// itself is easily gone before it was read (the message display time can be
// very short, for example during a switch test). Only messages that report
// success close by themselves after that time.
void ProgressSteps::showError(const QString& text) {
    lastError_ = text;
    Dialogs& d = p_.dialogs;
    d.progressSetStatus(text, kRed);
    d.progressSetButton(QStringLiteral("OK"));
    d.progressWaitButton(-1);
}

int ProgressSteps::checkStep(int result, int okValue, const QString& text, const QString& detail,
                             int) {
    if (result == okValue) return p_.dialogs.servePendingEvents() ? 1 : 0;
    // Whichever step met it, a modem that went away is named as such: no
    // other reason the step knows of applies then.
    const QString why = result == kResultDisconnected ? errorText(result, QString()) : detail;
    showError(why.isEmpty() || why == text ? text
                                           : text + QStringLiteral(" (") + why + QLatin1Char(')'));
    return 1;
}

int ProgressSteps::showRetry(const QString& text, int attempt, int tries) {
    if (tries <= 1) return 0;
    Dialogs& d = p_.dialogs;
    const int bar = 100 - (attempt - 1) * (100 / (tries - 1));
    d.progressSetStatus(text, kRed);
    d.progressSetBar(bar, kRed);
    if (d.servePendingEvents()) return 1;
    if (bar <= 0) d.sleep(250);
    return 0;
}

QString ProgressSteps::errorText(int result, const QString& function) const {
    const QString f = function.section(QLatin1Char('('), 0, 0);
    // The device's own reason, whichever step met it.
    if (result == kResultRefused)
        return refusal_.isEmpty() ? tr(QStringLiteral("refused by the device")) : refusal_;
    if (result == kResultWithheld)
        return tr(QStringLiteral("not sent: not a device of this program"));
    if (result == kResultDisconnected)
        return tr(QStringLiteral("HART modem disconnected from")) + QLatin1Char(' ') + port_;
    if (f == QLatin1String("BaTinHrtCPr_Connect") ||
        f == QLatin1String("BaTinHrtCPr_SendRequest")) {
        switch (result) {
            case kResultInvalidHandle:
                return tr(QStringLiteral("Invalid Handle, Not Connected!!"));
            case kResultResource:
                return tr(QStringLiteral("Resource Error, not Connected!!"));
            case kResultCommunication:
                return tr(QStringLiteral("Communication Error, not Connected!!"));
            case kResultNoResponse:
                return tr(QStringLiteral("No Device Response, not Connected!!"));
            case kResultCancelled:
                return tr(QStringLiteral("User Interrupt!"));
            default:
                return tr(QStringLiteral("Unexpected Error, not Connected!!"));
        }
    }
    if (f == QLatin1String("BaTinHrtCPr_Open"))
        return tr(QStringLiteral("Invalid ComPort ")) + port_;
    if (result == -1) return function;
    if (result == kResultCancelled) return tr(QStringLiteral("User Interrupt!"));
    // The number with what it means, where the program knows.
    return tr(QStringLiteral(": Unexpected Error # ")) + QString::number(result) +
           QLatin1Char('!') +
           (hasResultText(result) ? QStringLiteral(" (") + tr(resultText(result)) + QLatin1Char(')')
                                  : QString());
}

void ProgressSteps::showErrorMessage(int result, const QString& function, const QString& detail) {
    p_.log.debugLog(QStringLiteral(">>> ErrMessage(res=") + QString::number(result) +
                        QStringLiteral(",  func.s=") + function + QLatin1Char(')'),
                    6);
    QString text = errorText(result, function);
    if (!detail.isEmpty()) text += QStringLiteral(" (") + detail + QLatin1Char(')');
    showError(text);
}

}  // namespace zh
