#pragma once
// The "Test input" window (window 2): a slider and a number field that feed
// the simulated value of the live display in test mode. It is built hidden
// with the main window and shown on request; its close box hides it again.

#include <QWidget>

namespace zh {

class QtGadgets;

class TestInputWindow final : public QWidget {
  public:
    TestInputWindow(QWidget* owner, const QString& title, const QFont& font, QtGadgets& gadgets);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QtGadgets& gadgets_;
};

}  // namespace zh
