#include "ui/window/control_registry.h"

#include "app/gadgets.h"
#include "model/field_table.h"

namespace zh {

void registerControls(FieldTable& fields) {
    for (const ControlInfo* it = controlsBegin(); it != controlsEnd(); ++it) {
        const ControlInfo& c = *it;
        FieldRecord& r = fields.at(fields.fieldIndexOfGadget(c.number));
        r.GadKonst = symbolicName(c);
        r.GadInfo = kindWord(c.kind);
    }
}

namespace {

// The control registerControls entered `r` for; nullptr for none.
const ControlInfo* enteredControl(const FieldRecord& r) {
    if (r.GadKonst.isEmpty()) return nullptr;
    const ControlInfo* bound = r.GadID > 0 ? findControl(r.GadID) : nullptr;
    return bound && symbolicName(*bound) == r.GadKonst ? bound : findControl(r.GadKonst);
}

}  // namespace

ControlPlace placeOf(const FieldRecord& r, const Gadgets* gadgets) {
    ControlPlace place;
    if (const ControlInfo* c = enteredControl(r)) {
        place.panel = c->panel;
        place.tab = c->tab;
        place.rect = QRect(c->x, c->y, c->width, c->height);
    }
    if (gadgets && r.GadID > 0 && gadgets->exists(r.GadID)) place.rect = gadgets->geometry(r.GadID);
    return place;
}

}  // namespace zh
