#include "scan_command.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "hart/address_scan.h"

namespace zh {
namespace {

volatile std::sig_atomic_t g_stopScan = 0;
void onInterrupt(int) {
    g_stopScan = 1;
}

// Ctrl+C during a scan stops it after the address being asked, and the
// devices found so far are still listed; outside the scan it ends the
// program as usual.
class InterruptStopsScan {
  public:
    InterruptStopsScan() {
        g_stopScan = 0;
        previous_ = std::signal(SIGINT, onInterrupt);
    }
    ~InterruptStopsScan() { std::signal(SIGINT, previous_); }
    InterruptStopsScan(const InterruptStopsScan&) = delete;
    InterruptStopsScan& operator=(const InterruptStopsScan&) = delete;

  private:
    void (*previous_)(int) = SIG_DFL;
};

// On a terminal, the address being asked, overwritten in place.
void showProgress(int address, int last) {
    if (::isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\rscanning address %d of 0-%d (Ctrl+C stops) ", address, last);
    std::fflush(stderr);
}

void endProgress() {
    if (::isatty(STDERR_FILENO) == 0) return;
    std::fprintf(stderr, "\r%50s\r", "");
    std::fflush(stderr);
}

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
    bool stopped = false;
    int last = to;  // the last address asked
    QList<ScanEntry> found;
    {
        const InterruptStopsScan interrupt;
        found = scanAddresses(
            link, log, port, 0, to,
            [&](int address) {
                stopped = g_stopScan != 0;
                if (stopped) return false;
                last = address;
                showProgress(address, to);
                return true;
            },
            &failure);
        endProgress();
    }
    if (found.isEmpty() && !failure.isEmpty()) {
        std::fprintf(stderr, "scan %s: %s\n", port.toLocal8Bit().constData(),
                     failure.toLocal8Bit().constData());
        return 2;
    }
    QStringList lines;
    for (const ScanEntry& entry : found) lines << scanEntryText(entry);
    QString summary = QStringLiteral("scan %1, addresses 0-%2: ").arg(port).arg(last);
    summary += found.isEmpty()     ? QStringLiteral("no device answered")
               : found.size() == 1 ? QStringLiteral("1 device")
                                   : QStringLiteral("%1 devices").arg(found.size());
    if (!failure.isEmpty()) summary += QStringLiteral(", stopped: ") + failure;
    if (stopped) summary += QStringLiteral(", stopped by the user");
    lines << summary;
    std::fputs((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toLocal8Bit().constData(),
               stdout);
    std::fflush(stdout);
    return found.isEmpty() ? 1 : 0;
}

}  // namespace zh
