#include "universal_records.h"

#include <algorithm>
#include <cctype>

namespace hartsim {

namespace {

constexpr std::size_t kMessageBytes = 24, kTagBytes = 6, kDescriptorBytes = 12, kDateBytes = 3,
                      kLongTagBytes = 32, kFinalAssemblyBytes = 3;
constexpr std::size_t kRecordBytes =
    kMessageBytes + kTagBytes + kDescriptorBytes + kDateBytes + kLongTagBytes + kFinalAssemblyBytes;

struct Factory {
    const char* tag;
    const char* descriptor;
    const char* message;
    const char* longTag;
    std::uint8_t day, month, yearSince1900;
    std::uint32_t finalAssembly;
};

const Factory& factoryOf(Identity identity) {
    static const Factory ours{"PT-0001", "PRESSURE TRANSM", "", "", 1, 3, 121, 0x010203};
    static const Factory hart5{"FT-205", "FLOW LOOP 2", "CALIBRATED 2019", "", 14,
                               6,        119,           0x0A0B0C};
    static const Factory hart7{"TT-307", "REACTOR TEMP", "", "REACTOR 3 OUTLET TEMPERATURE", 9, 11,
                               123,      0x123456};
    return identity == Identity::Hart5 ? hart5 : identity == Identity::Hart7 ? hart7 : ours;
}

std::vector<std::uint8_t> latin1(const std::string& text, std::size_t size) {
    std::vector<std::uint8_t> bytes(text.begin(), text.begin() + std::min(text.size(), size));
    bytes.resize(size, 0);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> packAscii(const std::string& text, std::size_t chars) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < chars; i += 4) {
        std::uint32_t group = 0;
        for (std::size_t k = i; k < i + 4; ++k) {
            unsigned char c = k < text.size() ? static_cast<unsigned char>(text[k]) : ' ';
            c = static_cast<unsigned char>(std::toupper(c));
            if (c < 0x20 || c > 0x5F) c = '?';
            group = (group << 6) | (c & 0x3Fu);
        }
        out.push_back(static_cast<std::uint8_t>(group >> 16));
        out.push_back(static_cast<std::uint8_t>(group >> 8));
        out.push_back(static_cast<std::uint8_t>(group));
    }
    return out;
}

std::string unpackAscii(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t group = (static_cast<std::uint32_t>(bytes[i]) << 16) |
                                    (static_cast<std::uint32_t>(bytes[i + 1]) << 8) | bytes[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) {
            const std::uint32_t c = (group >> shift) & 0x3F;
            text += static_cast<char>(c < 0x20 ? c + 0x40 : c);
        }
    }
    return text;
}

UniversalRecords UniversalRecords::initial(const DeviceConfig& config) {
    const Factory& f = factoryOf(config.identity);
    UniversalRecords r;
    r.message = packAscii(f.message, 32);
    r.tag = packAscii(config.tag.empty() ? f.tag : config.tag, 8);
    r.descriptor = packAscii(f.descriptor, 16);
    r.date = {f.day, f.month, f.yearSince1900};
    r.longTag = latin1(config.longTag.empty() ? f.longTag : config.longTag, kLongTagBytes);
    r.finalAssembly = f.finalAssembly;
    return r;
}

void UniversalRecords::save(Memory* memory) const {
    std::vector<std::uint8_t> bytes;
    for (const std::vector<std::uint8_t>* part : {&message, &tag, &descriptor, &date, &longTag})
        bytes.insert(bytes.end(), part->begin(), part->end());
    for (int shift = 16; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(finalAssembly >> shift));
    (*memory)[kUniversalMemory] = std::move(bytes);
}

void UniversalRecords::load(const Memory& memory) {
    const auto found = memory.find(kUniversalMemory);
    if (found == memory.end() || found->second.size() != kRecordBytes) return;
    auto at = found->second.begin();
    for (auto [part, size] : {std::pair{&message, kMessageBytes},
                              {&tag, kTagBytes},
                              {&descriptor, kDescriptorBytes},
                              {&date, kDateBytes},
                              {&longTag, kLongTagBytes}}) {
        part->assign(at, at + static_cast<std::ptrdiff_t>(size));
        at += static_cast<std::ptrdiff_t>(size);
    }
    finalAssembly = (static_cast<std::uint32_t>(at[0]) << 16) |
                    (static_cast<std::uint32_t>(at[1]) << 8) | at[2];
}

}  // namespace hartsim
