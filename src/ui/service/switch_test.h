#pragma once
// The test of the display module's two switch outputs: the module takes
// over the output under test and switches it on and off ten times, 400 ms
// each way, while the progress bar counts down from 100; then the outputs
// follow the input again. The test always ends with the module's "end of
// test" action once it was asked to start, whatever stopped it.

#include <QString>
#include <functional>

namespace zh {

struct Program;
class HartSession;
class DisplayActions;
enum class CommandStep;

class SwitchTest {
  public:
    enum class Outcome {
        Done,          // all ten passes ran and the test was ended
        NotConnected,  // no connection: nothing was sent
        Cancelled,     // the person pressed Cancel; the test was ended
        Failed,        // an action failed; the test was ended
        NotEnded,      // the end of the test was not acknowledged: the outputs may still be held
    };

    SwitchTest(Program& program, HartSession& session, DisplayActions& actions);

    // Tests switch output 1 or 2. Connects when the link is closed and
    // closes it again afterwards; an open link (the live display) stays
    // open. A failure shows in the progress window as every command's
    // does. Confirmations are cut short while the test runs (the message
    // time is a thousandth of its setting) and the setting is back
    // however the test ends.
    Outcome run(int output);

    // Called after every action the module took, within its 400 ms: the
    // window can show the outputs as the module reports them.
    std::function<void()> showOutputs;

    // The time each switching state is held.
    static constexpr int kHoldMs = 400;

  private:
    bool send(int code, CommandStep step);
    void hold();

    Program& p_;
    HartSession& session_;
    DisplayActions& actions_;
};

}  // namespace zh
