#include "error_log.h"

#include "byte_order.h"

namespace hartsim {

namespace {

constexpr std::size_t kPackedEntry = 9;
constexpr std::size_t kPackedSize = kErrorTableSize * kPackedEntry + 3;

}  // namespace

const std::vector<ErrorCode>& errorCodes() {
    static const std::vector<ErrorCode> codes = {
        {kErrorInputLow, "loop current below 3.7 mA"},
        {kErrorInputHigh, "loop current above 20.8 mA"},
        {kErrorCheckByte, "frame with a wrong check byte"},
        {kErrorPowerFailure, "power failure while running"},
        {kErrorBlockRefused, "write to a block that takes none"},
        {kErrorVersionMismatch, "block written for another interface version"},
        {kErrorValueRefused, "block write with a value out of range"},
        {kErrorSensorWarning, "sensor warning from the transmitter"},
        {kErrorUnknownAction, "unknown action code"},
        {kErrorTeachRefused, "teach with the input away from the point"},
    };
    return codes;
}

void ErrorLog::record(std::uint8_t code, std::uint32_t time, std::uint32_t powerOn) {
    last_ = (last_ + 1) % kErrorTableSize;
    table_[static_cast<std::size_t>(last_)] = {time, powerOn, code};
    if (total_ < 0xFFFF) ++total_;  // the counter stops at its top
}

std::vector<std::uint8_t> ErrorLog::pack() const {
    std::vector<std::uint8_t> out;
    for (const ErrorEntry& e : table_) {
        put32(out, e.time);
        put32(out, e.powerOn);
        out.push_back(e.code);
    }
    out.push_back(static_cast<std::uint8_t>(last_));
    out.push_back(static_cast<std::uint8_t>(total_ & 0xFF));
    out.push_back(static_cast<std::uint8_t>(total_ >> 8));
    return out;
}

bool ErrorLog::unpack(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() != kPackedSize || bytes[kPackedSize - 3] >= kErrorTableSize) return false;
    for (std::size_t i = 0; i < table_.size(); ++i) {
        const std::size_t at = i * kPackedEntry;
        table_[i] = {get32(bytes, at), get32(bytes, at + 4), bytes[at + 8]};
    }
    last_ = bytes[kPackedSize - 3];
    total_ = static_cast<std::uint16_t>(bytes[kPackedSize - 2] | (bytes[kPackedSize - 1] << 8));
    return true;
}

}  // namespace hartsim
