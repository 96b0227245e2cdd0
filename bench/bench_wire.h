#pragma once
// The wire as the benchmarks count it: hartsim on a pseudo-terminal in real
// time, its frame log, and the wire time of the frames in it (every byte at
// 11 bits / 1200 bit/s, plus the device's turn-around per answer).

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <memory>

#include "app/profile_settings.h"
#include "bench_program.h"
#include "hart/link_library.h"

namespace zh::bench {

constexpr double kCharSeconds = 11.0 / 1200.0;  // 9.167 ms per character
constexpr double kTurnaroundSeconds = 0.020;    // hartsim's default
// What the loop-sharing rules make a primary master wait between frames:
// HOLD after the answer to its own request (the other master's turn), and
// RT1 of quiet after a request without answer, or before the first request
// after it opened the port.
constexpr double kHoldSeconds = 10 * kCharSeconds;   // RT2 + 2 characters: 91.7 ms
constexpr double kQuietSeconds = 33 * kCharSeconds;  // RT1: 302.5 ms

// hartsim --pty --realtime, logging every frame to `logPath`, with `extra`
// arguments; `path` is the port to open (empty when it did not start).
class RealtimeSim {
  public:
    RealtimeSim(const QString& logPath, const QStringList& extra = {}) {
        sim_.start(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"),
                   QStringList{QStringLiteral("--pty"), QStringLiteral("--realtime"),
                               QStringLiteral("--seconds"), QStringLiteral("600"),
                               QStringLiteral("--log"), logPath} +
                       extra);
        if (sim_.waitForStarted(5000) && sim_.waitForReadyRead(5000))
            path = QString::fromLocal8Bit(sim_.readLine()).trimmed();
    }
    ~RealtimeSim() {
        sim_.terminate();
        sim_.waitForFinished(3000);
    }
    RealtimeSim(const RealtimeSim&) = delete;
    RealtimeSim& operator=(const RealtimeSim&) = delete;

    QString path;

  private:
    QProcess sim_;
};

// The frames of a stretch of hartsim's log: requests it received (RX) and
// answers it sent (TX), with their bytes, preambles included.
struct FrameTally {
    int requests = 0;
    int answers = 0;
    long bytes = 0;
    long answerBytes = 0;
    QStringList commands;  // per request: its command, "191/n" for a block, "192/n" an action
    QList<int> codes;      // per request: the response code of its answer (-1: none)
    double turnaround = kTurnaroundSeconds;  // the device's, per answer

    // With the turnaround hartsim was given in its `options` ("turnaround=MS").
    explicit FrameTally(const QString& options = QString()) {
        static const QRegularExpression given(QStringLiteral("(?:^|,)turnaround=(\\d+)"));
        const auto m = given.match(options);
        if (m.hasMatch()) turnaround = m.captured(1).toDouble() / 1000.0;
    }

    void add(const QString& log) {
        static const QRegularExpression frame(QStringLiteral("(RX|TX)((?: [0-9A-F]{2})+)"));
        for (auto it = frame.globalMatch(log); it.hasNext();) {
            const auto m = it.next();
            const bool request = m.captured(1) == QLatin1String("RX");
            const QStringList b = m.captured(2).trimmed().split(QLatin1Char(' '));
            bytes += b.size();
            int i = 0;
            while (i < b.size() && b[i] == QLatin1String("FF")) ++i;
            // The delimiter's top bit: a 5-byte address instead of 1 byte.
            const bool longFrame = i < b.size() && (b[i].toInt(nullptr, 16) & 0x80) != 0;
            const int at = i + (longFrame ? 6 : 2);  // the command byte
            if (!request) {
                ++answers;
                answerBytes += b.size();
                if (!codes.isEmpty() && at + 2 < b.size())
                    codes.last() = b[at + 2].toInt(nullptr, 16);
                continue;
            }
            ++requests;
            codes << -1;
            QString c =
                at < b.size() ? QString::number(b[at].toInt(nullptr, 16)) : QStringLiteral("?");
            if ((c == QLatin1String("190") || c == QLatin1String("191") ||
                 c == QLatin1String("192")) &&
                at + 2 < b.size())
                c += QLatin1Char('/') + QString::number(b[at + 2].toInt(nullptr, 16));
            commands << c;
        }
    }
    // Requests and answers as the wire carries them.
    double wireSeconds() const { return bytes * kCharSeconds + answers * turnaround; }
    // The wire time of a run of exchanges after the port opened, with the
    // waits the loop's rules demand: RT1 before the first request, HOLD
    // between an answer and the next request.
    // A cycle of polling: each exchange followed by HOLD.
    double cycleSeconds() const { return wireSeconds() + answers * kHoldSeconds; }
    double linkSeconds() const {
        return wireSeconds() + kQuietSeconds + std::max(answers - 1, 0) * kHoldSeconds;
    }
    // The answers alone, for a hartsim that paces only what it sends.
    double answerWireSeconds() const { return answerBytes * kCharSeconds + answers * turnaround; }
};

// Reads what a log file gained since the last call.
class LogTail {
  public:
    explicit LogTail(const QString& path) : file_(path) {}
    QString next() {
        if (!file_.isOpen() && !file_.open(QIODevice::ReadOnly)) return QString();
        return QString::fromLatin1(file_.readAll());
    }

  private:
    QFile file_;
};

// What a benchmark of the wire starts from: the program with its profile,
// logging off, hartsim in real time with the device options of the command
// line (argv[1]), logging its frames, and the master library loaded.
struct WireBench {
    WireBench(int argc, char** argv) : options(argc > 1 ? QString::fromLocal8Bit(argv[1]) : "") {
        readProfileFile(bench.program);
        bench.program.log.setThreshold(0);
        frameLog = bench.dir.filePath(QStringLiteral("frames.log"));
        QStringList arguments;
        if (!options.isEmpty()) arguments << QStringLiteral("--options") << options;
        sim = std::make_unique<RealtimeSim>(frameLog, arguments);
        link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so"));
    }
    // The port to open; "" when hartsim did not start.
    const QString& port() const { return sim->path; }

    BenchProgram bench;
    QString options;  // hartsim's device options, "" for its defaults
    QString frameLog;
    std::unique_ptr<RealtimeSim> sim;
    LinkLibrary link{bench.program.log};
    EndingProbe probe;  // the probe process is not part of the exchange being measured
};

}  // namespace zh::bench
