// The per-field conversions between raw device values and shown contents.

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "app/dialogs.h"
#include "app/program.h"
#include "device_model.h"
#include "list_text.h"
#include "scaling.h"
#include "scaling_detail.h"

namespace zh {

using namespace scaling_detail;

namespace {

// ----- conversion procedures -------------------------------------------

QString convertScaled(const QString& value, ConvertTo direction, int divisor, int decimals) {
    const std::optional<float> v = numberOf(value);
    if (!v) return QString();
    if (direction == ConvertTo::Content) return fixed(*v / static_cast<float>(divisor), decimals);
    return fixed(*v * static_cast<float>(divisor), 0);
}

QString anaRawToCalUnit(DeviceModel& m, const QString& value, const QString& field,
                        ConvertTo direction) {
    const CalibrationState& c = m.cal;
    const int decimals = calDecimals(c);
    const float scale = static_cast<float>(scaleOf(decimals));
    if (direction == ConvertTo::Content) {
        const std::optional<float> v = numberOf(value);
        if (!v) return QString();
        return fixed(*v / scale, decimals) + c.CalUnit;
    }
    QString number, unit;
    splitUnit(value, number, unit);
    if (unit.isEmpty()) {
        const FieldRecord* f = fieldOf(m, field);
        if (f) unit = f->GadUnit;
    }
    if (unit.isEmpty()) {
        m.program.messages.showMessageBox(QStringLiteral("Internal Error"),
                                          QStringLiteral("AnaRawToCalUnit(CVal.s=") + value +
                                              QStringLiteral(",  FldName.s=") + field +
                                              QStringLiteral(",  EnDeCode=") +
                                              QString::number(static_cast<int>(direction)),
                                          mb::IconError, MsgText::AsIs);
        return QString();
    }
    const std::optional<float> v = numberOf(number);
    if (!v) return QString();
    const float inCal = convertUnit(m, *v, unit, c.CalUnit, field);
    if (!std::isfinite(inCal)) return QString();
    return fixed(inCal * scale, 0);
}

QString adToMeasurand(DeviceModel& m, const QString& value, const QString& field,
                      ConvertTo direction) {
    CalibrationState& c = m.cal;
    const bool percent = isPercent(c.DispUnit);
    const bool milliamp = isMilliamp(c.DispUnit);
    const bool mapped = percent || milliamp;
    const float outLow = percent ? 0.0f : 4.0f;
    const float outHigh = percent ? 100.0f : 20.0f;
    // Without a measuring span the "%" and "mA" mappings have no line to
    // follow; the field shows a dash as for a missing ADC span.
    if (std::fabs(c.CalADhi - c.CalADlow) < kMinSpan) return QStringLiteral("-");
    if (mapped && std::fabs(c.CalDPhi - c.CalDPlow) < kMinSpan) return QStringLiteral("-");

    const std::optional<float> in = numberOf(value);
    if (!in) return QString();
    float v = *in;
    if (direction == ConvertTo::Content) {
        v = lin(m, v, c.CalADlow, c.CalADhi, c.CalDPlow, c.CalDPhi, field);
        if (mapped) {
            v = lin(m, v, c.CalDPlow, c.CalDPhi, outLow, outHigh, field);
        } else if (displayDiffersFromCalibration(c)) {
            v = convertUnit(m, v, c.CalUnit, c.DispUnit, field);
            if (!std::isfinite(v)) return QString();
        }
        const QString shown =
            formatDecimals(m, QString::number(static_cast<double>(v), 'g', 9), field, c.DispDecP);
        return shown.isEmpty() ? QString() : shown + c.DispUnit;
    }
    // Content -> counts: the exact inverse of counts -> content, so that a value
    // read from the device goes back unchanged.
    if (mapped) {
        v = lin(m, v, outLow, outHigh, c.CalDPlow, c.CalDPhi, field);
    } else if (displayDiffersFromCalibration(c)) {
        v = convertUnit(m, v, c.DispUnit, c.CalUnit, field);
        if (!std::isfinite(v)) return QString();
    }
    v = lin(m, v, c.CalDPlow, c.CalDPhi, c.CalADlow, c.CalADhi, field);
    return std::isfinite(v) ? fixed(v, 0) : QString();
}

QString transmVal(DeviceModel& m, const QString& value, const QString& field, ConvertTo direction) {
    const CalibrationState& c = m.cal;
    const FieldRecord* f = fieldOf(m, field);
    const QString gadUnit = f && !f->GadUnit.isEmpty() ? f->GadUnit : c.CalUnit;
    const int decimals = f && f->type() == QLatin1String("number") ? 0 : 1;
    const std::optional<float> v = numberOf(value);
    if (!v) return QString();
    if (direction == ConvertTo::Content) {
        const float r = convertUnit(m, *v, c.CalUnit, gadUnit, field);
        return std::isfinite(r) ? fixed(r, decimals) + (f ? f->GadUnit : QString()) : QString();
    }
    const float r = convertUnit(m, *v, gadUnit, c.CalUnit, field);
    return std::isfinite(r) ? fixed(r, decimals) : QString();
}

QString ulrVal(DeviceModel& m, const QString& value, const QString& field, ConvertTo direction) {
    CalibrationState& c = m.cal;
    if (c.IntSerIO != 1) return anaRawToCalUnit(m, value, field, direction);

    const bool percent = isPercent(c.CalUnit);
    const bool milliamp = isMilliamp(c.CalUnit);
    const float outLow = percent ? 0.0f : 4.0f;
    const float outHigh = percent ? 100.0f : 20.0f;
    const bool convert = displayDiffersFromCalibration(c);
    const std::optional<float> in = numberOf(value);
    if (!in) return QString();
    float v = *in;
    if (direction == ConvertTo::Content) {
        v = lin(m, v, c.CalADlow, c.CalADhi, c.CalNomLow, c.CalNomHi, field);
        if (percent || milliamp) v = lin(m, v, c.CalNomLow, c.CalNomHi, outLow, outHigh, field);
        if (convert) v = convertUnit(m, v, c.CalUnit, c.DispUnit, field);
        if (!std::isfinite(v)) return QString();
        return fixed(v, 1) + (convert ? c.DispUnit : c.CalUnit);
    }
    // The value is in the unit it names ("15.0[bar]": a range keeps the
    // transmitter's unit when the display shows another), else in the
    // display unit.
    QString number, unit;
    splitUnit(value, number, unit);
    if (unit.isEmpty()) unit = convert ? c.DispUnit : c.CalUnit;
    if (!sameUnit(unit, c.CalUnit)) v = convertUnit(m, v, unit, c.CalUnit, field);
    if (!std::isfinite(v)) return QString();
    if (percent || milliamp) v = lin(m, v, outLow, outHigh, c.CalNomLow, c.CalNomHi, field);
    v = lin(m, v, c.CalNomLow, c.CalNomHi, c.CalADlow, c.CalADhi, field);
    return std::isfinite(v) ? fixed(v, 0) : QString();
}

int digitCount(const DeviceModel& m, const QString& field) {
    const FieldRecord* f = fieldOf(m, field);
    if (!f) return 0;
    const qint64 n = integerOf(stringFieldOf(f->Params, 1, QStringLiteral(";"))).value_or(0);
    return static_cast<int>(std::clamp<qint64>(n, 0, 64));
}

QString numberInBase(DeviceModel& m, const QString& value, const QString& field,
                     ConvertTo direction, int base) {
    if (direction == ConvertTo::Content) {
        const std::optional<qint64> v = integerOf(value);
        if (!v) return QString();
        QString digits = QString::number(*v, base).toUpper();
        const bool negative = digits.startsWith(QLatin1Char('-'));
        if (negative) digits.remove(0, 1);
        digits = digits.rightJustified(digitCount(m, field), QLatin1Char('0'));
        return negative ? QLatin1Char('-') + digits : digits;
    }
    bool ok = false;
    const qint64 v = value.trimmed().toLongLong(&ok, base);
    return ok ? QString::number(v) : QString();
}

QString version2(const QString& value, ConvertTo direction) {
    if (direction == ConvertTo::Content) {
        const std::optional<qint64> v = integerOf(value);
        if (!v || *v < 0) return QString();
        // "hh.ll": the low byte after the point; a value above 16 bits keeps
        // all its digits before it, so that it still reads back unchanged.
        const QString hex = QString::number(*v, 16).toLower().rightJustified(4, QLatin1Char('0'));
        return hex.left(hex.size() - 2) + QLatin1Char('.') + hex.right(2);
    }
    const QString t = value.trimmed();
    const int dot = t.indexOf(QLatin1Char('.'));
    const QString high = dot < 0 ? t : t.left(dot);
    const QString low = dot < 0 ? QString() : t.mid(dot + 1);
    bool okHigh = true, okLow = true;
    const qint64 h = high.isEmpty() ? 0 : high.toLongLong(&okHigh, 16);
    const qint64 l = low.isEmpty() ? 0 : low.toLongLong(&okLow, 16);
    if (!okHigh || !okLow || h < 0 || l < 0 || h > (std::numeric_limits<qint64>::max() - l) / 256)
        return QString();
    return QString::number(h * 256 + l);
}

QString version1(DeviceModel& m, const QString& value, ConvertTo direction) {
    if (m.cal.IntSerIO != 1) return version2(value, direction);
    const std::optional<float> v = numberOf(value);
    if (!v) return QString();
    if (direction == ConvertTo::Content)
        return fixed(*v / 100.0f, 2).rightJustified(5, QLatin1Char('0'));
    return fixed(*v * 100.0f, 0);
}

}  // namespace

// ----- dispatch ----------------------------------------------------------

QString rawOfContent(DeviceModel& m, const FieldRecord& f, const QString& content) {
    if (f.CheckProc == Conversion::None) return content;
    const bool withUnit = f.CheckProc == Conversion::ULRVal && !f.GadUnit.isEmpty() &&
                          !content.contains(QLatin1Char('['));
    return applyConversion(m, f.CheckProc, withUnit ? content + f.GadUnit : content, f.Name,
                           ConvertTo::Raw);
}

QString applyConversion(DeviceModel& m, Conversion proc, const QString& value, const QString& field,
                        ConvertTo direction) {
    if (direction != ConvertTo::Content && direction != ConvertTo::Raw) return QString();
    QString result;
    switch (proc) {
        case Conversion::None:
            result = value;
            break;
        case Conversion::ConvertF10:
            result = convertScaled(value, direction, 10, 1);
            break;
        case Conversion::ConvertF100:
            result = convertScaled(value, direction, 100, 2);
            break;
        case Conversion::ConvertF1000:
            result = convertScaled(value, direction, 1000, 3);
            break;
        case Conversion::AnaRawToCalUnit:
            result = anaRawToCalUnit(m, value, field, direction);
            break;
        case Conversion::ADToMeasurand:
            result = adToMeasurand(m, value, field, direction);
            break;
        case Conversion::NumToHex:
            result = numberInBase(m, value, field, direction, 16);
            break;
        case Conversion::NumToBin:
            result = numberInBase(m, value, field, direction, 2);
            break;
        case Conversion::TransmVal:
            result = transmVal(m, value, field, direction);
            break;
        case Conversion::ULRVal:
            result = ulrVal(m, value, field, direction);
            break;
        case Conversion::Version1:
            result = version1(m, value, direction);
            break;
        case Conversion::Version2:
            result = version2(value, direction);
            break;
    }
    return result;
}

}  // namespace zh
