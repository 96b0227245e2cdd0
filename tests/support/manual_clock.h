#pragma once
// A clock that only moves when told to, so waits cost no wall time.

#include "app/clock.h"

namespace zh::test {

class ManualClock final : public Clock {
  public:
    std::int64_t nowMs() override { return now_; }
    void advance(std::int64_t ms) { now_ += ms; }

  private:
    std::int64_t now_ = 1000;
};

}  // namespace zh::test
