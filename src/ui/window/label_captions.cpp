#include "ui/window/label_captions.h"

#include <cstddef>

#include "app/program.h"
#include "model/device_model.h"
#include "ui/window/control_table.h"
#include "ui/window/field_controls.h"

namespace zh {

QString labelCaption(Program& p, const QString& field) {
    const ControlInfo* label = findControl(controlsOf(field).label);
    if (label == nullptr || label->caption < 0) return QString();
    const auto index = static_cast<std::size_t>(label->caption);
    // The window's table once it is loaded, else the same text looked up.
    if (index < p.captions.size()) return p.captions[index];
    return p.messages.labelText(index, QStringLiteral("Application"));
}

void captionFieldsByLabels(DeviceModel& m) {
    Program& p = m.program;
    m.hooks.caption = [&p](const QString& field) { return labelCaption(p, field); };
}

}  // namespace zh
