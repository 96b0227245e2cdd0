#pragma once
// The universal and common-practice commands every HART device answers
// beyond the ones our program has always used: dynamic variables, message,
// tag, descriptor and date, sensor information, final assembly number, long
// tag, PV unit and additional status. And how another maker's device
// answers a command specific to our device.

#include <cstdint>
#include <vector>

#include "sim/commands.h"
#include "sim/device.h"

namespace hartsim {

using UniversalRequest = std::vector<std::uint8_t>;

CommandResult readDynamicVariables(Device&, const DeviceConfig&, const UniversalRequest&);     // 3
CommandResult readMessage(Device&, const DeviceConfig&, const UniversalRequest&);              // 12
CommandResult readTagDescriptorDate(Device&, const DeviceConfig&, const UniversalRequest&);    // 13
CommandResult readSensorInformation(Device&, const DeviceConfig&, const UniversalRequest&);    // 14
CommandResult readFinalAssemblyNumber(Device&, const DeviceConfig&, const UniversalRequest&);  // 16
CommandResult writeMessage(Device&, const DeviceConfig&, const UniversalRequest&);             // 17
CommandResult writeTagDescriptorDate(Device&, const DeviceConfig&, const UniversalRequest&);   // 18
CommandResult writeFinalAssemblyNumber(Device&, const DeviceConfig&,
                                       const UniversalRequest&);                    // 19
CommandResult readLongTag(Device&, const DeviceConfig&, const UniversalRequest&);   // 20
CommandResult writeLongTag(Device&, const DeviceConfig&, const UniversalRequest&);  // 22
CommandResult writePrimaryVariableUnit(Device&, const DeviceConfig&,
                                       const UniversalRequest&);                            // 44
CommandResult readAdditionalStatus(Device&, const DeviceConfig&, const UniversalRequest&);  // 48

// Command 0 of a HART 7 device: 22 bytes.
CommandResult readHart7Identifier(Device&, const DeviceConfig&);

// A command of 128 and above sent to another maker's device.
CommandResult foreignDeviceSpecific(const DeviceConfig& config, std::uint8_t command);

}  // namespace hartsim
