#include "ui/dialogs/history_window.h"

#include <QMessageBox>

#include "files/device_core.h"

namespace zh {

void showDeviceHistory(QWidget* parent, DeviceCore& core) {
    (void)core;
    QMessageBox::information(parent, QStringLiteral("Device history"),
                             QStringLiteral("Not available yet."));
}

}  // namespace zh
