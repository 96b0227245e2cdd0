#include "history_command.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "data_commands.h"
#include "data_file.h"
#include "device_core.h"
#include "hart/device_identity.h"
#include "history/history_store.h"
#include "reading_changes.h"

namespace zh {
namespace {

void say(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void complain(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART history <port|device-id> [--diff A B] [--address N]\n"
                 "       (A and B: reading numbers as listed, or dates as 2026-12-09[T10:15])\n");
    return 2;
}

// The history is the program's own bookkeeping: the debug log shows the
// read or write, not the profile looked up or the copy kept of it.
class QuietLog {
  public:
    explicit QuietLog(Logger& log) : log_(log), threshold_(log.threshold()) {
        log_.setThreshold(0);
    }
    ~QuietLog() { log_.setThreshold(threshold_); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

  private:
    Logger& log_;
    int threshold_;
};

QString historyFolder(const Program& p, const QString& deviceName) {
    return historyRoot(p.state) + QLatin1Char('/') + deviceName;
}

// What changed from reading `a` to reading `b`: one line per change, or a
// single line saying why they cannot be compared.
QStringList changeLines(const DeviceCore& core, const DeviceHistory& h, const HistoryReading& a,
                        const HistoryReading& b) {
    const ReadingChanges c = readingChanges(core, h, a, b);
    if (!c.failure.isEmpty()) return {QStringLiteral("not comparable: ") + c.failure};
    QStringList lines;
    for (const ReadingChange& change : c.changes) lines << changeLine(change);
    return lines;
}

QString headOf(const HistoryReading& r) {
    QString head = QStringLiteral("%1 %2 %3 %4")
                       .arg(r.number)
                       .arg(r.when.toString(QStringLiteral("yyyy-MM-dd hh:mm")), r.what, r.port);
    if (!r.tag.isEmpty()) head += QStringLiteral(" (") + r.tag + QLatin1Char(')');
    return head;
}

int listReadings(DeviceCore& core, const DeviceHistory& h,
                 const std::vector<HistoryReading>& list) {
    for (size_t i = 0; i < list.size(); ++i) {
        const QString head = headOf(list[i]);
        if (i == 0) {
            say(head + QStringLiteral(": first reading kept"));
            continue;
        }
        const QStringList c = changeLines(core, h, list[i - 1], list[i]);
        say(head + QStringLiteral(": ") +
            (c.isEmpty() ? QStringLiteral("no change") : c.join(QStringLiteral("; "))));
    }
    return 0;
}

int diffReadings(DeviceCore& core, const DeviceHistory& h, const std::vector<HistoryReading>& list,
                 const QString& keyA, const QString& keyB) {
    const HistoryReading* a = findReading(list, keyA);
    const HistoryReading* b = findReading(list, keyB);
    if (!a || !b) {
        complain(QStringLiteral("history %1: no reading %2").arg(h.folder(), a ? keyB : keyA));
        return 1;
    }
    const QStringList c = changeLines(core, h, *a, *b);
    for (const QString& line : c) say(line);
    say(QStringLiteral("history: %1 -> %2: %3")
            .arg(headOf(*a), headOf(*b),
                 c.isEmpty() ? QStringLiteral("no change")
                             : QStringLiteral("%1 change(s)").arg(c.size())));
    return 0;
}

// The device's folder name: as given, or from the identity of the device at `port`.
QString deviceNameOf(DeviceCore& core, const QString& given) {
    const QString root = historyRoot(core.program.state);
    if (QFileInfo(root + QLatin1Char('/') + given).isDir() && !given.contains(QLatin1Char('/')))
        return given;
    core.program.state.ComPort = given;
    const bool connected = core.session.connectDevice(given, -1, ConnectScope::Universal) == 1;
    const QString name = connected ? historyFolderName(core.session.identity()) : QString();
    if (connected) core.session.disconnectDevice();
    return name;
}

}  // namespace

QString historyFolderName(const DeviceIdentity& identity) {
    if (!identity.valid) return QString();
    return QString::asprintf("%02X-%02X-%06X", static_cast<unsigned>(identity.manufacturer),
                             static_cast<unsigned>(identity.deviceType),
                             static_cast<unsigned>(identity.deviceId));
}

QString deviceHistoryFolder(const DeviceCore& core) {
    const QString name = historyFolderName(core.session.identity());
    return name.isEmpty() ? QString() : historyFolder(core.program, name);
}

int keptReadings(Program& p) {
    return historyKeep(p.profile.readProfile(QStringLiteral("History"), QStringLiteral("Keep"),
                                             QString(), p.state.ProfilePath));
}

QString keepHistoryReading(DeviceCore& core, const QString& what, const QString& port,
                           const QString& tag, const QString& extension,
                           const std::function<bool(const QString& path)>& writeFile) {
    Program& p = core.program;
    const QuietLog quiet(p.log);
    const int keep = keptReadings(p);
    if (keep == 0) return QString();
    const QString folder = deviceHistoryFolder(core);
    if (folder.isEmpty()) {
        const QString why = QStringLiteral("history: not kept, the device's identity is unknown");
        complain(why);
        return why;
    }
    HistoryReading r;
    r.when = QDateTime::currentDateTime();
    r.what = what;
    r.port = port;
    r.tag = tag;
    QString error;
    DeviceHistory h(folder);
    if (h.add(r, extension, writeFile, keep, &error)) return QString();
    const QString why = QStringLiteral("history: not kept, ") + error;
    complain(why);
    return why;
}

QString keepDataReading(DeviceCore& core, const QString& what, const QString& port) {
    const int tagAt = core.model.fields.find(QStringLiteral("TagID"));
    const QString tag = tagAt < 0 ? QString() : core.model.fields.at(tagAt).Content.trimmed();
    QString ext = extensionOfMeasurand(core.program, core.model.cal.Measurand);
    if (ext.isEmpty()) ext = core.data.file.extension;
    return keepHistoryReading(core, what, port, tag, ext, [&core](const QString& path) {
        return writeDataFile(core.data, path) == 1;
    });
}

int runHistoryCommand(DeviceCore& core, const QStringList& arguments) {
    QStringList args = arguments;
    const int diffAt = args.indexOf(QStringLiteral("--diff"));
    QString keyA, keyB;
    if (diffAt >= 0) {
        if (args.size() < diffAt + 3) return usage();
        keyA = args.at(diffAt + 1);
        keyB = args.at(diffAt + 2);
        args.remove(diffAt, 3);
    }
    if (args.size() != 2 || args.at(1).trimmed().isEmpty()) return usage();
    core.defineFirstMeasurand();
    const QString given = args.at(1);
    const QString name = deviceNameOf(core, given);
    if (name.isEmpty()) {
        say(QStringLiteral("history %1: failed, no device answered and no history is kept "
                           "under that name")
                .arg(given));
        return 1;
    }
    const DeviceHistory h(historyFolder(core.program, name));
    const std::vector<HistoryReading> list = h.readings();
    if (list.empty()) {
        say(QStringLiteral("history %1: no readings kept of %2 (%3)").arg(given, name, h.folder()));
        return 1;
    }
    if (diffAt >= 0) return diffReadings(core, h, list, keyA, keyB);
    return listReadings(core, h, list);
}

}  // namespace zh
