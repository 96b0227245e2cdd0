#pragma once
// Showing, hiding, enabling and disabling controls one by one and in the
// groups the window is made of: the two switch channels, the hall-switch,
// table, polynomial and calculation-method groups of the administration,
// the pressure and temperature groups, and the test controls. Controls are
// named as in the control registry ("FldSetPoint1"); a control bound to a
// field goes through the field, so the field's Visibility and Access follow.
// State 1 hides (or disables), 0 shows (or enables).

#include <QString>

namespace zh {

struct DeviceModel;

// Hides or shows the control and, for a field, its unit control; the
// field's Visibility becomes "hidden" or "visible". A "nodisplay" field is
// never shown.
void hideFieldGadget(DeviceModel& m, int control, int state);
// Disables or enables the control; the field's Access becomes "disabled" or
// "enabled". Fields that are "readonly" or "nodisplay" keep their state.
void disableFieldGadget(DeviceModel& m, int control, int state);
// The same by registry name; an unknown name is logged and ignored.
void hideControl(DeviceModel& m, const QString& name, int state);
void disableControl(DeviceModel& m, const QString& name, int state);

void hideSwitchGadgets1(DeviceModel& m, int state);
void hideSwitchGadgets2(DeviceModel& m, int state);
void hideAdminSwitchGadgets(DeviceModel& m, int state);
void hideAdminTableGadgets(DeviceModel& m, int state);
void hideAdminPolynomGadgets(DeviceModel& m, int state);
void hideAdminTMUGadgets(DeviceModel& m, int state);
void hidePGadgets(DeviceModel& m, int state);
void hideTGadgets(DeviceModel& m, int state);
// The raw AD value and the calibration decimal point: they follow `state`
// for administrators, customizers and in test mode, else stay hidden.
void hideTestGadgets(DeviceModel& m, int state);

// Hysteresis shows the set and reset points of switch channel 1 or 2 and
// hides its window limits, Frame the reverse; with no switch contact
// selected (field "SelectEquip" 0) all of them are hidden. Debug.log names
// them "hyst" and "frame".
enum class SwitchMode { Hysteresis, Frame };
void enableHystFrame(DeviceModel& m, int channel, SwitchMode mode);

// The option groups of a device index: the switch groups for 1 and 2, the
// transmitter (calculation method) groups for 0, 4 and 16, all of them for
// any other index (-1 not yet known, 3 display module only).
void showOptionGroups(DeviceModel& m, int devIndx);
// The groups of calculation method `calcMeth`: -1 none; 0 the selector;
// 1 the selector and the point table; others the selector.
void showCalcMethodGroups(DeviceModel& m, int calcMeth);
// A new data set: the pressure groups for measurand 0, the temperature
// groups otherwise; the hall-switch group is hidden either way.
void showMeasurandGroups(DeviceModel& m, int measurand);

// All of the above for the data shown: the measurand's groups, then the
// option groups of the selected device index and, for a transmitter
// variant, those of the calculation method in field "CalcMethod".
void showDeviceGroups(DeviceModel& m, int measurand);

// Connects the model's option-group hooks to the functions above.
void installVisibilityHooks(DeviceModel& m);

}  // namespace zh
