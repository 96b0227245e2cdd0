#pragma once
// Replay of recorded user events: the "<<<" lines of a log become a list
// that is played back through the main window's own dispatch, one line per
// pass of the main loop, paused, stepped or run at a fixed pace. The replay
// window's buttons reach the replay as events of window 18 through the same
// event queue as the main window's, so the replay itself needs no toolkit.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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
        // A line was played (1-based step, steps in the list, its name).
        std::function<void(int step, int steps, const QString& name)> played;
    } hooks;

    void setView(ReplayView* view) { view_ = view; }

    // The replay list of a log: the "<<<" lines, with a refresh step after
    // the last display block read.
    static QStringList replayLines(const QStringList& logLines);

    // Asks for the log and the step delay and starts paused; false when a
    // requester was cancelled or the file cannot be read.
    bool load(const QString& title);
    // Starts the list of `file` paused (or running, for unattended runs).
    bool start(const QString& file, int delayMs, bool running = false);
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
    void play(const QString& line);
    void restoreInput(const EventRecord& r, const QString& line);
    QString state() const;

    Program& p_;
    DeviceModel& m_;
    ReplayView* view_ = nullptr;
    QStringList lines_;
    int delayMs_ = 0;
    QString beforeSkip_;
    bool released_ = false;  // "Step" or "Continue" was pressed while waiting
};

// The step delay an answer to "Delay[msec]:" gives: empty, "confirm" or
// "conf" wait for nobody (0), anything else is a number of milliseconds.
int replayDelay(const QString& answer);

}  // namespace zh
