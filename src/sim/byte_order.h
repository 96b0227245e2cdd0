#pragma once
// 32-bit values in the device's saved state, least significant byte first
// as the display module stores them.

#include <cstddef>
#include <cstdint>
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

}  // namespace hartsim
