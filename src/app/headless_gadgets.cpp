#include "headless_gadgets.h"

#include <QThread>

namespace zh {

std::optional<WindowEvent> HeadlessGadgets::waitEvent(int timeoutMs) {
    // Without a window nobody can answer: a wait without limit ends at once
    // as if the window had been closed.
    if (timeoutMs < 0) return WindowEvent{EventCloseWindow, 1, -1, -1, -1};
    QThread::msleep(static_cast<unsigned long>(timeoutMs));
    return std::nullopt;
}

}  // namespace zh
