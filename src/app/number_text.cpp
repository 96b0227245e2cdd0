#include "number_text.h"

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
    return std::strtod(b.constData(), nullptr);
}

float unitValue(const QString& text) {
    QString kept;
    for (QChar c : text) {
        if (c.isDigit() && c.unicode() < 0x80) kept += c;
        else if (c == QLatin1Char(',') || c == QLatin1Char('.')) kept += QLatin1Char('.');
        else if (c == QLatin1Char('-')) kept += c;
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

}  // namespace zh
