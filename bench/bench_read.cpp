// A full "all all" read against hartsim in real-time mode over a pseudo-
// terminal: its wall time against the wire time of the frames actually
// exchanged (every byte at 11 bits / 1200 bit/s plus the device's
// turn-around per answer), and the frames counted against what the sequence
// needs. Goal: at most 1.15 times the wire time, and not one frame more.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

#include "app/profile_settings.h"
#include "bench_program.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/read_write_sequences.h"

namespace {

constexpr double kCharSeconds = 11.0 / 1200.0;
constexpr double kTurnaroundSeconds = 0.020;  // hartsim's default

}  // namespace

int main() {
    zh::bench::BenchProgram bench;
    zh::Program& p = bench.program;
    zh::ReadProfileFile(p);
    p.log.setThreshold(0);
    const QString frameLog = bench.dir.filePath(QStringLiteral("frames.log"));

    QProcess sim;
    sim.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"), {QStringLiteral("--pty"), QStringLiteral("--realtime"),
                                                           QStringLiteral("--seconds"), QStringLiteral("300"),
                                                           QStringLiteral("--log"), frameLog});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::printf("hartsim did not start\n");
        return 1;
    }
    p.state.ComPort = QString::fromLocal8Bit(sim.readLine()).trimmed();

    zh::LinkLibrary link(p.log);
    link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so"));
    zh::bench::EndingProbe probe;  // the probe process is not part of the exchange being measured
    zh::HartSession session(p, link, probe);
    zh::DeviceModel model(p);
    model.cal.Measurand = QStringLiteral("Pressure");
    zh::DefDataStruc(model, QStringLiteral("[bar]"), 0, -11);
    zh::DeviceSequences sequences(model, session, link);

    QElapsedTimer timer;
    timer.start();
    const int result = sequences.HartRead(QStringLiteral("all all"));
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    sim.terminate();
    sim.waitForFinished(3000);
    if (result != 0) {
        std::printf("the read failed (result %d)\n", result);
        return 1;
    }

    // Every frame in both directions, from the device's own log.
    QFile f(frameLog);
    f.open(QIODevice::ReadOnly);
    const QString log = QString::fromLatin1(f.readAll());
    static const QRegularExpression frame(QStringLiteral("(RX|TX)((?: [0-9A-F]{2})+)"));
    int requests = 0, answers = 0;
    long bytes = 0, answerBytes = 0;
    QStringList commands;
    for (auto it = frame.globalMatch(log); it.hasNext();) {
        const auto m = it.next();
        const bool request = m.captured(1) == QLatin1String("RX");
        (request ? requests : answers)++;
        const QStringList b = m.captured(2).trimmed().split(QLatin1Char(' '));
        bytes += b.size();
        if (!request) answerBytes += b.size();
        if (request) {
            int i = 0;
            while (i < b.size() && b[i] == QLatin1String("FF")) ++i;
            const bool longFrame = i < b.size() && b[i] == QLatin1String("82");
            const int at = i + (longFrame ? 6 : 2);
            QString c = at < b.size() ? QString::number(b[at].toInt(nullptr, 16)) : QStringLiteral("?");
            if (c == QLatin1String("191") && at + 2 < b.size()) c += QLatin1Char('/') + QString::number(b[at + 2].toInt(nullptr, 16));
            commands << c;
        }
    }
    const double wire = bytes * kCharSeconds + answers * kTurnaroundSeconds;
    // A pty takes a request at once, so the answers are the part that runs
    // at wire speed.
    const double answerWire = answerBytes * kCharSeconds + answers * kTurnaroundSeconds;
    // Connect: command 0 (short frame, then once more as the library connects
    // for the session); detection: blocks 12 and 89, command 141; the read:
    // 141, 141, 15, 0, 142, 151 and eleven blocks plus the version check of
    // block 12 in the display part.
    std::printf("full read: %.2f s for %d requests and %d answers (%ld bytes); wire time %.2f s; ratio %.3f "
                "(goal <= 1.15)\n",
                seconds, requests, answers, bytes, wire, seconds / wire);
    std::printf("against the answers' wire time alone (%ld bytes): ratio %.3f\n", answerBytes, seconds / answerWire);
    std::printf("requests in order: %s\n", commands.join(QLatin1Char(' ')).toLocal8Bit().constData());
    std::printf("every request answered once: %s\n", requests == answers ? "yes" : "NO");
    std::printf("goal %s\n", seconds / wire <= 1.15 && requests == answers ? "met" : "MISSED");
    return 0;
}
