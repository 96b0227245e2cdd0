#pragma once
// Helpers for the simulator tests: master frames built here (not with the
// simulator's own encoder) and a reader for the device's answers.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
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
    Bytes frame = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x82};
    frame.insert(frame.end(), address.begin(), address.end());
    frame.push_back(command);
    frame.push_back(static_cast<std::uint8_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(xorOf(frame, 5, frame.size()));
    return frame;
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

}  // namespace hartsim::test
