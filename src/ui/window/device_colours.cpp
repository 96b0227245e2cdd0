#include "ui/window/device_colours.h"

#include "app/program.h"
#include "model/device_model.h"
#include "model/field_twins.h"

namespace zh {
namespace {

bool hasFixedColour(const FieldRecord& f) {
    return f.is(FlagOwnColour);
}

}  // namespace

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
