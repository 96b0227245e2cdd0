#pragma once
// What the device does with one command addressed to it: the command
// handlers and the response data they produce, without any framing.

#include <cstdint>
#include <vector>

#include "sim/device.h"
#include "sim/simulator.h"

namespace hartsim {

// HART response codes (first status byte with bit 7 clear).
constexpr std::uint8_t kResponseSuccess = 0;
constexpr std::uint8_t kResponseInvalidSelection = 2;
constexpr std::uint8_t kResponseParameterTooLarge = 3;
constexpr std::uint8_t kResponseParameterTooSmall = 4;
constexpr std::uint8_t kResponseTooFewDataBytes = 5;
constexpr std::uint8_t kResponseBusy = 32;
constexpr std::uint8_t kResponseNotImplemented = 64;

// Command 0 identity: expanded-device-type marker, the minimum preambles a
// master must send, universal command revision 5, the revision of our own
// commands, software revision and hardware revision of the device.
constexpr std::uint8_t kExpandedDeviceType = 254;
constexpr std::uint8_t kRequestPreambles = 5;
constexpr std::uint8_t kUniversalRevision = 5;
constexpr std::uint8_t kDeviceRevision = 1;
constexpr std::uint8_t kSoftwareRevision = 3;
constexpr std::uint8_t kHardwareRevision = 2;

// The loop current a fixed-current request may ask for: from the low
// failure current to beyond the high one (3.6 ... 21.6 mA).
constexpr float kMinimumLoopCurrent = 3.6f;
constexpr float kMaximumLoopCurrent = 21.6f;

struct CommandResult {
    std::uint8_t responseCode = kResponseSuccess;
    std::vector<std::uint8_t> data;
};

// Carries out `command` with the request data. Commands of a part that is
// not present (transmitter or display module), and unknown commands, give
// response code 64.
CommandResult executeCommand(Device& device, const DeviceConfig& config, std::uint8_t command,
                             const std::vector<std::uint8_t>& request);

}  // namespace hartsim
