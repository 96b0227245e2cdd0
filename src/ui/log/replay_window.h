#pragma once
// The "Replay" window (window 18): the replay list with the current line
// highlighted and the buttons Step, Continue, Exit and Stop. Its clicks go
// into the main window's event queue as events of window 18.

#include <QWidget>

#include "ui/log/replay.h"

class QListWidget;
class QPushButton;

namespace zh {

class QtGadgets;

class ReplayWindow final : public QWidget, public ReplayView {
  public:
    explicit ReplayWindow(QtGadgets& gadgets);

    void open(const QStringList& lines) override;
    void highlight(int line) override;
    void setRunning(bool running) override;
    void activate() override;
    void close() override;

    QListWidget* list() const { return list_; }
    QPushButton* button(int id) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QPushButton* addButton(const QString& caption, int id, int x);

    QtGadgets& gadgets_;
    QListWidget* list_;
    bool closing_ = false;
};

}  // namespace zh
