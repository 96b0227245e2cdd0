#include "device_comparison.h"

#include "device_core.h"
#include "model/device_model.h"

namespace zh {

std::vector<FieldDifference> compareFields(const DeviceModel& expected, const DeviceModel& device) {
    (void)expected;
    (void)device;
    return {};
}

Comparison compareDeviceWithFile(DeviceCore& core, const QString& path) {
    (void)path;
    Comparison c;
    c.result = core.read();
    return c;
}

QStringList differenceLines(const std::vector<FieldDifference>& d) {
    QStringList lines;
    for (const FieldDifference& f : d) {
        const QString unit = f.unit.isEmpty() ? QString() : QLatin1Char(' ') + f.unit;
        const QString caption =
            f.caption.isEmpty() || f.caption == f.name ? f.name : f.caption + " (" + f.name + ")";
        lines << caption + QStringLiteral(": file ") + f.fileValue + unit +
                     QStringLiteral(", device ") + f.deviceValue + unit;
    }
    return lines;
}

}  // namespace zh
