#pragma once
// HART frames as the data-link layer defines them (no I/O here):
//
//   preambles  FF FF ... (a master sends 2..20; 5 is the usual count)
//   delimiter  bit 7: long address; bits 6-5: number of expansion bytes;
//              bits 4-3: physical layer type (0 = asynchronous);
//              bits 2-0: frame type 2 master request (STX), 6 slave
//              response (ACK), 1 burst frame (BACK).
//              So 0x02/0x06/0x01 short frames, 0x82/0x86/0x81 long frames.
//   address    short: 1 byte, bit 7 primary master, bit 6 burst mode,
//              bits 5-0 polling address 0..63;
//              long: 5 bytes, the first carries the master and burst bits
//              above the 6 low bits of the manufacturer ID (HART 5) or the
//              expanded device type (HART 6/7), then the device type byte
//              and the 3-byte device ID.
//   expansion  0..3 bytes (none in our requests)
//   command    1 byte
//   byte count number of bytes that follow before the check byte; in a
//              response these start with the two status bytes
//   data       byte count bytes
//   check      XOR of every byte from the delimiter to the last data byte

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hartlink {

inline constexpr std::uint8_t kPreamble = 0xFF;
inline constexpr std::uint8_t kLongAddressBit = 0x80;     // in the delimiter
inline constexpr std::uint8_t kExpansionMask = 0x60;      // in the delimiter
inline constexpr std::uint8_t kPhysicalLayerMask = 0x18;  // in the delimiter
inline constexpr std::uint8_t kFrameTypeMask = 0x07;      // in the delimiter
inline constexpr std::uint8_t kFrameTypeBurst = 0x01;
inline constexpr std::uint8_t kFrameTypeRequest = 0x02;
inline constexpr std::uint8_t kFrameTypeResponse = 0x06;
inline constexpr std::uint8_t kPrimaryMasterBit = 0x80;  // in the first address byte
inline constexpr std::uint8_t kBurstModeBit = 0x40;      // in the first address byte
inline constexpr std::uint8_t kAddressMask = 0x3F;       // below the two bits above
inline constexpr int kMaxPollingAddress = 63;
inline constexpr int kMinPreambles = 2;
inline constexpr int kMaxPreambles = 20;
// The fewest preambles a request to a known device gets, whatever it asks
// for in command 0.
inline constexpr int kMinDevicePreambles = 5;
inline constexpr std::size_t kMaxDataSize = 255;          // one byte count
inline constexpr std::size_t kMaxResponseDataSize = 253;  // byte count less the two status bytes

enum class MasterKind { Secondary, Primary };

// Who a request goes to: a polling address (short frame) or the unique
// address learnt from command 0 (long frame, master and burst bits clear).
struct DeviceAddress {
    bool isLong = false;
    std::uint8_t pollingAddress = 0;       // 0..63, short frames
    std::array<std::uint8_t, 5> unique{};  // long frames

    static DeviceAddress polling(std::uint8_t address);
    static DeviceAddress longAddress(const std::array<std::uint8_t, 5>& unique);
    bool operator==(const DeviceAddress& other) const;
};

struct Request {
    int preambles = 5;  // 2..20
    MasterKind master = MasterKind::Primary;
    DeviceAddress address;
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;  // at most 255 bytes
};

// XOR of `size` bytes: the check byte of a frame's delimiter..data.
std::uint8_t checkByte(const std::uint8_t* bytes, std::size_t size);

// The address bytes of a request: 1 or 5 bytes, master bit set for a
// primary master, burst bit clear.
std::vector<std::uint8_t> encodeAddress(const DeviceAddress& address, MasterKind master);

// Preambles and frame of a master request, ready for the wire. The caller
// keeps the preamble count and the data size in range.
std::vector<std::uint8_t> encodeRequest(const Request& request);

}  // namespace hartlink
