#include "number_text.h"

#include <QLocale>
#include <QRegularExpression>
#include <cfloat>
#include <cmath>
#include <cstdlib>

namespace zh {

long long leadingInt(const QString& text) {
    const QByteArray b = text.trimmed().toLatin1();
    return std::strtoll(b.constData(), nullptr, 10);
}

double leadingFloat(const QString& text) {
    const QByteArray b = text.trimmed().toLatin1();
    // strtod would also take "inf", "nan" and hex; the rule knows only decimals.
    int i = 0;
    if (i < b.size() && (b[i] == '-' || b[i] == '+')) ++i;
    if (i >= b.size() || !((b[i] >= '0' && b[i] <= '9') || b[i] == '.')) return 0.0;
    // The longest number at the start, read with "." as the decimal point
    // whatever the desktop's locale says (strtod would follow LC_NUMERIC:
    // "2.5" read as 2 under a German locale).
    int end = i;
    while (end < b.size() && b[end] >= '0' && b[end] <= '9') ++end;
    if (end < b.size() && b[end] == '.') ++end;
    while (end < b.size() && b[end] >= '0' && b[end] <= '9') ++end;
    bool tiny = false;
    if (end + 1 < b.size() && (b[end] == 'e' || b[end] == 'E')) {
        int e = end + 1;
        tiny = b[e] == '-';
        if (e < b.size() && (b[e] == '-' || b[e] == '+')) ++e;
        if (e < b.size() && b[e] >= '0' && b[e] <= '9') {
            while (e < b.size() && b[e] >= '0' && b[e] <= '9') ++e;
            end = e;
        }
    }
    bool ok = false;
    const double v = b.left(end).toDouble(&ok);
    if (ok) return v;
    // The syntax was checked above: only the exponent can be out of range.
    if (tiny) return 0.0;
    return b[0] == '-' ? -HUGE_VAL : HUGE_VAL;
}

float unitValue(const QString& text) {
    QString kept;
    for (QChar c : text) {
        if ((c.isDigit() && c.unicode() < 0x80) || c == QLatin1Char('-'))
            kept += c;
        else if (c == QLatin1Char(',') || c == QLatin1Char('.'))
            kept += QLatin1Char('.');
    }
    return static_cast<float>(leadingFloat(kept));
}

bool isDigits(const QString& text) {
    if (text.isEmpty()) return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    return true;
}

std::optional<float> numberOf(const QString& text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    int i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) ++i;
    if (i < t.size() && t[i] == QLatin1Char('.')) ++i;
    if (i >= t.size() || !t[i].isDigit() || t[i].unicode() >= 0x80) return std::nullopt;
    const double d = leadingFloat(t);
    if (!std::isfinite(d) || std::fabs(d) > FLT_MAX) return std::nullopt;
    return static_cast<float>(d);
}

std::optional<qint64> integerOf(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    const int start = i;
    while (i < t.size() && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9')) ++i;
    if (i == start) return std::nullopt;
    bool ok = false;
    const qint64 v = t.mid(start, i - start).toLongLong(&ok);
    if (!ok) return std::nullopt;
    return negative ? -v : v;
}

bool parseParameterNumber(const QString& text, double* value) {
    static const QRegularExpression number(QStringLiteral("^\\s*([-+]?(\\d+\\.?\\d*|\\.\\d+))"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch()) return false;
    QString n = m.captured(1);
    if (n.endsWith(QLatin1Char('.'))) n.chop(1);
    bool ok = false;
    *value = n.toDouble(&ok);
    return ok;
}

double parseStoredNumber(const QString& text, bool* ok) {
    return text.toDouble(ok);
}

float parseStoredFloat(const QString& text, bool* ok) {
    return text.toFloat(ok);
}

double parseEnteredNumber(const QString& text, bool* ok) {
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(ok);
}

float parseEnteredFloat(const QString& text, bool* ok) {
    return QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toFloat(ok);
}

bool parseUserNumber(const QString& text, double* value) {
    // The desktop's notation first, then the decimal point; group
    // separators are refused, so "1.500" is never read as 1500.
    for (QLocale locale : {QLocale(), QLocale::c()}) {
        locale.setNumberOptions(QLocale::RejectGroupSeparator);
        bool ok = false;
        const double v = locale.toDouble(text.trimmed(), &ok);
        if (ok && std::isfinite(v)) {
            *value = v;
            return true;
        }
    }
    return false;
}

}  // namespace zh
