#pragma once
// The values a definition pass of the field list works out from the profile,
// the calibration state and the edition. The list's texts name them in
// braces ("{upperRange}{unit}"); expandPassValues fills them in.

#include <QString>

namespace zh {

struct DeviceModel;
struct Program;

// Everything a definition pass reads once before it defines the fields.
struct PassContext {
    DeviceModel& m;
    Program& p;
    QString unit;     // the measurand's base unit, "[bar]"
    QString fmt;      // float format of measurand values, "6.2"
    bool hasSection;  // the device type has its own profile section
    int intSerIO;

    QString profile(const char* section, const char* key, const char* def) const;
    // A value of the device type's section, or the generic value when the
    // profile describes no such device type.
    QString dev(const char* key, const char* def, const char* generic) const;
    // A [Config] value with its unit removed ("0,1s" -> "0.1").
    QString config(const char* key, const char* def) const;
    // Combobox lists whose texts are shown translated; the values stay.
    QString translated(const QString& list) const;
};

// `text` with every "{name}" replaced by the value `name` has in this pass,
// worked out when it is named. The values are not expanded again.
QString expandPassValues(const PassContext& c, const char* text);

// The names in braces of `text` that are no pass value (for the check of
// the field list).
QStringList unknownPassValues(const char* text);

}  // namespace zh
