#include "device_colours.h"

#include "app/program.h"
#include "hart/display_blocks.h"
#include "hart/request_sender.h"
#include "model/device_model.h"
#include "model/field_twins.h"

namespace zh {
namespace {

// The transmitter's output settings go out with its configuration: the
// range in the unit shown and the damping.
const char* const kOutputSettings[] = {"LowerRangeVal", "UpperRangeVal", "Unit", "Damping"};

bool hasFixedColour(const FieldRecord& f) { return f.Attributes.contains(QLatin1String("ColorIndex=")); }

}  // namespace

QStringList writtenFields(const DeviceModel& m, const QString& mode) {
    if (writesSwitchedOff(m.program.state.NoWrite)) return {};
    const QString target = mode.section(QLatin1Char(' '), 0, 0).toLower();
    const bool changesOnly = mode.contains(QLatin1String("changes"));
    QStringList parts;
    if (target == QLatin1String("transmitter") || target == QLatin1String("all")) {
        for (int i = 1; i <= m.fields.count(); ++i)
            if (m.fields.at(i).hasAttribute("TRANSMITTER;")) parts << m.fields.at(i).Name;
        for (const char* name : kOutputSettings) parts << QLatin1String(name);
    }
    if (!target.contains(QLatin1String("transmitter")))
        for (int block : writableBlocks()) parts << blockFields(block);

    QStringList sent;
    for (const QString& name : parts) {
        const int i = m.fields.find(name);
        if (i < 0 || sent.contains(name)) continue;
        if (changesOnly && m.fields.at(i).ColorIndx != ColourChanged) continue;
        sent << name;
    }
    return sent;
}

void setColourStates(DeviceModel& m, const QStringList& fields, short state) {
    QStringList all = fields;
    for (const QString& name : fields) {
        const QString twin = twinOf(name);
        if (!twin.isEmpty()) all << twin;
    }
    for (const QString& name : all) {
        const int i = m.fields.find(name);
        if (i < 0 || hasFixedColour(m.fields.at(i))) continue;
        m.fields.at(i).setColourState(state);
    }
}

void showLoadedStates(DeviceModel& m) {
    copyTwins(m);
    for (int i = 1; i <= m.fields.count(); ++i) {
        FieldRecord& f = m.fields.at(i);
        if (!hasFixedColour(f)) f.setColourState(ColourRead);
    }
}

}  // namespace zh
