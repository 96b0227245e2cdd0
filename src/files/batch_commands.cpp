#include "batch_commands.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <utility>

#include "app/number_text.h"
#include "app/program.h"
#include "data_commands.h"
#include "data_file.h"
#include "device_comparison.h"
#include "device_core.h"
#include "file_names.h"
#include "hart/response_codes.h"
#include "history_command.h"
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

// The result in words: the device's own reason when it refused ("result
// 84: write protected (7)"), the port's when the modem went away, why the
// port did not open (missing, not permitted, busy), otherwise what the code
// means, with the fault the line met ("result 3: communication error: no
// valid answer (bad check byte)").
QString resultText(DeviceCore& core, int result) {
    const ProgressSteps& progress = core.session.progress();
    const QString head = QStringLiteral("result ") + QString::number(result) + QStringLiteral(": ");
    if (result == kResultRefused || result == kResultWithheld || result == kResultDisconnected)
        return head + progress.errorText(result, QString());
    if (result == kResultNotConnected && !progress.lastError().isEmpty())
        return head + progress.lastError();
    // Which fault the line met, not only that it met one.
    if ((result == kResultCommunication || result == kResultNoResponse) &&
        !progress.linkFault().isEmpty())
        return resultWithText(result) + QStringLiteral(": ") + progress.linkFault();
    return resultWithText(result);
}

// The line with the status the device reported meanwhile, when it flagged
// anything and the line does not name it already (a refusal does).
QString withDeviceStatus(DeviceCore& core, const QString& line) {
    const QString note = deviceStatusNote(core.session.deviceStatus());
    return line.contains(note.mid(2)) ? line : line + note;
}

// What a failed write did to the device: the steps it acknowledged, and
// the one that went out without a usable answer.
QString failedWriteSteps(const DeviceSequences& sequences) {
    const QStringList& done = sequences.written();
    const QStringList& reached = sequences.mayHaveReached();
    QString text;
    if (!done.isEmpty())
        text += QStringLiteral(", written before the failure: ") + done.join(QLatin1Char(' '));
    if (!reached.isEmpty())
        text += QStringLiteral(", may have reached the device: ") + reached.join(QLatin1Char(' '));
    return text.isEmpty() ? QStringLiteral(", nothing written") : text;
}

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART read <port> <file> [--address N]\n"
                 "       ZEL-HART write <file> <port> [all|changes] [--verify] [--address N]\n"
                 "       ZEL-HART compare <file> <port> [--address N]\n"
                 "       ZEL-HART history <port|device-id> [--diff A B] [--address N]\n"
                 "       (a *.hrt file holds the universal data of any HART device)\n");
    return 2;
}

