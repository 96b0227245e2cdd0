#include "universal_batch.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/program.h"
#include "device_core.h"
#include "file_names.h"
#include "hart/request_sender.h"
#include "hart/response_codes.h"
#include "history_command.h"
#include "universal_file.h"

namespace zh {
namespace {

void summary(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// One connection for any device; its identity is what the connection read.
class UniversalConnection {
  public:
    explicit UniversalConnection(DeviceCore& core)
        : core_(core), device_(core.program, core.session) {
        device_.tries = core.program.state.RequestTries;
    }
    ~UniversalConnection() {
        if (open_) core_.session.disconnectDevice();
    }
    bool open(const QString& port) {
        core_.program.state.ComPort = port;
        open_ = core_.session.connectDevice(port, -1, ConnectScope::Universal) == 1;
        return open_;
    }
    int read(UniversalData* data) {
        data->identity = core_.session.identity();
        return device_.readAll(data);
    }
    UniversalDevice& device() { return device_; }
    QString noConnection() const {
        return QStringLiteral("failed, no connection (polling address %1)")
            .arg(core_.program.state.HartAddress);
    }

  private:
    DeviceCore& core_;
    UniversalDevice device_;
    bool open_ = false;
};

// One write the file asks for: its words for the summary and whether the
// device (as last read) holds something else.
struct PlannedWrite {
    QString names;
    std::function<bool(const UniversalData&)> differs;
    std::function<int(UniversalDevice&, const UniversalData&)> run;
    bool reread = false;  // the device's other values change with it
};

template <typename T>
bool differsFrom(const std::optional<T>& wanted, const T& held) {
    return wanted && *wanted != held;
}

std::vector<PlannedWrite> plan(const UniversalSettings& w) {
    std::vector<PlannedWrite> writes;
    // Tag, descriptor and date go together (command 18): what the file
    // leaves out is sent as the device holds it.
    writes.push_back({QString(),
                      [w](const UniversalData& d) {
                          return differsFrom(w.tag, d.tag) ||
                                 differsFrom(w.descriptor, d.descriptor) ||
                                 differsFrom(w.date, d.date);
                      },
                      [w](UniversalDevice& u, const UniversalData& d) {
                          const QDate held = d.date.isValid() ? d.date : QDate::currentDate();
                          return u.writeTagDescriptorDate(w.tag.value_or(d.tag),
                                                          w.descriptor.value_or(d.descriptor),
                                                          w.date.value_or(held));
                      }});
    writes.push_back(
        {QStringLiteral("message"),
         [w](const UniversalData& d) { return differsFrom(w.message, d.message); },
         [w](UniversalDevice& u, const UniversalData&) { return u.writeMessage(*w.message); }});
    writes.push_back(
        {QStringLiteral("long tag"),
         [w](const UniversalData& d) { return differsFrom(w.longTag, d.longTag); },
         [w](UniversalDevice& u, const UniversalData&) { return u.writeLongTag(*w.longTag); }});
    // The PV unit before the range: a device converts its range values into
    // the new unit, and the range is then compared with what it holds.
    writes.push_back(
        {QStringLiteral("PV unit"),
         [w](const UniversalData& d) { return differsFrom(w.pvUnit, d.pvUnit); },
         [w](UniversalDevice& u, const UniversalData&) { return u.writePvUnit(*w.pvUnit); }, true});
    writes.push_back({QStringLiteral("range"),
                      [w](const UniversalData& d) {
                          return differsFrom(w.rangeUnit, d.rangeUnit) ||
                                 differsFrom(w.upperRange, d.upperRange) ||
                                 differsFrom(w.lowerRange, d.lowerRange);
                      },
                      [w](UniversalDevice& u, const UniversalData& d) {
                          return u.writeRange(w.rangeUnit.value_or(d.rangeUnit),
                                              w.upperRange.value_or(d.upperRange),
                                              w.lowerRange.value_or(d.lowerRange));
                      }});
    writes.push_back(
        {QStringLiteral("damping"),
         [w](const UniversalData& d) { return differsFrom(w.damping, d.damping); },
         [w](UniversalDevice& u, const UniversalData&) { return u.writeDamping(*w.damping); }});
    return writes;
}

// The names of command 18's items that differ ("tag, date").
QString tagItemNames(const UniversalSettings& w, const UniversalData& d) {
    QStringList names;
    if (differsFrom(w.tag, d.tag)) names << QStringLiteral("tag");
    if (differsFrom(w.descriptor, d.descriptor)) names << QStringLiteral("descriptor");
    if (differsFrom(w.date, d.date)) names << QStringLiteral("date");
    return names.join(QStringLiteral(", "));
}

// The packed texts written that the file has in small letters, as the
// device now holds them: "; written in capitals: tag PT-9".
QString capitalsNote(const UniversalSettings& w, const QStringList& written) {
    const std::pair<const char*, const std::optional<QString>*> texts[] = {
        {"tag", &w.tag}, {"descriptor", &w.descriptor}, {"message", &w.message}};
    const QStringList sent = written.join(QStringLiteral(", ")).split(QStringLiteral(", "));
    QStringList items;
    for (const auto& [word, value] : texts) {
        const QString name = QLatin1String(word);
        if (w.inCapitals.contains(name) && sent.contains(name) && *value)
            items << name + QLatin1Char(' ') + **value;
    }
    return items.isEmpty()
               ? QString()
               : QStringLiteral("; written in capitals: ") + items.join(QStringLiteral(", "));
}

// What a failed write did: the items written, and the one whose request
// went out without a usable answer (`reached`, "" for none).
QString writtenBefore(const QStringList& written, const QString& reached = QString()) {
    QString text;
    if (!written.isEmpty())
        text +=
            QStringLiteral(", written before the failure: ") + written.join(QStringLiteral(", "));
    if (!reached.isEmpty()) text += QStringLiteral(", may have reached the device: ") + reached;
    return text.isEmpty() ? QStringLiteral(", nothing written") : text;
}

}  // namespace

QString keepUniversalReading(DeviceCore& core, const QString& what, const QString& port,
                             const UniversalData& data) {
    return keepHistoryReading(core, what, port, data.tag, universalFileExtension(),
                              [&data](const QString& path) {
                                  QString error;
                                  return saveUniversalFile(path, data, &error);
                              });
}

bool isUniversalFile(const QString& file) {
    return QFileInfo(file).suffix().compare(universalFileExtension(), Qt::CaseInsensitive) == 0;
}

bool readUniversalData(DeviceCore& core, const QString& port, UniversalData* data,
                       QString* failure) {
    UniversalConnection connection(core);
    if (!connection.open(port)) {
        *failure = connection.noConnection();
        return false;
    }
    if (connection.read(data) != 0) {
        *failure = QStringLiteral("failed, ") + connection.device().lastFailure();
        return false;
    }
    return true;
}

int readUniversalCommand(DeviceCore& core, const QString& port, const QString& file) {
    const QString head = QStringLiteral("read %1 -> %2: ").arg(port, file);
    const SaveName name = checkSaveName(file, universalFileExtension(), QDir::currentPath());
    if (name.refused()) {
        summary(head + QStringLiteral("failed, ") + name.refusalText(file));
        return 1;
    }
    UniversalData data;
    QString error;
    if (!readUniversalData(core, port, &data, &error)) {
        summary(head + error);
        return 1;
    }
    if (!saveUniversalFile(name.path, data, &error)) {
        summary(head + QStringLiteral("read, but the file was not saved: ") + error);
        return 1;
    }
    summary(head + QStringLiteral("ok (") + identityText(data.identity, data.tag) +
            QLatin1Char(')') + deviceStatusNote(data.deviceStatus));
    keepUniversalReading(core, QStringLiteral("read"), port, data);
    return 0;
}

int writeUniversalCommand(DeviceCore& core, const QString& file, const QString& port) {
    const QString head = QStringLiteral("write %1 -> %2: ").arg(file, port);
    UniversalSettings wanted;
    QString error;
    if (!loadUniversalFile(QFileInfo(file).absoluteFilePath(), &wanted, &error)) {
        summary(head + QStringLiteral("failed, ") + error);
        return 1;
    }
    UniversalConnection connection(core);
    if (!connection.open(port)) {
        summary(head + connection.noConnection());
        return 1;
    }
    UniversalDevice& device = connection.device();
    UniversalData held;
    if (connection.read(&held) != 0) {
        summary(head + QStringLiteral("failed, reading the device: ") + device.lastFailure());
        return 1;
    }

    // A long tag came with HART 6: an older device is not asked to take one.
    QString notWritten;
    if (held.identity.universalRevision < 6 && differsFrom(wanted.longTag, held.longTag)) {
        notWritten = QStringLiteral("; not written: HART %1 has no long tag")
                         .arg(held.identity.universalRevision);
        wanted.longTag.reset();
    }

    QStringList written;
    std::vector<const PlannedWrite*> done;
    const std::vector<PlannedWrite> writes = plan(wanted);
    for (const PlannedWrite& step : writes) {
        if (!step.differs(held)) continue;
        const QString names = step.names.isEmpty() ? tagItemNames(wanted, held) : step.names;
        const int result = step.run(device, held);
        if (result == kResultNotSent) {
            summary(head + QStringLiteral("dry run, nothing sent (NoWrite is ON)"));
            return 1;
        }
        if (result != 0) {
            summary(head + QStringLiteral("failed, ") + device.lastFailure() +
                    writtenBefore(written, device.mayHaveReached() ? names : QString()) +
                    deviceStatusNote(held.deviceStatus));
            return 1;
        }
        written << names;
        done.push_back(&step);
        if (step.reread && device.readCommands(device.takeReadBack(), &held) != 0) {
            summary(head + QStringLiteral("failed, reading back: ") + device.lastFailure() +
                    writtenBefore(written));
            return 1;
        }
    }
    if (written.isEmpty()) {
        summary(head + QStringLiteral("ok (nothing to write, the device holds the file's values") +
                notWritten + QLatin1Char(')') + deviceStatusNote(held.deviceStatus));
        keepUniversalReading(core, QStringLiteral("write"), port, held);
        return 0;
    }
    // Read back what was written: each item must now be what the file says.
    if (device.readCommands(device.takeReadBack(), &held) != 0) {
        summary(head + QStringLiteral("failed, reading back: ") + device.lastFailure() +
                writtenBefore(written));
        return 1;
    }
    QStringList notTaken;
    for (std::size_t i = 0; i < done.size(); ++i)
        if (done[i]->differs(held)) notTaken << written.at(int(i));
    if (!notTaken.isEmpty()) {
        summary(head + QStringLiteral("failed, read back the device holds another ") +
                notTaken.join(QStringLiteral(", ")) + QStringLiteral(" than written; written: ") +
                written.join(QStringLiteral(", ")));
        return 1;
    }
    summary(head + QStringLiteral("ok (written: ") + written.join(QStringLiteral(", ")) +
            capitalsNote(wanted, written) + notWritten + QLatin1Char(')') +
            deviceStatusNote(held.deviceStatus));
    keepUniversalReading(core, QStringLiteral("write"), port, held);
    return 0;
}

}  // namespace zh
