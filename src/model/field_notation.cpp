#include "field_notation.h"

#include <cmath>
#include <optional>

#include "app/number_text.h"
#include "field_record.h"
#include "read_write_sequences.h"
#include "type_checks.h"

namespace zh {
namespace {

QString unpadded(const QString& value) {
    return QString(value).remove(QChar(0)).trimmed();
}

bool isText(const QString& type) {
    return type == QLatin1String("string") || type == QLatin1String("ipaddress");
}

// The base the field writes its whole numbers in; 0 for other fields.
int integerBase(const QString& type) {
    if (type == QLatin1String("number")) return 10;
    if (type == QLatin1String("hexadecimal")) return 16;
    if (type == QLatin1String("binary")) return 2;
    return 0;
}

std::optional<qlonglong> wholeNumber(const QString& text, int base) {
    bool ok = false;
    const qlonglong v = text.toLongLong(&ok, base);
    // A sign belongs to decimal numbers only.
    if (!ok || (base != 10 && text.startsWith(QLatin1Char('-')))) return std::nullopt;
    return v;
}

}  // namespace

int floatDecimals(const FieldRecord& f) {
    return f.type() == QLatin1String("float") ? floatFormat(f.Params).decimals : -1;
}

QString fieldNotation(const FieldRecord& f, const QString& value, int decimals) {
    const QString text = unpadded(value);
    const QString type = f.type();
    if (const int base = integerBase(type)) {
        const std::optional<qlonglong> v = wholeNumber(text, base);
        if (!v) return text;
        if (base == 10) return QString::number(*v);
        bool ok = false;
        const int digits = f.Params.section(QLatin1Char(';'), 0, 0).trimmed().toInt(&ok);
        return QString::number(*v, base).toUpper().rightJustified(ok ? digits : 0,
                                                                  QLatin1Char('0'));
    }
    const int shown = decimals >= 0 ? decimals : floatDecimals(f);
    if (type != QLatin1String("float") || shown < 0) return text;
    bool ok = false;
    const double v = parseStoredNumber(text, &ok);
    if (!ok || !std::isfinite(v)) return text;
    QString out = QString::number(v, 'f', shown);
    if (out.startsWith(QLatin1Char('-')) && out.toDouble() == 0.0) out.remove(0, 1);  // no "-0.0"
    return out;
}

bool holdsSameValue(const FieldRecord& f, const QString& shown, const QString& value) {
    const QString type = f.type();
    const QString a = unpadded(shown);
    const QString b = unpadded(value);
    if (isText(type)) return a == b;
    if (const int base = integerBase(type)) {
        const std::optional<qlonglong> x = wholeNumber(a, base);
        const std::optional<qlonglong> y = wholeNumber(b, base);
        if (x && y) return *x == *y;
    }
    return showsValue(a, b);
}

}  // namespace zh
