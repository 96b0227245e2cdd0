#include "com_ports.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

#include "app/logger.h"

namespace zh {
namespace {

PortFacts factsOf(const QSerialPortInfo& info) {
    PortFacts f;
    f.path = info.systemLocation();
    f.portName = info.portName();
    f.manufacturer = info.manufacturer().trimmed();
    f.description = info.description().trimmed();
    f.serialNumber = info.serialNumber().trimmed();
    f.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
    f.vendorId = info.vendorIdentifier();
    f.productId = info.productIdentifier();
    return f;
}

QString hex4(quint16 value) {
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0'));
}

}  // namespace

QString portLabel(const PortFacts& port) {
    const bool usb = port.hasIds || !port.manufacturer.isEmpty() || !port.serialNumber.isEmpty();
    if (!usb) {
        return port.portName + (port.description.isEmpty()
                                    ? QString()
                                    : QStringLiteral(" (") + port.description + QLatin1Char(')'));
    }
    QString product = port.description;
    if (product.isEmpty() && port.hasIds)
        product =
            QStringLiteral("USB ") + hex4(port.vendorId) + QLatin1Char(':') + hex4(port.productId);
    // Many adapters repeat their maker in the product name.
    QString label = port.manufacturer;
    if (!product.isEmpty()) {
        if (label.isEmpty() || product.startsWith(label, Qt::CaseInsensitive))
            label = product;
        else
            label += QLatin1Char(' ') + product;
    }
    if (label.isEmpty()) label = port.portName;
    if (!port.serialNumber.isEmpty())
        label += QStringLiteral(" (serial ") + port.serialNumber + QLatin1Char(')');
    return label + QStringLiteral(" - ") + port.path;
}

std::vector<ComPortEntry> availableComPorts(Logger& log, const QString& byIdFolder) {
    log.debugLog(QStringLiteral(">>> GetAvailableComPorts()"), 4);
    std::vector<ComPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ComPortEntry e;
        e.device = info.systemLocation();
        e.name = stablePortName(e.device, byIdFolder);
        e.label = portLabel(factsOf(info));
        if (e.name != e.device)
            e.label += QStringLiteral(" (") + QFileInfo(e.name).fileName() + QLatin1Char(')');
        ports.push_back(e);
    }
    std::sort(ports.begin(), ports.end(),
              [](const ComPortEntry& a, const ComPortEntry& b) { return a.device < b.device; });
    ports.push_back({QStringLiteral("Sim"), QStringLiteral("Sim (device simulator)"), {}, 0});
    for (std::size_t i = 0; i < ports.size(); ++i) ports[i].menuId = 5000 + static_cast<int>(i);
    return ports;
}

}  // namespace zh
