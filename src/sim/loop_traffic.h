#pragma once
// What goes over the wire of a simulated loop, and when. The program's
// frames are told as they arrive; the simulator's own frames (the devices'
// answers, burst frames, a second master's requests) are put on the line at
// the moments the loop-sharing rules allow, and every frame of the program
// is judged against those rules: a collision is logged and counted.
//
// It has no clock of its own: the caller gives the time, in microseconds
// since the line started, so that the pseudo-terminal runner drives it on
// the real clock and the in-process Sim port on its virtual one, and both
// put the same frames on the line at the same moments.
//
// The rules, in character times (one character = 11 bits at 1200 bit/s):
// a device answers a request to it after its turnaround time; a burst
// device whose period has run out sends right after the end of an answer,
// or after RT1 (secondary) + 2 characters of quiet, alternating the master
// bit of its burst frames; the second master, of the kind opposite to the
// program's, waits for the answer to the program's request, takes its turn
// between 2 characters and RT2 after that answer (or a burst frame with its
// bit), leaves the program its turn for RT2 + 2 characters after an answer
// to itself (or a burst frame with the program's bit), and otherwise waits
// for RT1 of its kind of quiet.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/line.h"
#include "sim/other_master.h"

namespace hartsim {

using LineTime = std::chrono::microseconds;

// `n` characters on the wire, rounded up to the microsecond.
constexpr LineTime characterTime(std::int64_t n) {
    return LineTime((n * 11 * 1000000 + 1199) / 1200);
}

// One thing that happened on the line: a frame, from the time its first
// byte was on the wire, or a collision.
struct LineEvent {
    enum class Kind {
        ProgramFrame,  // from the program ("RX")
        Answer,        // a device's answer ("TX"), to the program or the second master
        Burst,         // a device's burst frame ("TX")
        OtherRequest,  // the second master's request ("M2")
        Collision,
    };
    Kind kind = Kind::ProgramFrame;
    LineTime at{0};
    std::vector<std::uint8_t> bytes;
    int command = -1;
    // Requests: what became of them.
    Simulator::FrameFate fate = Simulator::FrameFate::Answered;
    bool toOtherMaster = false;  // an answer to the second master
    std::string text;            // a collision: its kind and what met
};

struct LoopTiming {
    // Whether a frame occupies the wire for its characters' time; without
    // it, where the wire is not emulated, frames take no time.
    bool wire = true;
    // Whether an answer waits the device's turnaround time after the
    // request; without it, it comes at once (a Late fault still waits).
    bool turnaround = true;
};

class LoopTraffic {
  public:
    // Takes over the line's frame log (log=), now with time stamps, and
    // its frame observer.
    LoopTraffic(Line& line, LoopTiming timing);
    ~LoopTraffic();
    LoopTraffic(const LoopTraffic&) = delete;
    LoopTraffic& operator=(const LoopTraffic&) = delete;

    // Told every event as it happens (the simulator's frames when they start).
    void setObserver(std::function<void(const LineEvent&)> observer);

    // The program's bytes, arrived at `at`: a frame's first byte was on the
    // wire then, and the frame occupies it for its length. The caller has
    // taken the simulator's frames up to `at` first (next()).
    void programBytes(const std::uint8_t* data, std::size_t size, LineTime at);
    // A silence longer than a character gap: a partial frame is dropped.
    void lineIdle();

    // When the simulator's next frame would start if the program sent
    // nothing before (LineTime::max(): nothing to send).
    LineTime nextStart() const;
    // The simulator's next frame if it starts at or before `until`: its
    // start is fixed then, and it is logged. Empty when none is due.
    std::optional<LineEvent> next(LineTime until);

  private:
    // The last complete frame on the line.
    enum class Last {
        Nothing,
        ProgramRequest,
        ProgramOther,
        OtherRequest,
        AnswerToProgram,
        AnswerToOther,
        Burst
    };
    enum class Source { None, Queued, Burst, OtherMaster };

    // How long `bytes` bytes occupy the wire.
    LineTime wireTime(std::size_t bytes) const;
    // When the line is free: the last frame on it, and the program's
    // bytes, have ended.
    LineTime lineFree() const;
    Source nextSource(LineTime* start) const;
    LineTime burstStart() const;
    LineTime otherMasterStart() const;
    LineTime answerDelay(const Reply& reply) const;
    void programFrame(const std::vector<std::uint8_t>& bytes, Simulator::FrameFate fate,
                      const Reply* reply);
    std::string collision(const std::vector<std::uint8_t>& bytes, LineTime start,
                          LineTime end) const;
    void putOn(const LineEvent& event);
    void emit(const LineEvent& event);

    Line& line_;
    LoopTiming timing_;
    std::string logPath_;
    std::function<void(const LineEvent&)> observer_;
    OtherMaster other_;

    bool programPrimary_ = true;
    Last last_ = Last::Nothing;
    bool lastPrimaryBit_ = true;
    LineTime lastEnd_{0};
    // The program's frame being received: where it started, and how far
    // its bytes reach on the wire.
    std::optional<LineTime> frameStart_;
    LineTime programUntil_{0};
    // The simulator's latest frame on the line.
    LineTime ownStart_{0};
    LineTime ownEnd_{0};
    std::string ownName_;
    // Answers (and further burst frames) waiting for the line, with the
    // earliest moment they may start.
    std::deque<LineEvent> queued_;
    // Frames the line reported while we fed it.
    std::vector<std::pair<std::vector<std::uint8_t>, Simulator::FrameFate>> heard_;

    // For judging the program's requests.
    std::optional<LineTime> otherRequestEnd_;
    std::optional<LineTime> otherAnswerEnd_;  // planned or real
    std::optional<LineTime> ownAnswerEnd_;
    std::optional<LineTime> otherBitBurstEnd_;

    LineTime burstDue_{0};
    bool burstPrimary_ = true;
};

}  // namespace hartsim
