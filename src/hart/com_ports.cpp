#include "com_ports.h"

#include <QSerialPortInfo>
#include <algorithm>

#include "app/logger.h"

namespace zh {

std::vector<ComPortEntry> GetAvailableComPorts(Logger& log) {
    log.DebugLog(QStringLiteral(">>> GetAvailableComPorts()"), 4);
    std::vector<ComPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ComPortEntry e;
        e.name = info.systemLocation();
        e.label =
            info.portName() + (info.description().isEmpty()
                                   ? QString()
                                   : QStringLiteral(" (") + info.description() + QLatin1Char(')'));
        ports.push_back(e);
    }
    std::sort(ports.begin(), ports.end(),
              [](const ComPortEntry& a, const ComPortEntry& b) { return a.name < b.name; });
    ports.push_back({QStringLiteral("Sim"), QStringLiteral("Sim (device simulator)"), 0});
    for (std::size_t i = 0; i < ports.size(); ++i) ports[i].menuId = 5000 + static_cast<int>(i);
    return ports;
}

}  // namespace zh
