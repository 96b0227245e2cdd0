#pragma once
// What the serial transports say about a port, in the words a technician
// reads in the program's messages: one wording on every platform, whatever
// the system's own error was.

#include <string>

#include "hartlink/transport.h"

namespace hartlink::port_messages {

std::string missing(const std::string& port);
std::string busy(const std::string& port);
std::string cannotOpen(const std::string& port, const std::string& reason);
std::string notSerialPort(const std::string& port);
std::string cannotReadSettings(const std::string& port, const std::string& reason);
std::string cannotSetLine(const std::string& port, const std::string& reason);
IoStatus notOpen(const std::string& port);
IoStatus writeFailed(const std::string& port, const std::string& reason);
IoStatus notSentInTime(const std::string& port);
IoStatus readFailed(const std::string& port, const std::string& reason);
IoStatus waitFailed(const std::string& port, const std::string& reason);
IoStatus lost(const std::string& port);

}  // namespace hartlink::port_messages
