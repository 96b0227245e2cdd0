// The service report of the visit and the device history: what the window
// keeps of every good read, write and service function, and the windows
// that show it.

#include <QTemporaryDir>

#include "app/dialogs.h"
#include "app/program.h"
#include "files/file_operation.h"
#include "files/history_command.h"
#include "files/universal_batch.h"
#include "files/universal_file.h"
#include "hart/universal_device.h"
#include "report/service_record.h"
#include "report/service_visit.h"
#include "ui/application/application.h"
#include "ui/dialogs/history_window.h"
#include "ui/dialogs/report_window.h"
#include "ui/dialogs/universal_window.h"
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

void Application::keepReading(const QString& what) {
    tellHistoryFailure(keepDataReading(core_, what, p_.state.ComPort));
}

// A history that cannot be kept is told once; the read or write stays done.
void Application::tellHistoryFailure(const QString& why) {
    if (why.isEmpty() || historyFailureShown_) return;
    historyFailureShown_ = true;
    p_.messages.showMessageBox(reportText(p_, "Device history"), why, mb::Ok | mb::IconExclamation,
                               MsgText::AsIs);
}

void Application::universalShown(const QString& what) {
    const UniversalData& d = universal_->data();
    visit_->universalShown(historyFolderName(d.identity), d);
    tellHistoryFailure(keepUniversalReading(core_, what, p_.state.ComPort, d));
}

void Application::noteFunction(const QString& function,
                               const std::vector<std::pair<QString, QString>>& results) {
    visit_->functionDone({function, results});
}

namespace {

// The universal data of the visit's device as found and as left, through
// files of them; false with `error` saying why.
bool recordOfUniversalVisit(Program& p, const ServiceVisit& visit, ServiceRecord* record,
                            QString* error) {
    const QTemporaryDir dir;
    const QString found = dir.filePath(QStringLiteral("found.") + universalFileExtension());
    const QString left = dir.filePath(QStringLiteral("left.") + universalFileExtension());
    return saveUniversalFile(found, *visit.universalFound(), error) &&
           saveUniversalFile(left, *visit.universalLeft(), error) &&
           recordOfUniversalFiles(p, found, left, record, error);
}

}  // namespace

// The visit's device as found and as left; without one, the data shown
// (a file opened) as both.
void Application::showServiceReport() {
    ServiceRecord record;
    if (DeviceModel* left = visit_->hasDevice() ? visit_->asLeft() : nullptr) {
        // The fields named as the window's labels name them.
        left->hooks.caption = model_.hooks.caption;
        record = recordOfDevice(core_, visit_->asFound(), *left);
        record.source = p_.state.ComPort;
    } else if (visit_->universalLeft()) {
        QString error;
        if (!recordOfUniversalVisit(p_, *visit_, &record, &error)) {
            p_.messages.showMessageBox(reportText(p_, "Service report"), error,
                                       mb::Ok | mb::IconError, MsgText::AsIs);
            return;
        }
        record.source = p_.state.ComPort;
    } else {
        record = recordOfDevice(core_, model_);
        record.source = data_.file.currentFile;
    }
    record.functions = visit_->functions();
    fillReportHeader(p_, &record, QDateTime::currentDateTime());
    if (window_) showReportWindow(window_.get(), p_, std::move(record), dataFolder(data_));
}

}  // namespace zh
