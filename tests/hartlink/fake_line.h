#pragma once
// A line for the master to talk on, in virtual time: the device side is a
// script that answers each written frame with chunks of bytes arriving at
// chosen times after the write has ended (a write takes the frame's wire
// time). Time moves only while the master waits in
// read(), so a 6-second time-out costs nothing.

#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <vector>

#include "hartlink/timing.h"
#include "hartlink/transport.h"

namespace hartlink::test {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::chrono::microseconds after;  // after the end of the write
    Bytes bytes;
};

class FakeLine final : public Transport {
  public:
    std::function<std::vector<Chunk>(const Bytes& frame, std::size_t index)> device;
    std::vector<Bytes> writes;
    std::vector<Clock::time_point> writeTimes;
    std::vector<bool> rtsKeyed;
    IoStatus writeStatus;  // what write() returns

    IoStatus open() override { return {}; }
    void close() override {}
    IoStatus write(const std::uint8_t* data, std::size_t size, bool keyRts) override {
        if (!writeStatus.ok) return writeStatus;
        writes.emplace_back(data, data + size);
        writeTimes.push_back(now_);
        rtsKeyed.push_back(keyRts);
        // As on a modem, the write returns when the last byte has left.
        now_ += timing::characters(static_cast<std::int64_t>(size));
        if (device) {
            for (Chunk& c : device(writes.back(), writes.size() - 1))
                arriveIn(c.after, std::move(c.bytes));
        }
        return {};
    }
    IoStatus read(std::uint8_t* buffer, std::size_t capacity, std::chrono::microseconds timeOut,
                  std::size_t* count) override {
        *count = 0;
        if (pending_.empty() || pending_.front().first > now_ + timeOut) {
            now_ += timeOut;
            return {};
        }
        now_ = std::max(now_, pending_.front().first);
        while (*count < capacity && !pending_.empty() && pending_.front().first <= now_) {
            buffer[(*count)++] = pending_.front().second;
            pending_.pop_front();
        }
        return {};
    }
    void flushInput() override {
        while (!pending_.empty() && pending_.front().first <= now_) pending_.pop_front();
    }
    Clock::time_point now() override { return now_; }
    std::string describe() const override { return "fake line"; }

    // Time passing while nobody reads.
    void idle(std::chrono::microseconds time) { now_ += time; }

    // Bytes that arrive `after` from now, all at once.
    void arriveIn(std::chrono::microseconds after, const Bytes& bytes) {
        auto it = pending_.begin();
        while (it != pending_.end() && it->first <= now_ + after) ++it;
        for (std::uint8_t b : bytes) pending_.insert(it, {now_ + after, b});
    }

  private:
    Clock::time_point now_{};
    std::list<std::pair<Clock::time_point, std::uint8_t>> pending_;  // in arrival order
};

// A frame as a device or another master puts it on the line, framed here
// independently of the library's encoder: preambles, delimiter, address,
// command, byte count, body, XOR check byte.
inline Bytes frame(std::uint8_t delimiter, const Bytes& address, std::uint8_t command,
                   const Bytes& body = {}) {
    Bytes f(5, 0xFF);
    f.push_back(delimiter);
    f.insert(f.end(), address.begin(), address.end());
    f.push_back(command);
    f.push_back(static_cast<std::uint8_t>(body.size()));
    f.insert(f.end(), body.begin(), body.end());
    std::uint8_t x = 0;
    for (std::size_t i = 5; i < f.size(); ++i) x ^= f[i];
    f.push_back(x);
    return f;
}

// A slave's answer: delimiter 06/86, two status bytes before the data.
inline Bytes answerFrame(const Bytes& address, std::uint8_t command, std::uint8_t status1,
                         std::uint8_t status2, const Bytes& data = {}) {
    Bytes body{status1, status2};
    body.insert(body.end(), data.begin(), data.end());
    return frame(address.size() == 5 ? 0x86 : 0x06, address, command, body);
}

}  // namespace hartlink::test
