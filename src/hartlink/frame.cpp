#include "hartlink/frame.h"

namespace hartlink {

DeviceAddress DeviceAddress::polling(std::uint8_t address) {
    DeviceAddress a;
    a.pollingAddress = static_cast<std::uint8_t>(address & kAddressMask);
    return a;
}

DeviceAddress DeviceAddress::longAddress(const std::array<std::uint8_t, 5>& unique) {
    DeviceAddress a;
    a.isLong = true;
    a.unique = unique;
    a.unique[0] = static_cast<std::uint8_t>(a.unique[0] & kAddressMask);
    return a;
}

bool DeviceAddress::operator==(const DeviceAddress& other) const {
    return isLong == other.isLong &&
           (isLong ? unique == other.unique : pollingAddress == other.pollingAddress);
}

std::uint8_t checkByte(const std::uint8_t* bytes, std::size_t size) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < size; ++i) x ^= bytes[i];
    return x;
}

std::vector<std::uint8_t> encodeAddress(const DeviceAddress& address, MasterKind master) {
    const std::uint8_t masterBit = master == MasterKind::Primary ? kPrimaryMasterBit : 0;
    if (!address.isLong)
        return {static_cast<std::uint8_t>(masterBit | (address.pollingAddress & kAddressMask))};
    std::vector<std::uint8_t> bytes(address.unique.begin(), address.unique.end());
    bytes[0] = static_cast<std::uint8_t>(masterBit | (bytes[0] & kAddressMask));
    return bytes;
}

std::vector<std::uint8_t> encodeRequest(const Request& request) {
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(request.preambles), kPreamble);
    const std::size_t start = frame.size();
    frame.push_back(static_cast<std::uint8_t>(kFrameTypeRequest |
                                              (request.address.isLong ? kLongAddressBit : 0)));
    const std::vector<std::uint8_t> address = encodeAddress(request.address, request.master);
    frame.insert(frame.end(), address.begin(), address.end());
    frame.push_back(request.command);
    frame.push_back(static_cast<std::uint8_t>(request.data.size()));
    frame.insert(frame.end(), request.data.begin(), request.data.end());
    frame.push_back(checkByte(frame.data() + start, frame.size() - start));
    return frame;
}

}  // namespace hartlink
