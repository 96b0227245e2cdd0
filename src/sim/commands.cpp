#include "commands.h"

#include <cmath>
#include <cstring>

#include "sim/byte_order.h"
#include "sim/universal_commands.h"

namespace hartsim {

namespace {

enum class Part { Any, Transmitter, Display };

using Request = std::vector<std::uint8_t>;
using Handler = CommandResult (*)(Device&, const DeviceConfig&, const Request&);

CommandResult fail(std::uint8_t code) {
    return CommandResult{code, {}, 0};
}

CommandResult success(std::vector<std::uint8_t> data = {}) {
    return CommandResult{kResponseSuccess, std::move(data), 0};
}

// Our own commands 141 and 142 put their 16-bit values least significant
// byte first.
float floatAt(const Request& data, std::size_t offset) {
    return hartFloatAt(data, offset);
}

void appendFloat(std::vector<std::uint8_t>& out, double value) {
    appendHartFloat(out, value);
}

void appendLittle16(std::vector<std::uint8_t>& out, std::int16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::int16_t little16(const Request& data, std::size_t offset) {
    return static_cast<std::int16_t>(data[offset] | (data[offset + 1] << 8));
}

CommandResult readUniqueIdentifier(Device& device, const DeviceConfig& config, const Request&) {
    if (config.universalRevision() >= 7) return readHart7Identifier(device, config);
    const std::uint32_t id = config.deviceId & 0xFFFFFF;
    return success({kExpandedDeviceType, config.manufacturerId, config.deviceType,
                    kRequestPreambles, kUniversalRevision, kDeviceRevision, kSoftwareRevision,
                    // hardware revision in bits 3-7, physical signalling 0 (Bell 202 current)
                    static_cast<std::uint8_t>(kHardwareRevision << 3), 0x00,
                    static_cast<std::uint8_t>(id >> 16), static_cast<std::uint8_t>(id >> 8),
                    static_cast<std::uint8_t>(id)});
}

CommandResult readPrimaryVariable(Device& device, const DeviceConfig&, const Request&) {
    const Transmitter& t = device.transmitter();
    CommandResult result = success({t.settings().rangeUnit});
    appendFloat(result.data, t.primaryValue());
    return result;
}

CommandResult readCurrentAndPercent(Device& device, const DeviceConfig&, const Request&) {
    const Transmitter& t = device.transmitter();
    CommandResult result = success();
    appendFloat(result.data, t.loopCurrentMa());
    appendFloat(result.data, t.percentOfRange());
    return result;
}

// Alarm selection, transfer function (0: linear), range unit, upper and
// lower range value, damping, write protection, private-label distributor;
// HART 7 adds the analog channel flags (0: the loop current is an output).
CommandResult readOutputInformation(Device& device, const DeviceConfig& config, const Request&) {
    const Transmitter& t = device.transmitter();
    const TransmitterSettings& s = t.settings();
    CommandResult result = success({t.alarmSelectCode(), 0, s.rangeUnit});
    appendFloat(result.data, s.upperRange);
    appendFloat(result.data, s.lowerRange);
    appendFloat(result.data, s.damping);
    result.data.push_back(t.writeProtected() ? 1 : 0);
    // Another maker's device is its own distributor (250: a manufacturer ID
    // beyond one byte).
    const std::uint16_t maker = config.manufacturer16;
    result.data.push_back(config.identity == Identity::Ours ? t.manufacturer()
                          : maker < 250                     ? static_cast<std::uint8_t>(maker)
                                                            : 250);
    if (config.universalRevision() >= 7) result.data.push_back(0);
    return result;
}

// The standard configuration writes are refused while the write protection
// (configuration byte 12, bit 3) is on.
CommandResult writeDamping(Device& device, const DeviceConfig&, const Request& request) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return fail(kResponseWriteProtected);
    const std::uint8_t code = t.writeDamping(floatAt(request, 0));
    if (code != kResponseSuccess) return fail(code);
    CommandResult result = success();
    appendFloat(result.data, t.settings().damping);
    return result;
}

CommandResult writeRangeValues(Device& device, const DeviceConfig&, const Request& request) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return fail(kResponseWriteProtected);
    const std::uint8_t code = t.writeRange(request[0], floatAt(request, 1), floatAt(request, 5));
    if (code != kResponseSuccess) return fail(code);
    return success(Request(request.begin(), request.begin() + 9));
}

CommandResult setUpperRangeValue(Device& device, const DeviceConfig&, const Request&) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return fail(kResponseWriteProtected);
    return fail(t.setUpperRangeToPv());
}

