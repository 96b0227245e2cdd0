#pragma once
// The device data model of the running program: the field table, the
// scaling state and the current device selection, with the program context
// they report through. Built once by main() (or a test) and passed down.

#include <QString>
#include <QStringList>
#include <functional>

#include "app/presence.h"
#include "calibration_state.h"
#include "field_events.h"
#include "field_table.h"

namespace zh {

struct Program;

// Which device variant is selected.
struct DeviceSelection {
    int DevIndx = -1;        // device index (configuration byte 16); -1 = not yet known
    int DevType = 0;         // configuration key (byte 20)
    int CalcMeth = 0;        // calculation method (byte 8)
    QString DeviceTypeList;  // "description=code;" items of the DevType combobox
    QString ConfigName;      // description of the selected configuration
};

// What the model asks of the window. Unset hooks do nothing (no window).
struct ModelHooks {
    std::function<void()> refreshLiveDisplay;           // the read-out and live values
    std::function<void(int devIndx)> showOptionGroups;  // option groups of a device class
    std::function<void(int calcMeth)>
        showCalcMethodGroups;                  // selector, table and polynomial groups
    std::function<void()> refreshAllControls;  // push every field into its control
    std::function<void(const QString& mode)>
        syncRangeFields;               // dependent range fields ("noupdate")
    std::function<void()> bindFields;  // labels, lists and tooltips when a definition pass ends
    // The text the window labels a field with; unset or "" when none does.
    std::function<QString(const QString& field)> caption;
};

struct DeviceModel {
    explicit DeviceModel(Program& p) : program(p) {}
    DeviceModel(const DeviceModel&) = delete;
    DeviceModel& operator=(const DeviceModel&) = delete;

    Program& program;
    FieldTable fields;
    CalibrationState cal;
    DeviceSelection selection;
    ModelHooks hooks;
    FieldEvents events;

    // Fields that carry the measurand's base unit ("HiTrail;LoTrail;...;").
    QString measurandFields;
    // Decimals of the low part of user form 2 (set by decoding user form 3).
    int userFormDecimals = 0;
    // "gadget": readRecordData reads the field table; otherwise the packed record.
    QString recordMode = QStringLiteral("gadget");

    // Where the values of the table come from: true after a read of the
    // device (and after writing them to it); false for a data file or new
    // data, which a write lays over the device's own values (read first in
    // the same connection), so that what the data do not hold stays as the
    // device has it.
    bool fromDevice = false;
    // The fields a data file gave values for (empty: every field counts).
    QStringList loadedFields;
    // The parts of the device the data hold values of: a read of the
    // transmitter alone leaves the display module's fields at values that
    // are not this device's, and a file saved from it must not give them
    // to a module later.
    Presence dataParts = Presence::All;
    // The field device status bits the device reported while these data
    // were read from it (or written to it), or the status a data file kept;
    // -1 when not known (new data, a file without it).
    int deviceStatus = -1;

    // The profile section of the current device type (the measurand name).
    QString deviceSection() const { return cal.Measurand; }
};

// The caption field `name` is shown under, as its label has it; "" without a
// window or a label. Messages about a field name it by this caption.
inline QString fieldCaption(const DeviceModel& m, const QString& name) {
    return m.hooks.caption ? m.hooks.caption(name) : QString();
}

}  // namespace zh
