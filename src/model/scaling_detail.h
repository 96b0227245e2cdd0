#pragma once
// Small tools shared by the scaling code: fixed-decimal text, unit names
// and table look-ups (its numbers are read by numberOf and integerOf of
// app/number_text.h). Internal to the model's scaling files.

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "app/number_text.h"
#include "app/program.h"
#include "device_model.h"
#include "scaling.h"

namespace zh::scaling_detail {

inline constexpr float kMinSpan = 0.0001f;
inline const float kNaN = std::numeric_limits<float>::quiet_NaN();

// A number with a fixed count of decimals; "-0.0" is shown as "0.0".
inline QString fixed(float v, int decimals) {
    QString s = QString::number(static_cast<double>(v), 'f', std::clamp(decimals, 0, 9));
    if (s.startsWith(QLatin1Char('-'))) {
        bool zero = true;
        for (int i = 1; i < s.size() && zero; ++i)
            zero = s[i] == QLatin1Char('0') || s[i] == QLatin1Char('.');
        if (zero) s.remove(0, 1);
    }
    return s;
}

// About seven significant digits, the precision a float holds, without
// trailing zeros: the text form of a converted value.
inline QString floatText(float v) {
    if (v == 0.0f) return QStringLiteral("0");
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    return trimTrailingZeros(fixed(v, std::clamp(6 - magnitude, 0, 9)));
}

inline bool isPercent(const QString& unit) {
    return unit == QLatin1String("[%]") || unit == QLatin1String("%");
}
inline bool isMilliamp(const QString& unit) {
    return unit == QLatin1String("[mA]") || unit == QLatin1String("mA");
}

inline QString unitName(const QString& unit) {
    const QString t = unit.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2);
    return t;
}

inline bool sameUnit(const QString& a, const QString& b) {
    return unitName(a) == unitName(b);
}

// Display and calibration unit differ: by their list values, or by name
// when both are missing from their lists.
inline bool displayDiffersFromCalibration(const CalibrationState& c) {
    return c.DispUnitIndex != c.CalUnitIndex || !sameUnit(c.DispUnit, c.CalUnit);
}

// The table entry of `unit`. An entry with a zero (or broken) factor counts
// as unknown: dividing by it would put infinities into the data.
inline const UnitConversion* lookupUnit(const CalibrationState& c, const QString& unit) {
    const QString name = unitName(unit);
    for (const UnitConversion& e : c.Conversions) {
        if (e.unit != name && QLatin1Char('[') + e.unit + QLatin1Char(']') != unit) continue;
        if (!(std::fabs(e.factor) > 0.0f) || !std::isfinite(e.factor) || !std::isfinite(e.offset))
            return nullptr;
        return &e;
    }
    return nullptr;
}

// yggx over the same line with the end points in ascending x order, so that
// falling ranges (upper value below lower value) convert instead of hitting
// the degenerate-interval path.
inline float lin(DeviceModel& m, float x, float x1, float x2, float y1, float y2,
                 const QString& caller, float fallback = 0.5f) {
    if (x2 < x1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    return yggx(m, x, x1, x2, y1, y2, caller, fallback);
}

inline int scaleOf(int decimals) {
    switch (decimals) {
        case 1:
            return 10;
        case 2:
            return 100;
        case 3:
            return 1000;
        default:
            return 1;
    }
}

// CalDecP as the conversions use it: decimals outside 0..3 count as 0, so
// that the decimals shown always match the scale factor.
inline int calDecimals(const CalibrationState& c) {
    return c.CalDecP >= 0 && c.CalDecP <= 3 ? c.CalDecP : 0;
}

inline const FieldRecord* fieldOf(const DeviceModel& m, const QString& name) {
    const int i = m.fields.find(name);
    return i >= 0 ? &m.fields.at(i) : nullptr;
}

inline FieldRecord* fieldOf(DeviceModel& m, const QString& name) {
    const int i = m.fields.find(name);
    return i >= 0 ? &m.fields.at(i) : nullptr;
}

inline QString programTitle(const DeviceModel& m) {
    const AppState& s = m.program.state;
    return s.WindowTitle.isEmpty() ? s.EditionName : s.WindowTitle;
}

// Splits "12.5[bar]" into value and unit.
inline void splitUnit(const QString& text, QString& value, QString& unit) {
    const int at = text.indexOf(QLatin1Char('['));
    if (at < 0) {
        value = text;
        unit.clear();
    } else {
        value = text.left(at);
        unit = text.mid(at);
    }
}

// "nan", "inf", "+Infinity" ...: texts a number parser would take for a
// value that is none.
inline bool namesNonFinite(const QString& text) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok) return !std::isfinite(d);
    const QString t = text.trimmed().toLower();
    return t.contains(QLatin1String("nan")) || t.contains(QLatin1String("inf"));
}

inline float readProfileNumber(DeviceModel& m, const QString& section, const QString& key,
                               const QString& def) {
    Program& p = m.program;
    QString text = p.profile.readProfile(section, key, def, p.state.ProfilePath);
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    if (const std::optional<float> v = numberOf(text)) return *v;
    if (!text.trimmed().isEmpty()) {
        p.log.debugLog(QStringLiteral("[") + section + QStringLiteral("] ") + key +
                           QStringLiteral("=") + text + QStringLiteral(": no number, ") + def +
                           QStringLiteral(" used"),
                       2);
    }
    return numberOf(def).value_or(0.0f);
}

// A profile number as a small count (decimal points); far-out values stay
// far out without overflowing the conversion.
inline int smallInt(float v) {
    return static_cast<int>(std::clamp(v, -1000.0f, 1000.0f));
}

// The value part of a converted text, without its "[unit]".
inline QString withoutUnit(const QString& text) {
    const int at = text.indexOf(QLatin1Char('['));
    return at < 0 ? text : text.left(at);
}

}  // namespace zh::scaling_detail
