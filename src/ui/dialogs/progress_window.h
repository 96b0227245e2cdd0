#pragma once
// Window 3: the small window the HART operations report their progress in.
// It holds an icon, the step being worked on, a bar, one button (Cancel
// while working, OK after an error), a status line and a small note, each
// at its fixed place. A step or status text longer than its place wraps,
// and the window grows downwards until the whole text shows (an error
// message must be readable in full). The window only shows what it is told and reports its
// button and close box; the waiting and the modality belong to QtDialogs.

#include <QPalette>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zh {

class ProgressWindow final : public QWidget {
  public:
    // The controls' numbers; each control's objectName is "gadget" + number.
    static constexpr int kIcon = 399;
    static constexpr int kStep = 400;
    static constexpr int kBar = 401;
    static constexpr int kButton = 402;
    static constexpr int kStatus = 403;
    static constexpr int kNote = 404;

    static constexpr QSize kSize{418, 112};
    // Where the window opens relative to the main window's position, and
    // where it opens when there is no main window.
    static constexpr QPoint kOffset{250, 100};
    static constexpr QPoint kPlaceWithoutMain{250, 200};

    // `buttonCaption` is the working caption (the translated "Cancel").
    explicit ProgressWindow(const QString& buttonCaption);

    // Called when the button is pressed, and when the close box is used
    // (the window itself stays open: whoever runs it decides).
    void onButton(std::function<void()> f) { onButton_ = std::move(f); }
    void onCloseBox(std::function<void()> f) { onCloseBox_ = std::move(f); }

    // Places the window relative to `mainWindow` (may be null).
    void placeOver(const QWidget* mainWindow);

    void setStep(const QString& text);
    // `percent` is clamped to 0..100. Colours are rgb() values; -1 is the
    // control's own colour.
    void setBar(int percent, int colour);
    void setStatus(const QString& text, int colour);
    QString statusText() const;
    void setButtonCaption(const QString& caption);
    void setNote(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void fitTexts();

    QLabel* icon_;
    QLabel* step_;
    QProgressBar* bar_;
    QPushButton* button_;
    QLabel* status_;
    QLabel* note_;
    QPalette barPalette_;
    QPalette statusPalette_;
    std::function<void()> onButton_;
    std::function<void()> onCloseBox_;
};

// A colour value as the program stores it (red in the low byte) as a QColor.
QColor colourOf(int value);

}  // namespace zh
