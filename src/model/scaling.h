#pragma once
// Scaling between the transmitter's raw numbers and measurands in the
// user's units: linear interpolation, table linearisation, unit conversion
// through the device type's factor/offset table, number formatting, the
// per-field conversion procedures, and whole-table conversion.

#include <QString>
#include <vector>

#include "calibration_state.h"
#include "field_record.h"

namespace zh {

struct DeviceModel;

// Reads the scaling state of device type `measurand` from its profile
// section (or the generic set when the profile has no such section) into
// m.cal. `dispDecPoint` -11 takes the section's DispDecPoint.
void loadCalibrationState(DeviceModel& m, const QString& measurand, const QString& baseUnit,
                          int intSerIO, int dispDecPoint);

// "°C;1.0;0.0|°F;1.8;32.0|..." -> entries; malformed entries are skipped.
std::vector<UnitConversion> parseConversionTable(const QString& text);

// Linear interpolation through (x1, y1) and (x2, y2). When x2 does not
// exceed x1 by at least 0.0001 the result is y1 + (y2 - y1) x fallback, the
// calculation error flag is set and a message names `caller`.
float yggx(DeviceModel& m, float x, float x1, float x2, float y1, float y2,
           const QString& caller = QString(), float fallback = 0.5f);

// Table linearisation over m.cal.LinAdc / LinMw.
float calclin(DeviceModel& m, float x);

// Converts between units written with brackets; NaN (and a message) when a
// unit is unknown or the table cannot express the conversion.
float convertUnit(DeviceModel& m, float value, const QString& source, const QString& dest,
                  const QString& field);
// Text form: "" for a failed conversion, else the value with trailing zeros trimmed.
QString convertUnitText(DeviceModel& m, const QString& value, const QString& source,
                        const QString& dest, const QString& field);
// The base value of `r`: its content in its base unit (the content itself
// when either unit is missing or they are the same).
QString baseValueOf(DeviceModel& m, const FieldRecord& r);
// Sets the content of field `dest` to the content of `source`, converted
// from the source's unit into the destination's (its unit goes to `unit`
// when given). False, and nothing changed, when either field is missing,
// the source is empty or the conversion fails (the conversion reports that
// itself).
bool copyContentInUnit(DeviceModel& m, const QString& dest, const QString& source,
                       QString* unit = nullptr);

// Formats `value` with `decimals` (0..3), or automatically for any other
// number, and adjusts the field's input format to what is shown.
QString formatDecimals(DeviceModel& m, const QString& value, const QString& field, int decimals);

// Derives CalDecP from the calibration range (or from `digits` when >= 1).
void setCalibrationDecimals(DeviceModel& m, int digits);

// The raw value of `content` for field `f`, read in the unit the field
// shows (a range may show another unit than the display); the content
// itself for a field without a conversion.
QString rawOfContent(DeviceModel& m, const FieldRecord& f, const QString& content);

// Which way a conversion runs; Debug.log shows the number.
enum class ConvertTo { Content = 1, Raw = 2 };

// Runs conversion `proc` on `value` of `field`: raw -> content or
// content -> raw.
QString applyConversion(DeviceModel& m, Conversion proc, const QString& value, const QString& field,
                        ConvertTo direction);

// What a whole-table conversion collected for the log.
struct RawTrace {
    QString transmitter;  // "Name=raw;" of the TRANSMITTER fields
    QString switches;     // "Name=raw;" of the switch-point group
};

// Converts every field of `fieldList` (";"-separated names) raw -> content
// (endecode 1) or content -> raw (2).
RawTrace convertAllRawToMeasurand(DeviceModel& m, int endecode, const QString& fieldList);

// Switches the display unit from code `oldCode` to `newCode` of the units
// list and converts every measurand field.
void changeUnit(DeviceModel& m, int oldCode, int newCode);

// Trailing zeros (and a trailing point) removed: "12.500" -> "12.5", "3.000" -> "3".
QString trimTrailingZeros(const QString& number);

}  // namespace zh
