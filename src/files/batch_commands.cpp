#include "batch_commands.h"

#include <QFileInfo>
#include <cstdio>
#include <utility>

#include "app/number_text.h"
#include "app/program.h"
#include "data_commands.h"
#include "data_file.h"
#include "device_comparison.h"
#include "device_core.h"
#include "model/write_fields.h"
#include "scan_command.h"
#include "universal_batch.h"
#include "universal_file.h"

namespace zh {
namespace {

void summary(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// The result with the device's own reason when it refused ("result 84:
// write protected (7)"), the port's when the modem went away, and why the
// port did not open (missing, not permitted, busy).
QString resultText(DeviceCore& core, int result) {
    QString text = QStringLiteral("result ") + QString::number(result);
    const ProgressSteps& progress = core.session.progress();
    if (result == kResultRefused || result == kResultWithheld || result == kResultDisconnected)
        text += QStringLiteral(": ") + progress.errorText(result, QString());
    else if (result == kResultNotConnected && !progress.lastError().isEmpty())
        text += QStringLiteral(": ") + progress.lastError();
    return text;
}

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART read <port> <file> [--address N]\n"
                 "       ZEL-HART write <file> <port> [all|changes] [--verify] [--address N]\n"
                 "       ZEL-HART compare <file> <port> [--address N]\n"
                 "       (a *.hrt file holds the universal data of any HART device)\n");
    return 2;
}

int readCommand(DeviceCore& core, const QString& port, const QString& fileArgument) {
    QString file = fileArgument;
    Program& p = core.program;
    core.defineFirstMeasurand();
    p.state.ComPort = port;
    const int read = core.read();
    if (read != 0 && core.session.ForeignDevice == 1) {
        summary(
            QStringLiteral("read %1 -> %2: failed, %3: not a device of this program; its universal "
                           "data go into a "
                           "*.%4 file")
                .arg(port, file, identityText(core.session.identity()), universalFileExtension()));
        return 1;
    }
    if (read != 0) {
        summary(
            QStringLiteral("read %1 -> %2: failed (%3)").arg(port, file, resultText(core, read)));
        return 1;
    }
    // The file takes the extension of the measurand read; a name with the
    // other measurand's extension would be misread when opened.
    const QString ext = QFileInfo(file).suffix();
    const QString own = extensionOfMeasurand(p, core.model.cal.Measurand);
    if (ext.isEmpty() && !own.isEmpty()) {
        file += QLatin1Char('.') + own;
    } else if (!own.isEmpty() && ext.compare(own, Qt::CaseInsensitive) != 0 &&
               !measurandOfExtension(p, ext).isEmpty()) {
        summary(QStringLiteral(
                    "read %1 -> %2: failed, the device measures %3: its data go into a *.%4 file")
                    .arg(port, file, core.model.cal.Measurand, own));
        return 1;
    }
    DataSession& data = core.data;
    data.file.extension = own.isEmpty() ? ext : own;
    const QString path = QFileInfo(file).absoluteFilePath();
    data.file.currentFile = path;
    data.file.currentDir = QFileInfo(path).absolutePath() + QLatin1Char('/');
    // The file named on the command line is the one to write: no requester.
    if (StoreData(data, QStringLiteral("save")) != 1) {
        summary(QStringLiteral("read %1 -> %2: read, but the file was not saved").arg(port, file));
        return 1;
    }
    summary(QStringLiteral("read %1 -> %2: ok (%3, %4)")
                .arg(port, file, p.state.TransmDisplay, core.model.cal.Measurand));
    return 0;
}

// The file is laid over what the device holds (the write reads it first in
// the same connection): "changes" sends only what differs, "all" sends
// everything, with what the file does not hold as the device has it.
int writeCommand(DeviceCore& core, const QString& file, const QString& port, bool changesOnly,
                 bool verify) {
    Program& p = core.program;
    core.defineFirstMeasurand();
    // The write connects at once; the file's load needs no connection test of its own.
    const auto testConnection = std::exchange(core.data.device.testConnection, nullptr);
    const int opened = OpenDataFile(core.data, QFileInfo(file).absoluteFilePath());
    core.data.device.testConnection = testConnection;
    if (opened != 1) {
        summary(QStringLiteral("write %1 -> %2: the file could not be opened").arg(file, port));
        return 1;
    }
    p.state.ComPort = port;
    const int written = core.write(changesOnly ? QStringLiteral("changes") : QStringLiteral("all"));
    if (written == kResultDryRun) {
        summary(QStringLiteral("write %1 -> %2: dry run, nothing sent (NoWrite is ON)")
                    .arg(file, port));
        return 1;
    }
    const QStringList& done = core.sequences.written();
    if (written != 0) {
        summary(QStringLiteral("write %1 -> %2: failed (%3)%4")
                    .arg(file, port, resultText(core, written))
                    .arg(done.isEmpty() ? QStringLiteral(", nothing written")
                                        : QStringLiteral(", written before the failure: ") +
                                              done.join(QLatin1Char(' '))));
        return 1;
    }
    QString detail = changesOnly ? QStringLiteral(", changes only") : QString();
    if (done.isEmpty()) detail += QStringLiteral(", nothing to write");
    const QString leftOut = core.sequences.leftOut();
    if (!leftOut.isEmpty())
        detail += QStringLiteral(", the device has no ") + leftOut +
                  QStringLiteral(": its part was left out");
    if (!core.sequences.notWritten().isEmpty())
        detail += QStringLiteral(", not written: ") + notWrittenText(core.sequences.notWritten());
    if (verify) {
        const Comparison check = verifyWrite(core);
        if (!check.failure.isEmpty() || !check.differences.empty()) {
            for (const QString& line : differenceLines(check.differences)) summary(line);
            summary(QStringLiteral("write %1 -> %2: failed, %3")
                        .arg(file, port,
                             check.failure.isEmpty()
                                 ? QStringLiteral("the device does not hold what was written: ") +
                                       differenceNames(check.differences)
                                 : check.failure));
            return 1;
        }
        detail += QStringLiteral(", verified");
    }
    summary(
        QStringLiteral("write %1 -> %2: ok (%3%4)").arg(file, port, p.state.TransmDisplay, detail));
    return 0;
}

// Reads the device once and lists where it differs from the data file:
// 0 when it holds the file's values, 1 when it differs, 2 when the file or
// the device could not be read.
int compareCommand(DeviceCore& core, const QString& file, const QString& port) {
    core.defineFirstMeasurand();
    core.program.state.ComPort = port;
    const Comparison c = compareDeviceWithFile(core, file);
    if (!c.failure.isEmpty()) {
        summary(
            QStringLiteral("compare %1 <-> %2: failed, %3")
                .arg(file, port, c.result != kResultOk ? resultText(core, c.result) : c.failure));
        return 2;
    }
    for (const QString& line : differenceLines(c.differences)) summary(line);
    if (c.differences.empty()) {
        summary(QStringLiteral("compare %1 <-> %2: the device holds the file's values (%3)")
                    .arg(file, port, core.program.state.TransmDisplay));
        return 0;
    }
    summary(QStringLiteral("compare %1 <-> %2: %3 field(s) differ (%4)")
                .arg(file, port)
                .arg(c.differences.size())
                .arg(core.program.state.TransmDisplay));
    return 1;
}

// Takes "--address N" (polling address 0..63) out of `arguments` into the
// state the connection uses; false for a missing or bad number.
bool takeAddress(QStringList& arguments, AppState& state) {
    const int at = arguments.indexOf(QStringLiteral("--address"));
    if (at < 0) return true;
    const QString text = arguments.value(at + 1).trimmed();
    if (!isDigits(text) || text.size() > 2 || text.toInt() > 63) return false;
    state.HartAddress = text.toInt();
    arguments.remove(at, 2);
    return arguments.indexOf(QStringLiteral("--address")) < 0;
}

// Takes `option` out of `arguments`; true when it was there.
bool takeFlag(QStringList& arguments, const QString& option) {
    return arguments.removeAll(option) > 0;
}

}  // namespace

