#include "ui/application/write_checks.h"

#include <memory>

#include "app/program.h"
#include "files/device_core.h"
#include "model/device_model.h"
#include "model/type_checks.h"
#include "ui/application/application_check.h"
#include "ui/window/control_refresh.h"

namespace zh {

QStringList checkFieldsForWrite(DeviceModel& m, ApplicationCheck& check, const QStringList& names) {
    QStringList bad;
    for (const QString& name : names) {
        const int i = m.fields.find(name);
        if (i < 0) continue;
        const FieldRecord& f = m.fields.at(i);
        const QString caption = fieldCaption(m, f.Name);
        const QString shown =
            caption.trimmed().isEmpty()
                ? f.Name
                : caption.trimmed() + QStringLiteral(" (") + f.Name + QLatin1Char(')');
        if (checkByType(m.program, f, caption, f.Content, false).failed() ||
            check.checkLimits(f.Name, f.Content, ApplicationCheck::LimitMode::Quiet).failed()) {
            bad << shown + QStringLiteral(": ") + f.Content + f.GadUnit;
        }
    }
    return bad;
}

void installWriteChecks(DeviceCore& core) {
    struct Checks {
        explicit Checks(DeviceModel& m) : refresh(m), check(m, refresh) {}
        ControlRefresh refresh;
        ApplicationCheck check;
    };
    auto checks = std::make_shared<Checks>(core.model);
    DeviceModel& model = core.model;
    core.sequences.checkFields = [checks, &model](const QStringList& names) {
        return checkFieldsForWrite(model, checks->check, names);
    };
}

}  // namespace zh
