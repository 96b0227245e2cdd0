#pragma once
// The main window (window 1): the status area with the display read-out,
// lamps and logos at the top, the tab panel (control 19) with every field's
// controls, and the status line. Every control is made from the control
// table and handed to QtGadgets, through which the program reaches it.
// Places and fonts are designed for a drawing area of 1020 x 560 pixels and
// scaled with the window.
//
// Before the field table is built, enter the controls into it with
// registerControls(model.fields). The menus and the tool bar are filled by
// the command code through menuBar() and toolBar(); call
// restoreDesignSize() afterwards so that the drawing area gets its design
// size again.

#include <QMainWindow>
#include <array>

#include "ui/window/caption_room.h"
#include "ui/window/field_controls.h"
#include "ui/window/scaled_layout.h"

class QLabel;
class QProgressBar;
class QTabWidget;
class QTextEdit;
class QToolBar;

namespace zh {

struct Program;
class QtGadgets;
class TestInputWindow;

class MainWindow final : public QMainWindow {
  public:
    MainWindow(Program& program, QtGadgets& gadgets, QWidget* parent = nullptr);
    ~MainWindow() override;

    QToolBar* toolBar() const { return toolBar_; }
    QTabWidget* panel() const { return panel_; }
    // The page of tab `tab` of the full tab list, also after it was removed.
    QWidget* tabPage(int tab) const;
    // Removes the tab numbered `tab` in the full tab list from `panel` (only
    // the main panel has tabs); a tab that is already gone is ignored. Its
    // controls stay reachable, hidden with their page.
    void removePanelTab(int panel, int tab);
    QWidget* canvas() const { return canvas_; }
    QTextEdit* diagnosticReport() const;

    // The four fields of the status line (0 to 3).
    void setStatusText(int field, const QString& text);
    QString statusText(int field) const;
    QLabel* statusField(int field) const;

    // Chooses and places the logo: the customer's picture named by the
    // profile (or by `srcFile`), else the built-in logo of the edition and
    // language. True when the customer's logo is shown.
    bool showCustomerLogo(const QString& srcFile = QString());

    // The "Test input" window (window 2), built hidden.
    QWidget* testInputWindow() const;
    void showTestInput(bool shown);

    // Sizes the window so that its drawing area is 1020 x 560 again.
    void restoreDesignSize();
    // Until this is called the close box only reports EventCloseWindow; the
    // program decides whether it may end.
    void allowClose() { closeAllowed_ = true; }

    const ScaledLayout& scaledLayout() const { return layout_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QString caption(int index) const;
    void buildPanel();
    void buildControls();
    void buildStatusLine();
    void applyFixedLooks();
    void showBuiltInLogo();
    void rescale();

    Program& program_;
    QtGadgets& gadgets_;
    ScaledLayout layout_;
    CaptionWidths captionWidths_;
    QFont baseFont_;
    QWidget* canvas_ = nullptr;
    QTabWidget* panel_ = nullptr;
    std::array<QWidget*, kTabCount> pages_{};
    QToolBar* toolBar_ = nullptr;
    std::array<QLabel*, 4> statusFields_{};
    QProgressBar* progress_ = nullptr;
    TestInputWindow* testInput_ = nullptr;
    bool closeAllowed_ = false;
};

}  // namespace zh
