#pragma once
// Port numbers and port names. The program knows ports by number (the
// digits of "ComN"); SetPortName gives a number any name, and a name picks
// the transport:
//   "Sim", "Sim:<options>"  the built-in simulator; without options after
//                           the colon, those of HARTSIM_OPTIONS
//   "ComN" (any case)       the N-th serial port, /dev/ttyS<N-1> (Com1 is
//                           /dev/ttyS0, as Windows' COM1 is the first
//                           port); on Windows COMN itself
//   anything else           a device path: /dev/ttyUSB0, /dev/pts/3, ...;
//                           on Windows a device name (\\.\CNCA0)

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "hartlink/transport.h"

namespace hartlink {

class PortNames {
  public:
    // Names a number; an empty name forgets it.
    void set(std::uint16_t number, const std::string& name);
    // The name behind a number: its own name, else "ComN"; empty for a
    // number 0 that was never named (there is no Com0).
    std::string nameOf(std::uint16_t number) const;

  private:
    std::map<std::uint16_t, std::string> names_;
};

// N of a "ComN" name (1..65535), else 0.
int comNumberOf(const std::string& name);

// The device path of a serial port name: "/dev/ttyS<N-1>" for "ComN" (on
// Windows "COMN"), else the name itself.
std::string devicePathOf(const std::string& name);

// Whether the name is the simulator's, and its options.
bool isSimName(const std::string& name, std::string* options);

// The transport a port name stands for (not opened yet). Empty names and
// "Com0" give no transport; `error` says why.
std::unique_ptr<Transport> makeTransportForName(const std::string& name, std::string* error);

}  // namespace hartlink
