#include "commands.h"

#include <cmath>
#include <cstring>

namespace hartsim {

namespace {

enum class Part { Any, Transmitter, Display };

using Handler = CommandResult (*)(Device&, const DeviceConfig&, const std::vector<std::uint8_t>&);

CommandResult fail(std::uint8_t code) {
    return CommandResult{code, {}};
}

// Floats in universal commands are IEEE 754 single precision, most
// significant byte first.
float floatAt(const std::vector<std::uint8_t>& data, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits = (bits << 8) | data[offset + i];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void appendFloat(std::vector<std::uint8_t>& out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

CommandResult readUniqueIdentifier(Device&, const DeviceConfig& config,
                                   const std::vector<std::uint8_t>&) {
    const std::uint32_t id = config.deviceId & 0xFFFFFF;
    return {kResponseSuccess,
            {kExpandedDeviceType, config.manufacturerId, config.deviceType, kRequestPreambles,
             kUniversalRevision, kDeviceRevision, kSoftwareRevision,
             // hardware revision in bits 3-7, physical signalling 0 (Bell 202 current)
             static_cast<std::uint8_t>(kHardwareRevision << 3), 0x00,
             static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
             static_cast<std::uint8_t>(id)}};
}

CommandResult enterExitFixedCurrent(Device& device, const DeviceConfig&,
                                    const std::vector<std::uint8_t>& request) {
    if (request.size() < 4) return fail(kResponseTooFewDataBytes);
    const float current = floatAt(request, 0);
    if (std::isnan(current)) return fail(kResponseInvalidSelection);
    if (current != 0.0f) {
        if (current < kMinimumLoopCurrent) return fail(kResponseParameterTooSmall);
        if (current > kMaximumLoopCurrent) return fail(kResponseParameterTooLarge);
    }
    device.setFixedCurrent(current);
    CommandResult result;
    appendFloat(result.data, device.fixedCurrentMa());
    return result;
}

// 22 configuration bytes, then the nominal range high and low as signed
// 16-bit values, least significant byte first.
CommandResult readAdcConfiguration(Device& device, const DeviceConfig&,
                                   const std::vector<std::uint8_t>&) {
    CommandResult result;
    const auto& bytes = device.configurationBytes();
    result.data.assign(bytes.begin(), bytes.end());
    for (std::int16_t v : {device.nominalHigh(), device.nominalLow()}) {
        result.data.push_back(static_cast<std::uint8_t>(v & 0xFF));
        result.data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }
    return result;
}

CommandResult writeBlock(Device& device, const DeviceConfig&,
                         const std::vector<std::uint8_t>& request) {
    if (request.size() < 24) return fail(kResponseTooFewDataBytes);
    if (!Device::isWritableBlock(request[0])) return fail(kResponseInvalidSelection);
    BlockImage image;
    std::copy(request.begin(), request.begin() + 24, image.begin());
    const BlockImage stored = device.writeBlock(image);
    return {kResponseSuccess, std::vector<std::uint8_t>(stored.begin(), stored.end())};
}

CommandResult readBlock(Device& device, const DeviceConfig&,
                        const std::vector<std::uint8_t>& request) {
    if (request.empty()) return fail(kResponseTooFewDataBytes);
    if (!Device::isBlock(request[0])) return fail(kResponseInvalidSelection);
    const BlockImage image = device.readBlock(request[0]);
    return {kResponseSuccess, std::vector<std::uint8_t>(image.begin(), image.end())};
}

struct CommandEntry {
    std::uint8_t command;
    Part part;
    Handler handler;
};

const CommandEntry kCommands[] = {
    {0, Part::Any, readUniqueIdentifier},
    {40, Part::Any, enterExitFixedCurrent},
    {141, Part::Transmitter, readAdcConfiguration},
    {190, Part::Display, writeBlock},
    {191, Part::Display, readBlock},
};

bool present(Part part, Presence presence) {
    switch (part) {
        case Part::Transmitter:
            return presence != Presence::DisplayOnly;
        case Part::Display:
            return presence != Presence::TransmitterOnly;
        case Part::Any:
            break;
    }
    return true;
}

}  // namespace

CommandResult executeCommand(Device& device, const DeviceConfig& config, std::uint8_t command,
                             const std::vector<std::uint8_t>& request) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command != command) continue;
        if (!present(entry.part, config.presence)) break;
        return entry.handler(device, config, request);
    }
    return fail(kResponseNotImplemented);
}

}  // namespace hartsim
