#pragma once
// The data file of any HART device's universal data (extension "hrt"): an
// INI file with the device's identity under [Device], its settings under
// [Universal], the sensor under [Sensor] and the values it measured under
// [Values]. Numbers are written with "." whatever the locale; texts as they
// are. Only the [Universal] items a device can be told are read back for
// writing (Tag, Descriptor, Date, Message, LongTag, PVUnit, RangeUnit,
// UpperRange, LowerRange, Damping); everything else is for the reader.
// An item the device did not answer is left out of the file, and an item
// left out of a file (or a number, unit or date left empty) is not written.

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

#include "hart/universal_device.h"

namespace zh {

// "hrt", the extension of these files.
QString universalFileExtension();

// Writes `data` into `path` as a whole (through a temporary file, a link
// followed): the old file stays when the new one cannot be written. False
// with `error` saying why.
bool saveUniversalFile(const QString& path, const UniversalData& data, QString* error);

// The writable items of a file; an item the file leaves out stays empty.
struct UniversalSettings {
    std::optional<QString> tag, descriptor, message, longTag;
    std::optional<QDate> date;
    std::optional<int> pvUnit, rangeUnit;
    std::optional<float> upperRange, lowerRange, damping;
    // The packed texts the file writes in small letters ("tag", "descriptor",
    // "message"): they go to the device in capitals, all it can hold.
    QStringList inCapitals;
};

// Reads the writable items of `path`, each checked as the device would
// take it, the range also against the sensor the file describes ([Sensor]:
// its limits and minimum span). On any problem (no such file, not a text file, no [Universal]
// section, a value that cannot be sent) returns false with `error` naming
// every bad key and value; `settings` is then left as it was.
bool loadUniversalFile(const QString& path, UniversalSettings* settings, QString* error);

// The short text of a float that reads back as the same float ("0.1", not
// "0.100000001"), with "." as the decimal sign.
QString floatFileText(float value);

}  // namespace zh
