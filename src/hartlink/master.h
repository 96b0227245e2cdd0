#pragma once
// The HART data-link master: one request, its answer, and the retries in
// between. It owns the retry policy (how many tries, what is retried) and
// remembers what went wrong on the way. Each request waits for its turn on
// the line it shares with another master and burst devices (line_watch.h).
//
// Connect sends command 0 as a short frame to the polling address, which
// every device answers, and learns the device's long address from the
// answer; every other command goes as a long frame to that address.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hartlink/frame.h"
#include "hartlink/line_watch.h"
#include "hartlink/receiver.h"
#include "hartlink/result.h"
#include "hartlink/transport.h"

namespace hartlink {

struct Settings {
    std::uint8_t pollingAddress = 0;  // 0..63
    MasterKind master = MasterKind::Primary;
    int preambles = 5;                 // 2..20
    int retries = 2;                   // tries after the first: 0..10
    bool adoptDevicePreambles = true;  // after connect: what command 0 asks for, at least 5
    bool keyRts = true;                // RTS up while sending
    std::chrono::milliseconds responseTimeOut{0};  // 0: the standard (see timing.h)
    int gapChars = 0;                              // 0: RT2
};

// What command 0 tells about the device.
struct Identity {
    std::uint8_t typeCode = 0;  // byte 1: manufacturer ID (HART 5) / expanded device type high byte
    std::uint8_t deviceType = 0;         // byte 2
    std::uint8_t requestPreambles = 0;   // byte 3: preambles the device wants in requests
    std::uint8_t universalRevision = 0;  // byte 4
    std::uint8_t deviceRevision = 0;     // byte 5
    std::uint32_t deviceId = 0;          // bytes 9..11
    std::array<std::uint8_t, 5> longAddress{};
};

// The identity in a command-0 answer; false when the data are too short
// (12 bytes at least).
bool identityFromCommand0(const std::vector<std::uint8_t>& data, Identity* identity);

struct Answer {
    std::uint8_t status1 = 0;  // response code, or a communication-error bitmap with bit 7
    std::uint8_t status2 = 0;  // field device status
    std::vector<std::uint8_t> data;
};

// A frame as it went out or came in, for a trace: `sent` tells which; the
// note says why a received frame was not taken ("" when it was).
using TraceFn =
    std::function<void(bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note)>;

class Master {
  public:
    // The transport must be open and outlive the master.
    Master(Transport& transport, const Settings& settings);

    // New settings; a new polling address forgets the device.
    void configure(const Settings& settings);
    const Settings& settings() const { return settings_; }
    void setTrace(TraceFn trace) { trace_ = std::move(trace); }

    // Command 0 to the polling address. Ok, Communication (also when the
    // answer carries no identity), NoResponse, Resource or Disconnected.
    Result connect();
    void disconnect() { connected_ = false; }
    bool connected() const { return connected_; }
    const Identity& identity() const { return identity_; }
    // The command-0 answer of the last successful connect.
    const Answer& connectAnswer() const { return connectAnswer_; }

    // One command to the connected device: a long frame, or for command 0
    // a short frame to the polling address. Ok with the answer (which may
    // carry any response code, busy included once the retries are used up);
    // otherwise Communication, NoResponse, Resource or Disconnected and
    // `answer` untouched.
    // The caller checks that a device is connected and `data` has at most
    // 255 bytes.
    Result transact(std::uint8_t command, const std::vector<std::uint8_t>& data, Answer* answer);

    // What went wrong during the last connect or transact, try by try; empty
    // when the first try succeeded.
    const std::string& report() const { return report_; }

    // The time-outs in use (derived in timing.h).
    std::chrono::microseconds responseTimeOut() const;
    std::chrono::microseconds gapTimeOut() const;
    std::chrono::microseconds quietTime() const;

  private:
    // Clear: the line is ours to send on; LineBusy: no turn came.
    enum class Outcome { Clear, Answered, PortFailure, PortLost, LineBusy, Broken, Silent };

    // What one try's wait for its answer has met besides the answer.
    struct Reception {
        bool broken = false;  // a damaged frame, or an answer to another request
        std::string skipped;  // why the last frame was no answer to us, in words
    };

    Result exchange(const Request& request, Answer* answer);
    // Before a request: listens until the line gives us a turn (line_watch.h).
    // Frames heard meanwhile are traced and dropped; `late` counts the bytes
    // of answers to us among them. Clear, PortFailure, PortLost or LineBusy.
    Outcome awaitTurn(std::size_t* late, std::string* note);
    // Whether the exchange of `request` ended with a try unanswered.
    void leaveUnsettled(const Request& request, bool unanswered);
    Outcome attempt(const std::vector<std::uint8_t>& frame, const Expectation& expectation,
                    Answer* answer, std::string* note);
    // One read of the line, `wait` at the most, told to the watcher (as
    // input that waited unread, with `waiting`). Clear, or PortFailure or
    // PortLost with the note.
    Outcome hear(std::uint8_t* buffer, std::size_t capacity, std::chrono::microseconds wait,
                 bool waiting, std::size_t* count, std::string* note);
    // Feeds received bytes to the receiver; true once they end our answer.
    bool takeFrames(const std::uint8_t* bytes, std::size_t count, Answer* answer,
                    Reception* reception);
    // Feeds bytes heard before sending to the receiver; returns how many
    // belonged to answers to us.
    std::size_t passFrames(const std::uint8_t* bytes, std::size_t count);
    // A frame stopped coming before its end.
    void frameBroke();
    // The same for the frame awaited as the answer: the try met a damaged
    // frame, and where it broke off is its note.
    void answerBroke(Reception* reception);
    // The outcome and note of a try that got no answer.
    Outcome unanswered(const Reception& reception, std::string* note) const;
    void trace(bool sent, const std::vector<std::uint8_t>& bytes, const std::string& note);

    Transport& transport_;
    Settings settings_;
    Receiver receiver_;
    LineWatch watch_;
    TraceFn trace_;
    bool connected_ = false;
    bool unsettled_ = false;  // the last exchange left a try unanswered
    // The request of the last exchange that ended unanswered.
    DeviceAddress unsettledAddress_;
    std::uint8_t unsettledCommand_ = 0;
    std::vector<std::uint8_t> unsettledData_;
    Identity identity_;
    Answer connectAnswer_;
    std::string report_;
};

}  // namespace hartlink
