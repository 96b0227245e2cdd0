#pragma once
// The current output of the transmitter under the person's hand: the loop
// test (a fixed current of the person's choosing), the fixed 4 mA and 20 mA
// points and the trims of the output's zero and gain against a current
// measured in the loop.
//
// While the program holds the current fixed the loop carries no measured
// value, so the program keeps track of it: the other fixed-current
// functions are locked until it is released, and release() gives the loop
// back (before a disconnect and before the program ends), so that no
// device is left fixed without the person knowing.

#include <QString>
#include <functional>

#include "ui/service/service_note.h"

namespace zh {

struct DeviceModel;
class DisplayActions;
class UniversalCommands;

class OutputService {
  public:
    OutputService(DeviceModel& model, UniversalCommands& commands, DisplayActions& actions);

    // Debug.log names them "start" and "stop".
    enum class LoopStep { Start, Stop };
    // OnOff switches a fixed point on or off; Trim trims the output with
    // the current measured in the loop (the panel's field). Debug.log names
    // them "on/off" and "trim".
    enum class PointAction { OnOff, Trim };

    // Form "admin" takes the admin panel's value, any other the user
    // panel's. A start fixes the loop at that value, a stop gives it back
    // to the measurement.
    void loopTest(LoopStep step, const QString& form);
    void set4mA(PointAction action, const QString& form);
    void set20mA(PointAction action, const QString& form);

    // The state of the fixed points: "off" or "On".
    const QString& state4mA() const { return points_[0].state; }
    const QString& state20mA() const { return points_[1].state; }
    bool loopTestRunning() const { return loopTest_; }
    // The program holds the loop current fixed (loop test, 4 or 20 mA).
    bool currentFixed() const;

    // Gives the loop back to the measurement when the program fixed it.
    // True when nothing is fixed any more; false when the device refused or
    // did not answer (the person has seen why).
    bool release();

    // Captions and locks of the output controls, over what the user-mode
    // rules enabled: the buttons say "Off" while their function runs, the
    // other fixed-current functions are locked, and the trims are usable
    // only while their point is on.
    void showState();

    // Shows field `name` in its control again.
    std::function<void(const QString& name)> showField;
    // A current fixed or released, or a trim, that the device carried out.
    ServiceNote noteDone;

  private:
    struct Point {
        float milliamps;
        const char* onOffButtons[2];
        const char* trimControls[4];
        const char* logName;
        QString state;
    };

    void setPoint(int index, PointAction action, const QString& form);
    bool sendFixedCurrent(float milliamps);
    bool isOn(int index) const;
    void unlockLoopFields();
    void lock(const char* name, bool locked);
    void note(const char* function, const char* what, const QString& result);

    DeviceModel& m_;
    UniversalCommands& commands_;
    DisplayActions& actions_;
    Point points_[2];
    bool loopTest_ = false;
};

}  // namespace zh
