#pragma once
// The master's incremental frame receiver: bytes go in as the port delivers
// them, in any pieces; frames come out one at a time with a verdict on
// whether they are the answer the master waits for.
//
// A start of message is at least two preambles (0xFF) followed by a valid
// delimiter; anything else before it is noise. A frame ends when its byte
// count is met and the check byte has arrived. Burst frames, requests (of
// another master, or our own echo on a half-duplex line) and answers for
// another master, another device or another command are reported and
// skipped.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hartlink/frame.h"

namespace hartlink {

// The answer the master waits for.
struct Expectation {
    DeviceAddress address;
    MasterKind master = MasterKind::Primary;
    std::uint8_t command = 0;
};

struct ReceivedFrame {
    int preambles = 0;  // counted up to 255
    std::uint8_t delimiter = 0;
    std::vector<std::uint8_t> address;    // 1 or 5 bytes as received (with master/burst bits)
    std::vector<std::uint8_t> expansion;  // 0..3 bytes
    std::uint8_t command = 0;
    std::uint8_t byteCount = 0;
    std::vector<std::uint8_t> body;  // byteCount bytes: status bytes and data for a response
    std::uint8_t check = 0;
    std::vector<std::uint8_t> raw;  // delimiter .. check byte

    std::uint8_t frameType() const { return delimiter & kFrameTypeMask; }
    bool isLong() const { return (delimiter & kLongAddressBit) != 0; }
    // For a response (body of 2 bytes or more):
    std::uint8_t status1() const { return body[0]; }
    std::uint8_t status2() const { return body[1]; }
    std::vector<std::uint8_t> data() const { return {body.begin() + 2, body.end()}; }
};

enum class Verdict {
    Response,      // the slave response we wait for, check byte correct
    BadCheckByte,  // the check byte does not match (nothing in it can be trusted)
    Malformed,     // a response without its two status bytes
    NotAResponse,  // a master request or a burst frame
    OtherMaster,   // a response to the other master
    OtherDevice,   // a response from another address, or in the other frame length
    OtherCommand,  // a response to another command
};
const char* verdictText(Verdict verdict);

class Receiver {
  public:
    // Waits for this answer from now on (and forgets any partial frame).
    void expect(const Expectation& expectation);
    // Accepts any well-formed slave response (for tools and tests).
    void expectAnyResponse();

    // Takes bytes until a frame ends or all are taken; returns how many it
    // took: at least 1 when `size` > 0, never more than `size`.
    std::size_t feed(const std::uint8_t* data, std::size_t size);

    // Whether the last feed ended a frame; frame() and verdict() describe it
    // until the next feed.
    bool frameEnded() const { return ended_; }
    const ReceivedFrame& frame() const { return frame_; }
    Verdict verdict() const { return verdict_; }

    // Between the first preamble and the end of a frame.
    bool inFrame() const { return state_ != State::Hunt || preambles_ > 0; }
    // Gives up a frame whose bytes stopped coming; its bytes count as noise.
    void abandonFrame();
    // Where the frame being received broke off, in words, for a frame
    // given up: "frame broke off before its check byte", "... after 5 of 16
    // data bytes", "... in its header"; "" outside a frame.
    std::string brokenFrameText() const;

    // Since the last expect(): bytes that were no part of a complete frame.
    std::size_t noiseBytes() const { return noise_; }

  private:
    enum class State { Hunt, Address, Expansion, Command, ByteCount, Data, Check };
    void startFrame(std::uint8_t delimiter);
    void take(std::uint8_t byte);
    Verdict judge() const;

    std::optional<Expectation> expectation_;
    State state_ = State::Hunt;
    int preambles_ = 0;
    std::size_t need_ = 0;  // bytes still to come in the current field
    std::uint8_t runningCheck_ = 0;
    ReceivedFrame frame_;
    bool ended_ = false;
    Verdict verdict_ = Verdict::NotAResponse;
    std::size_t noise_ = 0;
};

}  // namespace hartlink
