// The scaling state of a device type, read from its profile section.

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

// ----- calibration state ------------------------------------------------

std::vector<UnitConversion> parseConversionTable(const QString& text) {
    std::vector<UnitConversion> table;
    const QStringList entries = text.split(QLatin1Char('|'));
    for (const QString& entry : entries) {
        const QStringList parts = entry.split(QLatin1Char(';'));
        UnitConversion e;
        e.unit = parts.value(0).trimmed();
        if (e.unit.isEmpty() || parts.size() < 2) continue;
        const std::optional<float> factor = numberOf(parts.value(1));
        if (!factor) continue;
        e.factor = *factor;
        const QString offsetText = parts.value(2).trimmed();
        if (offsetText.isEmpty()) {
            e.offset = 0.0f;
        } else {
            const std::optional<float> offset = numberOf(offsetText);
            if (!offset) continue;
            e.offset = *offset;
        }
        table.push_back(e);
    }
    return table;
}

namespace {

// The range figures of a measurand's profile section: the key, its default,
// and the value of the generic set used without a section.
struct RangeKey {
    float CalibrationState::*member;
    const char* key;
    const char* fallback;
    float generic;
};
const RangeKey kRangeKeys[] = {
    {&CalibrationState::CalNomLow, "LowerNominalValue", "-50", 0.0f},
    {&CalibrationState::CalNomHi, "UpperNominalValue", "250", 100.0f},
    {&CalibrationState::CalDPlow, "LowerRangeValue", "-50.0", 0.0f},
    {&CalibrationState::CalDPhi, "UpperRangeValue", "250.0", 100.0f},
    {&CalibrationState::CalADlow, "LowerRangeADValue", "4000", 4000.0f},
    {&CalibrationState::CalADhi, "UpperRangeADValue", "20000", 20000.0f},
};

// The profile section of `measurand`, matched without regard to case; ""
// when the profile has none.
QString measurandSection(Program& p, const QString& measurand) {
    const QStringList sections = p.ini.sectionNames(p.profile.resolve(p.state.ProfilePath));
    for (const QString& s : sections) {
        if (s.compare(measurand, Qt::CaseInsensitive) == 0 && !measurand.isEmpty()) return s;
    }
    return QString();
}

// A device type the profile does not describe: a unit-less measurand over
// 0..100 that can still be shown in "%" and "mA".
void loadGenericSet(CalibrationState& c) {
    c.actBaseUnit = QStringLiteral("[-]");
    c.UnitsList = QStringLiteral("-=0;%=1;mA=6;");
    c.HartUnitsList = c.UnitsList;
    c.CalibrationUnitsList = c.UnitsList;
    c.ConversionText = QStringLiteral("-;1.0;0.0");
    for (const RangeKey& k : kRangeKeys) c.*k.member = k.generic;
}

// The unit lists and range figures of the measurand's profile section.
void loadSectionSet(DeviceModel& m, const QString& section) {
    Program& p = m.program;
    CalibrationState& c = m.cal;
    const QString& file = p.state.ProfilePath;
    c.UnitsList = p.profile.readProfile(section, QStringLiteral("Units"),
                                        QStringLiteral("°C=0;°F=1;°K=2;%=3;mA=4"), file);
    c.HartUnitsList = p.profile.readProfile(section, QStringLiteral("HartUnits"),
                                            QStringLiteral("°C=32;°F=33;°R=34;°K=35;"), file);
    c.CalibrationUnitsList = p.profile.readProfile(section, QStringLiteral("CalibrationUnits"),
                                                   QStringLiteral("°C=0;°F=1;°K=2;"), file);
    c.ConversionText =
        p.profile.readProfile(section, QStringLiteral("Conversion"),
                              QStringLiteral("°C;1.0;0.0|°F;1.8;32.0|°K;1.0;273.0;"), file);
}

// The conversion table from its text; a table without entries or with a
// factor 0 is logged.
void loadConversions(Program& p, CalibrationState& c, const QString& measurand) {
    c.Conversions = parseConversionTable(c.ConversionText);
    if (c.Conversions.empty()) {
        p.log.debugLog(QStringLiteral("Conversion table of [") + measurand +
                           QStringLiteral("] has no entries: ") + c.ConversionText,
                       2);
    }
    for (const UnitConversion& e : c.Conversions) {
        if (!(std::fabs(e.factor) > 0.0f)) {
            p.log.debugLog(QStringLiteral("Conversion table of [") + measurand +
                               QStringLiteral("]: factor 0 for ") + e.unit +
                               QStringLiteral(", unit treated as unknown"),
                           2);
        }
    }
}

}  // namespace

void loadCalibrationState(DeviceModel& m, const QString& measurand, const QString& baseUnit,
                          int intSerIO, int dispDecPoint) {
    Program& p = m.program;
    CalibrationState& c = m.cal;
    c.Measurand = measurand;

    const QString section = measurandSection(p, measurand);
    int sectionDispDecP = -1;
    int calDecPoint = 0;
    if (section.isEmpty()) {
        p.log.debugLog(QStringLiteral("loadCalibrationState: no profile section [") + measurand +
                           QStringLiteral("], generic set used"),
                       3);
        loadGenericSet(c);
    } else {
        c.actBaseUnit = baseUnit;
        loadSectionSet(m, section);
        sectionDispDecP = smallInt(
            readProfileNumber(m, section, QStringLiteral("DispDecPoint"), QStringLiteral("-1")));
        calDecPoint = smallInt(
            readProfileNumber(m, section, QStringLiteral("CalDecPoint"), QStringLiteral("0")));
        for (const RangeKey& k : kRangeKeys) {
            c.*k.member =
                readProfileNumber(m, section, QLatin1String(k.key), QLatin1String(k.fallback));
        }
    }
    loadConversions(p, c, measurand);

    c.CalUnit = c.actBaseUnit;
    c.DispUnit = c.actBaseUnit;
    c.DispUnitIndex = listValueOf(c.UnitsList, c.DispUnit);
    c.CalUnitIndex = listValueOf(c.CalibrationUnitsList, c.CalUnit);
    // A stored decimal point outside 0..3 would scale raw values by a factor
    // the device does not use.
    c.CalDecP = static_cast<short>(std::clamp(calDecPoint, 0, 3));
    c.DispDecP = static_cast<short>(dispDecPoint == -11 ? sectionDispDecP : dispDecPoint);
    c.IntSerIO = static_cast<short>(intSerIO == -1 ? 1 : intSerIO);
    c.CalcError = 0;

    p.log.debugLog(QStringLiteral("loadCalibrationState(") + measurand +
                       QStringLiteral("): CalUnit=") + c.CalUnit + QStringLiteral(" CalDecP=") +
                       QString::number(c.CalDecP) + QStringLiteral(" DispDecP=") +
                       QString::number(c.DispDecP) + QStringLiteral(" IntSerIO=") +
                       QString::number(c.IntSerIO),
                   4);
}

}  // namespace zh
