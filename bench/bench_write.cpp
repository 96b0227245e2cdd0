// Writes of a data file against hartsim in real-time mode over a pseudo-
// terminal, as the batch command runs them (the device is read first in the
// same connection, the file laid over it): write all, write changes with
// one field changed, and the same with the check after it (--verify).
// hartsim paces both directions as a modem would (see bench_read).
//
// Per case: the frames exchanged, their wire time (every byte in both
// directions at 11 bits / 1200 bit/s, plus the device's turnaround per
// answer), the pauses the display module is given after its EEPROM copy
// (250 ms, and 2 s more before its limit switches are re-initialised: the
// module's time, not the line's), the wall time, wall / wire and
// wall / (wire + those pauses). The connection probe, a second process, is
// left out.
//
// Goal: wall time at most 1.05 x (wire time + the module's pauses): the
// program adds next to nothing between frames. Ends with 1 when a case
// misses it or fails.
//
// Usage: bench_write [hartsim options, e.g. presence=transmitter]

#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

#include "bench_wire.h"
#include "files/batch_commands.h"
#include "files/device_core.h"
#include "hart/display_actions.h"

namespace {

constexpr double kMaxRatio = 1.05;

struct Case {
    const char* name;
    const char* setPoint;  // SetPoint1 put into the file first, or nullptr
    QStringList arguments;
};

// The module's pauses after the actions `t` holds: after every EEPROM copy,
// and before the limit switches' re-initialisation that follows it.
double modulePauseSeconds(const zh::bench::FrameTally& t) {
    double ms = 0;
    for (int i = 0; i < t.commands.size(); ++i) {
        if (t.commands[i] != QLatin1String("192/5")) continue;
        ms += zh::action::kAfterCopyMs;
        const QString next = t.commands.value(i + 1);
        if (next == QLatin1String("192/20") || next == QLatin1String("192/21"))
            ms += zh::action::kBeforeReinitMs;
    }
    return ms / 1000.0;
}

bool setInFile(const QString& path, const QString& key, const QString& value) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    QString text = QString::fromUtf8(f.readAll());
    f.close();
    const QRegularExpression line(QStringLiteral("(?m)^%1=.*$").arg(key));
    if (!text.contains(line)) return false;
    text.replace(line, key + QLatin1Char('=') + value);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(text.toUtf8()) > 0;
}

}  // namespace

int main(int argc, char** argv) {
    zh::bench::WireBench line(argc, argv);
    if (line.port().isEmpty()) {
        std::printf("hartsim did not start\n");
        return 1;
    }
    QDir::setCurrent(line.bench.dir.path());
    const QString& port = line.port();
    zh::DeviceCore core(line.bench.program, line.link, line.probe);
    zh::bench::LogTail log(line.frameLog);

    const QString file = QStringLiteral("device.cfp");
    if (zh::runBatchCommand(core, {QStringLiteral("read"), port, file}) != 0) {
        std::printf("the device could not be read into %s\n", file.toLocal8Bit().constData());
        return 1;
    }
    log.next();

    const QString write = QStringLiteral("write");
    const QString changes = QStringLiteral("changes");
    const Case cases[] = {
        {"write all", nullptr, {write, file, port, QStringLiteral("all")}},
        {"write changes (SetPoint1)", "10.4[bar]", {write, file, port, changes}},
        {"write changes (SetPoint1) --verify",
         "10.0[bar]",
         {write, file, port, changes, QStringLiteral("--verify")}},
    };
    bool met = true;
    for (const Case& c : cases) {
        if (c.setPoint &&
            !setInFile(file, QStringLiteral("SetPoint1"), QLatin1String(c.setPoint))) {
            std::printf("%s: SetPoint1 not found in %s\n", c.name, file.toLocal8Bit().constData());
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        const int result = zh::runBatchCommand(core, c.arguments);
        const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        zh::bench::FrameTally t(line.options);
        t.add(log.next());
        const double wire = t.wireSeconds();
        const double link = t.linkSeconds();
        const double pauses = modulePauseSeconds(t);
        const double ratio = wall / (link + pauses);
        const bool good = result == 0 && ratio <= kMaxRatio && t.requests == t.answers;
        met = met && good;
        std::printf(
            "%s: %d requests, %d answers (%ld bytes); wire %.2f s, with RT1 and HOLD %.2f s, "
            "module pauses %.2f s, wall %.2f s; wall/wire %.3f, wall/(wire+RT1+HOLD+pauses) %.3f "
            "(goal <= %.2f)%s\n",
            c.name, t.requests, t.answers, t.bytes, wire, link, pauses, wall, wall / wire, ratio,
            kMaxRatio, result == 0 ? "" : " FAILED");
        std::printf("  requests: %s\n",
                    t.commands.join(QLatin1Char(' ')).toLocal8Bit().constData());
    }
    std::printf("goal %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