CommandResult setLowerRangeValue(Device& device, const DeviceConfig&, const Request&) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return fail(kResponseWriteProtected);
    return fail(t.setLowerRangeToPv());
}

CommandResult enterExitFixedCurrent(Device& device, const DeviceConfig&, const Request& request) {
    Transmitter& t = device.transmitter();
    const std::uint8_t code = t.setFixedCurrent(floatAt(request, 0));
    if (code != kResponseSuccess) return fail(code);
    CommandResult result = success();
    appendFloat(result.data, t.fixedCurrentMa());
    return result;
}

CommandResult trim(Device& device, const Request& request, bool zero) {
    Transmitter& t = device.transmitter();
    if (t.writeProtected()) return fail(kResponseWriteProtected);
    const float measured = floatAt(request, 0);
    const std::uint8_t code = zero ? t.trimZero(measured) : t.trimGain(measured);
    if (code != kResponseSuccess) return fail(code);
    CommandResult result = success();
    appendFloat(result.data, measured);
    return result;
}

CommandResult trimDacZero(Device& device, const DeviceConfig&, const Request& request) {
    return trim(device, request, true);
}

CommandResult trimDacGain(Device& device, const DeviceConfig&, const Request& request) {
    return trim(device, request, false);
}

// Trim guidelines of the primary variable (device variable 0, also when the
// request names none): both points trimmable, the lower one within the
// bottom tenth of the nominal range, the upper one within the top tenth,
// at least a tenth apart; in the range unit.
CommandResult readTrimGuidelines(Device& device, const DeviceConfig&, const Request& request) {
    if (!request.empty() && request[0] != 0) return fail(kResponseInvalidSelection);
    const TransmitterSettings& s = device.transmitter().settings();
    const HartUnit* range = hartUnit(s.rangeUnit);
    const HartUnit* own = hartUnitNamed(device.record().unit);
    auto inRangeUnit = [&](double value) {
        if (range == nullptr || own == nullptr) return value;
        return fromBase(toBase(value, own->factor, own->offset), range->factor, range->offset);
    };
    const double low = s.nominalLow;
    const double tenth = (s.nominalHigh - s.nominalLow) / 10.0;
    CommandResult result = success({0, 3, s.rangeUnit});
    for (double v : {low, low + tenth, low + 9 * tenth, low + 10 * tenth})
        appendFloat(result.data, inRangeUnit(v));
    appendFloat(result.data, std::fabs(inRangeUnit(low + tenth) - inRangeUnit(low)));
    return result;
}

// 22 configuration bytes, then the nominal range high and low.
CommandResult readAdcConfiguration(Device& device, const DeviceConfig&, const Request&) {
    const TransmitterSettings& s = device.transmitter().settings();
    CommandResult result = success(
        std::vector<std::uint8_t>(s.configurationBytes.begin(), s.configurationBytes.end()));
    appendLittle16(result.data, s.nominalHigh);
    appendLittle16(result.data, s.nominalLow);
    return result;
}

CommandResult writeAdcConfiguration(Device& device, const DeviceConfig&, const Request& request) {
    std::array<std::uint8_t, 22> bytes;
    std::copy(request.begin(), request.begin() + 22, bytes.begin());
    device.transmitter().writeConfiguration(bytes, little16(request, 22), little16(request, 24));
    return success();
}

// The eleven table values, then what the converter reads now.
CommandResult readAgwTable(Device& device, const DeviceConfig&, const Request&) {
    const Transmitter& t = device.transmitter();
    CommandResult result = success();
    for (std::int16_t v : t.settings().agw) appendLittle16(result.data, v);
    appendLittle16(result.data, t.converterCounts());
    return result;
}

// The last word of the request (the reading) is ours to give, not to take.
CommandResult writeAgwTable(Device& device, const DeviceConfig&, const Request& request) {
    std::array<std::int16_t, 11> agw;
    for (std::size_t k = 0; k < agw.size(); ++k) agw[k] = little16(request, 2 * k);
    const std::uint8_t code = device.transmitter().writeAgwTable(agw);
    return code == kResponseSuccess ? success() : fail(code);
}

CommandResult readVersions(Device&, const DeviceConfig&, const Request&) {
    return success({kSoftwareRevision, kHardwareRevision});
}

CommandResult copyToEeprom(Device& device, const DeviceConfig&, const Request&) {
    device.transmitter().copyToEeprom();
    return success();
}

CommandResult restoreFromEeprom(Device& device, const DeviceConfig&, const Request&) {
    device.transmitter().restoreFromEeprom();
    return success();
}

CommandResult fromModule(ModuleAnswer answer) {
    return CommandResult{answer.responseCode, std::move(answer.data), answer.extraDelayMs};
}

