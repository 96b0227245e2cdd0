#pragma once
// The serial ports a HART modem may be connected to.

#include <QString>
#include <vector>

namespace zh {

class Logger;

struct ComPortEntry {
    QString name;    // what the profile stores and the library opens: "/dev/ttyUSB0", "Sim"
    QString label;   // what the menu shows: "ttyUSB0 (FTDI USB Serial)"
    int menuId = 0;  // 5000 + position
};

// The ports present on this machine, sorted by name, and last the
// built-in device simulator "Sim". Pseudo-terminals are not listed; they
// can be entered by path.
std::vector<ComPortEntry> GetAvailableComPorts(Logger& log);

}  // namespace zh
