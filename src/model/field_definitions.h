#pragma once
// Defining fields: defineField for one field, defineDataStructure for the whole
// table in its fixed order, and readRecordData, the checked read of a value.

#include <QString>
#include <QStringList>

#include "field_record.h"

namespace zh {

struct DeviceModel;

// A definition pass: beginFieldPass, defineField for each field in order,
// endFieldPass (which calls the window's bindFields hook to fill the
// controls from the finished table). A `shown` field is part of the packed
// record, in the order of definition.
void beginFieldPass(DeviceModel& m);
void defineField(DeviceModel& m, bool shown, const QString& name, const QString& type,
                 const QString& def, const QString& params, const QString& attributes,
                 const QString& toolTip = QString(), Conversion checkProc = Conversion::None);
void endFieldPass(DeviceModel& m);

// The names of the shown fields of the field list, each once, in its order.
QStringList shownFieldNames();

// Rebuilds the whole table for base unit `actBaseUnit` ("[bar]"), display
// interface `intSerIO` (0 ADC value, 1 value via the serial interface; -1
// selects 1) and display decimal point `dispDecPoint` (-11: the device
// type's own). Every value returns to its default.
void defineDataStructure(DeviceModel& m, const QString& actBaseUnit, int intSerIO,
                         int dispDecPoint);

// What is wrong with the field list itself: a value in braces that no pass
// works out. Empty for a sound list.
QStringList fieldListProblems();

// The content of `name`; a name that was never defined shows a message and
// gives "". With a record mode other than "gadget", the value is taken from
// the packed `record` instead.
QString readRecordData(DeviceModel& m, const QString& record, const QString& name);

}  // namespace zh
