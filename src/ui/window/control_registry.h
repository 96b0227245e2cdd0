#pragma once
// The window's use of the control table (app/control_registry.h): every
// control entered into the field table.

#include <QRect>

#include "app/control_registry.h"

namespace zh {

class FieldTable;
class Gadgets;
struct FieldRecord;

// Enters every control into the field table under its number written in
// decimal, with its symbolic name and kind word. A field bound to a control
// shares that record, so it carries the same values.
void registerControls(FieldTable& fields);

// Where the control a record was entered for sits: its tab panel and tab
// (-1 outside the tab panel), and its place and size in the design, as
// `gadgets` has the bound control or else as the control table has it.
// All zero for a record that no control was entered for.
struct ControlPlace {
    int panel = 0;
    int tab = 0;
    QRect rect;
};
ControlPlace placeOf(const FieldRecord& r, const Gadgets* gadgets = nullptr);

}  // namespace zh
