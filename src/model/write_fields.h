#pragma once
// What a write sends to the device, field by field: the transmitter's
// configuration bytes, table, range (with its unit) and damping, with the
// option fields its class keeps in those bytes and that table, and the
// items of the display module's blocks the module takes over. A data file
// holds more: values of the service functions, the administrator's copies,
// the transmitter's own copy of the range. A write lays only these fields
// over the device, and a comparison with the device looks only at them.

#include <QString>
#include <QStringList>

#include "app/presence.h"

namespace zh {

struct DeviceModel;

// The fields a write to the transmitter and/or the display module sends,
// for the device class of `m` (its selection).
QStringList fieldsAWriteSends(const DeviceModel& m, bool transmitter, bool display);

// The field whose value `name` shows again and follows (the range for the
// transmitter's copy of it and for the display's start and end values, the
// original of an administrator's copy); "" for a field of its own.
QString leaderOf(const QString& name);

// Keeps of the fields a data file gave values for (`m.loadedFields`) those
// of the parts `parts` (Transmitter, Display or All); the fields a write
// sends to the other part only are left out, so a write leaves them as the
// device has them and a comparison passes over them.
void keepDataOfParts(DeviceModel& m, Presence parts);

// Why the fields `names` were not written, for a summary line: "the device
// has no CurrentOn, HartAddress; TMeasRangeHigh follows UpperRangeVal".
QString notWrittenText(const QStringList& names);

}  // namespace zh
