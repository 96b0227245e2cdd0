#pragma once
// The debug log: one operation, debugLog, that every part of the program
// reports through. Lines go to the log view (kept here as data; the log
// window shows it) and, when a log file is set, to that file, which is opened
// and closed for every line so that it survives a crash.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

namespace zh {

class Dialogs;

class Logger {
  public:
    explicit Logger(Dialogs& dialogs);

    // Threshold 0 switches logging off; a line is written when its level is
    // -1 or at most the threshold.
    void setThreshold(int threshold) { threshold_ = threshold; }
    int threshold() const { return threshold_; }

    // Absolute path of the log file; empty for none.
    void setFile(const QString& path) { file_ = path; }
    const QString& file() const { return file_; }

    // Starts the log view afresh with its header line (not written to the file).
    void openView(int debugLevel);

    // Whether the log window exists (it may be hidden).
    void setViewExists(bool exists) { viewExists_ = exists; }
    bool viewExists() const { return viewExists_; }

    // Level -1: whenever logging is on. Colour -1: the prefix colour rule.
    // Level 7 also shows the line in a message box titled "Logio".
    void debugLog(const QString& text, int level = -1, int colour = -1);

    // The log view's lines, oldest first (at most kMaxViewLines).
    const std::deque<QString>& viewLines() const { return view_; }
    // The caller's colour of each view line (-1: none), as viewLines().
    const std::deque<int>& viewColours() const { return viewColours_; }
    QString viewText() const;
    void clearView() {
        view_.clear();
        viewColours_.clear();
    }

    // Called for every line appended to the view (the log window listens).
    std::function<void(const QString& line, int colour)> onViewAppend;

    static constexpr std::size_t kMaxViewLines = 100000;

  private:
    void appendToView(const QString& line, int colour);
    void appendToFile(const QString& line);

    Dialogs& dialogs_;
    int threshold_ = 2;
    QString file_;
    bool viewExists_ = true;
    std::deque<QString> view_;
    std::deque<int> viewColours_;
};

}  // namespace zh
