#pragma once
// A second master on the simulated loop (option othermaster=MS): it wants
// to send at random moments, on average every MS milliseconds, drawn from a
// seeded generator so that a run repeats, and asks the devices on the line
// read-only universal commands in turn: command 0 by polling address (short
// frame), then 1, 3 and 13 by unique address (long frames).

#include <chrono>
#include <cstdint>
#include <vector>

#include "sim/line.h"

namespace hartsim {

class OtherMaster {
  public:
    // `meanMs` 0: it never wants to send.
    OtherMaster(int meanMs, std::uint32_t seed);

    bool present() const { return meanUs_ > 0; }
    // When it wants to send next (microseconds on the line's clock).
    std::chrono::microseconds wish() const { return wish_; }
    // It sent at `at`: the next wish comes a random interval later.
    void sent(std::chrono::microseconds at);

    // Its next request, with the primary master's bit or the secondary's.
    std::vector<std::uint8_t> nextRequest(Line& line, bool primary);

  private:
    std::chrono::microseconds draw();

    std::int64_t meanUs_;
    std::uint64_t state_;
    std::chrono::microseconds wish_{0};
    unsigned turn_ = 0;
};

}  // namespace hartsim
