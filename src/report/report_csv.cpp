#include "report/report_csv.h"

#include <QRegularExpression>
#include <QStringList>

#include "report/service_record.h"

namespace zh {
namespace {

QString quoted(const QString& field, QChar separator) {
    if (!field.contains(separator) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    return QLatin1Char('"') + QString(field).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// A number as the program holds it ("-1.5", "0.16 bar") in `decimal`'s
// notation; anything else (an option "0 (bar)", a text, a date) as it is.
QString inNotation(const QString& value, QChar decimal) {
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]*(\\.)[0-9]+( [^0-9]*)?$"));
    const QRegularExpressionMatch m = number.match(value);
    if (decimal == QLatin1Char('.') || !m.hasMatch()) return value;
    return QString(value).replace(m.capturedStart(1), 1, decimal);
}

}  // namespace

QByteArray reportCsv(Program& p, const ServiceRecord& record, CsvNotation notation,
                     const QLocale& desktop) {
    QChar decimal = QLatin1Char('.');
    if (notation == CsvNotation::Desktop) {
        const QString sign = desktop.decimalPoint();
        if (sign.size() == 1) decimal = sign.at(0);
    }
    const QChar separator = decimal == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
    auto line = [separator](const QStringList& fields) {
        QStringList out;
        for (const QString& f : fields) out << quoted(f, separator);
        return out.join(separator) + QStringLiteral("\r\n");
    };
    QString text =
        line({reportText(p, "Field"), reportText(p, "Caption"), reportText(p, "Unit"),
              reportText(p, "As found"), reportText(p, "As left"), reportText(p, "Changed")});
    const QString yes = reportText(p, "yes");
    for (const ReportRow& r : record.rows)
        text += line({r.name, r.caption, r.unit, inNotation(r.asFound, decimal),
                      inNotation(r.asLeft, decimal), r.changed ? yes : QString()});
    return text.toUtf8();
}

}  // namespace zh
