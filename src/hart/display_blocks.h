#pragma once
// The display module's parameter blocks: 24-byte images read with command
// 191 and written with command 190. Every block is a table of its items
// (offset, coding, wire name, field); one walker reads every block and one
// writes every block, so a layout is changed in exactly one place.
//
// Image: byte 0 block number; bytes 1..20 ten 16-bit slots (slot i at
// 1 + 2i, least significant byte first; a 32-bit item takes two slots, a
// text several); bytes 21..22 the change flags (bit i marks slot i as
// changed); byte 23 the interface version (field VersCheck).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <vector>

#include "request_sender.h"
#include "wire_values.h"

namespace zh {

struct Program;
class RawValues;

// How an item sits in the image.
enum class BlockCoding : std::uint8_t {
    S16,    // signed 16-bit, least significant byte first
    U16,    // unsigned 16-bit, least significant byte first
    W16,    // a 16-bit pattern (hexadecimal serial number): read signed, written
            // from its signed or its unsigned reading
    I32,    // 32-bit, least significant byte first; read as signed decimal text
    Text,   // fixed-width printable ASCII: written cut or blank-padded to its
            // width; read up to the first NUL, and in the writable blocks
            // without the trailing blanks (they are padding)
    Byte,   // one unsigned byte
    Bytes,  // several bytes shown in hexadecimal (never stored)
};

// What the program does with an item.
enum class BlockUse : std::uint8_t {
    Field,   // read into, and written from, the raw value of `field`
    Kept,    // written back exactly as last read; reading only logs it
    Fixed,   // always written as `fixedValue`; reading only logs it
    Logged,  // only logged (items of the read-only blocks)
};

struct BlockItem {
    int offset;
    int width;  // bytes
    BlockCoding coding;
    BlockUse use;
    const char* wireName;  // the name in the log and the field's Interface
    const char* field;     // the field record; nullptr unless use is Field
    int fixedValue;        // for Fixed
};

struct BlockLayout {
    int number;
    bool writable;
    std::uint16_t changeFlags;     // the mask every write sends
    std::vector<BlockItem> items;  // data items in offset order (bytes 1..20)
};

namespace block {
constexpr int kSize = 24;
constexpr int kFlagsOffset = 21;
constexpr int kVersionOffset = 23;
constexpr std::uint8_t kReadCommand = 191;
constexpr std::uint8_t kWriteCommand = 190;
}  // namespace block

// Every block the program knows, in block-number order.
const std::vector<BlockLayout>& blockLayouts();
// The layout of block `number`, or nullptr.
const BlockLayout* blockLayout(int number);
// The blocks that are written, in the order they are written.
const std::vector<int>& writableBlocks();

// The fields block `number` reads and writes, in offset order.
QStringList blockFields(int number);
// Of those, the fields the module takes over from a write: the ones whose
// slots the block's change flags mark (block 000 sends none of them).
QStringList blockFieldsTaken(int number);
// The one field list of a block's change snapshot, used both for the
// snapshot taken after reading and for the one taken before writing, so
// that an unchanged block compares equal: VersCheck, the block's fields,
// and the fields the read/write sequences attach to the block (block 1 and
// 2 carry TagID and SerialNoZEL, block 3 also SerialNoZEL, block 13 the
// fields of block 20).
QStringList snapshotFields(int number);

// The device serial number SerialNoZEL (up to 24 characters) travels in two
// pieces: its first 4 characters in block 2, characters 5 to 24 in block 3
// (field SerialNoZEL2). Split fills SerialNoZEL2 from SerialNoZEL; join
// rebuilds SerialNoZEL from the 4 characters of block 2 and SerialNoZEL2
// (a first piece shorter than 4 is blank-filled when a second piece
// follows, so "ABC DEF" survives the round trip). Trailing blanks are
// dropped from both results. writeBlock(3) splits before it encodes and
// readBlock(3) joins after it stored, so callers only ever see SerialNoZEL.
void splitSerialNoZEL(RawValues& values);
void joinSerialNoZEL(RawValues& values);

class DisplayBlocks {
  public:
    DisplayBlocks(Program& program, RawValues& values, RequestSender& sender);

    // Reads block `number` (0, 1, 2, 3, 10, 11, 12, 13, 20, 60 to 69, 89) with
    // command 191 and `tries`; logged "<-- Read Com190_" + the number in
    // three digits. Returns 0, or the failure: the session's result, or 3
    // when the answer carries a response code or is another block. On
    // failure no field and no byte of the block's image changes.
    int readBlock(int number, int tries);
    // The second reading of block 12: logs every item, stores only
    // VersCheck, and keeps its own image and answer.
    int readBlock12Logged(int tries);
    // Writes block `number` (0, 1, 2, 3, 10, 11, 12, 13, 20) with command
    // 190: fields and fixed values encoded, kept items from the image of the
    // last read, the block's change flags, VersCheck. Returns 0, the
    // session's result, kResultUnusableAnswer for an answer with a response code, kResultNotSent
    // with NoWrite ON (built and logged, not sent), or kResultValueRefused
    // when a value does not fit its item (nothing sent; lastRefusal() names
    // the field).
    int writeBlock(int number, int tries);
    // Whether every value of block `number` fits its item, as writeBlock
    // would encode it; nothing is sent and no image changes. 0, or
    // kResultValueRefused with lastRefusal() naming the field.
    int checkBlock(int number);

    // The block's request image: the last answer to a read, or the last
    // image written. Before any read, the block number and zeros.
    QByteArray image(int number) const;
    // The block's last answer (read or write), not decoded for writes.
    QByteArray response(int number) const;
    QByteArray loggedImage() const { return logged_.image; }
    QByteArray loggedResponse() const { return logged_.response; }

    // Why the last write was refused (ok() after any other outcome).
    const WireStatus& lastRefusal() const { return refusal_; }

  private:
    struct Buffers {
        QByteArray image;
        QByteArray response;
    };

    Buffers& buffers(int number);
    int read(const BlockLayout& layout, Buffers& buffers, const QString& routine, bool store,
             int tries);
    bool encode(const BlockLayout& layout, QByteArray& image);
    void logItem(const QString& indent, const BlockItem& item, const QByteArray& image,
                 const char* field, bool trim);

    Program& p_;
    RawValues& values_;
    RequestSender& sender_;
    std::map<int, Buffers> buffers_;
    Buffers logged_;
    WireStatus refusal_;
};

}  // namespace zh
