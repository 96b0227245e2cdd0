#include "hartlink/port_messages.h"

namespace hartlink::port_messages {

std::string missing(const std::string& port) {
    return "Serial port " + port + " does not exist (is the modem plugged in? check the port name)";
}

std::string busy(const std::string& port) {
    return "Serial port " + port + " is busy: another program is using it";
}

std::string cannotOpen(const std::string& port, const std::string& reason) {
    return "Cannot open serial port " + port + ": " + reason;
}

std::string notSerialPort(const std::string& port) {
    return port + " is not a serial port";
}

std::string cannotReadSettings(const std::string& port, const std::string& reason) {
    return "Cannot read the settings of " + port + ": " + reason;
}

std::string cannotSetLine(const std::string& port, const std::string& reason) {
    return "Cannot set " + port + " to 1200 bit/s 8-O-1: " + reason;
}

IoStatus notOpen(const std::string& port) {
    return IoStatus::failure("Serial port " + port + " is not open");
}

IoStatus writeFailed(const std::string& port, const std::string& reason) {
    return IoStatus::failure("Writing to " + port + " failed: " + reason);
}

IoStatus notSentInTime(const std::string& port) {
    return IoStatus::failure("Serial port " + port + " did not send its data in time");
}

IoStatus readFailed(const std::string& port, const std::string& reason) {
    return IoStatus::failure("Reading from " + port + " failed: " + reason);
}

IoStatus waitFailed(const std::string& port, const std::string& reason) {
    return IoStatus::failure("Waiting on " + port + " failed: " + reason);
}

IoStatus lost(const std::string& port) {
    return IoStatus::disconnected("Serial port " + port + " was disconnected (modem unplugged?)");
}

}  // namespace hartlink::port_messages
