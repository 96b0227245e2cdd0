#pragma once
// The window's side of the field table: after every definition pass the
// bound controls get what their fields say (combobox items and selection,
// tooltips), and the fields get what only the window knows (the label's
// text, the control's place). Works on the Gadgets interface alone.

#include <QString>

namespace zh {

class Gadgets;
struct DeviceModel;

// Fills combobox control `gadget` with the texts of `list` ("text=value;"
// items or plain items) and selects the item whose value is `value` (none
// when no item has it). "^sep" in a text stands for `separator`.
void SetComboItems(Gadgets& gadgets, int gadget, const QString& list, const QString& value,
                   const QString& separator = QStringLiteral(";"));

// Binds every field of the finished pass to its controls, in the pass's
// order. In test mode "IV" each label is relabelled with its field's name.
void BindFields(DeviceModel& m);

}  // namespace zh
