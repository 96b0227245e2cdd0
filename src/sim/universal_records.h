#pragma once
// What every HART device keeps about itself for the universal commands: the
// message, tag, descriptor and date, the long tag and the final assembly
// number. They live in the device's memory ("hart.records"), so a write
// survives a restart with state=FILE.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/memory_file.h"
#include "sim/simulator.h"

namespace hartsim {

// Packed ASCII (HART): each character is the low 6 bits of its upper-case
// ASCII code (0x20..0x5F), four characters in three bytes. `chars` is a
// multiple of 4; the text is cut or padded with blanks to it.
std::vector<std::uint8_t> packAscii(const std::string& text, std::size_t chars);
std::string unpackAscii(const std::vector<std::uint8_t>& bytes);

struct UniversalRecords {
    std::vector<std::uint8_t> message;     // 24 bytes, 32 packed characters (commands 12, 17)
    std::vector<std::uint8_t> tag;         // 6 bytes, 8 packed characters (13, 18)
    std::vector<std::uint8_t> descriptor;  // 12 bytes, 16 packed characters (13, 18)
    std::vector<std::uint8_t> date;        // day, month, year - 1900 (13, 18)
    std::vector<std::uint8_t> longTag;     // 32 bytes ISO Latin-1, NUL padded (20, 22)
    std::uint32_t finalAssembly = 0;       // 24 bits (16, 19)

    // As the identity leaves the factory, with the tag and long tag options.
    static UniversalRecords initial(const DeviceConfig& config);

    // Message, tag, descriptor, date, long tag, final assembly number, in
    // that order (80 bytes).
    void save(Memory* memory) const;
    // An older memory without them keeps the initial records.
    void load(const Memory& memory);
};

constexpr char kUniversalMemory[] = "hart.records";

}  // namespace hartsim
