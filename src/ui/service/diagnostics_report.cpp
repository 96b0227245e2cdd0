#include "ui/service/diagnostics_report.h"

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "hart/display_blocks.h"
#include "hart/hart_session.h"
#include "ui/log/log_file_save.h"

namespace zh {
namespace {

constexpr int kBlue = rgb(0, 0, 255);
constexpr int kReportPointSize = 9;
// The full bar stays a moment before it goes.
constexpr int kFullBarMs = 300;

QString blockName(int number) {
    return QStringLiteral("Com190_") + QString::number(number).rightJustified(3, QLatin1Char('0'));
}

}  // namespace

DiagnosticsReport::DiagnosticsReport(Program& program, HartSession& session, DisplayBlocks& blocks,
                                     int view)
    : p_(program), session_(session), blocks_(blocks), view_(view) {}

QString DiagnosticsReport::tr(const QString& text, const QString& section) {
    return p_.messages.lookupMessage(text, section);
}

void DiagnosticsReport::setProgress(int percent) {
    p_.gadgets.setStatusProgress(percent);
    p_.dialogs.progressSetBar(percent, kBlue);
}

void DiagnosticsReport::append(const QStringList& lines) {
    QString text = p_.gadgets.text(view_);
    for (const QString& line : lines) {
        if (!text.isEmpty()) text += QLatin1Char('\n');
        text += line;
    }
    p_.gadgets.setText(view_, text);
}

// One block into the log; `progress` is where the bar stands after it.
bool DiagnosticsReport::readBlock(int number, int progress) {
    const QString name = blockName(number);
    if (window.setStatusText) window.setStatusText(name);
    int result = p_.dialogs.servePendingEvents() ? kResultCancelled
                                                 : blocks_.readBlock(number, p_.state.RequestTries);
    if (result == 0 && !takeDiagnosticBlock(number, blocks_.response(number), log_)) result = 3;
    if (result != 0) {
        session_.progress().showErrorMessage(
            result, QStringLiteral("BaTinHrtCPr_SendRequest(") + name + QLatin1Char(')'));
        return false;
    }
    setProgress(progress);
    return true;
}

bool DiagnosticsReport::read() {
    AppState& s = p_.state;
    Dialogs& d = p_.dialogs;
    p_.log.debugLog(QStringLiteral(">>> ReadDiagnostics()"), 3);
    const bool connectedHere = s.ConnectionState == 0;
    if (connectedHere) {
        if (session_.connectDevice() != 1) return false;
        s.ConnectionState = 1;
    } else {
        d.progressOpen(tr(QStringLiteral("HART"), QStringLiteral("SerialIO")));
    }
    const QString keptStatus = window.statusText ? window.statusText() : QString();
    log_ = DiagnosticLog{};

    bool complete = readBlock(1, 5);
    if (complete) {
        p_.gadgets.setText(view_, QString());
        append(identityLines(log_));
        complete = readBlock(60, 10);
    }
    if (complete) {
        append(logHeaderLines(log_));
        for (int number = 61; number <= 69 && complete; ++number)
            complete = readBlock(number, (number - 59) * 10);
    }
    if (complete) {
        p_.gadgets.setFont(view_, QStringLiteral("Courier New"), kReportPointSize, false);
        append(errorTableLines(log_));
    }

    setProgress(100);
    d.sleep(kFullBarMs);
    setProgress(0);
    if (window.setStatusText) window.setStatusText(keptStatus);
    if (connectedHere && s.ConnectionState != 0) {
        session_.disconnectDevice();
        s.ConnectionState = 0;
    }
    d.progressClose();
    if (window.activate) window.activate();
    return complete;
}

QString DiagnosticsReport::proposedName(const QDateTime& now) {
    return QStringLiteral("Diagnostics") + now.toString(QStringLiteral("yyyy-MM-dd hh.mm")) +
           QStringLiteral(".log");
}

// A message of the program's own titled with the edition's name.
void DiagnosticsReport::tell(const QString& text, int icon) {
    p_.messages.showMessageBox(p_.state.EditionName, tr(text, QStringLiteral("Application")),
                               mb::Ok | icon, MsgText::AsIs);
}

QString DiagnosticsReport::save(const QString& proposedPath) {
    const QString text = p_.gadgets.text(view_);
    if (text.trimmed().isEmpty()) {
        tell(QStringLiteral("The report is empty: read the diagnostics first!"),
             mb::IconInformation);
        return QString();
    }
    return saveLogFile(p_, proposedPath, text, QStringLiteral("SaveDiagnostics"));
}

}  // namespace zh
