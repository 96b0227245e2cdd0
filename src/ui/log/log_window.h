#pragma once
// The "Logging IO" window (window 14): the log view with the Logger's lines,
// coloured and bold by the colour rule, and the buttons Hide, Clear, Save,
// Replay, Comment and Frames. It exists from start to end of the program;
// hiding it (its close box too) switches logging off.

#include <QString>
#include <QWidget>
#include <functional>

class QListView;
class QPushButton;
class QTimer;

namespace zh {

struct Program;
class LogViewModel;

class LogWindow final : public QWidget {
  public:
    // Shown when the profile's DebugLevel is at least 1.
    explicit LogWindow(Program& program);
    ~LogWindow() override;

    // Logging on: the window shown, threshold 1. Logging off: hidden, threshold 0.
    void loggingOn();
    void loggingOff();
    // Empties the log view.
    void clear();
    // The log view's text into a file the person chooses; the path written
    // or an empty text.
    QString save();
    // Asks for a comment and logs it at level 1.
    void comment();

    // Takes in the lines appended since the last batch and scrolls to the
    // end (also done by a timer shortly after an append).
    void flush();

    QListView* view() const { return view_; }
    LogViewModel& model() const { return *model_; }

    // Where a proposed file name goes (a relative name as it is).
    std::function<QString(const QString& name)> placeFile;
    // The "Replay" button.
    std::function<void()> onReplay;
    // After logging was switched on or off (the menu shows it).
    std::function<void(bool on)> onSwitched;
    // When what the log records begins anew (logging switched on, the view
    // cleared): a replay of it starts here.
    std::function<void()> onRecordingStarts;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QPushButton* button(const char* caption, int x, int id);

    Program& p_;
    LogViewModel* model_;
    QListView* view_;
    QTimer* batch_;
    QPushButton* frames_ = nullptr;
};

}  // namespace zh
