// The scan of polling addresses 0..15 against hartsim in real time on a
// pseudo-terminal, set against its floor on the wire:
//  - a silent address: its short command 0 on the wire, then the link's
//    quiet time RT1 (302.5 ms for a primary master) before the line is ours
//    again;
//  - an address that answers: every exchange's request, the device's
//    turnaround and answer, then HOLD (RT2 + 2 characters, 91.7 ms), the
//    other master's turn after each of our transactions.
// Goals: wall time at most 1.15 x the floor, and at most two requests to an
// address that stays silent. Ends with 1 when a goal is missed.
//
// Usage: bench_scan [hartsim options; default: a HART 7 device at address 3
//        and a HART 5 device at address 9]

#include <QElapsedTimer>
#include <QMap>
#include <QRegularExpression>
#include <cstdio>

#include "app/logger.h"
#include "bench_wire.h"
#include "hart/address_scan.h"

namespace {

constexpr double kMaxRatio = 1.15;
constexpr int kMaxSilentRequests = 2;

// Requests per polling address of the short command-0 frames in a log
// ("RX FF .. 02 8N 00 00 CC": the delimiter 02, the address byte with the
// master bit).
QMap<int, int> shortRequestsPerAddress(const QString& log) {
    static const QRegularExpression shortFrame(
        QStringLiteral("RX(?: FF)+ 02 ([0-9A-F]{2}) 00 00 [0-9A-F]{2}"));
    QMap<int, int> counts;
    for (auto it = shortFrame.globalMatch(log); it.hasNext();)
        ++counts[it.next().captured(1).toInt(nullptr, 16) & 0x3F];
    return counts;
}

}  // namespace

int main(int argc, char** argv) {
    char defaults[] = "identity=hart7,address=3;identity=hart5,address=9";
    char* withDefaults[] = {argv[0], defaults};
    if (argc < 2) {
        argc = 2;
        argv = withDefaults;
    }
    zh::bench::WireBench b(argc, argv);
    if (b.port().isEmpty()) {
        std::printf("hartsim did not start\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    QString failure;
    const QList<zh::ScanEntry> found = zh::scanAddresses(b.link, b.bench.program.log, b.port(), 0,
                                                         zh::kLastShortAddress, nullptr, &failure);
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (!failure.isEmpty()) std::printf("scan stopped: %s\n", qPrintable(failure));

    const QString log = zh::bench::LogTail(b.frameLog).next();
    zh::bench::FrameTally tally(b.options);
    tally.add(log);
    const int silent = tally.requests - tally.answers;
    const double floor = tally.wireSeconds() + silent * zh::bench::kQuietSeconds +
                         tally.answers * zh::bench::kHoldSeconds;
    const double ratio = wall / floor;

    int worstSilent = 0;
    const QMap<int, int> perAddress = shortRequestsPerAddress(log);
    QStringList answered;
    for (const zh::ScanEntry& e : found) answered << QString::number(e.address);
    for (auto it = perAddress.cbegin(); it != perAddress.cend(); ++it)
        if (!answered.contains(QString::number(it.key())))
            worstSilent = std::max(worstSilent, it.value());

    std::printf("scan 0-15: %d devices found (addresses %s)\n", static_cast<int>(found.size()),
                qPrintable(answered.join(QLatin1Char(' '))));
    std::printf("requests %d, answered %d, silent %d; at most %d requests to a silent address\n",
                tally.requests, tally.answers, silent, worstSilent);
    std::printf(
        "wall %.2f s, floor %.2f s (wire %.2f s + RT1 per silent request + HOLD per "
        "answer), ratio %.3f (goal <= %.2f)\n",
        wall, floor, tally.wireSeconds(), ratio, kMaxRatio);
    const bool ok = ratio <= kMaxRatio && worstSilent <= kMaxSilentRequests && !found.isEmpty();
    std::printf("%s\n", ok ? "ok" : "GOAL MISSED");
    return ok ? 0 : 1;
}
