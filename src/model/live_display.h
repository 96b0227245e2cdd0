#pragma once
// The live display: while connected the program polls the device every
// DynPollTime ms and shows what the display module shows (its
// four-character read-out with decimal point and sign, the switch states,
// the raw converter value and the trailing pointers), or for a transmitter
// on its own its primary value.

#include <QString>
#include <functional>
#include <limits>

#include "app/presence.h"

namespace zh {

struct DeviceModel;
class DeviceSequences;
class HartSession;

// The read-out as shown: `text` (trimmed) with `pars` decimals (a signed
// number: its absolute value 1..3 puts the point before the last digits,
// a minus sign marks a negative value). Leading characters that are no
// number go through `translate` and stay in front ("Er" + "12").
QString formatReadOut(const QString& text, int pars,
                      const std::function<QString(const QString&)>& translate);

struct LiveState {
    QString DisplayText;             // last read-out as received
    QString DisplayPars;             // its parameters: "-" for negative, then the decimals
    QString Shown;                   // the read-out as shown
    int Switch1 = -1, Switch2 = -1;  // -1 unknown, 0 open, 1 closed
    int ActADvalue = 0;
    bool OnlineLit = false;  // the Online lamp blinks once per value received
    // The transmitter's part (commands 1, 142 and 2); NaN until received.
    // Its converter counts are kept apart from the module's: the two count
    // on different scales.
    double PrimaryValue = std::numeric_limits<double>::quiet_NaN();
    QString PrimaryUnit;
    double LoopCurrent = std::numeric_limits<double>::quiet_NaN();  // mA
    int TransmitterAD = 0;
};

// What the "Test input" window holds: its number field and its slider.
struct TestInput {
    QString text;
    int slider = 0;
};

// What the live display asks of the window; unset hooks do nothing.
struct LiveHooks {
    std::function<void()> showValues;  // the read-out, lamps and fields changed
    // Test mode: the "Test input" slider spans the converter counts from
    // `low` to `high`.
    std::function<void(int low, int high)> setTestLimits;
    // Test mode: what the "Test input" window holds now, and the value it
    // follows when the read-out shows converter value `ad`.
    std::function<TestInput()> readTestInput;
    std::function<void(int ad)> showTestValue;
};

class LiveDisplay {
  public:
    LiveDisplay(DeviceModel& model, HartSession& session, DeviceSequences& sequences);

    // Connects, reads the device when no data are loaded (`target`
    // "transmitter", "display" or "all") and starts polling. False when
    // the connection or the read failed; then nothing runs.
    bool startDynDisplay(Presence target);
    // Stops polling, closes the link and blanks the read-out.
    void stopDynDisplay();
    // One poll (in test mode: one value from the "Test input" window); a
    // failed one is logged and the next one tries again. A lost modem stops
    // the live display, with a message when this poll met it. A poll that
    // pollStep() began is begun again.
    void updateLiveDisplay();
    // One exchange of a poll (see updateLiveDisplay), so that the window can
    // serve a command between the exchanges; true when the poll ended
    // (the values are shown), false while it has exchanges left.
    bool pollStep();
    // Shows the live block the last poll or read of the device received.
    void showLiveBlock();
    // Shows one read-out (see formatReadOut), the AD value and the trailing pointers.
    void displayMeasuredValue(const QString& text, const QString& adText, const QString& pars);

    LiveState state;
    LiveHooks hooks;

  private:
    // The exchanges of one poll, in their order.
    enum class PollStep { Begin, Display, PrimaryValue, TransmitterAD, LoopCurrent, End };
    PollStep beginPoll();
    PollStep runStep(PollStep step);
    bool endPoll();
    bool testMode() const;
    bool pollDisplay();
    bool answered(int result, int command, int size);
    bool pollPrimaryValue(bool alone);
    bool pollTransmitterAD(bool alone);
    void pollLoopCurrent();
    void simulateValue();
    void shown();
    QString translate(const QString& text);
    void setField(const char* name, const QString& raw);

    DeviceModel& m_;
    HartSession& session_;
    DeviceSequences& sequences_;
    QString lastWord_, lastTranslation_;
    bool inCycle_ = false;  // one refresh of the window per poll
    PollStep next_ = PollStep::Begin;
    bool received_ = false;  // this poll received a value
    bool alone_ = false;     // this poll reads a transmitter without display module
    bool both_ = false;      // this poll reads the module and then the transmitter
    int lastTestAD_ = -1;    // the value last put into the "Test input" window
};

}  // namespace zh
