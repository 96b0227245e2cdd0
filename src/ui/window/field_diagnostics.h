#pragma once
// Diagnostics of the field table: the report of the field under a point of
// the window, the shorter report of the control-info window, and the dump
// of the whole table into the debug log.

#include <QPoint>
#include <QString>
#include <functional>

namespace zh {

struct DeviceModel;
struct FieldRecord;

class Gadgets;

// The window as the inspector needs to see it.
struct InspectorView {
    // The controls, for where they are now (without: the control table's places).
    const Gadgets* gadgets = nullptr;
    // Whether `panel` shows tab `tab` now (fields outside panels: panel <= 0).
    std::function<bool(int panel, int tab)> tabShown;
    // Top-left corner of `panel` in the window.
    std::function<QPoint(int panel)> panelOrigin;
    // The control's state as text, by its kind ("state=1", "text=...").
    std::function<QString(int gadget)> controlState;
};

class FieldInspector {
  public:
    // Forgets the last hit.
    void reset() { lastIndex_ = -1; }
    // The report of the bound field at `point` (window coordinates); "" when
    // none is there. Staying inside the last hit returns the same report.
    QString inspect(DeviceModel& m, const InspectorView& view, QPoint point);

  private:
    int lastIndex_ = -1;
    QString lastText_;
};

// "Indx:", "Name:", ... one line per member of the record at `index`.
QString fieldReport(const DeviceModel& m, int index, const QString& controlState = QString());
// "Field:", "Index:", "ID:", ... for the control-info window.
QString gadgetInfoReport(const DeviceModel& m, int index, int state0, int state1);
// Writes every record of the table into the debug log, one line each.
void dumpFieldTable(DeviceModel& m);

}  // namespace zh
