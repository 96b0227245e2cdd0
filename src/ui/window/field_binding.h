#pragma once
// The window's side of the field table: after every definition pass the
// bound controls get what their fields say (combobox items and selection,
// tooltips), and the fields get what only the window knows (the label's
// text); later the controls show what the model announces. Works on the
// Gadgets interface alone.

#include <QHash>
#include <QString>

namespace zh {

class Gadgets;
struct DeviceModel;
struct LiveHooks;

// Fills combobox control `gadget` with the texts of `list` ("text=value;"
// items or plain items) and selects the item whose value is `value` (none
// when no item has it). "^sep" in a text stands for `separator`.
void setComboItems(Gadgets& gadgets, int gadget, const QString& list, const QString& value,
                   const QString& separator = QStringLiteral(";"));

// The caption of each field and menu entry by name: the text of the field's
// label as the binding found it, or the menu entry's description. The
// model's caption hook answers from it.
using FieldCaptions = QHash<QString, QString>;

// Binds every field of the finished pass to its controls, in the pass's
// order, and notes each field's caption. In test mode "IV" each label is
// relabelled with its field's name.
void bindFieldControls(DeviceModel& m, FieldCaptions& captions);

// Shows what the model announces about a field (its text, list and
// selection) in the field's control. The device-type lists and the
// configuration's description have controls of their own for when no field
// is bound to them.
void BindFieldEvents(DeviceModel& m);

// Test mode: the live display takes its converter value from the "Test
// input" window's controls, and the window follows the value shown.
void BindTestInput(Gadgets& gadgets, LiveHooks& hooks);

}  // namespace zh
