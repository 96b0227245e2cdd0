#include "hartlink/receiver.h"

namespace hartlink {

namespace {

bool validDelimiter(std::uint8_t d) {
    // Asynchronous physical layer only; frame types burst, request, response.
    const std::uint8_t type = d & kFrameTypeMask;
    return (d & kPhysicalLayerMask) == 0 &&
           (type == kFrameTypeBurst || type == kFrameTypeRequest || type == kFrameTypeResponse);
}

}  // namespace

const char* verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Response:
            return "response";
        case Verdict::BadCheckByte:
            return "bad check byte";
        case Verdict::Malformed:
            return "response without status bytes";
        case Verdict::NotAResponse:
            return "not a response (request or burst frame)";
        case Verdict::OtherMaster:
            return "response to the other master";
        case Verdict::OtherDevice:
            return "response from another device";
        case Verdict::OtherCommand:
            return "response to another command";
    }
    return "?";
}

void Receiver::expect(const Expectation& expectation) {
    expectation_ = expectation;
    abandonFrame();
    noise_ = 0;
    ended_ = false;
}

void Receiver::expectAnyResponse() {
    expectation_.reset();
    abandonFrame();
    noise_ = 0;
    ended_ = false;
}

void Receiver::abandonFrame() {
    if (state_ != State::Hunt)
        noise_ += static_cast<std::size_t>(frame_.preambles) + frame_.raw.size();
    else
        noise_ += static_cast<std::size_t>(preambles_);
    state_ = State::Hunt;
    preambles_ = 0;
}

std::size_t Receiver::feed(const std::uint8_t* data, std::size_t size) {
    ended_ = false;
    std::size_t taken = 0;
    while (taken < size && !ended_) take(data[taken++]);
    return taken;
}

void Receiver::startFrame(std::uint8_t delimiter) {
    frame_ = ReceivedFrame{};
    frame_.preambles = preambles_;
    frame_.delimiter = delimiter;
    frame_.raw.push_back(delimiter);
    preambles_ = 0;
    runningCheck_ = delimiter;
    state_ = State::Address;
    need_ = (delimiter & kLongAddressBit) ? 5 : 1;
}

std::string Receiver::brokenFrameText() const {
    switch (state_) {
        case State::Hunt:
            return preambles_ > 0 ? "frame broke off in its preambles" : std::string();
        case State::Address:
        case State::Expansion:
        case State::Command:
        case State::ByteCount:
            return "frame broke off in its header";
        case State::Data:
            return "frame broke off after " + std::to_string(frame_.body.size()) + " of " +
                   std::to_string(frame_.byteCount) + " data bytes";
        case State::Check:
            return "frame broke off before its check byte";
    }
    return std::string();
}

void Receiver::take(std::uint8_t byte) {
    if (state_ == State::Hunt) {
        if (byte == kPreamble) {
            if (preambles_ < 255)
                ++preambles_;
            else
                ++noise_;  // a babbling line: count the excess as noise
            return;
        }
        if (preambles_ >= 2 && validDelimiter(byte)) {
            startFrame(byte);
            return;
        }
        noise_ += static_cast<std::size_t>(preambles_) + 1;
        preambles_ = 0;
        return;
    }

    frame_.raw.push_back(byte);
    if (state_ != State::Check) runningCheck_ ^= byte;
    switch (state_) {
        case State::Hunt:
            break;
        case State::Address:
            frame_.address.push_back(byte);
            if (--need_ == 0) {
                need_ = static_cast<std::size_t>((frame_.delimiter & kExpansionMask) >> 5);
                state_ = need_ > 0 ? State::Expansion : State::Command;
            }
            break;
        case State::Expansion:
            frame_.expansion.push_back(byte);
            if (--need_ == 0) state_ = State::Command;
            break;
        case State::Command:
            frame_.command = byte;
            state_ = State::ByteCount;
            break;
        case State::ByteCount:
            frame_.byteCount = byte;
            need_ = byte;
            state_ = need_ > 0 ? State::Data : State::Check;
            break;
        case State::Data:
            frame_.body.push_back(byte);
            if (--need_ == 0) state_ = State::Check;
            break;
        case State::Check:
            frame_.check = byte;
            verdict_ = byte == runningCheck_ ? judge() : Verdict::BadCheckByte;
            state_ = State::Hunt;
            ended_ = true;
            break;
    }
}

Verdict Receiver::judge() const {
    if (frame_.frameType() != kFrameTypeResponse) return Verdict::NotAResponse;
    if (frame_.body.size() < 2) return Verdict::Malformed;
    if (!expectation_) return Verdict::Response;
    const Expectation& e = *expectation_;
    if (frame_.isLong() != e.address.isLong) return Verdict::OtherDevice;
    // The burst bit tells whether the device bursts; it does not address anyone.
    const std::uint8_t masterBit = e.master == MasterKind::Primary ? kPrimaryMasterBit : 0;
    if ((frame_.address[0] & kPrimaryMasterBit) != masterBit) return Verdict::OtherMaster;
    if (e.address.isLong) {
        if ((frame_.address[0] & kAddressMask) != (e.address.unique[0] & kAddressMask))
            return Verdict::OtherDevice;
        for (std::size_t i = 1; i < 5; ++i) {
            if (frame_.address[i] != e.address.unique[i]) return Verdict::OtherDevice;
        }
    } else if ((frame_.address[0] & kAddressMask) != e.address.pollingAddress) {
        return Verdict::OtherDevice;
    }
    if (frame_.command != e.command) return Verdict::OtherCommand;
    return Verdict::Response;
}

}  // namespace hartlink