int readCommand(DeviceCore& core, const QString& port, const QString& file) {
    Program& p = core.program;
    // A name the file could not be saved under is refused before the device is read.
    if (const SaveName name = checkSaveName(file, QString(), QDir::currentPath()); name.refused()) {
        summary(QStringLiteral("read %1 -> %2: failed, ").arg(port, file) + name.refusalText(file));
        return 1;
    }
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
        summary(withDeviceStatus(
            core,
            QStringLiteral("read %1 -> %2: failed (%3)").arg(port, file, resultText(core, read))));
        return 1;
    }
    // The file takes the extension of the measurand read; a name with the
    // other measurand's extension would be misread when opened, one with any
    // other extension would not be opened at all.
    const QString ext = QFileInfo(file).suffix();
    const QString own = extensionOfMeasurand(p, core.model.cal.Measurand);
    if (!own.isEmpty() && ext.compare(own, Qt::CaseInsensitive) != 0 &&
        !measurandOfExtension(p, ext).isEmpty()) {
        summary(QStringLiteral(
                    "read %1 -> %2: failed, the device measures %3: its data go into a *.%4 file")
                    .arg(port, file, core.model.cal.Measurand, own));
        return 1;
    }
    const SaveName name = checkSaveName(file, own, QDir::currentPath());
    if (name.refused()) {
        summary(QStringLiteral("read %1 -> %2: failed, ").arg(port, file) + name.refusalText(file));
        return 1;
    }
    DataSession& data = core.data;
    data.file.extension = own.isEmpty() ? ext : own;
    const QString path = name.path;
    data.file.currentFile = path;
    data.file.currentDir = QFileInfo(path).absolutePath() + QLatin1Char('/');
    // The file named on the command line is the one to write: no requester.
    // The name as given, with the extension the file got.
    const QString saved = ext.isEmpty() && !own.isEmpty() ? file + QLatin1Char('.') + own : file;
    if (storeData(data, StoreTarget::File) != 1) {
        summary(QStringLiteral("read %1 -> %2: read, but the file was not saved").arg(port, saved));
        return 1;
    }
    summary(withDeviceStatus(
        core, QStringLiteral("read %1 -> %2: ok (%3, %4)")
                  .arg(port, saved, p.state.TransmDisplay, core.model.cal.Measurand)));
    keepDataReading(core, QStringLiteral("read"), port);
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
    const int opened = openDataFile(core.data, QFileInfo(file).absoluteFilePath());
    core.data.device.testConnection = testConnection;
    if (opened != 1) {
        summary(QStringLiteral("write %1 -> %2: the file could not be opened").arg(file, port));
        return 1;
    }
    p.state.ComPort = port;
    if (verify) core.sequences.keepLinkForReadBack();
    const int written = core.write(changesOnly ? WriteScope::Changes : WriteScope::All);
    if (written == kResultDryRun) {
        summary(QStringLiteral("write %1 -> %2: dry run, nothing sent (NoWrite is ON)")
                    .arg(file, port));
        return 1;
    }
    if (written != 0) {
        // The step's own reason where the result alone does not give it (an
        // answer with a code the step cannot take, such as update failure 8 to
        // the damping write, command 34).
        QString why = resultText(core, written);
        const QString& step = core.sequences.failedStep();
        if (written != kResultRefused && step.contains(QLatin1String(": ")))
            why += QStringLiteral("; ") + step;
        summary(
            withDeviceStatus(core, QStringLiteral("write %1 -> %2: failed (%3)%4")
                                       .arg(file, port, why, failedWriteSteps(core.sequences))));
        return 1;
    }
    QString detail = changesOnly ? QStringLiteral(", changes only") : QString();
    if (core.sequences.written().isEmpty()) detail += QStringLiteral(", nothing to write");
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
    summary(withDeviceStatus(core, QStringLiteral("write %1 -> %2: ok (%3%4)")
                                       .arg(file, port, p.state.TransmDisplay, detail)));
    keepDataReading(core, QStringLiteral("write"), port);
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
        summary(withDeviceStatus(
            core,
            QStringLiteral("compare %1 <-> %2: failed, %3")
                .arg(file, port, c.result != kResultOk ? resultText(core, c.result) : c.failure)));
        return 2;
    }
    for (const QString& line : differenceLines(c.differences)) summary(line);
    if (c.differences.empty()) {
        summary(withDeviceStatus(
            core, QStringLiteral("compare %1 <-> %2: the device holds the file's values (%3)")
                      .arg(file, port, core.program.state.TransmDisplay)));
        return 0;
    }
    summary(withDeviceStatus(core, QStringLiteral("compare %1 <-> %2: %3 field(s) differ (%4)")
                                       .arg(file, port)
                                       .arg(c.differences.size())
                                       .arg(core.program.state.TransmDisplay)));
    return 1;
}

// The first option left in `arguments` that the command does not take
// ("--to N" is scan's); "" when there is none. Without this an option
// misspelt would be read as a file or a port.
QString unknownOption(const QStringList& arguments, bool scan) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (scan && a == QLatin1String("--to")) {
            ++i;
            continue;
        }
        if (a.size() > 1 && a.startsWith(QLatin1Char('-'))) return a;
    }
    return QString();
}

// Takes `option` out of `arguments`; true when it was there.
bool takeFlag(QStringList& arguments, const QString& option) {
    return arguments.removeAll(option) > 0;
}

}  // namespace

bool takeAddress(QStringList& arguments, AppState& state) {
    const int at = arguments.indexOf(QStringLiteral("--address"));
    if (at < 0) return true;
    const QString text = arguments.value(at + 1).trimmed();
    if (!isDigits(text) || text.size() > 2 || text.toInt() > 63) return false;
    state.HartAddress = text.toInt();
    arguments.remove(at, 2);
    return arguments.indexOf(QStringLiteral("--address")) < 0;
}

bool isBatchCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) return false;
    const QString word = arguments.first().toLower();
    return word == QLatin1String("read") || word == QLatin1String("write") ||
           word == QLatin1String("scan") || word == QLatin1String("compare") ||
           word == QLatin1String("history");
}

int runBatchCommand(DeviceCore& core, const QStringList& commandLine) {
    QStringList arguments = commandLine;
    if (!takeAddress(arguments, core.program.state)) return usage();
    const QString word = arguments.value(0).toLower();
    if (word == QLatin1String("history")) return runHistoryCommand(core, arguments);
    const bool verify = takeFlag(arguments, QStringLiteral("--verify"));
    if (const QString option = unknownOption(arguments, word == QLatin1String("scan"));
        !option.isEmpty()) {
        std::fprintf(stderr, "unknown option %s\n", option.toLocal8Bit().constData());
        return usage();
    }
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
