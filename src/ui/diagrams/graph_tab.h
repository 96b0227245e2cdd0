#pragma once
// The Graph tab: the display module's diagram (Diagram1) and the
// transmitter's (Diagram2), side by side. A device with both parts shows
// both; a module or a transmitter on its own shows its own, and the other
// control stays empty.

#include "app/presence.h"

namespace zh {

struct Program;
struct DeviceModel;
struct LiveState;
struct Diagram;
class QtGadgets;

class GraphTab {
  public:
    GraphTab(Program& program, DeviceModel& model, QtGadgets& gadgets, const LiveState& live);

    // Draws the diagrams of `configuration` (the display module's, the
    // transmitter's, or any other value for both). A diagram that cannot be drawn (a control too
    // small for its plot) says so once and keeps its previous picture.
    void redraw(Presence configuration);

  private:
    void show(int control, int which, const Diagram& d);

    Program& p_;
    DeviceModel& m_;
    QtGadgets& gadgets_;
    const LiveState& live_;
    bool failed_[2] = {false, false};  // a failure already told, per diagram
};

}  // namespace zh
