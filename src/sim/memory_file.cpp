#include "memory_file.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace hartsim {

namespace {

constexpr char kHeader[] = "hartsim-memory 1";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool parseHex(const std::string& text, std::vector<std::uint8_t>* bytes) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

}  // namespace

bool loadMemoryFile(const std::string& path, Memory* memory) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, hex;
        std::vector<std::uint8_t> bytes;
        if (!(fields >> name)) continue;
        fields >> hex;  // an empty memory has no hex field
        if (!parseHex(hex, &bytes)) continue;
        (*memory)[name] = std::move(bytes);
    }
    return true;
}

bool saveMemoryFile(const std::string& path, const Memory& memory) {
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        if (!out) return false;
        out << kHeader << '\n';
        for (const auto& [name, bytes] : memory) {
            out << name << ' ';
            char hex[3];
            for (std::uint8_t b : bytes) {
                std::snprintf(hex, sizeof hex, "%02X", b);
                out << hex;
            }
            out << '\n';
        }
        if (!out.flush()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::vector<MemoryDifference> configurationDifferences(const Memory& before, const Memory& after) {
    static const std::vector<std::uint8_t> kNone;
    std::vector<MemoryDifference> differences;
    Memory names = before;
    names.insert(after.begin(), after.end());
    for (const auto& entry : names) {
        const std::string& name = entry.first;
        if (name == kErrorLogMemory || name == kCountersMemory) continue;
        const auto was = before.find(name);
        const auto is = after.find(name);
        const std::vector<std::uint8_t>& a = was == before.end() ? kNone : was->second;
        const std::vector<std::uint8_t>& b = is == after.end() ? kNone : is->second;
        MemoryDifference difference{name, {}};
        for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
            if (i >= a.size() || i >= b.size() || a[i] != b[i]) difference.offsets.push_back(i);
        }
        // A memory one side has empty and the other lacks differs too.
        if (!difference.offsets.empty() || (was == before.end()) != (is == after.end()))
            differences.push_back(std::move(difference));
    }
    return differences;
}

std::string describeDifferences(const std::vector<MemoryDifference>& differences) {
    std::string text;
    for (const MemoryDifference& d : differences) {
        if (!text.empty()) text += ' ';
        text += d.name;
        for (std::size_t i = 0; i < d.offsets.size(); ++i)
            text += (i == 0 ? "@" : ",") + std::to_string(d.offsets[i]);
    }
    return text;
}

}  // namespace hartsim
