#pragma once
// Defining fields: defineField for one field, defineDataStructure for the whole
// table in its fixed order, and readRecordData, the checked read of a value.

#include <QString>
#include <QStringList>
#include <vector>

#include "field_record.h"

namespace zh {

struct DeviceModel;

// Gadget -1 begins a definition pass and -2 finishes it (the other
// arguments are ignored then; the window's bindFields hook fills the
// controls from the finished table); 0 defines an unbound field. The field
// names its label and unit controls only in the field list, for the window.
void defineField(DeviceModel& m, int gadget, const QString& name, const QString& type,
                 const QString& def, const QString& params, const QString& attributes,
                 const QString& toolTip = QString(), Conversion checkProc = Conversion::None);

// The controls the field list binds field `field` to, by their names in the
// control table ("FldSetPoint1", "DscSetPoint1", "UnitSetPoint1"); "" where
// it binds none.
struct FieldControlNames {
    QString field, control, label, unit;
};
// Every row of the field list, in its order (a field of both display
// interfaces appears twice, with the same controls).
std::vector<FieldControlNames> fieldListControls();

// Rebuilds the whole table for base unit `actBaseUnit` ("[bar]"), display
// interface `intSerIO` (0 ADC value, 1 value via the serial interface; -1
// selects 1) and display decimal point `dispDecPoint` (-11: the device
// type's own). Every value returns to its default.
void defineDataStructure(DeviceModel& m, const QString& actBaseUnit, int intSerIO,
                         int dispDecPoint);

// What is wrong with the field list itself: a control name the control
// table does not know, a value in braces that no pass works out. Empty for a
// sound list.
QStringList fieldListProblems();

// The content of `name`; a name that was never defined shows a message and
// gives "". With a record mode other than "gadget", the value is taken from
// the packed `record` instead.
QString readRecordData(DeviceModel& m, const QString& record, const QString& name);

}  // namespace zh
