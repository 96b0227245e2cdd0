// Any HART device on the loop: the scan of the polling addresses, which
// sets the address the program talks to, and the window of a device's
// universal data, also offered when a connection found a device that is not
// one of ours.

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "app/setting_stores.h"
#include "hart/address_scan.h"
#include "ui/application/application.h"
#include "ui/dialogs/scan_list_dialog.h"
#include "ui/dialogs/universal_window.h"
#include "ui/window/main_window.h"

namespace zh {
namespace {

constexpr const char* kSection = "SerialIO";
constexpr int kBlue = rgb(0, 0, 255);

}  // namespace

void Application::bindUniversalCommands() {
    commands_.bind(Command::ScanLoop, [this](int) { scanLoop(kLastShortAddress); });
    commands_.bind(Command::ScanAll, [this](int) { scanLoop(kLastAddress); });
    commands_.bind(Command::HartDevice, [this](int) { showUniversalWindow(true); });
}

void Application::scanLoop(int last) {
    const auto tr = [this](const char* text) {
        return p_.messages.lookupMessage(QString::fromUtf8(text), QLatin1String(kSection));
    };
    // The scan opens the port itself: the live display lets it go first.
    if (p_.state.ConnectionState != 0) disconnectModule();
    if (p_.state.ConnectionState != 0) return;
    AppState& s = p_.state;
    if (s.ComPort.isEmpty())
        s.ComPort = p_.profile.readProfile(QStringLiteral("Serial_IO"), QStringLiteral("ComPort"),
                                           QStringLiteral("Com4"), s.ProfilePath);
    Dialogs& d = p_.dialogs;
    const QString title = tr(last > kLastShortAddress ? "Scan all addresses" : "Scan loop");
    d.progressOpen(title);
    QString failure;
    const QList<ScanEntry> found = scanAddresses(
        link_, p_.log, s.ComPort, 0, last,
        [&](int address) {
            d.progressSetStep(p_.messages.lookupMessage(
                QStringLiteral("Polling address {address} ...\t") + QString::number(address),
                QLatin1String(kSection)));
            d.progressSetBar(address * 100 / (last + 1), kBlue);
            return !d.servePendingEvents();
        },
        &failure);
    d.progressClose();
    // Whoever connects next looks anew for our parts: another device may answer.
    session_.LinkOpen = 0;
    if (found.isEmpty()) {
        p_.messages.showMessageBox(
            title, failure.isEmpty() ? tr("No device answered.") : failure,
            mb::Ok | (failure.isEmpty() ? mb::IconInformation : mb::IconError), MsgText::AsIs);
        return;
    }
    ScanListDialog list(found, title + QStringLiteral(" ") + s.ComPort, tr, window_.get());
    if (list.exec() != QDialog::Accepted || list.chosenAddress() < 0) return;
    storeHartAddress(p_, list.chosenAddress());
    p_.log.debugLog(QStringLiteral("HART address ") + QString::number(s.HartAddress), 1);
}

void Application::showUniversalWindow(bool read) {
    if (!universal_) {
        universal_ = std::make_unique<UniversalWindow>(p_, session_);
        universal_->setWindowModality(Qt::ApplicationModal);
        universal_->deviceShown = [this](const QString& what) { universalShown(what); };
    }
    universal_->show();
    universal_->raise();
    universal_->activateWindow();
    if (read) universal_->read();
}

void Application::offerUniversalView() {
    if (session_.ForeignDevice != 1) return;
    const QString answer = p_.messages.showMessageBox(
        p_.messages.lookupMessage(QStringLiteral("HART device"), QLatin1String(kSection)),
        p_.messages.lookupMessage(QStringLiteral("Show the universal data of this device?"),
                                  QLatin1String(kSection)),
        mb::YesNo | mb::IconQuestion, MsgText::AsIs);
    if (answer == QLatin1String("yes")) showUniversalWindow(true);
}

}  // namespace zh
