#pragma once
// Whether the profile can give what reading and writing a device needs:
// for every measurand it lists, the display units and the base unit. A
// profile that is missing, empty or broken would otherwise turn a read into
// "[-]" values and default ranges, and a write would send them.

#include <QString>

namespace zh {

struct Program;

// "" when the profile gives them; else why not, for the message.
QString missingProfileUnits(Program& p);

}  // namespace zh
