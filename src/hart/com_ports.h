#pragma once
// The serial ports a HART modem may be connected to.

#include <QString>
#include <vector>

#include "hart/port_entry.h"

namespace zh {

class Logger;

struct ComPortEntry {
    // What the profile stores and the library opens: the adapter's link in
    // /dev/serial/by-id where it has one, else the device path
    // ("/dev/ttyS0"), or "Sim".
    QString name;
    QString label;   // what the menu shows: "FTDI FT232R USB UART (serial A50285BI) - /dev/ttyUSB0"
    QString device;  // the device path ("/dev/ttyUSB0"); empty for "Sim"
    int menuId = 0;  // 5000 + position
};

// What the system tells about one port, as plain values.
struct PortFacts {
    QString path;          // "/dev/ttyUSB0"
    QString portName;      // "ttyUSB0"
    QString manufacturer;  // "FTDI"; empty when unknown
    QString description;   // the product: "FT232R USB UART"; empty when unknown
    QString serialNumber;  // empty when the adapter has none
    bool hasIds = false;   // a USB device: vendor and product id known
    quint16 vendorId = 0;
    quint16 productId = 0;
};

// The port as a person knows it. A USB modem by maker and product, with its
// serial number when it has one (two modems of one make differ there), or
// by its ids where the system knows no names ("USB 0403:6001"), and the
// device path after it; any other port as "ttyS0", with the system's
// description in parentheses when there is one.
QString portLabel(const PortFacts& port);

// The ports present on this machine, sorted by device path, and last the
// built-in device simulator "Sim". Pseudo-terminals are not listed; they
// can be entered by path. A port with a link in `byIdFolder` is named by
// it, and its label ends with the link's name.
std::vector<ComPortEntry> availableComPorts(Logger& log,
                                            const QString& byIdFolder = kSerialByIdFolder);

}  // namespace zh
