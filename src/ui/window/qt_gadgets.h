#pragma once
// The controls of the program's windows as Qt widgets, behind the Gadgets
// seam. Windows hand their widgets over with addControl(); from then on the
// program reaches them by number. Operations on a number without a control
// do nothing and read as empty (the number is remembered, see
// missingControls()). Qt's signals become the program's normalised window
// events, which waitEvent() hands out one by one while Qt's event loop runs.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <functional>

#include "app/gadgets.h"

class QEventLoop;
class QProgressBar;

namespace zh {

class ScaledLayout;

class QtGadgets final : public QObject, public Gadgets {
  public:
    QtGadgets() = default;
    ~QtGadgets() override;
    QtGadgets(const QtGadgets&) = delete;
    QtGadgets& operator=(const QtGadgets&) = delete;

    // Makes `widget` control `number` of window `window`. With a `layout`,
    // place and font go through it, so they follow the window's scaling.
    void addControl(int number, int window, QWidget* widget, ScaledLayout* layout = nullptr);
    void addWindow(int window, QWidget* widget);
    QWidget* widget(int number) const;
    QWidget* window(int window) const { return windows_.value(window); }
    // The status line's progress bar (shown while its value is above 0).
    void setStatusProgressBar(QProgressBar* bar);

    // Events for waitEvent(). Size events that follow each other are kept
    // as one, so dragging a window's edge does not flood the queue.
    // A command posted while the program is busy elsewhere (an exchange
    // with the device) shows the busy pointer until it is taken.
    void post(const WindowEvent& event);
    void postMenuEvent(int menuId);
    void clearEvents();
    std::size_t pendingEvents() const { return events_.size(); }

    // A picture drawn by the program (the diagrams) instead of a file.
    void setPixmap(int gadget, const QPixmap& pixmap);

    // Numbers the program asked for that no window has, in the order first asked.
    const QList<int>& missingControls() const { return missing_; }

    bool exists(int gadget) const override;
    QString text(int gadget) const override;
    void setText(int gadget, const QString& text) override;
    int state(int gadget) const override;
    // A slider widens its range to take a value outside it.
    void setState(int gadget, int state) override;
    QStringList items(int gadget) const override;
    void setItems(int gadget, const QStringList& items) override;
    // The control's own state, whatever its window's state is.
    bool isEnabled(int gadget) const override;
    void setEnabled(int gadget, bool enabled) override;
    bool isHidden(int gadget) const override;
    void setHidden(int gadget, bool hidden) override;
    // Colours of the control in use; a disabled control keeps the style's
    // disabled colours.
    void setColours(int gadget, int foreground, int background) override;
    // Asked whenever a control is enabled or disabled: true for a control
    // that shows a value but must take no input. Such a text field becomes
    // read-only; a combo box or check box stays disabled.
    std::function<bool(int gadget)> inputLocked;
    void setFocus(int gadget) override;
    int focusedGadget() const override;
    void setToolTip(int gadget, const QString& title, const QString& text) override;
    void setDisabledReason(int gadget, const QString& reason) override;
    QString disabledReason(int gadget) const override;
    // The tooltip the control shows now: its own, and while it is disabled
    // its reason after it.
    QString shownToolTip(int gadget) const;
    // Relative to the window or the tab page, in the design coordinates of
    // the window (the same as the control registry), whatever the window's
    // current size is.
    QRect geometry(int gadget) const override;
    void setImage(int gadget, const QString& file) override;
    void setFont(int gadget, const QString& family, int size, bool bold) override;
    void setWindowEnabled(int window, bool enabled) override;
    void setStatusProgress(int percent) override;
    int statusProgress() const override { return progress_; }
    std::optional<WindowEvent> waitEvent(int timeoutMs) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Control {
        QPointer<QWidget> widget;
        int window = 0;
        ScaledLayout* layout = nullptr;
    };
    const Control* find(int gadget) const;
    QWidget* at(int gadget) const;
    void connectEvents(int number, int window, QWidget* widget);
    void postGadget(int window, int number, int code);
    void showBusy(bool busy);

    QHash<int, Control> controls_;
    QHash<int, QString> reasons_;
    QHash<const QObject*, int> numbers_;
    QHash<int, QPointer<QWidget>> windows_;
    std::deque<WindowEvent> events_;
    QEventLoop* waiting_ = nullptr;
    QPointer<QProgressBar> progressBar_;
    int progress_ = 0;
    int listening_ = 0;    // waitEvent() runs: a posted event is taken at once
    bool busy_ = false;    // the busy pointer is shown
    bool quiet_ = false;   // set while the program itself changes a control
    int statusFrom_ = -1;  // the control whose reason the status line shows
    mutable QList<int> missing_;
};

}  // namespace zh
