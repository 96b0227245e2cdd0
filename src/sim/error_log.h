#pragma once
// The display module's error log: a ring of twenty entries (time stamp in
// operating seconds, power-on count, error code), the table index of the
// newest entry and the number of errors ever logged. The log blocks 60 to
// 69 show it; nothing but a new error changes it.

#include <array>
#include <cstdint>
#include <vector>

#include "sim/block_layouts.h"

namespace hartsim {

// Our error codes.
constexpr std::uint8_t kErrorInputLow = 0x01;         // loop current below 3.7 mA: "Er L"
constexpr std::uint8_t kErrorInputHigh = 0x02;        // loop current above 20.8 mA: "Er H"
constexpr std::uint8_t kErrorCheckByte = 0x08;        // a frame with a wrong check byte
constexpr std::uint8_t kErrorPowerFailure = 0x11;     // supply dropped while running
constexpr std::uint8_t kErrorBlockRefused = 0x20;     // write to a block that takes none
constexpr std::uint8_t kErrorVersionMismatch = 0x21;  // block written for another interface version
constexpr std::uint8_t kErrorValueRefused = 0x22;     // block write with a value out of range
constexpr std::uint8_t kErrorSensorWarning = 0x24;    // transmitter reported its sensor
constexpr std::uint8_t kErrorUnknownAction = 0x30;    // action code we do not know
constexpr std::uint8_t kErrorTeachRefused = 0x31;     // teach with the input off its point

struct ErrorCode {
    std::uint8_t code;
    const char* meaning;
};
const std::vector<ErrorCode>& errorCodes();

struct ErrorEntry {
    std::uint32_t time = 0;     // operating seconds
    std::uint32_t powerOn = 0;  // power-on count
    std::uint8_t code = 0;      // 0: never written
};

class ErrorLog {
  public:
    void record(std::uint8_t code, std::uint32_t time, std::uint32_t powerOn);
    const std::array<ErrorEntry, kErrorTableSize>& table() const { return table_; }
    // Table index of the newest entry (19 while the log is empty, so that
    // the next entry goes to index 0).
    int lastIndex() const { return last_; }
    std::uint16_t total() const { return total_; }
    std::uint8_t lastCode() const {
        return total_ == 0 ? 0 : table_[static_cast<std::size_t>(last_)].code;
    }

    std::vector<std::uint8_t> pack() const;
    bool unpack(const std::vector<std::uint8_t>& bytes);

  private:
    std::array<ErrorEntry, kErrorTableSize> table_{};
    int last_ = kErrorTableSize - 1;
    std::uint16_t total_ = 0;
};

}  // namespace hartsim
