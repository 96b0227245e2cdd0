#pragma once
// The seam to the window's controls, addressed by their numbers. The Qt
// implementation holds the real widgets; tests use an in-memory one.

#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>

#include "window_event.h"

namespace zh {

class Gadgets {
  public:
    virtual ~Gadgets() = default;

    virtual bool exists(int gadget) const = 0;
    virtual QString text(int gadget) const = 0;
    virtual void setText(int gadget, const QString& text) = 0;
    virtual int state(int gadget) const = 0;  // check state or selected index
    virtual void setState(int gadget, int state) = 0;
    virtual QStringList items(int gadget) const = 0;
    virtual void setItems(int gadget, const QStringList& items) = 0;
    virtual bool isEnabled(int gadget) const = 0;
    virtual void setEnabled(int gadget, bool enabled) = 0;
    virtual bool isHidden(int gadget) const = 0;
    virtual void setHidden(int gadget, bool hidden) = 0;
    // Colours are rgb() values; -1 restores the control's default colour.
    virtual void setColours(int gadget, int foreground, int background) = 0;
    virtual void setFocus(int gadget) = 0;
    virtual int focusedGadget() const = 0;
    // A tooltip with a title line (empty for none) and its text.
    virtual void setToolTip(int gadget, const QString& title, const QString& text) = 0;
    // Why a disabled control is off ("" for none): while it is disabled its
    // tooltip ends with the reason and the status line shows it when pointed at.
    virtual void setDisabledReason(int gadget, const QString& reason) = 0;
    virtual QString disabledReason(int gadget) const = 0;
    // Place and size in the window's coordinates; empty when the control does not exist.
    virtual QRect geometry(int gadget) const = 0;
    virtual void setImage(int gadget, const QString& file) = 0;
    virtual void setFont(int gadget, const QString& family, int size, bool bold) = 0;

    // The main window as a whole and its status line.
    virtual void setWindowEnabled(int window, bool enabled) = 0;
    virtual void setStatusProgress(int percent) = 0;
    virtual int statusProgress() const = 0;

    // Waits for the next window event, at most `timeoutMs` (-1: no limit).
    virtual std::optional<WindowEvent> waitEvent(int timeoutMs) = 0;
};

// Colour values as the program stores them: red in the low byte.
constexpr int rgb(int r, int g, int b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr int redOf(int c) {
    return c & 0xFF;
}
constexpr int greenOf(int c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(int c) {
    return (c >> 16) & 0xFF;
}

}  // namespace zh
