#pragma once
// The queue of injected faults: which misbehaviour the next answers get.

#include <deque>
#include <optional>

#include "sim/simulator.h"

namespace hartsim {

class FaultQueue {
  public:
    // A fault for fewer than one answer does nothing and is not queued.
    void add(const Fault& fault);
    void clear() { faults_.clear(); }
    bool empty() const { return faults_.empty(); }
    // The oldest fault that applies to `command` (its own command or any),
    // used up by one answer; it leaves the queue when its count is spent.
    std::optional<Fault> take(int command);

  private:
    std::deque<Fault> faults_;
};

}  // namespace hartsim