CommandResult writeBlock(Device& device, const DeviceConfig&, const Request& request) {
    return fromModule(device.display().write(request));
}

CommandResult readBlock(Device& device, const DeviceConfig&, const Request& request) {
    if (!DisplayModule::hasBlock(request[0])) return fail(kResponseInvalidSelection);
    const BlockImage image = device.display().read(request[0]);
    return success(std::vector<std::uint8_t>(image.begin(), image.end()));
}

// Action 13 has the module read its configuration from the transmitter
// again: on one, it takes over the transmitter's range.
constexpr std::uint8_t kReinitFromTransmitter = 13;

CommandResult displayAction(Device& device, const DeviceConfig& config, const Request& request) {
    if (request[0] == kReinitFromTransmitter && config.presence == Presence::Both) {
        const auto [lower, upper] = device.transmitter().rangeOfNominal();
        device.display().followRange(lower, upper);
    }
    return fromModule(device.display().act(request[0], request.size() > 1 ? request[1] : 0));
}

struct CommandEntry {
    std::uint8_t command;
    Part part;
    std::size_t requestBytes;  // fewer are refused with response code 5
    bool changesDevice;
    Handler handler;
};

// clang-format off
const CommandEntry kCommands[] = {
    {0,   Part::Any,         0,  false, readUniqueIdentifier},
    {1,   Part::Transmitter, 0,  false, readPrimaryVariable},
    {2,   Part::Transmitter, 0,  false, readCurrentAndPercent},
    {3,   Part::Transmitter, 0,  false, readDynamicVariables},
    {12,  Part::Any,         0,  false, readMessage},
    {13,  Part::Any,         0,  false, readTagDescriptorDate},
    {14,  Part::Transmitter, 0,  false, readSensorInformation},
    {15,  Part::Transmitter, 0,  false, readOutputInformation},
    {16,  Part::Any,         0,  false, readFinalAssemblyNumber},
    {17,  Part::Any,         24, true,  writeMessage},
    {18,  Part::Any,         21, true,  writeTagDescriptorDate},
    {19,  Part::Any,         3,  true,  writeFinalAssemblyNumber},
    {20,  Part::Any,         0,  false, readLongTag},
    {22,  Part::Any,         32, true,  writeLongTag},
    {34,  Part::Transmitter, 4,  true,  writeDamping},
    {35,  Part::Transmitter, 9,  true,  writeRangeValues},
    {36,  Part::Transmitter, 0,  true,  setUpperRangeValue},
    {37,  Part::Transmitter, 0,  true,  setLowerRangeValue},
    {40,  Part::Any,         4,  true,  enterExitFixedCurrent},
    {44,  Part::Transmitter, 1,  true,  writePrimaryVariableUnit},
    {45,  Part::Transmitter, 4,  true,  trimDacZero},
    {46,  Part::Transmitter, 4,  true,  trimDacGain},
    {48,  Part::Any,         0,  false, readAdditionalStatus},
    {81,  Part::Transmitter, 0,  false, readTrimGuidelines},
    {141, Part::Transmitter, 0,  false, readAdcConfiguration},
    {142, Part::Transmitter, 0,  false, readAgwTable},
    {151, Part::Transmitter, 0,  false, readVersions},
    {181, Part::Transmitter, 26, true,  writeAdcConfiguration},
    {182, Part::Transmitter, 24, true,  writeAgwTable},
    {190, Part::Display,     24, true,  writeBlock},
    {191, Part::Display,     1,  false, readBlock},
    {192, Part::Display,     1,  true,  displayAction},
    {200, Part::Transmitter, 1,  true,  copyToEeprom},
    {201, Part::Transmitter, 1,  true,  restoreFromEeprom},
};
// clang-format on

const CommandEntry* findCommand(int command) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command == command) return &entry;
    }
    return nullptr;
}

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

bool isWriteCommand(int command) {
    const CommandEntry* entry = findCommand(command);
    return entry != nullptr && entry->changesDevice;
}

CommandResult executeCommand(Device& device, const DeviceConfig& config, std::uint8_t command,
                             const std::vector<std::uint8_t>& request) {
    // Another maker's device knows nothing of our commands.
    if (config.identity != Identity::Ours && command >= 128)
        return foreignDeviceSpecific(config, command);
    const CommandEntry* entry = findCommand(command);
    if (entry == nullptr || !present(entry->part, config.presence))
        return fail(kResponseNotImplemented);
    if (request.size() < entry->requestBytes) return fail(kResponseTooFewDataBytes);
    return entry->handler(device, config, request);
}

}  // namespace hartsim
