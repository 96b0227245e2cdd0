#pragma once
// Serving the simulator on a pseudo-terminal, so that a master opens the
// slave side like any serial port.

#include <string>

#include "sim/line.h"

namespace hartsim {

struct PtyRunOptions {
    double seconds = 0;   // serve this long; 0: until SIGTERM or SIGINT
    std::string logPath;  // every frame as an "RX"/"TX" hex line; empty: no log
    // Emulate the wire: wait the turnaround time, then send at 1200 bit/s.
    // Without it answers go out at once (a Late fault still waits its delay).
    bool realtime = false;
};

// Creates the pseudo-terminal, prints the slave's path as the first line on
// stdout and answers what arrives; devices in burst mode put their burst
// frames on the line while it is quiet. Returns the process exit code.
int runOnPty(Line& line, const PtyRunOptions& options);

}  // namespace hartsim
