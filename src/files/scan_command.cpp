#include "scan_command.h"

#include <cstdio>

#include "hart/address_scan.h"

namespace zh {
namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART scan <port> [--to N]   (N: last polling address, 0..63)\n");
    return 2;
}

// "--to N" with N a polling address; 15 without it; -2 when wrong.
int lastAddressOf(const QStringList& options) {
    if (options.isEmpty()) return kLastShortAddress;
    if (options.size() != 2 || options.first() != QLatin1String("--to")) return -2;
    bool ok = false;
    const int to = options.at(1).toInt(&ok);
    return ok && to >= 0 && to <= kLastAddress ? to : -2;
}

}  // namespace

int runScanCommand(LinkLibrary& link, Logger& log, const QStringList& arguments) {
    const QString port = arguments.value(1).trimmed();
    const int to = lastAddressOf(arguments.mid(2));
    if (port.isEmpty() || to == -2) return usage();
    QString failure;
    const QList<ScanEntry> found = scanAddresses(link, log, port, 0, to, nullptr, &failure);
    if (found.isEmpty() && !failure.isEmpty()) {
        std::fprintf(stderr, "scan %s: %s\n", port.toLocal8Bit().constData(),
                     failure.toLocal8Bit().constData());
        return 2;
    }
    QStringList lines;
    for (const ScanEntry& entry : found) lines << scanEntryText(entry);
    QString summary = QStringLiteral("scan %1, addresses 0-%2: ").arg(port).arg(to);
    summary += found.isEmpty()     ? QStringLiteral("no device answered")
               : found.size() == 1 ? QStringLiteral("1 device")
                                   : QStringLiteral("%1 devices").arg(found.size());
    if (!failure.isEmpty()) summary += QStringLiteral(", stopped: ") + failure;
    lines << summary;
    std::fputs((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toLocal8Bit().constData(),
               stdout);
    std::fflush(stdout);
    return found.isEmpty() ? 1 : 0;
}

}  // namespace zh
