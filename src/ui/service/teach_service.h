#pragma once
// Teaching and factory settings: the transmitter's range ends taken from
// the process value present now, the display module's 4 mA, 20 mA and
// lower-range points taken from the loop current present now, and the
// factory setting of both stored and restored. Each asks before it changes
// the device and says what came of it.

#include <QString>
#include <functional>

#include "ui/service/service_note.h"

namespace zh {

struct DeviceModel;
class DeviceSequences;

class TeachService {
  public:
    TeachService(DeviceModel& model, DeviceSequences& sequences);

    // The transmitter's lower (upper) range value becomes the process value
    // present now, and a display module takes the range over. Refused while
    // the range shown is edited and not written. The device is read again;
    // a warning of the device is told with the range it holds now.
    void teachRange(bool upper);
    // Display teach action 0 (4 mA), 1 (20 mA) or 2 (lower range); the
    // module's new calibration is read again.
    void teachDisplay(int code);
    // Stores (false) or restores (true) the factory setting.
    void factorySetting(bool restore);

    // What the window does afterwards; unset hooks do nothing.
    struct Hooks {
        // Reads the device again so the window shows its new range or
        // calibration; 0 when it could.
        std::function<int()> readDevice;
        // Shows every field in its control again (after a read of the device).
        std::function<void()> showFields;
        // The function carried out, and what came of it.
        ServiceNote noteDone;
    } hooks;

  private:
    bool rangeEdited() const;
    void note(const QString& title, const ServiceResults& results);
    QString shownValue(const char* name) const;

    DeviceModel& m_;
    DeviceSequences& sequences_;
};

}  // namespace zh
