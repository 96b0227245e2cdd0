#pragma once
// Time source for every wait the program makes. The program uses the steady
// clock; tests use a manual clock so that waits cost no wall time.

#include <chrono>
#include <cstdint>

namespace zh {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed point; never goes backwards.
    virtual std::int64_t nowMs() = 0;
};

class SteadyClock final : public Clock {
  public:
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace zh
