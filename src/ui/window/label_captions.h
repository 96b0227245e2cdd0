#pragma once
// The captions of the fields' labels without a window: the batch commands
// (the service report, the compare) name a field as the window's label
// does, in the language the program runs in, from the window's tables alone.

#include <QString>

namespace zh {

struct DeviceModel;
struct Program;

// The caption of the label that names field `field` in the window; "" for
// a field without a label.
QString labelCaption(Program& p, const QString& field);

// Lets the model's caption hook answer from labelCaption, for a run that
// builds no window (the window's binding installs its own).
void captionFieldsByLabels(DeviceModel& m);

}  // namespace zh
