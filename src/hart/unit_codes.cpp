#include "unit_codes.h"

namespace zh {
namespace {

// The engineering unit codes of the HART common tables that pressure and
// temperature transmitters and their neighbours on a loop use. `alias` is a
// second spelling a person may type into a data file.
struct UnitName {
    int code;
    const char* name;
    const char* alias;
};
constexpr UnitName kUnits[] = {
    // pressure
    {1, "inH2O", "inH2O@68F"},
    {2, "inHg", ""},
    {3, "ftH2O", "ftH2O@68F"},
    {4, "mmH2O", "mmH2O@68F"},
    {5, "mmHg", ""},
    {6, "psi", ""},
    {7, "bar", ""},
    {8, "mbar", ""},
    {9, "g/cm2", ""},
    {10, "kg/cm2", ""},
    {11, "Pa", ""},
    {12, "kPa", ""},
    {13, "torr", ""},
    {14, "atm", ""},
    {145, "inH2O@60F", ""},
    {237, "MPa", ""},
    {238, "inH2O@4C", ""},
    {239, "mmH2O@4C", ""},
    // temperature
    {32, "\u00B0C", "degC"},
    {33, "\u00B0F", "degF"},
    {34, "\u00B0R", "degR"},
    {35, "K", "Kelvin"},
    // electrical, frequency, ratio
    {36, "mV", ""},
    {37, "Ohm", ""},
    {38, "Hz", ""},
    {39, "mA", ""},
    {57, "%", "percent"},
    {58, "V", ""},
    // volume, length, time, mass
    {40, "gal", ""},
    {41, "l", "litre"},
    {43, "m3", ""},
    {44, "ft", ""},
    {45, "m", ""},
    {47, "in", ""},
    {48, "cm", ""},
    {49, "mm", ""},
    {50, "min", ""},
    {51, "s", ""},
    {52, "h", ""},
    {53, "d", ""},
    {60, "g", ""},
    {61, "kg", ""},
    // the codes that say there is no unit
    {250, "not used", ""},
    {251, "none", ""},
    {252, "unknown", ""},
    {253, "special", ""},
};

// The units a value can be converted between: value in the kind's base
// unit (pascal, kelvin) = value x factor + offset. Water columns at their
// reference temperature, mercury at 0 °C (the HART common tables' units).
enum class Kind { Pressure, Temperature };
struct Conversion {
    int code;
    Kind kind;
    double factor;
    double offset;
};
constexpr Conversion kConversions[] = {
    {1, Kind::Pressure, 248.843, 0},
    {2, Kind::Pressure, 3386.39, 0},
    {3, Kind::Pressure, 2986.12, 0},
    {4, Kind::Pressure, 9.78638, 0},
    {5, Kind::Pressure, 133.322, 0},
    {6, Kind::Pressure, 6894.757, 0},
    {7, Kind::Pressure, 1e5, 0},
    {8, Kind::Pressure, 100, 0},
    {9, Kind::Pressure, 98.0665, 0},
    {10, Kind::Pressure, 98066.5, 0},
    {11, Kind::Pressure, 1, 0},
    {12, Kind::Pressure, 1000, 0},
    {13, Kind::Pressure, 133.322, 0},
    {14, Kind::Pressure, 101325, 0},
    {145, Kind::Pressure, 248.843, 0},
    {237, Kind::Pressure, 1e6, 0},
    {238, Kind::Pressure, 249.089, 0},
    {239, Kind::Pressure, 9.80665, 0},
    {32, Kind::Temperature, 1, 273.15},
    {33, Kind::Temperature, 5.0 / 9.0, 255.372222},
    {34, Kind::Temperature, 5.0 / 9.0, 0},
    {35, Kind::Temperature, 1, 0},
};

const Conversion* conversionOf(int code) {
    for (const Conversion& c : kConversions)
        if (c.code == code) return &c;
    return nullptr;
}

}  // namespace

std::optional<double> convertUnitCode(double value, int from, int to) {
    if (from == to) return value;
    const Conversion* a = conversionOf(from);
    const Conversion* b = conversionOf(to);
    if (!a || !b || a->kind != b->kind) return std::nullopt;
    return (value * a->factor + a->offset - b->offset) / b->factor;
}

QString unitCodeName(int code) {
    for (const UnitName& u : kUnits)
        if (u.code == code) return QString::fromUtf8(u.name);
    return QStringLiteral("unit ") + QString::number(code);
}

int unitCodeOf(const QString& name) {
    const QString wanted = name.trimmed();
    bool number = false;
    const int code = wanted.toInt(&number);
    if (number) return code >= 0 && code <= 255 ? code : -1;
    for (const UnitName& u : kUnits) {
        if (wanted.compare(QString::fromUtf8(u.name), Qt::CaseInsensitive) == 0 ||
            (*u.alias && wanted.compare(QLatin1String(u.alias), Qt::CaseInsensitive) == 0))
            return u.code;
    }
    // "unit 200" as unitCodeName spells a code it does not know.
    if (wanted.startsWith(QLatin1String("unit "), Qt::CaseInsensitive))
        return unitCodeOf(wanted.mid(5));
    return -1;
}

}  // namespace zh
