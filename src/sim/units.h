#pragma once
// The units the device knows: the display module's unit lists (the order of
// its menu and of block 12) and the HART unit codes the transmitter accepts
// for its range. A value in a unit = value in the measurand's base unit
// (bar, °C) x factor + offset.

#include <cstdint>
#include <string>
#include <vector>

namespace hartsim {

constexpr int kMeasurandPressure = 0;
constexpr int kMeasurandTemperature = 1;

enum class UnitKind { Absolute, Percent, Milliamp };

struct DisplayUnit {
    std::string name;  // as the catalogue and the profile write it
    const char* word;  // the four characters the read-out shows for it
    double factor;
    double offset;
    UnitKind kind;
};

// One measurand's display units in the shipped profile's syntax: its
// "Units" key (name=index) and "Conversion" key (name;factor;offset|...).
struct UnitListText {
    int measurand;
    const char* units;
    const char* conversion;
};
const std::vector<UnitListText>& unitListTexts();

// Pressure: bar, mbar, PSI, kPa, MPa, %, mA; temperature: °C, °F, K, %, mA,
// in index order. The absolute units come first; they are also the
// calibration units.
const std::vector<DisplayUnit>& displayUnits(int measurand);
int calibrationUnitCount(int measurand);
// Null for an index outside the list.
const DisplayUnit* displayUnit(int measurand, int index);
// The measurand and unit index of a catalogue unit name; false when unknown.
bool findDisplayUnit(const std::string& name, int* measurand, int* index);
// The index of a display unit of `measurand` named as a person types it:
// without regard to case, the degree sign optional ("mbar", "MBAR", "°F",
// "F"). -1 when the measurand has no such unit.
int displayUnitIndex(int measurand, const std::string& name);

struct HartUnit {
    std::uint8_t code;
    int measurand;
    double factor;
    double offset;
    const char* name;
};

// The range units of HART's unit code table that we accept (pressure: PSI 6,
// bar 7, mbar 8, kPa 12, MPa 237; temperature: °C 32, °F 33, °R 34, K 35).
// Null for any other code.
const HartUnit* hartUnit(std::uint8_t code);
const HartUnit* hartUnitNamed(const std::string& name);

inline double fromBase(double base, double factor, double offset) {
    return base * factor + offset;
}
inline double toBase(double value, double factor, double offset) {
    return (value - offset) / factor;
}

}  // namespace hartsim
