#pragma once
// Controls held in memory for tests. A control springs into being when it
// is first set; queued events are handed out by waitEvent, and a wait with
// nothing queued moves the manual clock on by its time-out.

#include <QHash>
#include <deque>

#include "app/gadgets.h"
#include "manual_clock.h"

namespace zh::test {

class MemoryGadgets final : public Gadgets {
  public:
    struct Control {
        QString text;
        int state = 0;
        QStringList items;
        bool enabled = true;
        bool hidden = false;
        int foreground = -1;
        int background = -1;
        QString toolTipTitle;
        QString toolTip;
        QString disabledReason;
        QRect geometry;
        QString image;
        QString font;
    };

    explicit MemoryGadgets(ManualClock& clock) : clock_(clock) {}

    // Events handed out by waitEvent, each after `delayMs` of manual time.
    void queueEvent(const WindowEvent& e, int delayMs = 0) { events_.push_back({e, delayMs}); }

    Control& control(int gadget) { return controls_[gadget]; }
    QHash<int, bool> windowEnabled;
    std::vector<int> progressHistory;

    bool exists(int gadget) const override { return controls_.contains(gadget); }
    QString text(int gadget) const override { return controls_.value(gadget).text; }
    void setText(int gadget, const QString& text) override { controls_[gadget].text = text; }
    int state(int gadget) const override { return controls_.value(gadget).state; }
    void setState(int gadget, int state) override { controls_[gadget].state = state; }
    QStringList items(int gadget) const override { return controls_.value(gadget).items; }
    void setItems(int gadget, const QStringList& items) override {
        controls_[gadget].items = items;
    }
    bool isEnabled(int gadget) const override { return controls_.value(gadget).enabled; }
    void setEnabled(int gadget, bool enabled) override { controls_[gadget].enabled = enabled; }
    bool isHidden(int gadget) const override { return controls_.value(gadget).hidden; }
    void setHidden(int gadget, bool hidden) override { controls_[gadget].hidden = hidden; }
    void setColours(int gadget, int fg, int bg) override {
        controls_[gadget].foreground = fg;
        controls_[gadget].background = bg;
    }
    void setFocus(int gadget) override { focus_ = gadget; }
    int focusedGadget() const override { return focus_; }
    void setToolTip(int gadget, const QString& title, const QString& text) override {
        controls_[gadget].toolTipTitle = title;
        controls_[gadget].toolTip = text;
    }
    void setDisabledReason(int gadget, const QString& reason) override {
        controls_[gadget].disabledReason = reason;
    }
    QString disabledReason(int gadget) const override {
        return controls_.value(gadget).disabledReason;
    }
    QRect geometry(int gadget) const override { return controls_.value(gadget).geometry; }
    void setImage(int gadget, const QString& file) override { controls_[gadget].image = file; }
    void setFont(int gadget, const QString& family, int size, bool bold) override {
        controls_[gadget].font = QStringLiteral("%1,%2,%3").arg(family).arg(size).arg(bold);
    }
    void setWindowEnabled(int window, bool enabled) override { windowEnabled[window] = enabled; }
    void setStatusProgress(int percent) override {
        progress_ = percent;
        progressHistory.push_back(percent);
    }
    int statusProgress() const override { return progress_; }
    std::optional<WindowEvent> waitEvent(int timeoutMs) override;

  private:
    struct Pending {
        WindowEvent event;
        int delayMs;
    };
    ManualClock& clock_;
    QHash<int, Control> controls_;
    std::deque<Pending> events_;
    int focus_ = -1;
    int progress_ = 0;
};

}  // namespace zh::test
