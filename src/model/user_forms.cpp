#include "user_forms.h"

#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "device_model.h"
#include "field_definitions.h"

namespace zh {

namespace {

// Low-part digits of user form 3, by the value of Val3.
int decimalsForVal3(qint64 val3) {
    static const int table[] = {0, 1, 2, 3, 0, 1, 2, 0, 1, 2};
    return val3 >= 0 && val3 <= 9 ? table[val3] : 0;
}

struct Form {
    int number = 0;  // 1..5; 0 = none named
    qint64 scale = 1;
    int digits = 0;
};

qint64 powerOfTen(int n) {
    qint64 p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// Decimals of user form 2 as a usable count: below 0 means none, and more
// than 18 would not fit a 64-bit scale.
int clampedDecimals(int decimals) {
    return std::clamp(decimals, 0, 18);
}

bool allDigits(const QString& s) {
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    }
    return true;
}

// Strict integer: optional sign and digits only, fitting 64 bits.
std::optional<qint64> strictInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok || t.isEmpty()) return std::nullopt;
    return v;
}

QString decode(const Form& form, qint64 v, bool cutToHigh) {
    // Sign and magnitude: "-3.07" is the negative of "3.07", so that
    // encoding the shown text gives the same number back.
    const bool negative = v < 0;
    const quint64 magnitude = negative ? 0ULL - static_cast<quint64>(v) : static_cast<quint64>(v);
    const quint64 scale = static_cast<quint64>(form.scale);
    QString text = QString::number(magnitude / scale);
    if (!cutToHigh) {
        // A low part wider than the digits (user form 1: 100..255) keeps all
        // its digits, so that it still encodes back to the same value.
        text += QLatin1Char('.') +
                QString::number(magnitude % scale).rightJustified(form.digits, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + text : text;
}

std::optional<qint64> encode(const Form& form, const QString& value) {
    QString t = value.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    const int dot = t.indexOf(QLatin1Char('.'));
    const QString highText = dot < 0 ? t : t.left(dot);
    QString lowText = dot < 0 ? QString() : t.mid(dot + 1);
    // User form 1 takes the whole low part; the others its first digits.
    if (form.number != 1) lowText = lowText.left(form.digits);
    if (highText.isEmpty() && lowText.isEmpty()) return std::nullopt;
    if (!allDigits(highText) || !allDigits(lowText)) return std::nullopt;

    bool ok = true;
    const qint64 high = highText.isEmpty() ? 0 : highText.toLongLong(&ok);
    if (!ok) return std::nullopt;
    const qint64 low = lowText.isEmpty() ? 0 : lowText.toLongLong(&ok);
    if (!ok) return std::nullopt;
    const qint64 max = std::numeric_limits<qint64>::max();
    if (high > (max - low) / form.scale) return std::nullopt;
    const qint64 v = high * form.scale + low;
    return negative ? -v : v;
}

}  // namespace

QString convertUserForm(DeviceModel& m, FormWay way, const QString& value,
                        const QString& attributes) {
    Program& p = m.program;
    const bool decoding = way == FormWay::Decode;
    auto done = [&](const QString& result) {
        p.log.debugLog(QStringLiteral(">>> Userform(") + value + QLatin1Char(',') + attributes +
                           QLatin1Char(',') +
                           (decoding ? QStringLiteral("decode") : QStringLiteral("encode")) +
                           QStringLiteral(")=") + result,
                       5);
        return result;
    };

    Form form;
    for (int n = 1; n <= 5 && form.number == 0; ++n) {
        if (attributes.contains(QStringLiteral("userform") + QString::number(n))) form.number = n;
    }
    if (form.number == 0) {
        if (attributes.contains(QLatin1String("userform"))) {
            p.messages.showMessageBox(
                p.messages.lookupMessage(QStringLiteral("Internal")),
                p.messages.lookupMessage(QStringLiteral("illegal user form in use: ")) + attributes,
                mb::IconError, MsgText::AsIs);
        }
        return done(value);
    }

    if (form.number == 3 && decoding) {
        const QString val3 = readRecordData(m, QString(), QStringLiteral("Val3"));
        m.userFormDecimals = decimalsForVal3(leadingInt(val3));
    }
    switch (form.number) {
        case 1:
            form.scale = 256;
            form.digits = 2;
            break;
        case 2:
        case 3:
            // User form 3 encodes with the decimals its value was shown with,
            // those set when it was decoded.
            form.digits = clampedDecimals(m.userFormDecimals);
            form.scale = powerOfTen(form.digits);
            break;
        case 4:
            form.scale = 100;
            form.digits = 2;
            break;
        case 5:
            form.scale = 1000;
            form.digits = 3;
            break;
    }

    if (decoding) {
        const std::optional<qint64> v = strictInteger(value);
        if (!v) return done(QString());
        // Only the variable forms follow the decimals setting; forms 4 and 5
        // always show their fixed low part.
        const bool cut = (form.number == 2 || form.number == 3) && m.userFormDecimals < 1;
        return done(decode(form, *v, cut));
    }
    const std::optional<qint64> v = encode(form, value);
    return done(v ? QString::number(*v) : QString());
}

}  // namespace zh
