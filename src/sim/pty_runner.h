#pragma once
// Serving the simulator on a pseudo-terminal, so that a master opens the
// slave side like any serial port.

#include <string>

#include "sim/line.h"

namespace hartsim {

struct PtyRunOptions {
    double seconds = 0;  // serve this long; 0: until SIGTERM or SIGINT
    // Every frame as a time-stamped hex line ("RX" the master's, "TX" the
    // devices', "M2" a second master's) and every collision; empty: no log.
    std::string logPath;
    // Emulate the wire: wait the turnaround time, then send at 1200 bit/s.
    // Without it answers go out at once (a Late fault still waits its delay).
    bool realtime = false;
};

// Creates the pseudo-terminal, prints the slave's path as the first line on
// stdout and answers what arrives; devices in burst mode and a second master
// (othermaster=) share the line with the master as loop_traffic.h tells.
// Returns the process exit code; the line counts the collisions.
int runOnPty(Line& line, const PtyRunOptions& options);

}  // namespace hartsim
