// The service report of the visit and the device history: what the window
// keeps of every good read, write and service function, and the windows
// that show it.

#include "app/dialogs.h"
#include "app/program.h"
#include "files/file_operation.h"
#include "files/history_command.h"
#include "report/service_record.h"
#include "report/service_visit.h"
#include "ui/application/application.h"
#include "ui/dialogs/history_window.h"
#include "ui/dialogs/report_window.h"
#include "ui/window/main_window.h"

namespace zh {

void Application::bindReportCommands() {
    commands_.bind(Command::ServiceReport, [this](int) { showServiceReport(); });
    commands_.bind(Command::DeviceHistory, [this](int) {
        if (window_) showDeviceHistory(window_.get(), core_);
    });
}

QString Application::deviceName() const {
    return historyFolderName(session_.identity());
}

void Application::deviceRead() {
    visit_->deviceRead(deviceName(), model_);
    keepReading(QStringLiteral("read"));
}

void Application::deviceWritten(const QStringList& written) {
    visit_->deviceWritten(deviceName(), model_, written);
    keepReading(QStringLiteral("write"));
}

// A history that cannot be kept is told once; the read or write stays done.
void Application::keepReading(const QString& what) {
    const QString why = keepDataReading(core_, what, p_.state.ComPort);
    if (why.isEmpty() || historyFailureShown_) return;
    historyFailureShown_ = true;
    p_.messages.showMessageBox(p_.messages.lookupMessage(QStringLiteral("Device history"),
                                                         QStringLiteral("Common")),
                               why, mb::Ok | mb::IconExclamation, MsgText::AsIs);
}

void Application::noteFunction(const QString& function,
                               const std::vector<std::pair<QString, QString>>& results) {
    visit_->functionDone({function, results});
}

// The visit's device as found and as left; without one, the data shown
// (a file opened) as both.
void Application::showServiceReport() {
    ServiceRecord record;
    if (DeviceModel* left = visit_->hasDevice() ? visit_->asLeft() : nullptr) {
        record = recordOfDevice(core_, visit_->asFound(), *left);
        record.functions = visit_->functions();
        record.source = p_.state.ComPort;
    } else {
        record = recordOfDevice(core_, model_);
        record.source = data_.file.currentFile;
    }
    fillReportHeader(p_, &record, QDateTime::currentDateTime());
    if (window_)
        showReportWindow(window_.get(), p_, std::move(record),
                         dataFolder(data_));
}

}  // namespace zh
