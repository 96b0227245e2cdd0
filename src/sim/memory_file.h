#pragma once
// The device's memories as named byte strings, and their file: one line per
// memory, "name hex-bytes". With the option state=FILE the device keeps its
// memories there, so that they outlive the process (hartsim restarts, the
// "Sim" port opening a new device on every connect).

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace hartsim {

using Memory = std::map<std::string, std::vector<std::uint8_t>>;

// False when the file cannot be read; lines that do not parse are skipped.
bool loadMemoryFile(const std::string& path, Memory* memory);
// Writes a new file next to `path` and renames it over `path`, so that a
// crash never leaves half a file. False when that fails.
bool saveMemoryFile(const std::string& path, const Memory& memory);

}  // namespace hartsim
