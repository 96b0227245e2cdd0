#pragma once
// Which controls of the main window show each shown field of the field
// list: the control that shows and takes its value, the label that names it
// and the label that shows its unit, by their names in the control table
// ("FldSetPoint1", "DscSetPoint1", "UnitSetPoint1"; "" for none). Adding a
// shown field means adding its row here too.

#include <cstddef>

namespace zh {

struct FieldControlNames {
    const char* field;
    const char* control;
    const char* label;
    const char* unit;
};

// One row per field, in field-list order.
const FieldControlNames* fieldControlNamesBegin();
const FieldControlNames* fieldControlNamesEnd();

}  // namespace zh
