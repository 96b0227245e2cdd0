#include "universal_commands.h"

#include "sim/byte_order.h"

namespace hartsim {

namespace {

// HART unit codes of the variables beyond the primary one.
constexpr std::uint8_t kUnitDegreesCelsius = 32;
constexpr std::uint8_t kUnitPercent = 57;
constexpr std::uint8_t kUnitMilliamperes = 39;
// Command 0 of a HART 7 device: its revisions, device variables and profile
// (1: HART process automation device).
constexpr std::uint8_t kHart7DeviceRevision = 3, kHart7SoftwareRevision = 12,
                       kHart7HardwareRevision = 4, kHart7DeviceVariables = 4,
                       kHart7DeviceProfile = 1;

CommandResult refused(std::uint8_t code) {
    return CommandResult{code, {}, 0};
}

CommandResult answered(std::vector<std::uint8_t> data) {
    return CommandResult{kResponseSuccess, std::move(data), 0};
}

std::vector<std::uint8_t> bytesOf(const UniversalRequest& request, std::size_t from,
                                  std::size_t size) {
    return std::vector<std::uint8_t>(request.begin() + static_cast<std::ptrdiff_t>(from),
                                     request.begin() + static_cast<std::ptrdiff_t>(from + size));
}

void append24(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 16; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A configuration write: refused while write protected, otherwise carried
// out by `change` and answered with the request's data.
template <typename Change>
CommandResult configurationWrite(Device& device, const UniversalRequest& request, std::size_t size,
                                 Change change) {
    if (device.transmitter().writeProtected()) return refused(kResponseWriteProtected);
    change(device.records());
    return answered(bytesOf(request, 0, size));
}

bool hasLongTag(const DeviceConfig& config) {
    // Long tags came with HART 6; our own transmitter has one as well.
    return config.identity != Identity::Hart5;
}

}  // namespace

// Loop current, then unit and value of PV and SV (the sensor temperature);
// another maker's device adds TV (percent of range) and QV (loop current).
CommandResult readDynamicVariables(Device& device, const DeviceConfig& config,
                                   const UniversalRequest&) {
    const Transmitter& t = device.transmitter();
    std::vector<std::uint8_t> data;
    appendHartFloat(data, t.loopCurrentMa());
    data.push_back(t.settings().rangeUnit);
    appendHartFloat(data, t.primaryValue());
    data.push_back(kUnitDegreesCelsius);
    appendHartFloat(data, device.sensorTemperature());
    if (config.identity != Identity::Ours) {
        data.push_back(kUnitPercent);
        appendHartFloat(data, t.percentOfRange());
        data.push_back(kUnitMilliamperes);
        appendHartFloat(data, t.loopCurrentMa());
    }
    return answered(std::move(data));
}

CommandResult readMessage(Device& device, const DeviceConfig&, const UniversalRequest&) {
    return answered(device.records().message);
}

CommandResult readTagDescriptorDate(Device& device, const DeviceConfig&, const UniversalRequest&) {
    const UniversalRecords& r = device.records();
    std::vector<std::uint8_t> data = r.tag;
    data.insert(data.end(), r.descriptor.begin(), r.descriptor.end());
    data.insert(data.end(), r.date.begin(), r.date.end());
    return answered(std::move(data));
}

// Sensor serial number, the unit of the limits (the PV unit), upper and
// lower sensor limit, minimum span.
CommandResult readSensorInformation(Device& device, const DeviceConfig& config,
                                    const UniversalRequest&) {
    const Transmitter& t = device.transmitter();
    std::vector<std::uint8_t> data;
    append24(data, config.deviceId ^ 0x5A5A5A);
    data.push_back(t.settings().rangeUnit);
    appendHartFloat(data, t.sensorUpperLimit());
    appendHartFloat(data, t.sensorLowerLimit());
    appendHartFloat(data, t.minimumSpan());
    return answered(std::move(data));
}

CommandResult readFinalAssemblyNumber(Device& device, const DeviceConfig&,
                                      const UniversalRequest&) {
    std::vector<std::uint8_t> data;
    append24(data, device.records().finalAssembly);
    return answered(std::move(data));
}

CommandResult writeMessage(Device& device, const DeviceConfig&, const UniversalRequest& request) {
    return configurationWrite(device, request, 24,
                              [&](UniversalRecords& r) { r.message = bytesOf(request, 0, 24); });
}

CommandResult writeTagDescriptorDate(Device& device, const DeviceConfig&,
                                     const UniversalRequest& request) {
    return configurationWrite(device, request, 21, [&](UniversalRecords& r) {
        r.tag = bytesOf(request, 0, 6);
        r.descriptor = bytesOf(request, 6, 12);
        r.date = bytesOf(request, 18, 3);
    });
}

CommandResult writeFinalAssemblyNumber(Device& device, const DeviceConfig&,
                                       const UniversalRequest& request) {
    return configurationWrite(device, request, 3, [&](UniversalRecords& r) {
        r.finalAssembly = (static_cast<std::uint32_t>(request[0]) << 16) |
                          (static_cast<std::uint32_t>(request[1]) << 8) | request[2];
    });
}

CommandResult readLongTag(Device& device, const DeviceConfig& config, const UniversalRequest&) {
    if (!hasLongTag(config)) return refused(kResponseNotImplemented);
    return answered(device.records().longTag);
}

CommandResult writeLongTag(Device& device, const DeviceConfig& config,
                           const UniversalRequest& request) {
    if (!hasLongTag(config)) return refused(kResponseNotImplemented);
    return configurationWrite(device, request, 32,
                              [&](UniversalRecords& r) { r.longTag = bytesOf(request, 0, 32); });
}

// The range values go over into the new unit, so commands 1, 3 and 15
// answer in it from now on.
CommandResult writePrimaryVariableUnit(Device& device, const DeviceConfig&,
                                       const UniversalRequest& request) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return refused(kResponseWriteProtected);
    const std::uint8_t code = t.writeUnit(request[0]);
    if (code != kResponseSuccess) return refused(code);
    return answered({request[0]});
}

// Device-specific status bytes 0-5 (byte 0: bit 0 loop current fixed, bit 1
// loop current saturated, bit 2 PV beyond the sensor limits, bit 3 a note
// from power-up), extended device status, device operating mode; HART 7 adds
// standardized status 0 and 1, analog channel saturated, standardized
// status 2 and 3, analog channel fixed. Reading it ends "more status
// available".
CommandResult readAdditionalStatus(Device& device, const DeviceConfig& config,
                                   const UniversalRequest&) {
    const std::uint8_t status = device.transmitter().status();
    const bool fixed = (status & 0x08) != 0;
    const bool saturated = (status & 0x04) != 0;
    std::vector<std::uint8_t> data(8, 0);
    data[0] = static_cast<std::uint8_t>((fixed ? 0x01 : 0) | (saturated ? 0x02 : 0) |
                                        ((status & 0x01) ? 0x04 : 0) |
                                        (device.additionalStatusPending() ? 0x08 : 0));
    if (config.universalRevision() >= 7) {
        data.insert(data.end(), {0, 0, static_cast<std::uint8_t>(saturated ? 1 : 0), 0, 0,
                                 static_cast<std::uint8_t>(fixed ? 1 : 0)});
    }
    device.additionalStatusRead();
    return answered(std::move(data));
}

CommandResult readHart7Identifier(Device& device, const DeviceConfig& config) {
    const std::uint16_t changes = device.configurationChangeCounter();
    std::vector<std::uint8_t> data = {
        254, config.manufacturerId, config.deviceType, kRequestPreambles, 7, kHart7DeviceRevision,
        kHart7SoftwareRevision,
        // hardware revision in bits 3-7, physical signalling 0 (Bell 202 current)
        static_cast<std::uint8_t>(kHart7HardwareRevision << 3), 0x00};
    append24(data, config.deviceId);
    data.insert(data.end(),
                {static_cast<std::uint8_t>(config.preambles), kHart7DeviceVariables,
                 static_cast<std::uint8_t>(changes >> 8), static_cast<std::uint8_t>(changes), 0,
                 static_cast<std::uint8_t>(config.manufacturer16 >> 8),
                 static_cast<std::uint8_t>(config.manufacturer16),
                 static_cast<std::uint8_t>(config.manufacturer16 >> 8),
                 static_cast<std::uint8_t>(config.manufacturer16), kHart7DeviceProfile});
    return answered(std::move(data));
}

// "layout": a success whose data is not what our device gives (our block
// reads are 24 bytes, our configuration read 26): ten bytes of its own.
CommandResult foreignDeviceSpecific(const DeviceConfig& config, std::uint8_t command) {
    switch (config.foreignAnswer) {
        case ForeignAnswer::NotImplemented:
            break;
        case ForeignAnswer::DeviceError:
            return refused(kResponseDeviceSpecificError);
        case ForeignAnswer::OtherLayout:
            return answered({command, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90});
    }
    return refused(kResponseNotImplemented);
}

}  // namespace hartsim
