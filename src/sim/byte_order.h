#pragma once
// 32-bit values in the device's saved state, least significant byte first
// as the display module stores them; and the IEEE 754 single precision
// floats of the universal commands, most significant byte first as HART
// carries them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace hartsim {

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline std::uint32_t get32(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | in[at + static_cast<std::size_t>(i)];
    return value;
}

inline float hartFloatAt(const std::vector<std::uint8_t>& data, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits = (bits << 8) | data[offset + i];
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void appendHartFloat(std::vector<std::uint8_t>& out, double value) {
    const float single = static_cast<float>(value);
    std::uint32_t bits;
    std::memcpy(&bits, &single, sizeof bits);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

}  // namespace hartsim
