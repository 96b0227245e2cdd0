#include "units.h"

namespace hartsim {

namespace {

// The degree sign in UTF-8, as the catalogue stores it. The seven-segment
// digits have no degree sign: a raised "o" stands for it.
constexpr char kCelsius[] =
    "\xC2\xB0"
    "C";
constexpr char kFahrenheit[] =
    "\xC2\xB0"
    "F";
constexpr char kRankine[] =
    "\xC2\xB0"
    "R";

const std::vector<DisplayUnit> kPressureUnits = {
    {"bar", "bAr ", 1.0, 0.0, UnitKind::Absolute},
    {"mbar", "mbAr", 1000.0, 0.0, UnitKind::Absolute},
    {"PSI", "PSI ", 14.5038, 0.0, UnitKind::Absolute},
    {"kPa", "kPA ", 100.0, 0.0, UnitKind::Absolute},
    {"MPa", "MPA ", 0.1, 0.0, UnitKind::Absolute},
    {"%", "   %", 1.0, 0.0, UnitKind::Percent},
    {"mA", "  mA", 1.0, 0.0, UnitKind::Milliamp},
};
const std::vector<DisplayUnit> kTemperatureUnits = {
    {kCelsius, "  oC", 1.0, 0.0, UnitKind::Absolute},
    {kFahrenheit, "  oF", 1.8, 32.0, UnitKind::Absolute},
    {"K", "   K", 1.0, 273.15, UnitKind::Absolute},
    {"%", "   %", 1.0, 0.0, UnitKind::Percent},
    {"mA", "  mA", 1.0, 0.0, UnitKind::Milliamp},
};

const std::vector<HartUnit> kHartUnits = {
    {6, kMeasurandPressure, 14.5038, 0.0, "PSI"},
    {7, kMeasurandPressure, 1.0, 0.0, "bar"},
    {8, kMeasurandPressure, 1000.0, 0.0, "mbar"},
    {12, kMeasurandPressure, 100.0, 0.0, "kPa"},
    {237, kMeasurandPressure, 0.1, 0.0, "MPa"},
    {32, kMeasurandTemperature, 1.0, 0.0, kCelsius},
    {33, kMeasurandTemperature, 1.8, 32.0, kFahrenheit},
    {34, kMeasurandTemperature, 1.8, 491.67, kRankine},
    {35, kMeasurandTemperature, 1.0, 273.15, "K"},
};

}  // namespace

const std::vector<DisplayUnit>& displayUnits(int measurand) {
    return measurand == kMeasurandTemperature ? kTemperatureUnits : kPressureUnits;
}

int calibrationUnitCount(int measurand) {
    int count = 0;
    for (const DisplayUnit& unit : displayUnits(measurand)) {
        if (unit.kind == UnitKind::Absolute) ++count;
    }
    return count;
}

const DisplayUnit* displayUnit(int measurand, int index) {
    if (measurand != kMeasurandPressure && measurand != kMeasurandTemperature) return nullptr;
    const std::vector<DisplayUnit>& units = displayUnits(measurand);
    if (index < 0 || index >= static_cast<int>(units.size())) return nullptr;
    return &units[static_cast<std::size_t>(index)];
}

bool findDisplayUnit(const std::string& name, int* measurand, int* index) {
    for (int m : {kMeasurandPressure, kMeasurandTemperature}) {
        const std::vector<DisplayUnit>& units = displayUnits(m);
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (units[i].kind == UnitKind::Absolute && name == units[i].name) {
                *measurand = m;
                *index = static_cast<int>(i);
                return true;
            }
        }
    }
    return false;
}

const HartUnit* hartUnit(std::uint8_t code) {
    for (const HartUnit& unit : kHartUnits) {
        if (unit.code == code) return &unit;
    }
    return nullptr;
}

const HartUnit* hartUnitNamed(const std::string& name) {
    for (const HartUnit& unit : kHartUnits) {
        if (name == unit.name) return &unit;
    }
    return nullptr;
}

}  // namespace hartsim
