#pragma once
// The display module's parameter blocks as data: every block is a 24-byte
// image (block number, ten 16-bit slots least significant byte first, change
// flags, interface version), and this table says which item sits where, how
// it is encoded, who decides its value and which values the module accepts.
// The module's code walks these tables; it never spells an offset itself.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace hartsim {

using BlockImage = std::array<std::uint8_t, 24>;
constexpr int kBlockSize = 24;
constexpr int kBlockSlotCount = 10;
constexpr int kBlockFlagsOffset = 21;
constexpr int kBlockVersionOffset = 23;

enum class Encoding { S16, U16, U32, Byte, Text };

// Who decides an item's value: the master (stored when its slot is flagged)
// or the module alone (sizes, versions, its own serial numbers: a write
// leaves them as they are, flagged or not).
enum class Keeper { Master, Module };

// Which values a write may carry; a flagged item outside them refuses the
// whole block. The unit items are checked against the lists of the
// measurand the block holds after the write.
enum class Limit { Any, Range, DisplayUnit, CalibrationUnit };

struct BlockItem {
    const char* wireName;
    int offset;
    int width;  // bytes
    Encoding encoding;
    Keeper keeper = Keeper::Master;
    Limit limit = Limit::Any;
    int minimum = 0;
    int maximum = 0;

    int firstSlot() const { return (offset - 1) / 2; }
    int lastSlot() const { return (offset + width - 2) / 2; }
};

// Configuration blocks live in RAM and EEPROM and can be written; the log
// and live blocks are built from the module's state when read.
enum class BlockKind { Configuration, Log, Live };

struct BlockLayout {
    int number;
    BlockKind kind;
    std::vector<BlockItem> items;
};

// Blocks 0, 1, 2, 3, 10, 11, 12, 13, 20 (configuration), 60 to 69 (log
// data and the error table) and 89 (live state), in number order.
const std::vector<BlockLayout>& blockLayouts();
// Null when the module has no such block.
const BlockLayout* findBlockLayout(int number);
// The item of `block` with `wireName`. A name that is not in the table is a
// mistake in our own code: it aborts, so that the first test finds it.
const BlockItem& blockItem(int block, const char* wireName);

// Numbers: S16 sign-extended, the others zero-extended.
std::int64_t itemValue(const BlockImage& image, const BlockItem& item);
void setItemValue(BlockImage& image, const BlockItem& item, std::int64_t value);
// Texts: fixed width, padded with `pad` (blanks, or NUL bytes as some
// modules leave the factory).
std::string itemText(const BlockImage& image, const BlockItem& item);
void setItemText(BlockImage& image, const BlockItem& item, const std::string& text, char pad = ' ');

// The number of the error-table block and position that hold entry n
// (0..19) of the log: time stamps in 61..64, power-on counts in 65..68 (five
// per block), codes in 69 (one byte each).
constexpr int kErrorTableSize = 20;

}  // namespace hartsim
