#pragma once
// The status line and the lamps of the status area: the port and whether
// the device is online, whether the data shown are saved in a file, and
// whether the device holds them.

#include <QString>

namespace zh {

struct Program;
class WindowFrame;

// `moduleState` 1: the device holds the data shown. `connectionDetail`
// follows " Online " while connected. `deviceStatus` (the field device
// status bits the data came with, -1 not known) follows the module state in
// words when the device flagged anything.
void updateStatusLine(Program& p, WindowFrame& frame, int moduleState,
                      const QString& connectionDetail, int deviceStatus = -1);

// The lamps of the live display: the two switch outputs (-1 unknown, 0
// open, 1 closed) and the Online lamp, lit or dark by turns.
void updateLiveLamps(Program& p, int switch1, int switch2, bool onlineLit);

}  // namespace zh
