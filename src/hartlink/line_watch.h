#pragma once
// What the master knows of the line it shares with another master and with
// burst devices, and when it may start a request there (the rules are in
// timing.h). It is fed every byte the master reads, with the time it read
// them, and the end of each request the master sends.

#include <cstddef>
#include <cstdint>

#include "hartlink/frame.h"
#include "hartlink/receiver.h"
#include "hartlink/transport.h"

namespace hartlink {

class LineWatch {
  public:
    using Time = Transport::Clock::time_point;

    // Starts listening at `now`, knowing nothing of the line before.
    LineWatch(MasterKind kind, Time now);
    void setKind(MasterKind kind) { kind_ = kind; }

    // Bytes read at `at`; a frame that ends among them ended then.
    void feed(const std::uint8_t* bytes, std::size_t count, Time at);
    // A read that found nothing until `at`.
    void heardNothing(Time at) { listened_ = at; }
    // Bytes found in the input at `at` when the master starts listening
    // again. Unless it read the line a character time ago or less, they
    // have waited for who knows how long: no frame among them has a known
    // end, so they give no turn.
    void feedWaiting(const std::uint8_t* bytes, std::size_t count, Time at);
    // The frame on the line stopped coming before its end.
    void frameBroke();
    // Our request has left the line at `at`.
    void sent(Time at);
    // Gives up the turn the last frames gave (a late answer may still come):
    // RT1 of quiet since the last byte, or since `from` when that is later.
    void distrust(Time from);

    // Between the first preamble of a frame and its end.
    bool inFrame() const { return receiver_.inFrame(); }
    // When a request may start if the line stays as it is: `now` when it may
    // start at once, else a later time. Meaningless while inFrame().
    Time mayStart(Time now) const;

  private:
    // What the last frame (or byte) on the line leaves to wait for.
    enum class After {
        Unknown,  // noise, a damaged frame, bytes of unknown age: RT1 of quiet
        Request,  // its answer, or RT1 when none comes
        Hold,     // the other master's turn: HOLD
        Turn,     // ours: from BURST_SLOT to RT2, later RT1 of quiet
    };
    void frameEnded(Time at);
    bool carriesOurBit(const ReceivedFrame& frame) const;

    Receiver receiver_;
    MasterKind kind_;
    After after_ = After::Unknown;
    Time since_;     // the end of that frame or byte
    Time lastByte_;  // the last byte on the line, ours included
    Time listened_;  // the end of the master's last read
};

}  // namespace hartlink
