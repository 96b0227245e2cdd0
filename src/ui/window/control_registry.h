#pragma once
// The window's use of the control table (app/control_registry.h): every
// control entered into the field table.

#include "app/control_registry.h"

namespace zh {

class FieldTable;

// Enters every control into the field table under its number written in
// decimal: symbolic name, kind word, place and size, panel and tab. A field
// bound to a control shares that record, so it carries the same values.
void registerControls(FieldTable& fields);

}  // namespace zh
