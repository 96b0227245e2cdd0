#pragma once
// Helpers for the simulator tests: master frames built here (not with the
// simulator's own encoder) and a reader for the device's answers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "sim/simulator.h"

namespace hartsim::test {

using Bytes = std::vector<std::uint8_t>;

inline std::uint8_t xorOf(const Bytes& bytes, std::size_t from, std::size_t to) {
    std::uint8_t x = 0;
    for (std::size_t i = from; i < to; ++i) x ^= bytes[i];
    return x;
}

// A long-frame request from the primary master to the default unique
// address (0x94 & 0x3F | master bit, 0x7E, 00 12 AB), five preambles.
inline Bytes longRequest(std::uint8_t command, const Bytes& data = {},
                         const Bytes& address = {0x94, 0x7E, 0x00, 0x12, 0xAB}) {
    // Sized once: growing a six-byte start made an optimising compiler warn
    // of a copy past its end.
    Bytes frame;
    frame.reserve(5 + 1 + address.size() + 2 + data.size() + 1);
    frame.insert(frame.end(), 5, 0xFF);
    frame.push_back(0x82);
    frame.insert(frame.end(), address.begin(), address.end());
    frame.push_back(command);
    frame.push_back(static_cast<std::uint8_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(xorOf(frame, 5, frame.size()));
    return frame;
}

// The unique address of a configured device, with the primary master bit.
inline Bytes uniqueAddress(const DeviceConfig& config) {
    return {static_cast<std::uint8_t>(0x80 | (config.manufacturerId & 0x3F)), config.deviceType,
            static_cast<std::uint8_t>(config.deviceId >> 16),
            static_cast<std::uint8_t>(config.deviceId >> 8),
            static_cast<std::uint8_t>(config.deviceId)};
}

struct Answer {
    std::size_t noiseBytes = 0;  // bytes before the preambles
    int preambles = 0;
    std::uint8_t delimiter = 0;
    Bytes address;
    std::uint8_t command = 0;
    std::uint8_t byteCount = 0;
    std::uint8_t status1 = 0;  // response code or communication-error bitmap
    std::uint8_t status2 = 0;  // field device status
    Bytes data;
    bool checkByteOk = false;
};

// Reads one answer: noise, at least two 0xFF, then an 0x06/0x86 frame whose
// byte count must match the bytes that follow. Empty when malformed.
inline std::optional<Answer> readAnswer(const Bytes& bytes) {
    Answer a;
    std::size_t i = 0;
    // Skip noise up to the first run of 0xFF.
    while (i < bytes.size() && bytes[i] != 0xFF) ++i;
    a.noiseBytes = i;
    while (i < bytes.size() && bytes[i] == 0xFF) {
        ++a.preambles;
        ++i;
    }
    if (a.preambles < 2 || i >= bytes.size()) return std::nullopt;
    const std::size_t start = i;
    a.delimiter = bytes[i++];
    if (a.delimiter != 0x06 && a.delimiter != 0x86) return std::nullopt;
    const std::size_t addressSize = a.delimiter == 0x86 ? 5 : 1;
    if (i + addressSize + 2 > bytes.size()) return std::nullopt;
    a.address.assign(bytes.begin() + static_cast<long>(i),
                     bytes.begin() + static_cast<long>(i + addressSize));
    i += addressSize;
    a.command = bytes[i++];
    a.byteCount = bytes[i++];
    if (a.byteCount < 2 || i + a.byteCount + 1 != bytes.size()) return std::nullopt;
    a.status1 = bytes[i];
    a.status2 = bytes[i + 1];
    a.data.assign(bytes.begin() + static_cast<long>(i + 2),
                  bytes.begin() + static_cast<long>(i + a.byteCount));
    a.checkByteOk = xorOf(bytes, start, bytes.size()) == 0;
    return a;
}

// Sends one request and expects exactly one well-formed answer.
inline Answer transact(Simulator& sim, const Bytes& request) {
    const std::vector<Reply> replies = sim.receive(request.data(), request.size());
    if (replies.size() != 1) {
        ADD_FAILURE() << "expected one reply, got " << replies.size();
        return Answer{};
    }
    std::optional<Answer> a = readAnswer(replies[0].bytes);
    if (!a) {
        ADD_FAILURE() << "malformed reply";
        return Answer{};
    }
    return *a;
}

inline Answer readBlock(Simulator& sim, int block) {
    return transact(sim, longRequest(191, {static_cast<std::uint8_t>(block)}));
}

inline int le16(const Bytes& data, std::size_t offset) {
    return static_cast<std::int16_t>(data[offset] | (data[offset + 1] << 8));
}

inline std::uint32_t le32(const Bytes& data, std::size_t offset) {
    return static_cast<std::uint32_t>(data[offset] | (data[offset + 1] << 8) |
                                      (data[offset + 2] << 16) |
                                      (static_cast<std::uint32_t>(data[offset + 3]) << 24));
}

inline void putLe16(Bytes& data, std::size_t offset, int value) {
    data[offset] = static_cast<std::uint8_t>(value & 0xFF);
    data[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

// IEEE 754 single precision, most significant byte first, as HART's
// universal commands carry it.
inline Bytes floatBytes(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

inline float floatAt(const Bytes& data, std::size_t offset) {
    const std::uint32_t bits = (static_cast<std::uint32_t>(data.at(offset)) << 24) |
                               (data.at(offset + 1) << 16) | (data.at(offset + 2) << 8) |
                               data.at(offset + 3);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Writes a block image with the given change flags and interface version.
inline Answer writeBlock(Simulator& sim, Bytes image, unsigned flags, std::uint8_t version = 5) {
    image.resize(24);
    image[21] = static_cast<std::uint8_t>(flags & 0xFF);
    image[22] = static_cast<std::uint8_t>(flags >> 8);
    image[23] = version;
    return transact(sim, longRequest(190, image));
}

// Changes slots of a block as the program does: read, change, write all.
inline Answer changeSlots(Simulator& sim, int block,
                          const std::vector<std::pair<int, int>>& slots) {
    Bytes image = readBlock(sim, block).data;
    unsigned flags = 0;
    for (const auto& [slot, value] : slots) {
        putLe16(image, static_cast<std::size_t>(1 + 2 * slot), value);
        flags |= 1u << slot;
    }
    return writeBlock(sim, image, flags);
}

inline int slotOf(Simulator& sim, int block, int slot) {
    return le16(readBlock(sim, block).data, static_cast<std::size_t>(1 + 2 * slot));
}

inline Answer action(Simulator& sim, int code, int filler = 0) {
    return transact(sim, longRequest(192, {static_cast<std::uint8_t>(code),
                                           static_cast<std::uint8_t>(filler)}));
}

// Block 89 as the live display takes it apart.
struct Live {
    std::string text;
    int decimals = 0;
    bool negative = false;
    bool switch1 = false;
    bool switch2 = false;
    int adc = 0;
    int dispMode = 0;
    // The read-out as the display shows it: "12.34", "-0.5", "Er L".
    std::string shown() const {
        if (text.find_first_of("0123456789") == std::string::npos) return text;
        std::string digits = text;
        if (decimals > 0)
            digits = digits.substr(0, 4 - decimals) + "." + digits.substr(4 - decimals);
        digits.erase(0, digits.find_first_not_of(' '));
        return (negative ? "-" : "") + digits;
    }
    double value() const { return std::stod(shown()); }
};

inline Live readLive(Simulator& sim) {
    const Bytes b = readBlock(sim, 89).data;
    Live live;
    live.text.assign(b.begin() + 1, b.begin() + 5);
    live.decimals = b[7];
    live.negative = (b[8] & 0x40) != 0;
    live.switch1 = (b[10] & 0x01) != 0;
    live.switch2 = (b[10] & 0x04) != 0;
    live.adc = le16(b, 11);
    live.dispMode = b[13];
    return live;
}

}  // namespace hartsim::test
