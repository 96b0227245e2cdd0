#include "report/report_command.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <utility>

#include "app/program.h"
#include "files/batch_commands.h"
#include "files/data_commands.h"
#include "files/device_core.h"
#include "files/model_copy.h"
#include "files/universal_batch.h"
#include "files/universal_file.h"
#include "hart/device_identity.h"
#include "hart/response_codes.h"
#include "report/report_csv.h"
#include "report/report_file.h"
#include "report/service_record.h"

namespace zh {
namespace {

void summary(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

int usage() {
    std::fprintf(stderr,
                 "usage: ZEL-HART report <port|file> <out.pdf|out.csv> [--address N] "
                 "[--csv-locale c|desktop]\n"
                 "                       [--as-found <file>]\n");
    return 2;
}

// A source that names an existing file, or a file by its extension, is a
// file; anything else a port.
bool isFileSource(Program& p, const QString& source) {
    const QString ext = QFileInfo(source).suffix();
    return QFileInfo(source).isFile() || isUniversalFile(source) ||
           !measurandOfExtension(p, ext).isEmpty();
}

struct Outcome {
    bool ok = false;
    QString detail;  // "all, Pressure" for the summary, or why it failed
};

Outcome fromDataFile(DeviceCore& core, const QString& file, ServiceRecord* record) {
    core.defineFirstMeasurand();
    // Only loaded: the file's check needs no connection.
    const auto testConnection = std::exchange(core.data.device.testConnection, nullptr);
    const int opened = openDataFile(core.data, QFileInfo(file).absoluteFilePath());
    core.data.device.testConnection = testConnection;
    if (opened != 1) return {false, QStringLiteral("the file could not be opened")};
    *record = recordOfDevice(core, core.model);
    return {true,
            core.program.state.TransmDisplay + QStringLiteral(", ") + core.model.cal.Measurand};
}

Outcome fromUniversalFile(Program& p, const QString& file, ServiceRecord* record) {
    QString error;
    if (!recordOfUniversalFile(p, file, record, &error)) return {false, error};
    return {true, QStringLiteral("universal data")};
}

// A device of another maker: its universal data, through a file of them.
Outcome fromForeignDevice(DeviceCore& core, const QString& port, ServiceRecord* record) {
    UniversalData data;
    QString error;
    if (!readUniversalData(core, port, &data, &error)) return {false, error};
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("device.") + universalFileExtension());
    if (!saveUniversalFile(file, data, &error) ||
        !recordOfUniversalFile(core.program, file, record, &error))
        return {false, error};
    return {true, identityText(data.identity, data.tag)};
}

// The device as left; as found the data file `asFoundFile` when one is
// given (a read saved on arrival), else the device itself.
Outcome fromDevice(DeviceCore& core, const QString& port, const QString& asFoundFile,
                   ServiceRecord* record) {
    core.defineFirstMeasurand();
    if (!asFoundFile.isEmpty()) {
        const Outcome opened = fromDataFile(core, asFoundFile, record);
        if (!opened.ok) return {false, asFoundFile + QStringLiteral(": ") + opened.detail};
    }
    const ModelCopy asFound(core.model);
    core.program.state.ComPort = port;
    const int read = core.read();
    if (read != 0 && core.session.ForeignDevice == 1 && asFoundFile.isEmpty())
        return fromForeignDevice(core, port, record);
    if (read != 0)
        return {false,
                QStringLiteral("the device could not be read (%1)").arg(resultWithText(read)) +
                    deviceStatusNote(core.session.deviceStatus())};
    if (!asFoundFile.isEmpty() && asFound.model.cal.Measurand != core.model.cal.Measurand)
        return {false,
                QStringLiteral("%1 holds %2 data, the device measures %3")
                    .arg(asFoundFile, asFound.model.cal.Measurand, core.model.cal.Measurand)};
    *record = recordOfDevice(core, asFoundFile.isEmpty() ? core.model : asFound.model);
    return {true,
            core.program.state.TransmDisplay + QStringLiteral(", ") + core.model.cal.Measurand};
}

}  // namespace

bool isReportCommand(const QStringList& arguments) {
    return arguments.value(0).toLower() == QLatin1String("report");
}

int runReportCommand(DeviceCore& core, const QStringList& commandLine) {
    QStringList arguments = commandLine;
    Program& p = core.program;
    if (!takeAddress(arguments, p.state)) return usage();
    CsvNotation notation = CsvNotation::C;
    if (const int at = arguments.indexOf(QStringLiteral("--csv-locale")); at >= 0) {
        const QString value = arguments.value(at + 1).toLower();
        if (value == QLatin1String("desktop"))
            notation = CsvNotation::Desktop;
        else if (value != QLatin1String("c"))
            return usage();
        arguments.remove(at, 2);
    }
    QString asFoundFile;
    if (const int at = arguments.indexOf(QStringLiteral("--as-found")); at >= 0) {
        asFoundFile = arguments.value(at + 1);
        if (asFoundFile.isEmpty()) return usage();
        arguments.remove(at, 2);
    }
    if (arguments.size() != 3 || arguments.at(1).trimmed().isEmpty()) return usage();
    for (const QString& a : arguments)
        if (a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "unknown option %s\n", a.toLocal8Bit().constData());
            return usage();
        }
    const QString& source = arguments.at(1);
    const QString& out = arguments.at(2);
    const QString kind = QFileInfo(out).suffix().toLower();
    if (kind != QLatin1String("pdf") && kind != QLatin1String("csv")) return usage();
    const QString head = QStringLiteral("report %1 -> %2: ").arg(source, out);

    ServiceRecord record;
    Outcome got;
    if (!asFoundFile.isEmpty() && (isUniversalFile(source) || isFileSource(p, source)))
        return usage();
    if (isUniversalFile(source))
        got = fromUniversalFile(p, source, &record);
    else if (isFileSource(p, source))
        got = fromDataFile(core, source, &record);
    else
        got = fromDevice(core, source, asFoundFile, &record);
    if (!got.ok) {
        summary(head + QStringLiteral("failed, ") + got.detail);
        return 1;
    }
    fillReportHeader(p, &record, QDateTime::currentDateTime());
    record.source = source;
    if (const QString error = saveReportFile(p, record, out, notation); !error.isEmpty()) {
        summary(head + QStringLiteral("failed, ") + error);
        return 1;
    }
    summary(head + QStringLiteral("ok (%1, %2 fields)").arg(got.detail).arg(record.rows.size()));
    return 0;
}

}  // namespace zh
