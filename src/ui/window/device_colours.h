#pragma once
// The colour states the device and the data files give the fields: after a
// good write every field sent shows "updated" (the device now holds it),
// after a data file is loaded every field shows "read" (as taken from the
// file), never the states of the data shown before. The administrator's
// copy of a field takes its original's state.

#include <QStringList>

namespace zh {

struct DeviceModel;

// `fields` and their administrator copies take colour state `state`;
// fields with a fixed colour ("ColorIndex=") keep it.
void setColourStates(DeviceModel& m, const QStringList& fields, short state);

// A data file was loaded: the copies show their originals' values, and
// every field with a colour state shows "read".
void showLoadedStates(DeviceModel& m);

}  // namespace zh
