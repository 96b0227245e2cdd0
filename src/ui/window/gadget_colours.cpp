#include "ui/window/gadget_colours.h"

#include "app/gadgets.h"
#include "app/program.h"
#include "model/device_model.h"
#include "ui/window/field_controls.h"

namespace zh {
namespace {

struct Entry {
    int index;
    GadColours colours;
};

constexpr Entry kTable[] = {
    {0, {rgb(0, 0, 0), rgb(255, 255, 255)}},   {1, {rgb(255, 0, 0), rgb(255, 255, 255)}},
    {2, {rgb(0, 80, 0), rgb(255, 255, 255)}},  {3, {rgb(0, 0, 255), rgb(255, 255, 255)}},
    {4, {rgb(255, 0, 0), rgb(200, 255, 176)}}, {10, {rgb(0, 0, 0), rgb(240, 240, 240)}},
    {15, {rgb(251, 0, 0), rgb(255, 255, 53)}}, {16, {rgb(251, 0, 0), rgb(0, 0, 0)}},
    {17, {rgb(0, 255, 0), rgb(0, 0, 0)}},
};

}  // namespace

std::optional<GadColours> gadColours(int index) {
    for (const Entry& e : kTable)
        if (e.index == index) return e.colours;
    return std::nullopt;
}

bool isReadOnlyField(const FieldRecord& f) {
    if (f.Access != QLatin1String("enabled") || f.is(FlagReadOnly)) return true;
    return f.is(FlagDisplayOnly) && f.type() != QLatin1String("combobox");
}

void setGadColor(DeviceModel& m, int gadId, const QString& gadName, int colindx,
                 const QString& gadstat) {
    const int i = gadId < 0 ? m.fields.find(gadName) : recordOfControl(m.fields, gadId);
    if (i < 0) return;
    FieldRecord& f = m.fields.at(i);
    const int control = boundControl(f);
    if (control <= 0 || f.is(FlagDisplayOnly)) return;
    if (colindx >= 0) {
        f.ColorIndx = static_cast<short>(colindx);
        if (!gadstat.isEmpty()) f.GadStatus = gadstat;
    }
    const int shown = isReadOnlyField(f) ? kColourNotEditable : f.ColorIndx;
    const std::optional<GadColours> c = gadColours(shown);
    Gadgets& g = m.program.gadgets;
    if (!c || !g.exists(control)) return;
    g.setColours(control, c->foreground, c->background);
}

}  // namespace zh
