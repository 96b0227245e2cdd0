#include "type_checks.h"

#include <cmath>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "field_record.h"

namespace zh {
namespace {

QString field(const QString& params, int n) {
    return params.section(QLatin1Char(';'), n, n).trimmed();
}
int fieldCount(const QString& params) {
    return params.count(QLatin1Char(';')) + 1;
}

enum class Buttons { OkCancel, OkOnly };

// "(label=entry): message detail", in the words of the common texts
// whichever window asks. With OK and Cancel, "ok" means correct
// the entry; a single-button message always undoes it.
CheckResult reject(Program& p, const CheckArgs& a, const char* message, const QString& detail,
                   Buttons buttons = Buttons::OkCancel) {
    Messages& msg = p.messages;
    const QString label = a.descr.isEmpty() ? a.name : a.descr;
    const QString text = QLatin1Char('(') + label + QLatin1Char('=') + a.text +
                         QStringLiteral("): ") +
                         msg.lookupMessage(QLatin1String(message), QStringLiteral("Common")) +
                         QLatin1Char(' ') + detail;
    if (!a.ask) {
        p.log.debugLog(QStringLiteral("Check: ") + text, 3);
        return CheckResult::correct();
    }
    const int flags = (buttons == Buttons::OkCancel ? mb::OkCancel : mb::Ok) | mb::IconExclamation;
    const QString answer = msg.showMessageBox(
        msg.lookupMessage(QStringLiteral("Data input"), QStringLiteral("Common")), text, flags,
        MsgText::AsIs);
    if (buttons == Buttons::OkOnly) return CheckResult::undo();
    return CheckResult::ofAnswer(answer);
}

bool has(const CheckArgs& a, const char* word) {
    return a.attributes.contains(QLatin1String(word), Qt::CaseInsensitive);
}

QString formatted(double v, int decimals, const QString& point) {
    QString s = decimals < 0 ? QString::number(v, 'g', 12) : QString::number(v, 'f', decimals);
    if (s.startsWith(QLatin1Char('-')) && s.toDouble() == 0.0) s.remove(0, 1);  // no "-0.0"
    return s.replace(QLatin1Char('.'), point);
}

// Whole numbers in base 10, 16 or 2. A leading "-" only for base 10.
CheckResult checkInteger(Program& p, const CheckArgs& a, int base, bool padAlways) {
    if (has(a, "nocheck")) return a.text;
    // Hexadecimal and binary entries are only reported, and then undone.
    const Buttons buttons = base == 10 ? Buttons::OkCancel : Buttons::OkOnly;
    const auto refuse = [&](const CheckArgs& args, const char* message, const QString& detail) {
        return zh::reject(p, args, message, detail, buttons);
    };
    QString t = a.text.trimmed();
    if (t.isEmpty() && has(a, "blankvalid")) return QString();
    const QString allowed = base == 16  ? QStringLiteral("0123456789ABCDEFabcdef")
                            : base == 2 ? QStringLiteral("01")
                                        : QStringLiteral("0123456789");
    const bool negative = base == 10 && t.startsWith(QLatin1Char('-'));
    QString digits = negative ? t.mid(1) : t;
    for (const QChar c : digits)
        if (!allowed.contains(c)) return refuse(a, "Invalid input: ", QString(c));
    // A sign alone or nothing at all is no number.
    if (digits.isEmpty()) return refuse(a, "Invalid input: ", t);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0'))) digits.remove(0, 1);

    const QString limitDigits = field(a.params, 0);
    bool ok = false;
    const int maxDigits = limitDigits.toInt(&ok);
    if (ok && digits.size() > maxDigits)
        return refuse(a, "Number of digits exceeds limit: ", limitDigits);
    const qlonglong magnitude = digits.toLongLong(&ok, base);
    if (!ok) return refuse(a, "Value exceeds limit: ", digits);
    const qlonglong v = negative ? -magnitude : magnitude;
    if (has(a, "notzero") && v == 0) return refuse(a, "0 not valid for : ", QString());

    const auto bound = [&](int n, qlonglong* out) {
        const QString b = field(a.params, n);
        if (b.isEmpty()) return false;
        if (base == 10) {
            double d = 0;
            if (!parseParameterNumber(b, &d)) return false;
            *out = static_cast<qlonglong>(std::llround(d));
            return true;
        }
        bool good = false;
        *out = b.toLongLong(&good, base);
        return good;
    };
    qlonglong limit = 0;
    if (fieldCount(a.params) >= 2 && bound(1, &limit) && v < limit)
        return refuse(a, "Value less than minimum: ", field(a.params, 1));
    if (fieldCount(a.params) >= 3 && bound(2, &limit) && v > limit)
        return refuse(a, "Value exceeds limit: ", field(a.params, 2));

    QString out = QString::number(magnitude, base).toUpper();
    if ((padAlways || has(a, "leadzero")) && maxDigits > 0)
        out = out.rightJustified(maxDigits, QLatin1Char('0'));
    return negative && v != 0 ? QLatin1Char('-') + out : out;
}

}  // namespace

CheckResult rejectEntry(Program& p, const CheckArgs& a, const char* message,
                        const QString& detail) {
    return reject(p, a, message, detail);
}

FloatFormat floatFormat(const QString& params) {
    FloatFormat f;
    const QString first = field(params, 0);
    if (first.isEmpty()) {
        f.decimals = -1;
        return f;
    }
    const QString n = first.section(QLatin1Char('.'), 0, 0);
    const QString m = first.contains(QLatin1Char('.')) ? first.section(QLatin1Char('.'), 1, 1)
                                                       : QStringLiteral("0");
    bool ok = false;
    const int digits = n.toInt(&ok);
    f.digits = ok ? digits : 999;
    const int decimals = m.toInt(&ok);
    f.decimals = m == QLatin1String("*") ? -1 : ok ? decimals : 0;
    return f;
}

CheckResult checkString(Program& p, const CheckArgs& a, bool isString) {
    if (has(a, "mustfill") && a.text.trimmed().isEmpty())
        return reject(p, a, "Field must be filled: ", QString());
    bool ok = false;
    const int length = field(a.params, 0).toInt(&ok);
    if (isString && ok && length > 0 && a.text.size() > length)
        return reject(p, a, "Number of digits exceeds limit: ", field(a.params, 0));
    return a.text;
}

CheckResult checkNumber(Program& p, const CheckArgs& a) {
    return checkInteger(p, a, 10, false);
}
CheckResult checkHex(Program& p, const CheckArgs& a) {
    return checkInteger(p, a, 16, true);
}
CheckResult checkBinary(Program& p, const CheckArgs& a) {
    return checkInteger(p, a, 2, true);
}

CheckResult checkFloat(Program& p, const CheckArgs& a) {
    if (has(a, "nocheck")) return a.text;
    const QString point =
        p.state.DecimalPoint.isEmpty() ? QStringLiteral(".") : p.state.DecimalPoint;
    QString t = a.text.trimmed();
    if (t.isEmpty() && has(a, "blankvalid")) return QString();
    t.replace(QLatin1Char(','), point).replace(QLatin1Char('.'), point);
    const bool negative = t.startsWith(QLatin1Char('-'));
    QString body = negative ? t.mid(1) : t;
    while (body.size() > 1 && body.startsWith(QLatin1Char('0')) && body.at(1).isDigit())
        body.remove(0, 1);

    int points = 0, digits = 0;
    for (const QChar c : body) {
        if (c.isDigit() && c.unicode() < 128) {
            ++digits;
        } else if (QString(c) == point) {
            // A second decimal point makes the text no number at all.
            if (++points > 1) return reject(p, a, "Invalid input: ", QString(c));
        } else {
            return reject(p, a, "Invalid input: ", QString(c));
        }
    }
    if (digits == 0) return reject(p, a, "Invalid input: ", t);

    QString plain = body;
    plain.replace(point, QStringLiteral("."));
    bool ok = false;
    const double v = (negative ? -1.0 : 1.0) * plain.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return reject(p, a, "Invalid input: ", t);
    if (has(a, "notzero") && v == 0.0) return reject(p, a, "0.0 not valid for: ", QString());

    const FloatFormat fmt = floatFormat(a.params);
    const QString integerPart = plain.section(QLatin1Char('.'), 0, 0);
    if (integerPart.size() > fmt.digits)
        return reject(p, a, "Number of digits exceeds limit: ", QString::number(fmt.digits));
    double limit = 0;
    const int shown = fmt.decimals < 0 ? 3 : fmt.decimals;
    if (fieldCount(a.params) >= 2 && parseParameterNumber(field(a.params, 1), &limit) && v < limit)
        return reject(p, a, "Value less than minimum: ", formatted(limit, shown, point));
    if (fieldCount(a.params) >= 3 && parseParameterNumber(field(a.params, 2), &limit) && v > limit)
        return reject(p, a, "Value exceeds limit: ", formatted(limit, shown, point));
    return formatted(v, fmt.decimals, point);
}

CheckResult checkIpAddress(Program& p, const CheckArgs& a) {
    const QString t = a.text.trimmed();
    const QStringList parts = t.split(QLatin1Char('.'));
    bool good = parts.size() == 4;
    for (const QString& part : parts) {
        bool ok = false;
        const int n = part.toInt(&ok);
        good = good && ok && n >= 0 && n <= 255 && !part.isEmpty() && part.size() <= 3;
    }
    if (!good) return reject(p, a, "Invalid input: ", t);
    if (has(a, "mustfill") && t == QLatin1String("0.0.0.0"))
        return reject(p, a, "Field must be filled: ", QString());
    return t;
}

CheckResult checkByType(Program& p, const FieldRecord& f, const QString& caption,
                        const QString& text, bool ask) {
    const CheckArgs a{text, f.Params, f.Attributes, f.Name, caption, ask};
    const QString type = f.type();
    if (type == QLatin1String("string")) return checkString(p, a, true);
    if (type == QLatin1String("combobox")) return checkString(p, a, false);
    if (type == QLatin1String("float")) return checkFloat(p, a);
    if (type == QLatin1String("number")) return checkNumber(p, a);
    if (type == QLatin1String("hexadecimal")) return checkHex(p, a);
    if (type == QLatin1String("binary")) return checkBinary(p, a);
    if (type == QLatin1String("ipaddress")) return checkIpAddress(p, a);
    return text;
}

}  // namespace zh
