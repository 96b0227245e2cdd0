// Conversions over many fields at once: the calibration decimal point,
// whole-table conversion before a write and after a read, and a change of
// the display unit.

#include <QRegularExpression>
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

// ----- decimal point of the calibration values --------------------------

void setCalibrationDecimals(DeviceModel& m, int digits) {
    CalibrationState& c = m.cal;
    Logger& log = m.program.log;
    log.debugLog(QStringLiteral(">>> SetCalDecP(ndigp=") + QString::number(digits), 4);

    int d = 4;
    const float largest = std::max(std::fabs(c.CalDPlow), std::fabs(c.CalDPhi));
    if (std::isfinite(largest) && largest < 1e9f) {
        d = static_cast<int>(QString::number(std::llround(largest)).size());
    }
    if (digits >= 1) d = digits;
    d = std::min(d, 4);
    c.CalDecP = static_cast<short>(4 - d);

    if (FieldRecord* f = fieldOf(m, QStringLiteral("CalDecimalPoint"))) {
        f->Content = QString::number(c.CalDecP);
        f->RawVal = f->Content;
        m.events.selection(f->Name, c.CalDecP);
    }
    log.debugLog(QStringLiteral("<--- SetCalDecP(CalDpLow=") + fixed(c.CalDPlow, 3) +
                     QStringLiteral(" CalDpHi=") + fixed(c.CalDPhi, 3) +
                     QStringLiteral(" CalDecP=") + QString::number(c.CalDecP),
                 4);

    // The range keeps its value; only its raw form and its decimals follow
    // the new decimal point. (Re-reading the old raw value with the new
    // point would change the range by a power of ten.)
    for (const QString& name : {QStringLiteral("LowerRangeVal"), QStringLiteral("UpperRangeVal")}) {
        FieldRecord* f = fieldOf(m, name);
        if (!f) continue;
        if (numberOf(f->Content) && !f->GadUnit.isEmpty()) {
            const QString raw =
                applyConversion(m, Conversion::ULRVal, f->Content, name, ConvertTo::Raw);
            if (!raw.isEmpty()) f->RawVal = raw;
        }
        QString content, unit;
        splitUnit(applyConversion(m, Conversion::ULRVal, f->RawVal, name, ConvertTo::Content),
                  content, unit);
        if (content.isEmpty()) continue;
        f->Content = content;
        if (!unit.isEmpty()) f->GadUnit = unit;
    }
}

// ----- whole table -------------------------------------------------------

