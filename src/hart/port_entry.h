#pragma once
// Serial ports by names that last, and ports the person types in.

#include <QString>

namespace zh {

struct Program;

// Where udev keeps one link per USB serial adapter, named after its maker,
// product and serial number.
inline constexpr const char* kSerialByIdFolder = "/dev/serial/by-id";

// The link in `byIdFolder` that leads to the same device as `path`, so that
// a stored port keeps meaning this adapter after a replug (when ttyUSB0
// and ttyUSB1 may swap); `path` itself when no link leads there.
QString stablePortName(const QString& path, const QString& byIdFolder = kSerialByIdFolder);

// A port as short as the status line has room for: the device a stable
// link leads to ("/dev/ttyUSB0"); any other name as it is.
QString shownPortName(const QString& port, const QString& byIdFolder = kSerialByIdFolder);

// Why a typed port cannot be used; empty when it can. "Sim", "Sim:..." and
// "ComN" are names the program knows; anything else must be an existing
// character device ("ttyUSB0" means /dev/ttyUSB0). `*name` gets the name to
// store.
QString portEntryProblem(Program& p, const QString& input, QString* name);

// "Port ...": asks for a port, checks it, and stores it (as its stable
// name where there is one). True when the port was stored.
bool enterComPort(Program& p, const QString& byIdFolder = kSerialByIdFolder);

}  // namespace zh
