#pragma once
// Values taken from the device into the form as if the person had typed
// them: the converter counts present now into a row of the adjustment
// table, and the measured value present now as the hall switch's switch
// point. Both land marked "changed" and go to the device with the next
// write.

#include <QString>
#include <functional>

namespace zh {

struct DeviceModel;
class DeviceSequences;

class ValueCapture {
  public:
    ValueCapture(DeviceModel& model, DeviceSequences& sequences);

    // The converter counts into ADC<row> (row 0 to 10, the button's row).
    void setAdcValue(int button, int row);
    // The transmitter's measured value into SwitchPoint, in its unit.
    void setSwitchPoint();

    // Takes `content` into field `name` as an entry of the person's
    // (the application check); unset: nothing is taken.
    std::function<void(const QString& name, const QString& content)> takeEntry;

  private:
    DeviceModel& m_;
    DeviceSequences& sequences_;
};

}  // namespace zh
