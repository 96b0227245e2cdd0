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

// The memories, by name:
//   transmitter.ram, transmitter.eeprom   the transmitter's settings: bytes
//       0-21 configuration bytes, 22-23 and 24-25 nominal range high and low,
//       26-47 the AGW table, 48 range unit code, then single-precision floats
//       (least significant byte first) 49 upper and 53 lower range value,
//       57 damping, 61 DAC zero trim, 65 DAC gain trim
//   display.ram.N, display.eeprom.N, display.factory.N   the display
//       module's configuration blocks N (0, 1, 2, 3, 10, 11, 12, 13, 20; the
//       factory set only 10 to 20) as their 24-byte images: offset 1 + 2i is
//       slot i, as on the wire
//   display.customunit   the custom unit text, 4 bytes RAM then 4 EEPROM
//   display.log          the error log (kErrorLogMemory)
//   display.counters     power-on count, operating seconds, low and high
//                        trailing pointer, 32 bits each (kCountersMemory)
//   hart.records         what the universal commands read and write: 0
//                        message (24 bytes packed ASCII), 24 tag (6), 30
//                        descriptor (12), 42 date (day, month, year - 1900),
//                        45 long tag (32, Latin-1), 77 final assembly number
//                        (3, most significant first); a file without it
//                        leaves the device its own from the factory
constexpr char kErrorLogMemory[] = "display.log";
constexpr char kCountersMemory[] = "display.counters";

// Where two memories differ: the byte offsets that differ, and those only
// the longer one has (a memory only one side has differs in all its bytes).
struct MemoryDifference {
    std::string name;
    std::vector<std::size_t> offsets;
};

// The configuration memories that differ between `before` and `after`, in
// name order: what a write must change and nothing else may. Left out are
// the two memories that change by themselves:
//  - display.log, the error log: every refused request, frame with a bad
//    check byte, version mismatch or input beyond the loop adds an entry
//    with its operating time;
//  - display.counters: the operating seconds grow with every request (the
//    device steps 250 ms per answer), the power-on count with every power
//    cycle, and the trailing pointers follow the moving measured value.
// Everything else is configuration and counts: every byte of RAM, EEPROM
// and factory set of the transmitter and the display module, and the custom
// unit text. The measured value, loop current and read-out live in no
// memory, so they need no exception.
std::vector<MemoryDifference> configurationDifferences(const Memory& before, const Memory& after);

// "display.ram.10@5,6 transmitter.ram@49,50,51,52" (empty when there are
// none), for one-line expectations and failure messages.
std::string describeDifferences(const std::vector<MemoryDifference>& differences);

// False when the file cannot be read; lines that do not parse are skipped.
bool loadMemoryFile(const std::string& path, Memory* memory);
// Writes a new file next to `path` and renames it over `path`, so that a
// crash never leaves half a file. False when that fails.
bool saveMemoryFile(const std::string& path, const Memory& memory);

}  // namespace hartsim
