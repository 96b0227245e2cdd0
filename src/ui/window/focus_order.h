#pragma once
// Tab and Shift+Tab in the main window: the focus walks the fields in the
// order they are defined (not the order of the widgets) to the next field
// whose control can take the focus, and wraps round at either end. A
// focused control that is no field (a button) starts the walk at the first
// or last field; with nothing focused the keys do nothing.

#include <functional>

namespace zh {

class FieldTable;
class QtGadgets;

// The control of the field after (`forward`) or before the one bound to
// `focusedGadget` that `focusable` accepts; -1 when there is none or
// nothing is focused (-1).
int nextFocusGadget(const FieldTable& fields, int focusedGadget, bool forward,
                    const std::function<bool(int gadget)>& focusable);

// Moves the focus as Tab (`forward`) or Shift+Tab do and selects the whole
// text of the field it lands on. A control takes the focus when it is shown
// (its tab page included), enabled and accepts focus by Tab. False when the
// focus did not move.
bool focusNextField(const FieldTable& fields, QtGadgets& gadgets, bool forward);

}  // namespace zh