bool isBatchCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) return false;
    const QString word = arguments.first().toLower();
    return word == QLatin1String("read") || word == QLatin1String("write") ||
           word == QLatin1String("scan") || word == QLatin1String("compare");
}

int runBatchCommand(DeviceCore& core, const QStringList& commandLine) {
    QStringList arguments = commandLine;
    if (!takeAddress(arguments, core.program.state)) return usage();
    const bool verify = takeFlag(arguments, QStringLiteral("--verify"));
    const QString word = arguments.value(0).toLower();
    if (word == QLatin1String("scan"))
        return runScanCommand(core.link, core.program.log, arguments);
    // An empty port (an unset variable in a script) would fall back to the
    // profile's port and read or write another device than the one meant.
    const int portAt = word == QLatin1String("read") ? 1 : 2;
    if (arguments.size() > portAt && arguments.at(portAt).trimmed().isEmpty()) return usage();
    if (verify && word != QLatin1String("write")) return usage();
    if (word == QLatin1String("compare") && arguments.size() == 3 &&
        !isUniversalFile(arguments.at(1)))
        return compareCommand(core, arguments.at(1), arguments.at(2));
    if (word == QLatin1String("read") && arguments.size() == 3) {
        if (isUniversalFile(arguments.at(2)))
            return readUniversalCommand(core, arguments.at(1), arguments.at(2));
        return readCommand(core, arguments.at(1), arguments.at(2));
    }
    if (word == QLatin1String("write") && isUniversalFile(arguments.value(1))) {
        // A universal data file is only ever written as changes.
        const bool changes =
            arguments.size() == 4 && arguments.at(3).toLower() == QLatin1String("changes");
        if ((arguments.size() != 3 && !changes) || verify) return usage();
        return writeUniversalCommand(core, arguments.at(1), arguments.at(2));
    }
    if (word == QLatin1String("write") && (arguments.size() == 3 || arguments.size() == 4)) {
        const QString scope = arguments.value(3, QStringLiteral("all")).toLower();
        if (scope != QLatin1String("all") && scope != QLatin1String("changes")) return usage();
        const bool changes = scope == QLatin1String("changes");
        return writeCommand(core, arguments.at(1), arguments.at(2), changes, verify);
    }
    return usage();
}

}  // namespace zh
