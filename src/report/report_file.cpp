#include "report/report_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include "report/report_pdf.h"

namespace zh {

QString saveReportFile(Program& p, const ServiceRecord& record, const QString& out,
                       CsvNotation notation) {
    QSaveFile file(out);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 could not be written (%2)").arg(out, file.errorString());
    if (QFileInfo(out).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
        const QByteArray bytes = reportCsv(p, record, notation);
        if (file.write(bytes) != bytes.size()) file.cancelWriting();
    } else {
        printReportPdf(p, record, &file);
    }
    if (!file.commit())
        return QStringLiteral("%1 could not be written (%2)").arg(out, file.errorString());
    return QString();
}

}  // namespace zh
