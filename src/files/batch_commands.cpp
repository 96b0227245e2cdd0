#include "batch_commands.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>

#include "app/program.h"
#include "data_commands.h"
#include "data_file.h"
#include "data_session.h"
#include "hart/hart_session.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/read_write_sequences.h"

namespace zh {
namespace {

void summary(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// The file and the device show the same value: the same text, or the same
// number to the last decimal either shows ("10" in a file and "10.00" read).
bool sameValue(const QString& inFile, const QString& onDevice) {
    if (inFile == onDevice) return true;
    bool a = false, b = false;
    const double x = inFile.trimmed().toDouble(&a);
    const double y = onDevice.trimmed().toDouble(&b);
    if (!a || !b) return false;
    auto decimals = [](const QString& t) {
        const int dot = t.indexOf(QLatin1Char('.'));
        return dot < 0 ? 0 : static_cast<int>(t.trimmed().size()) - dot - 1;
    };
    const int d = std::max(decimals(inFile), decimals(onDevice));
    return std::fabs(x - y) <= 0.5 * std::pow(10.0, -d);
}

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART read <port> <file>\n"
                 "       ZEL-HART write <file> <port> [changes]\n");
    return 2;
}

// What the profile says to expect: "transmitter", "display" or both.
QString targetOf(const AppState& s) {
    const QString t = s.TransmitterDisplay;
    return t == QLatin1String("transmitter") || t == QLatin1String("display") ? t : QStringLiteral("all");
}

void buildFieldTable(Program& p, DeviceModel& model) {
    const AppState& s = p.state;
    if (!s.MeasurandList.empty()) model.cal.Measurand = s.MeasurandList.front().Name;
    DefDataStruc(model, s.MeasurandList.empty() ? QStringLiteral("[-]") : s.MeasurandList.front().BaseUnit, 0, -11);
}

int readCommand(Program& p, LinkLibrary& link, ConnectionProbe& probe, const QString& port, const QString& file) {
    DeviceModel model(p);
    buildFieldTable(p, model);
    HartSession session(p, link, probe);
    p.state.ComPort = port;
    DeviceSequences sequences(model, session, link);
    const int read = sequences.HartRead(targetOf(p.state) + QStringLiteral(" all"));
    if (read != 0) {
        summary(QStringLiteral("read %1 -> %2: failed (result %3)").arg(port, file).arg(read));
        return 1;
    }
    DataSession data(model);
    const QString path = QFileInfo(file).absoluteFilePath();
    data.file.currentFile = path;
    data.file.currentDir = QFileInfo(path).absolutePath() + QLatin1Char('/');
    // The file named on the command line is the one to write: no requester.
    if (StoreData(data, QStringLiteral("save")) != 1) {
        summary(QStringLiteral("read %1 -> %2: read, but the file was not saved").arg(port, file));
        return 1;
    }
    summary(QStringLiteral("read %1 -> %2: ok (%3, %4)").arg(port, file, p.state.TransmDisplay, model.cal.Measurand));
    return 0;
}

int writeCommand(Program& p, LinkLibrary& link, ConnectionProbe& probe, const QString& file, const QString& port,
                 bool changesOnly) {
    DeviceModel model(p);
    buildFieldTable(p, model);
    DataSession data(model);
    if (OpenDataFile(data, QFileInfo(file).absoluteFilePath()) != 1) {
        summary(QStringLiteral("write %1 -> %2: the file could not be opened").arg(file, port));
        return 1;
    }
    HartSession session(p, link, probe);
    p.state.ComPort = port;
    DeviceSequences sequences(model, session, link);
    const QString target = targetOf(p.state);

    if (changesOnly) {
        // "Changes" are what differs from the device: read it for the
        // comparison, then put the file's values back.
        std::vector<FieldRecord> fromFile;
        for (int i = 1; i <= model.fields.count(); ++i) fromFile.push_back(model.fields.at(i));
        const int read = sequences.HartRead(target + QStringLiteral(" all"));
        if (read != 0) {
            summary(QStringLiteral("write %1 -> %2: the device could not be read for comparison (result %3)")
                        .arg(file, port)
                        .arg(read));
            return 1;
        }
        // A field is changed when the file shows another content than the
        // device; the others keep the device's exact raw value (a content
        // with fewer decimals than the device's counts would otherwise
        // resend values nobody changed).
        for (std::size_t i = 0; i < fromFile.size(); ++i) {
            FieldRecord& r = model.fields.at(static_cast<int>(i) + 1);
            // A field the file does not hold keeps what the device has.
            if (!isSavedField(data, r) || sameValue(fromFile[i].Content, r.Content)) continue;
            r.Content = fromFile[i].Content;
            r.RawVal = fromFile[i].RawVal;
            r.BaseValue = fromFile[i].BaseValue;
            r.setColourState(ColourChanged);
        }
    }
    const int written = sequences.HartWrite(target + (changesOnly ? QStringLiteral(" changes") : QStringLiteral(" all")));
    if (written != 0) {
        summary(QStringLiteral("write %1 -> %2: failed (result %3)").arg(file, port).arg(written));
        return 1;
    }
    summary(QStringLiteral("write %1 -> %2: ok (%3%4)")
                .arg(file, port, p.state.TransmDisplay, changesOnly ? QStringLiteral(", changes only") : QString()));
    return 0;
}

}  // namespace

bool isBatchCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) return false;
    const QString word = arguments.first().toLower();
    return word == QLatin1String("read") || word == QLatin1String("write");
}

int runBatchCommand(Program& p, LinkLibrary& link, ConnectionProbe& probe, const QStringList& arguments) {
    const QString word = arguments.value(0).toLower();
    if (word == QLatin1String("read") && arguments.size() == 3) {
        return readCommand(p, link, probe, arguments.at(1), arguments.at(2));
    }
    if (word == QLatin1String("write") && (arguments.size() == 3 || arguments.size() == 4)) {
        const bool changes = arguments.size() == 4;
        if (changes && arguments.at(3).toLower() != QLatin1String("changes")) return usage();
        return writeCommand(p, link, probe, arguments.at(1), arguments.at(2), changes);
    }
    return usage();
}

}  // namespace zh
