#include "memory_gadgets.h"

#include <gtest/gtest.h>

namespace zh::test {

std::optional<WindowEvent> MemoryGadgets::waitEvent(int timeoutMs) {
    if (!events_.empty()) {
        Pending& next = events_.front();
        if (timeoutMs < 0 || next.delayMs <= timeoutMs) {
            clock_.advance(next.delayMs);
            const WindowEvent e = next.event;
            events_.pop_front();
            return e;
        }
        next.delayMs -= timeoutMs;
    } else if (timeoutMs < 0) {
        ADD_FAILURE() << "waiting without limit for an event nobody will send";
        return WindowEvent{EventCloseWindow, 1, -1, -1, -1};
    }
    clock_.advance(timeoutMs);
    return std::nullopt;
}

}  // namespace zh::test
