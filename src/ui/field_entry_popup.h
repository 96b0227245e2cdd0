#pragma once
// The field-table entry of the control under the mouse, shown in a small
// window at the mouse position that any click or key closes (a diagnostic
// for the people who set up the program).

namespace zh {

class FieldInspector;
class MainWindow;
class QtGadgets;
struct DeviceModel;

// False when no bound field is under the mouse (nothing is shown).
bool showFieldEntry(MainWindow& window, DeviceModel& model, QtGadgets& gadgets, FieldInspector& inspector);

}  // namespace zh
