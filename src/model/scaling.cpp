// Interpolation, table linearisation, unit conversion and number formatting.

#include "scaling.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "app/dialogs.h"
#include "app/program.h"
#include "device_model.h"
#include "list_text.h"
#include "scaling_detail.h"

namespace zh {

using namespace scaling_detail;

// ----- interpolation ------------------------------------------------------

float yggx(DeviceModel& m, float x, float x1, float x2, float y1, float y2, const QString& caller,
           float fallback) {
    if (x2 - x1 >= kMinSpan) {
        m.cal.CalcError = 0;
        return y1 + (y2 - y1) / (x2 - x1) * (x - x1);
    }
    m.cal.CalcError = 1;
    auto num = [](float f) { return QString::number(static_cast<double>(f)); };
    Messages& msg = m.program.messages;
    QString text = msg.lookupMessage(QStringLiteral("Calculation error: Division by zero"),
                                     QStringLiteral("Common"));
    text += QStringLiteral(" [ ");
    if (!caller.isEmpty()) text += caller + QLatin1Char('=');
    text += QStringLiteral("yggx(x=") + num(x) + QStringLiteral(", x1=") + num(x1) +
            QStringLiteral(", x2=") + num(x2) + QStringLiteral(", y1=") + num(y1) +
            QStringLiteral(", y2=") + num(y2) + QStringLiteral(") ]");
    m.program.log.debugLog(text, 3);
    msg.showMessageBox(programTitle(m), text, mb::IconError, MsgText::AsIs);
    return y1 + (y2 - y1) * fallback;
}

float calclin(DeviceModel& m, float x) {
    const std::vector<float>& adc = m.cal.LinAdc;
    const std::vector<float>& mw = m.cal.LinMw;
    const std::size_t points = std::min(adc.size(), mw.size());
    if (points < 2) {
        // No segment to interpolate on: the value stays unlinearised.
        m.program.log.debugLog(QStringLiteral("calclin: fewer than 2 points, value kept"), 3);
        return x;
    }
    std::size_t i = 1;
    while (i < points && !(adc[i] > x)) ++i;
    if (i >= points) i = points - 1;
    return lin(m, x, adc[i - 1], adc[i], mw[i - 1], mw[i], QStringLiteral("calclin"), 0.0f);
}

// ----- units -------------------------------------------------------------

float convertUnit(DeviceModel& m, float value, const QString& source, const QString& dest,
                  const QString& field) {
    if (!std::isfinite(value)) return kNaN;
    if (sameUnit(source, dest)) return value;
    CalibrationState& c = m.cal;

    auto fail = [&]() {
        const QString args =
            QStringLiteral(
                "Cannot Convert value for '{GadName}'={GadVal} from '{SrcUnit}' to '{DestUnit}'!") +
            QLatin1Char('\t') + field + QLatin1Char('\t') + fixed(value, 3) + QLatin1Char('\t') +
            source + QLatin1Char('\t') + dest;
        Messages& msg = m.program.messages;
        const QString text = msg.lookupMessage(args, QStringLiteral("SerialIO"));
        m.program.log.debugLog(text, 3);
        msg.showMessageBox(msg.lookupMessage(QStringLiteral("Error"), QStringLiteral("SerialIO")),
                           text, mb::IconError, MsgText::AsIs);
        return kNaN;
    };

    float base = 0.0f;
    if (isPercent(source) || isMilliamp(source)) {
        const UnitConversion* b = lookupUnit(c, c.actBaseUnit);
        if (!b) return fail();
        const float lo = isPercent(source) ? 0.0f : 4.0f;
        const float hi = isPercent(source) ? 100.0f : 20.0f;
        base = (lin(m, value, lo, hi, c.CalDPlow, c.CalDPhi, field) - b->offset) / b->factor;
    } else {
        const UnitConversion* s = lookupUnit(c, source);
        if (!s) return fail();
        base = (value - s->offset) / s->factor;
    }

    float result = 0.0f;
    if (isPercent(dest) || isMilliamp(dest)) {
        const UnitConversion* b = lookupUnit(c, c.actBaseUnit);
        if (!b) return fail();
        const float lo = isPercent(dest) ? 0.0f : 4.0f;
        const float hi = isPercent(dest) ? 100.0f : 20.0f;
        result = lin(m, base * b->factor + b->offset, c.CalDPlow, c.CalDPhi, lo, hi, field);
    } else {
        const UnitConversion* d = lookupUnit(c, dest);
        if (!d) return fail();
        result = base * d->factor + d->offset;
    }
    return std::isfinite(result) ? result : fail();
}

QString convertUnitText(DeviceModel& m, const QString& value, const QString& source,
                        const QString& dest, const QString& field) {
    const std::optional<float> v = numberOf(value);
    if (!v) return QString();
    const float r = convertUnit(m, *v, source, dest, field);
    return std::isfinite(r) ? floatText(r) : QString();
}

// ----- formatting --------------------------------------------------------

QString trimTrailingZeros(const QString& number) {
    if (!number.contains(QLatin1Char('.')) ||
        number.contains(QLatin1Char('e'), Qt::CaseInsensitive))
        return number;
    QString s = number;
    while (s.endsWith(QLatin1Char('0'))) s.chop(1);
    if (s.endsWith(QLatin1Char('.'))) s.chop(1);
    if (s == QLatin1String("-0") || s == QLatin1String("-")) s = QStringLiteral("0");
    if (s.isEmpty()) s = QStringLiteral("0");
    return s;
}

QString formatDecimals(DeviceModel& m, const QString& value, const QString& field, int decimals) {
    const std::optional<float> parsed = numberOf(value);
    if (!parsed) return QString();
    const float v = *parsed;
    FieldRecord* f = fieldOf(m, field);
    if (f && f->type() == QLatin1String("number")) decimals = 0;

    QString text;
    int kept = 0;
    const bool automatic = decimals < 0 || decimals > 3;
    if (!automatic) {
        text = fixed(v, decimals);
        kept = decimals;
    } else {
        // Integer digits plus one, at least five characters. Zero counts as
        // one integer digit (log10 has no value there).
        const float magnitude = std::fabs(v);
        const int n = magnitude > 0.0f ? static_cast<int>(std::log10(magnitude)) + 2 : 2;
        const int width = std::max(5, n) + (v < 0.0f ? 1 : 0);
        text = fixed(v, 6).left(width);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        const int dot = text.indexOf(QLatin1Char('.'));
        kept = dot < 0 ? 0 : static_cast<int>(text.size()) - dot - 1;
    }
    // The input format follows what is shown, so that the shown value is
    // accepted back as it stands.
    if (f && (automatic || !f->is(FlagDisplayOnly))) {
        QStringList params = f->Params.split(QLatin1Char(';'));
        params[0] = QStringLiteral("6.") + QString::number(kept);
        f->Params = params.join(QLatin1Char(';'));
    }
    return text;
}

bool copyContentInUnit(DeviceModel& m, const QString& dest, const QString& source, QString* unit) {
    const int d = m.fields.find(dest);
    const int s = m.fields.find(source);
    if (d < 0 || s < 0) return false;
    const FieldRecord& from = m.fields.at(s);
    FieldRecord& to = m.fields.at(d);
    if (from.Content.trimmed().isEmpty()) return false;
    const QString fromUnit = from.GadUnit.isEmpty() ? m.cal.DispUnit : from.GadUnit;
    const QString toUnit = to.GadUnit.isEmpty() ? fromUnit : to.GadUnit;
    const QString value = fromUnit == toUnit
                              ? from.Content
                              : convertUnitText(m, from.Content, fromUnit, toUnit, to.Name);
    if (value.isEmpty()) return false;
    to.Content = value;
    if (unit) *unit = toUnit;
    return true;
}

QString baseValueOf(DeviceModel& m, const FieldRecord& r) {
    if (r.Content.isEmpty() || r.GadUnit.isEmpty() || r.BaseUnit.isEmpty() ||
        r.GadUnit == r.BaseUnit)
        return r.Content;
    return convertUnitText(m, r.Content, r.GadUnit, r.BaseUnit, r.Name);
}

}  // namespace zh
