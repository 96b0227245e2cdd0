#include "slave_framing.h"

namespace hartsim {

namespace {

// A delimiter names an asynchronous frame (bits 3-4 zero) of a known type.
bool isDelimiter(std::uint8_t byte) {
    if ((byte & 0x18) != 0) return false;
    const std::uint8_t type = byte & 0x07;
    return type == kFrameTypeBurst || type == kFrameTypeRequest || type == kFrameTypeResponse;
}

}  // namespace

std::uint8_t checkByte(const std::uint8_t* data, std::size_t size) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < size; ++i) x ^= data[i];
    return x;
}

void MasterFrameParser::feed(const std::uint8_t* data, std::size_t size,
                             std::vector<MasterFrame>* frames) {
    for (std::size_t i = 0; i < size; ++i) step(data[i], frames);
}

void MasterFrameParser::reset() {
    stage_ = Stage::Hunt;
    preambles_ = 0;
}

void MasterFrameParser::step(std::uint8_t byte, std::vector<MasterFrame>* frames) {
    if (stage_ == Stage::Hunt) {
        if (byte == 0xFF) {
            ++preambles_;
        } else if (preambles_ >= kMinimumPreambles && isDelimiter(byte)) {
            frame_ = MasterFrame{};
            frame_.delimiter = byte;
            frame_.preambles = preambles_;
            frame_.longAddress = (byte & kDelimiterLongAddress) != 0;
            frame_.bytes.push_back(byte);
            preambles_ = 0;
            stage_ = Stage::Address;
            needed_ = frame_.longAddress ? 5 : 1;
        } else {
            preambles_ = 0;
        }
        return;
    }

    frame_.bytes.push_back(byte);
    switch (stage_) {
        case Stage::Address:
            frame_.address[(frame_.longAddress ? 5 : 1) - needed_] = byte;
            if (--needed_ == 0) {
                needed_ = (frame_.delimiter >> 5) & 0x03;
                stage_ = needed_ > 0 ? Stage::Expansion : Stage::Command;
            }
            break;
        case Stage::Expansion:
            if (--needed_ == 0) stage_ = Stage::Command;
            break;
        case Stage::Command:
            frame_.command = byte;
            stage_ = Stage::ByteCount;
            break;
        case Stage::ByteCount:
            needed_ = byte;
            stage_ = needed_ > 0 ? Stage::Data : Stage::Check;
            break;
        case Stage::Data:
            frame_.data.push_back(byte);
            if (--needed_ == 0) stage_ = Stage::Check;
            break;
        case Stage::Check:
            finish(frames);
            break;
        case Stage::Hunt:
            break;
    }
}

void MasterFrameParser::finish(std::vector<MasterFrame>* frames) {
    const std::size_t n = frame_.bytes.size();
    frame_.checkByteOk = checkByte(frame_.bytes.data(), n - 1) == frame_.bytes[n - 1];
    stage_ = Stage::Hunt;
    preambles_ = 0;
    frames->push_back(frame_);
    if (!frame_.checkByteOk) {
        // The delimiter may have been noise; a real frame can start anywhere
        // after it. Each search drops at least one byte, so this ends.
        const std::vector<std::uint8_t> again(frame_.bytes.begin() + 1, frame_.bytes.end());
        for (std::uint8_t b : again) step(b, frames);
    }
}

std::vector<std::uint8_t> encodeFrame(std::uint8_t delimiter, const MasterFrame& addressed,
                                      int preambles, std::uint8_t status1, std::uint8_t status2,
                                      const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(preambles > 0 ? preambles : 0), 0xFF);
    const std::size_t start = out.size();
    out.push_back(delimiter);
    const int addressBytes = addressed.longAddress ? 5 : 1;
    for (int i = 0; i < addressBytes; ++i) out.push_back(addressed.address[i]);
    out.push_back(addressed.command);
    // The byte count is one byte and covers the two status bytes.
    const std::size_t dataSize = data.size() > 253 ? 253 : data.size();
    out.push_back(static_cast<std::uint8_t>(dataSize + 2));
    out.push_back(status1);
    out.push_back(status2);
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(dataSize));
    out.push_back(checkByte(out.data() + start, out.size() - start));
    return out;
}

std::vector<std::uint8_t> encodeResponse(const MasterFrame& request, int preambles,
                                         std::uint8_t status1, std::uint8_t status2,
                                         const std::vector<std::uint8_t>& data) {
    MasterFrame answer = request;
    answer.address[0] = request.address[0] & static_cast<std::uint8_t>(~kAddressBurstBit);
    return encodeFrame(static_cast<std::uint8_t>((request.longAddress ? kDelimiterLongAddress : 0) |
                                                 kFrameTypeResponse),
                       answer, preambles, status1, status2, data);
}

}  // namespace hartsim
