#include "ui/window/control_registry.h"

#include "model/field_table.h"

namespace zh {

void registerControls(FieldTable& fields) {
    for (const ControlInfo* it = controlsBegin(); it != controlsEnd(); ++it) {
        const ControlInfo& c = *it;
        FieldRecord& r = fields.at(fields.FieldIndexOfGadget(c.number));
        r.GadKonst = symbolicName(c);
        r.GadInfo = kindWord(c.kind);
        r.X = c.x;
        r.Y = c.y;
        r.Width = c.width;
        r.Height = c.height;
        r.PanelGadID = c.panel;
        r.PanelIndex = static_cast<short>(c.tab);
    }
}

}  // namespace zh
