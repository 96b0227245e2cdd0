#include "reading_changes.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

#include "app/headless_gadgets.h"
#include "app/program.h"
#include "app/unattended_dialogs.h"
#include "device_comparison.h"
#include "device_core.h"
#include "hart/connection_probe.h"
#include "hart/link_library.h"
#include "history/history_store.h"
#include "universal_file.h"

namespace zh {
namespace {

// The readings' files are only opened: nothing connects.
class NoProbe final : public ConnectionProbe {
  public:
    Outcome run(const QString&, int) override { return Outcome::NotStarted; }
};

// A core of its own for opening the readings' files, beside the one whose
// data the person works on: no controls, no line, and dialogs that answer
// themselves, so that a file that cannot be opened says why in the failure
// instead of a message box over the window. Field captions as the window
// shows them.
struct SideCore {
    explicit SideCore(const DeviceCore& shown)
        : quiet(shown.program.dialogs),
          program(quiet, noControls, shown.program.clock),
          link(program.log),
          core(program, link, probe) {
        program.state = shown.program.state;
        program.log.setThreshold(0);
        core.model.hooks.caption = shown.model.hooks.caption;
        core.data.device.testConnection = nullptr;
        core.defineFirstMeasurand();
    }
    SideCore(const SideCore&) = delete;
    SideCore& operator=(const SideCore&) = delete;

    HeadlessGadgets noControls;  // declared before the program that uses them
    UnattendedDialogs quiet;
    Program program;
    LinkLibrary link;
    NoProbe probe;
    DeviceCore core;
};

// "key=value" of every section but the measured values, which change with
// every reading: "Universal/Damping" -> "2.0".
QMap<QString, QString> settingsOf(const QString& path) {
    QMap<QString, QString> items;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return items;
    QString section;
    for (const QString& raw : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && section != QLatin1String("Values"))
            items.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return items;
}

// A universal data file's items that differ: "Damping", "0.5", "2".
std::vector<ReadingChange> universalChanges(const QString& before, const QString& after) {
    const QMap<QString, QString> a = settingsOf(before);
    const QMap<QString, QString> b = settingsOf(after);
    QStringList keys = a.keys() + b.keys();
    keys.removeDuplicates();
    std::vector<ReadingChange> changes;
    for (const QString& key : keys) {
        const QString was = a.value(key, QStringLiteral("-"));
        const QString is = b.value(key, QStringLiteral("-"));
        if (was != is) changes.push_back({key, was, is});
    }
    return changes;
}

QString withUnit(const QString& value, const QString& unit) {
    return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

}  // namespace

ReadingChanges readingChanges(const DeviceCore& core, const DeviceHistory& h,
                              const HistoryReading& a, const HistoryReading& b) {
    const QString before = h.pathOf(a);
    const QString after = h.pathOf(b);
    const QString ext = universalFileExtension();
    const bool universalA = QFileInfo(before).suffix() == ext;
    ReadingChanges result;
    if (universalA != (QFileInfo(after).suffix() == ext)) {
        result.failure = QStringLiteral("universal data and the program's data");
        return result;
    }
    if (universalA) {
        result.changes = universalChanges(before, after);
        return result;
    }
    SideCore side(core);
    const Comparison c = compareDataFiles(side.core, before, after);
    result.failure = c.failure;
    // The message a file that could not be opened would have shown says why.
    if (!c.failure.isEmpty() && !side.quiet.lastFailure().isEmpty())
        result.failure += QStringLiteral(" (") + side.quiet.lastFailure() + QLatin1Char(')');
    for (const FieldDifference& d : c.differences)
        result.changes.push_back(
            {d.caption, withUnit(d.fileValue, d.unit), withUnit(d.deviceValue, d.unit)});
    return result;
}

QString changeLine(const ReadingChange& c) {
    return c.caption + QLatin1Char(' ') + c.before + QStringLiteral(" -> ") + c.after;
}

}  // namespace zh
