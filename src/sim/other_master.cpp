#include "other_master.h"

#include <cmath>

#include "sim/slave_framing.h"

namespace hartsim {

OtherMaster::OtherMaster(int meanMs, std::uint32_t seed)
    : meanUs_(static_cast<std::int64_t>(meanMs) * 1000), state_(seed ? seed : 0x2545F491u) {
    if (present()) wish_ = draw();
}

void OtherMaster::sent(std::chrono::microseconds at) {
    wish_ = at + draw();
}

// Exponential intervals (random moments) from a xorshift generator, the
// same on every platform.
std::chrono::microseconds OtherMaster::draw() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    const double u = static_cast<double>(state_ >> 11) / 9007199254740992.0;  // [0, 1)
    return std::chrono::microseconds(
        static_cast<std::int64_t>(-std::log(1.0 - u) * static_cast<double>(meanUs_)));
}

std::vector<std::uint8_t> OtherMaster::nextRequest(Line& line, bool primary) {
    static const std::uint8_t kCommands[] = {0, 1, 3, 13};
    const std::uint8_t command = kCommands[turn_ % 4];
    const DeviceConfig& c = line.device((turn_ / 4) % line.size()).config();
    ++turn_;
    const std::uint8_t master = primary ? kAddressMasterBit : 0;
    std::vector<std::uint8_t> frame(5, 0xFF);
    if (command == 0) {
        frame.push_back(kFrameTypeRequest);
        frame.push_back(static_cast<std::uint8_t>(master | c.pollingAddress));
    } else {
        frame.push_back(kDelimiterLongAddress | kFrameTypeRequest);
        frame.insert(frame.end(), {static_cast<std::uint8_t>(master | (c.manufacturerId & 0x3F)),
                                   c.deviceType, static_cast<std::uint8_t>(c.deviceId >> 16),
                                   static_cast<std::uint8_t>(c.deviceId >> 8),
                                   static_cast<std::uint8_t>(c.deviceId)});
    }
    frame.push_back(command);
    frame.push_back(0);
    frame.push_back(checkByte(frame.data() + 5, frame.size() - 5));
    return frame;
}

}  // namespace hartsim
