#pragma once
// What the service functions share: the transmitter's universal commands as
// routines of the command executor, the confirmation question before a
// function changes the device, and reading a number from a field.

#include <QString>
#include <optional>

#include "hart/display_actions.h"

namespace zh {

struct DeviceModel;
struct Program;
class UniversalCommands;

// Command `id` (Com35, Com36, Com37, Com40, Com45 or Com46) of `commands`
// as a routine runCommand runs.
CommandRoutine universalRoutine(UniversalCommands& commands, CommandId id);

// "Please confirm function! " with OK and Cancel under `title`; true on OK.
bool confirmFunction(Program& p, const QString& title);

// `text` in the program's language (the "Application" texts).
QString applicationText(Program& p, const QString& text);

// The number the field `name` holds, in its own unit; empty (and the person
// told why, under `title`) when it holds none.
std::optional<float> fieldNumber(DeviceModel& m, const QString& name, const QString& title);

}  // namespace zh