RawTrace convertAllRawToMeasurand(DeviceModel& m, int endecode, const QString& fieldList) {
    m.program.log.debugLog(
        QStringLiteral(">>> AllRawToMeasurand(EnDeCode=") + QString::number(endecode), 4);
    RawTrace trace;
    const QStringList names = fieldList.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    static const QString switchGroup = QStringLiteral(
        "OutputFunction1;SetPoint1;FrameHi1;ResetPoint1;FrameLow1;OutputFunction2;SetPoint2;"
        "FrameHi2;ResetPoint2;"
        "FrameLow2");

    if (endecode == 1) {
        for (const QString& name : names) {
            FieldRecord* f = fieldOf(m, name);
            if (!f) continue;  // a wrong name in a list must not create a record
            const QString raw = f->RawVal.isEmpty() ? f->Default : f->RawVal;
            const QString result =
                f->CheckProc != Conversion::None
                    ? applyConversion(m, f->CheckProc, raw, name, ConvertTo::Content)
                    : raw;
            QString content = result, unit;
            // A text is a text: brackets in a tag are no unit.
            if (f->type() != QLatin1String("string")) splitUnit(result, content, unit);
            if (!unit.isEmpty()) f->GadUnit = unit;
            if (f->type() == QLatin1String("number") && !content.isEmpty() &&
                content != QLatin1String("-")) {
                // Whole numbers stay exact: a 32-bit counter or identifier
                // must not pass through a float (which keeps 24 bits).
                static const QRegularExpression wholeNumber(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
                if (const std::optional<qint64> whole = integerOf(content);
                    whole && wholeNumber.match(content).hasMatch()) {
                    content = QString::number(*whole);
                } else {
                    const std::optional<float> v = numberOf(content);
                    content = v && std::fabs(*v) < 9.0e18f ? QString::number(std::llround(*v))
                                                           : QString();
                }
            }
            // A raw value that is no number shows as an empty field, never
            // as "nan" or "inf".
            if (namesNonFinite(content)) content.clear();
            f->Content = content;
            // The base value follows the content it stands for: data files
            // save the measurand fields by their base value, so a stale one
            // would store the definition's default instead of what was read.
            if (!f->BaseUnit.isEmpty() && !f->GadUnit.isEmpty() && !content.isEmpty() &&
                content != QLatin1String("-")) {
                const QString base = convertUnitText(m, content, f->GadUnit, f->BaseUnit, name);
                if (!base.isEmpty()) f->BaseValue = base;
            }
            if (f->is(FlagTransmitter))
                trace.transmitter += name + QLatin1Char('=') + raw + QLatin1Char(';');
            if (isInList(switchGroup, name, QStringLiteral(";")))
                trace.switches += name + QLatin1Char('=') + raw + QLatin1Char(';');
        }
        return trace;
    }
    if (endecode != 2) return trace;

    if (m.cal.IntSerIO == 0) setCalibrationDecimals(m, -1);
    for (const QString& name : names) {
        FieldRecord* f = fieldOf(m, name);
        if (!f) continue;
        // In the same unit the content already is the base value, as the
        // user wrote it ("20.0" stays "20.0").
        if (!f->BaseValue.isEmpty() && !f->BaseUnit.isEmpty() && !f->GadUnit.isEmpty() &&
            f->BaseUnit != f->GadUnit) {
            const QString derived = convertUnitText(m, f->BaseValue, f->BaseUnit, f->GadUnit, name);
            // A failed conversion keeps what the user entered.
            if (!derived.isEmpty()) f->Content = derived;
        }
        const QString content = f->Content.isEmpty() ? withoutUnit(f->Default) : f->Content;
        QString raw = f->CheckProc != Conversion::None
                          ? applyConversion(m, f->CheckProc, content, name, ConvertTo::Raw)
                          : content;
        // Never hand "nan" or "inf" to the device: an empty raw value marks
        // the field as having none, which the write refuses.
        if (namesNonFinite(raw)) raw.clear();
        f->RawVal = raw;
    }
    return trace;
}

// ----- display unit ------------------------------------------------------

void changeUnit(DeviceModel& m, int oldCode, int newCode) {
    CalibrationState& c = m.cal;
    Logger& log = m.program.log;
    log.debugLog(QStringLiteral(">>> UnitChanged(oldDispUnitCode") + QString::number(oldCode) +
                     QStringLiteral("newDispUnitCode") + QString::number(newCode),
                 5);
    const QString newName = listTextOf(c.UnitsList, newCode);
    if (newName.isEmpty()) {
        log.debugLog(QStringLiteral("UnitChanged: unit code ") + QString::number(newCode) +
                         QStringLiteral(" not in ") + c.UnitsList + QStringLiteral(", unit kept"),
                     2);
        return;
    }
    const QString oldName = listTextOf(c.UnitsList, oldCode);
    const QString oldUnit =
        oldName.isEmpty() ? c.DispUnit : QLatin1Char('[') + oldName + QLatin1Char(']');
    const QString dest = QLatin1Char('[') + newName + QLatin1Char(']');
    c.DispUnitIndex = newCode;
    c.DispUnit = dest;

    // Each value is converted from the unit it is actually in.
    const auto convert = [&](FieldRecord& f, const QString& src) {
        log.debugLog(QStringLiteral("UnitChanged: ") + f.Name + QStringLiteral(" src=") + src +
                         QStringLiteral(" dest=") + dest,
                     5);
        if (f.Content.trimmed().isEmpty() || !numberOf(f.Content)) {
            f.GadUnit = dest;
            return;
        }
        const QString converted = convertUnitText(m, f.Content, src, dest, f.Name);
        if (converted.isEmpty()) return;  // the value stays in the unit it is in
        f.Content = converted;
        f.GadUnit = dest;
    };
    const QStringList names = m.measurandFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (FieldRecord* f = fieldOf(m, name))
            convert(*f, f->GadUnit.isEmpty() ? oldUnit : f->GadUnit);
    }
    // Every other field shown in the old display unit follows too, shown or
    // hidden: a value left in the old unit would be read in the new one when
    // it is next edited. The calibration's own fields and the range (kept in
    // the unit of the transmitter's range) keep theirs.
    static const QStringList calibrationFields{
        "NominalRangeLow", "NominalRangeHigh", "TNomRangeLow",  "TNomRangeHigh",
        "TMeasRangeLow",   "TMeasRangeHigh",   "LowerRangeVal", "UpperRangeVal"};
    for (int i = 1; i <= m.fields.count(); ++i) {
        FieldRecord& f = m.fields.at(i);
        if (f.GadUnit != oldUnit || oldUnit == dest || names.contains(f.Name) ||
            calibrationFields.contains(f.Name))
            continue;
        convert(f, oldUnit);
    }
    if (m.hooks.refreshLiveDisplay) m.hooks.refreshLiveDisplay();
}

}  // namespace zh
