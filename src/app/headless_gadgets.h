#pragma once
// Controls for runs without a window: there are none, so every control
// reads as empty and every change is dropped. No event ever arrives.

#include "gadgets.h"

namespace zh {

class HeadlessGadgets final : public Gadgets {
  public:
    bool exists(int) const override { return false; }
    QString text(int) const override { return {}; }
    void setText(int, const QString&) override {}
    int state(int) const override { return 0; }
    void setState(int, int) override {}
    QStringList items(int) const override { return {}; }
    void setItems(int, const QStringList&) override {}
    bool isEnabled(int) const override { return false; }
    void setEnabled(int, bool) override {}
    bool isHidden(int) const override { return true; }
    void setHidden(int, bool) override {}
    void setColours(int, int, int) override {}
    void setFocus(int) override {}
    int focusedGadget() const override { return -1; }
    void setToolTip(int, const QString&, const QString&) override {}
    void setDisabledReason(int, const QString&) override {}
    QString disabledReason(int) const override { return QString(); }
    QRect geometry(int) const override { return {}; }
    void setImage(int, const QString&) override {}
    void setFont(int, const QString&, int, bool) override {}
    void setWindowEnabled(int, bool) override {}
    void setStatusProgress(int) override {}
    int statusProgress() const override { return 0; }
    std::optional<WindowEvent> waitEvent(int timeoutMs) override;
};

}  // namespace zh
