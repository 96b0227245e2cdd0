#include "connection_probe.h"

#include <QDeadlineTimer>
#include <QProcess>

#include "app/dialogs.h"

namespace zh {

ProcessProbe::ProcessProbe(Dialogs& dialogs, QString program, QStringList leadingArguments)
    : dialogs_(dialogs),
      program_(std::move(program)),
      leadingArguments_(std::move(leadingArguments)) {}

ConnectionProbe::Outcome ProcessProbe::run(const QString& port, int timeoutMs) {
    QProcess probe;
    // The probe's output is of no interest; an unread pipe could block it.
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments = leadingArguments_ + QStringList{QStringLiteral("Connect"), port};
    if (pollingAddress() != 0) arguments << QString::number(pollingAddress());
    probe.start(program_, arguments);
    if (!probe.waitForStarted(2000)) return Outcome::NotStarted;

    const QDeadlineTimer deadline(timeoutMs);
    Outcome outcome = Outcome::TimedOut;
    // Short slices keep the window (and its Cancel button) alive meanwhile.
    while (!deadline.hasExpired()) {
        if (probe.waitForFinished(static_cast<int>(
                std::min<qint64>(50, std::max<qint64>(1, deadline.remainingTime()))))) {
            return Outcome::Ended;
        }
        if (probe.state() == QProcess::NotRunning) return Outcome::Ended;
        if (dialogs_.servePendingEvents()) {
            outcome = Outcome::Cancelled;
            break;
        }
    }
    probe.kill();
    probe.waitForFinished(2000);  // reap it: no probe is left behind
    return outcome;
}

}  // namespace zh
