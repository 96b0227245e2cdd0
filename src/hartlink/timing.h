#pragma once
// The time figures of the HART data-link and physical layers, and the one
// helper that turns character counts into time. Every time-out the master
// uses is derived here from the bit rate.

#include <chrono>
#include <cstdint>

namespace hartlink::timing {

// HART FSK physical layer: 1200 bit/s; a character is 1 start bit, 8 data
// bits, 1 odd parity bit and 1 stop bit = 11 bits.
inline constexpr std::int64_t kBitRate = 1200;
inline constexpr std::int64_t kBitsPerCharacter = 11;

// The duration of `n` characters on the wire, rounded up to the microsecond:
// n x 11 bit / 1200 bit/s, so one character = 9166.67 us = 9.167 ms.
constexpr std::chrono::microseconds characters(std::int64_t n) {
    return std::chrono::microseconds((n * kBitsPerCharacter * 1'000'000 + kBitRate - 1) / kBitRate);
}

// A wait in whole milliseconds, as the system calls take it: rounded up, so
// that a wait never ends before its time-out (0 for none, at most 60 000 s).
constexpr int millisecondsCeil(std::chrono::microseconds us) {
    const auto ms = (us.count() + 999) / 1000;
    return ms <= 0 ? 0 : ms > 60'000'000 ? 60'000'000 : static_cast<int>(ms);
}

// HART data-link layer timers, in character times (FieldComm Group,
// "How is character time calculated?" and the data-link layer document):
//   STO, slave time-out: a slave must start its answer within
//        28 characters = 256.667 ms after the end of the request.
//   RT1, link quiet time: the silence a master waits for before it sends
//        again after a failed transaction; primary master 33 characters =
//        302.5 ms, secondary master 41 characters = 375.833 ms.
//   RT2, link grant time: 8 characters = 73.333 ms.
inline constexpr std::int64_t kSlaveTimeOutChars = 28;
inline constexpr std::int64_t kQuietTimePrimaryChars = 33;
inline constexpr std::int64_t kQuietTimeSecondaryChars = 41;
inline constexpr std::int64_t kLinkGrantChars = 8;

// What the port driver may add to the wire time before received bytes reach
// us: USB serial converters hand bytes over in batches (FTDI's default
// latency timer is 16 ms).
inline constexpr std::chrono::milliseconds kDriverLatency{20};

// The longest frame after its preambles: delimiter 1 + long address 5 +
// expansion bytes 3 + command 1 + byte count 1 + data 255 + check byte 1 =
// 267 characters; with up to 20 preambles and a little slack we bound one
// frame by 300 characters = 2.75 s.
inline constexpr std::int64_t kLongestFrameChars = 300;

// How long to wait for the start of an answer when no override is set:
// STO (28 characters) + the first character itself (1 character), since we
// only see a character once it has been received completely, + the driver
// latency: 256.667 + 9.167 + 20 = 285.833 ms.
constexpr std::chrono::microseconds standardResponseTimeOut() {
    return characters(kSlaveTimeOutChars + 1) + kDriverLatency;
}

// The quiet time before a retry: RT1 of the master's kind.
constexpr std::chrono::microseconds quietTime(bool primaryMaster) {
    return characters(primaryMaster ? kQuietTimePrimaryChars : kQuietTimeSecondaryChars);
}

// Sharing the loop with another master and burst devices (line_watch.h keeps
// these rules for the master): a request may start only while no frame is on
// the line, and
//   - after any request (ours or the other master's): once its answer has
//     ended, or RT1 after the request's end when no answer starts;
//   - after an answer to the other master, or a burst frame carrying our
//     master bit: it is our turn, from BURST_SLOT (the slot in which a burst
//     device may send) up to RT2 after that frame's end (less the driver
//     latency, see turnEnd); missed, RT1 of quiet;
//   - after the answer to our own request, or a burst frame carrying the
//     other master's bit: HOLD = RT2 + 2 characters, the other master's turn;
//   - otherwise (damaged frame, noise, bytes of unknown age, just started
//     listening): RT1 of quiet since the last byte on the line.
// BURST_SLOT = 2 characters = 18.333 ms; HOLD = 10 characters = 91.667 ms.
inline constexpr std::int64_t kBurstSlotChars = 2;
inline constexpr std::int64_t kHoldChars = kLinkGrantChars + 2;

constexpr std::chrono::microseconds burstSlot() {
    return characters(kBurstSlotChars);
}
// The last moment of our turn, after the time we READ the frame's end: the
// port driver may hand its last byte over up to kDriverLatency late, so
// the turn is cut short by that much, and a request never starts past RT2
// of the true end, where the other master's HOLD ends 2 characters later.
constexpr std::chrono::microseconds turnEnd() {
    return characters(kLinkGrantChars) - kDriverLatency;
}
constexpr std::chrono::microseconds holdTime() {
    return characters(kHoldChars);
}

// How long a master waits for its turn before it calls the line busy: another
// master's longest request, the slave's time-out and its longest answer, and
// RT1 of the slower master kind: 300 + 28 + 300 + 41 characters = 6.133 s.
constexpr std::chrono::microseconds lineBusyBound() {
    return characters(2 * kLongestFrameChars + kSlaveTimeOutChars + kQuietTimeSecondaryChars);
}

// How long a byte inside a frame may be overdue before the frame is given
// up: `gapChars` characters (the link grant time RT2 = 8 characters when 0)
// + the driver latency. The physical layer's own gap limit (1 character) is
// not measurable through a driver's buffers.
constexpr std::chrono::microseconds gapTimeOut(int gapChars) {
    return characters(gapChars > 0 ? gapChars : kLinkGrantChars) + kDriverLatency;
}

// How long a write of `size` characters may take before the port counts as
// stuck: twice its wire time + 200 ms for the driver (a 16-byte UART FIFO
// alone holds 147 ms at 1200 bit/s).
constexpr std::chrono::microseconds writeTimeOut(std::int64_t size) {
    return characters(2 * size) + std::chrono::milliseconds(200);
}

}  // namespace hartlink::timing
