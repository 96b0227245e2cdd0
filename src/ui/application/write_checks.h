#pragma once
// The checks an entry passes in the window (its type, digits and limits,
// the switch-point limits), run by every write on each value it changes,
// the batch commands' writes included: no value reaches the device that
// the window would have refused.

#include <QStringList>

namespace zh {

class ApplicationCheck;
struct DeviceCore;
struct DeviceModel;

// One line per field of `names` whose content fails a check ("Damping:
// -5"); empty when all pass. Nothing is asked, nothing changes.
QStringList checkFieldsForWrite(DeviceModel& model, ApplicationCheck& check,
                                const QStringList& names);

// Installs the checks into the core's write for a run without a window.
void installWriteChecks(DeviceCore& core);

}  // namespace zh
