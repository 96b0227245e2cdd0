#pragma once
// The administrator's tab shows its own copy of a few fields of the other
// tabs: the tag, the versions, the serial numbers, the unit, the damping
// and the loop test value. A copy always shows what its original holds:
// after a read, after a data file is loaded, and after either side is
// edited. This table is the one list of those pairs.

#include <QString>

namespace zh {

struct DeviceModel;

// The other field of the pair `name` belongs to (copy or original), or
// an empty text for a field without a twin.
QString twinOf(const QString& name);
// Whether `name` is the copy of a pair (it holds nothing of its own).
bool isTwinCopy(const QString& name);

// `dest` takes the value of `source` (any two fields, not only twins): raw
// value, content as dest shows it (its combo code, its conversion of the
// raw value, or in its unit), base value and colour state. False when
// either field is missing.
bool copyFieldValue(DeviceModel& m, const QString& dest, const QString& source);

// Every copy takes the value of its original.
void copyTwins(DeviceModel& m);

}  // namespace zh
