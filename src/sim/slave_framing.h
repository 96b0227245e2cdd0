#pragma once
// The field-device side of the HART data-link layer: finding master frames
// in a byte stream that arrives in arbitrary pieces, and encoding answers.
//
// Frame layout (FieldComm Group, HART data-link layer): preambles (0xFF),
// delimiter, address (1 byte short frame, 5 bytes long frame), expansion
// bytes (count in delimiter bits 5-6), command, byte count, data, check byte
// (XOR of every byte from the delimiter to the last data byte).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hartsim {

// Delimiter bits: bit 7 long address, bits 5-6 expansion bytes, bits 3-4
// physical layer type (0 = asynchronous), bits 0-2 frame type.
constexpr std::uint8_t kDelimiterLongAddress = 0x80;
constexpr std::uint8_t kFrameTypeBurst = 0x01;     // BACK
constexpr std::uint8_t kFrameTypeRequest = 0x02;   // STX, master to device
constexpr std::uint8_t kFrameTypeResponse = 0x06;  // ACK, device to master
// Address byte: bit 7 primary master, bit 6 burst mode; a short address
// holds the polling address in the low 6 bits (0-15 for HART 5, 0-63 later).
constexpr std::uint8_t kAddressMasterBit = 0x80;
constexpr std::uint8_t kAddressBurstBit = 0x40;

// A start of message needs at least two preambles before a valid delimiter.
constexpr int kMinimumPreambles = 2;

struct MasterFrame {
    std::uint8_t delimiter = 0;
    int preambles = 0;
    bool longAddress = false;
    std::array<std::uint8_t, 5> address{};  // short frames use address[0] only
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> bytes;  // from the delimiter to the check byte
    bool checkByteOk = false;

    std::uint8_t frameType() const { return delimiter & 0x07; }
    bool isRequest() const { return frameType() == kFrameTypeRequest; }
};

// XOR of the bytes, the HART longitudinal parity.
std::uint8_t checkByte(const std::uint8_t* data, std::size_t size);

// Collects complete frames (requests, and also other devices' answers and
// burst frames, which the caller ignores) from bytes as they arrive. A frame
// with a wrong check byte is reported too, and its bytes after the delimiter
// are searched again, so that a real frame hidden behind a false start (noise
// that looked like preambles and a delimiter) is still found.
class MasterFrameParser {
  public:
    void feed(const std::uint8_t* data, std::size_t size, std::vector<MasterFrame>* frames);
    // The line was quiet for longer than a character gap: a partial frame can
    // no longer be completed and is dropped.
    void reset();
    bool inFrame() const { return stage_ != Stage::Hunt; }

  private:
    enum class Stage { Hunt, Address, Expansion, Command, ByteCount, Data, Check };
    void step(std::uint8_t byte, std::vector<MasterFrame>* frames);
    void finish(std::vector<MasterFrame>* frames);

    Stage stage_ = Stage::Hunt;
    int preambles_ = 0;
    std::size_t needed_ = 0;
    MasterFrame frame_;
};

// What a device puts on the line for one answer: preambles, delimiter 0x06
// or 0x86, the request's address (burst bit cleared, master bit as
// received), command, byte count (data + 2 status bytes), the response code
// or communication-error byte, the field device status, data, check byte.
// A device's frame of any kind: preambles, `delimiter`, the address as
// given (burst bit and all), command, byte count, the two status bytes, data,
// check byte.
std::vector<std::uint8_t> encodeFrame(std::uint8_t delimiter, const MasterFrame& addressed,
                                      int preambles, std::uint8_t status1, std::uint8_t status2,
                                      const std::vector<std::uint8_t>& data);

std::vector<std::uint8_t> encodeResponse(const MasterFrame& request, int preambles,
                                         std::uint8_t status1, std::uint8_t status2,
                                         const std::vector<std::uint8_t>& data);

}  // namespace hartsim
