#pragma once
// Replay of recorded user events: the "<<<" lines of a log become a list
// that is played back through the main window's own dispatch, one line per
// pass of the main loop, paused, stepped or run at a fixed pace. The replay
// window's buttons reach the replay as events of window 18 through the same
// event queue as the main window's, so the replay itself needs no toolkit.
//
// A replay is honest about what it plays: every line is checked before the
// first one is played, and a list with a line that cannot be played as
// recorded (cut short, a name that is not its number's, a control or
// command this program lacks) is refused whole, naming each such line. A
// recording that began with data present starts with a "Start" line; the
// replay brings those data back first (reads the device, opens the file,
// makes new data), so it starts where the recording did.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "app/event_record.h"
#include "app/window_event.h"

namespace zh {

struct DeviceModel;
struct Program;

// The replay window's window and control numbers.
namespace replay {
constexpr int kWindow = 18;
constexpr int kList = 1410;
constexpr int kStep = 1411;
constexpr int kStop = 1412;
constexpr int kContinue = 1413;
constexpr int kExit = 1414;
}  // namespace replay

// The replay window as the replay sees it. A double click on line n of the
// list arrives as an EventLeftDoubleClick of control kList with code n.
class ReplayView {
  public:
    virtual ~ReplayView() = default;
    virtual void open(const QStringList& lines) = 0;
    virtual void highlight(int line) = 0;  // 1-based
    // Running: only "Stop" takes clicks; paused: all but "Stop".
    virtual void setRunning(bool running) = 0;
    virtual void activate() = 0;
    virtual void close() = 0;
};

class Replay {
  public:
    Replay(Program& p, DeviceModel& model) : p_(p), m_(model) {}

    struct Hooks {
        // The normal dispatch of a restored event.
        std::function<void(const WindowEvent& e)> dispatch;
        // Brings the window up to date with the field table.
        std::function<void()> updateDisplay;
        // Brings back the data a recording began with; "" when they are
        // there, else why not.
        std::function<QString(const RecordingStart& start)> restoreStart;
        // Whether a menu identifier starts a command of the program.
        std::function<bool(int menu)> isCommand;
        // A line was played (1-based step, steps in the list, its name, and
        // why it failed: "" when it was played).
        std::function<void(int step, int steps, const QString& name, const QString& failure)>
            played;
    } hooks;

    // A line of the list that cannot be played.
    struct Refusal {
        int step;     // 1-based, in the list
        int logLine;  // 1-based, in the log file
        QString line;
        QString why;
    };

    void setView(ReplayView* view) { view_ = view; }

    // The replay list of a log: the "<<<" lines, with a refresh step after
    // the last display block read.
    static QStringList replayLines(const QStringList& logLines);

    // Asks for the log and the step delay and starts paused; false when a
    // requester was cancelled, or (after saying why) the file cannot be read
    // or holds lines that cannot be played.
    bool load(const QString& title);
    // Starts the list of `file` paused (or running, for unattended runs).
    // False when the file cannot be read (`unreadable` says why) or a line
    // of it cannot be played (`refused` names them); nothing is played then.
    bool start(const QString& file, int delayMs, bool running = false);
    const QString& unreadable() const { return unreadable_; }
    const std::vector<Refusal>& refused() const { return refused_; }
    // The refusals in one text, a line each.
    QString refusalText() const;
    // Set for a run nobody watches: the replay never waits for a person.
    bool unattended = false;

    bool active() const;
    // One pass of the main loop: plays the current line or waits for the
    // person. Returns an event of another window for the main loop to
    // dispatch (a close box leaves the replay with it).
    std::optional<WindowEvent> pass();
    void end();

    const QStringList& lines() const { return lines_; }
    int delayMs() const { return delayMs_; }

  private:
    void pause();
    void run(const QString& state);
    // Handles an event that came while waiting; returns it when it belongs to the main loop.
    std::optional<WindowEvent> onEvent(const WindowEvent& e);
    // "" when the line was played, else why not.
    QString play(const QString& line);
    QString playStart(const QString& line);
    void report(int step, const QString& name, const QString& failure);
    void restoreInput(const EventRecord& r, const QString& line);
    QString state() const;

    Program& p_;
    DeviceModel& m_;
    ReplayView* view_ = nullptr;
    QStringList lines_;
    std::vector<int> logLines_;  // the log file's line number of each list line
    QString unreadable_;
    std::vector<Refusal> refused_;
    bool eventPlayed_ = false;  // an event record was played in this replay
    int delayMs_ = 0;
    QString beforeSkip_;
    bool released_ = false;  // "Step" or "Continue" was pressed while waiting
};

// The step delay an answer to "Delay[msec]:" gives: empty, "confirm" or
// "conf" wait for nobody (0), anything else is a number of milliseconds.
int replayDelay(const QString& answer);

}  // namespace zh
