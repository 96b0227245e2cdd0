#include "units.h"

#include <cctype>
#include <cstdlib>
#include <iterator>
#include <map>

namespace hartsim {

namespace {

// The degree sign in UTF-8, as the catalogue and the profile store it.
constexpr char kDegree[] = "\xC2\xB0";
constexpr char kCelsius[] =
    "\xC2\xB0"
    "C";
constexpr char kFahrenheit[] =
    "\xC2\xB0"
    "F";
constexpr char kRankine[] =
    "\xC2\xB0"
    "R";

// The display unit lists as the shipped profile gives them for each
// measurand: "Units" (name=index, the order of the module's menu and of
// block 12) and "Conversion" (name;factor;offset from the base unit), in the
// profile's own syntax so that they can be compared with it.
const UnitListText kUnitListTexts[] = {
    {kMeasurandPressure, "bar=0;mbar=1;PSI=2;kPa=3;MPa=4;%=5;mA=6",
     "bar;1.0;0.0|mbar;1000.0;0.0|PSI;14.5038;0.0|kPa;100.0;0.0|MPa;0.1;0.0"},
    {kMeasurandTemperature, "°C=0;°F=1;K=2;%=3;mA=4", "°C;1.0;0.0|°F;1.8;32.0|K;1.0;273.15"},
};

// What the four digits show for a unit; a raised "o" stands for the degree
// sign the seven-segment digits do not have.
struct UnitWord {
    const char* name;
    const char* word;
};
const UnitWord kUnitWords[] = {
    {"bar", "bAr "},    {"mbar", "mbAr"},      {"PSI", "PSI "}, {"kPa", "kPA "}, {"MPa", "MPA "},
    {kCelsius, "  oC"}, {kFahrenheit, "  oF"}, {"K", "   K"},   {"%", "   %"},   {"mA", "  mA"},
};

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The list of one measurand, in index order. A unit without a conversion
// entry is relative to the range: "%" and "mA".
std::vector<DisplayUnit> parseUnitList(const UnitListText& text) {
    std::map<int, std::string> names;
    for (const std::string& entry : split(text.units, ';')) {
        const std::size_t eq = entry.find('=');
        names[std::atoi(entry.c_str() + eq + 1)] = entry.substr(0, eq);
    }
    std::vector<DisplayUnit> units;
    for (const auto& [index, name] : names) {
        DisplayUnit unit{name, "    ", 1.0, 0.0,
                         name == "%"    ? UnitKind::Percent
                         : name == "mA" ? UnitKind::Milliamp
                                        : UnitKind::Absolute};
        for (const UnitWord& w : kUnitWords) {
            if (name == w.name) unit.word = w.word;
        }
        for (const std::string& entry : split(text.conversion, '|')) {
            const std::vector<std::string> fields = split(entry, ';');
            if (fields.size() == 3 && fields[0] == name) {
                unit.factor = std::atof(fields[1].c_str());
                unit.offset = std::atof(fields[2].c_str());
            }
        }
        units.push_back(unit);
    }
    return units;
}

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

const std::vector<UnitListText>& unitListTexts() {
    static const std::vector<UnitListText> texts(std::begin(kUnitListTexts),
                                                 std::end(kUnitListTexts));
    return texts;
}

const std::vector<DisplayUnit>& displayUnits(int measurand) {
    static const std::vector<DisplayUnit> pressure = parseUnitList(kUnitListTexts[0]);
    static const std::vector<DisplayUnit> temperature = parseUnitList(kUnitListTexts[1]);
    return measurand == kMeasurandTemperature ? temperature : pressure;
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

int displayUnitIndex(int measurand, const std::string& name) {
    const auto folded = [](const std::string& text) {
        std::string out = text.rfind(kDegree, 0) == 0 ? text.substr(sizeof kDegree - 1) : text;
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::vector<DisplayUnit>& units = displayUnits(measurand);
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (!name.empty() && folded(units[i].name) == folded(name)) return static_cast<int>(i);
    }
    return -1;
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
