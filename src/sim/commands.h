#pragma once
// What the device does with one command addressed to it: the command table
// (which part answers, how many request bytes it needs, whether it changes
// the device) and the handlers that carry the commands out on the device,
// without any framing.

#include <cstdint>
#include <vector>

#include "sim/device.h"
#include "sim/simulator.h"
#include "sim/transmitter.h"

namespace hartsim {

// Command 0 identity: expanded-device-type marker, the minimum preambles a
// master must send, universal command revision 5, the revision of our own
// commands, software revision and hardware revision of the device.
constexpr std::uint8_t kExpandedDeviceType = 254;
constexpr std::uint8_t kRequestPreambles = 5;
constexpr std::uint8_t kUniversalRevision = 5;
constexpr std::uint8_t kDeviceRevision = 1;
constexpr std::uint8_t kSoftwareRevision = 3;
constexpr std::uint8_t kHardwareRevision = 2;

struct CommandResult {
    std::uint8_t responseCode = kResponseSuccess;
    std::vector<std::uint8_t> data;
    int extraDelayMs = 0;  // the command takes longer than the usual turnaround
};

// Carries out `command` with the request data. Commands of a part that is
// not present (transmitter or display module), and unknown commands, give
// response code 64; a request shorter than the command needs gives 5.
CommandResult executeCommand(Device& device, const DeviceConfig& config, std::uint8_t command,
                             const std::vector<std::uint8_t>& request);

}  // namespace hartsim
