#include "ui/service/service_commands.h"

#include <cmath>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "hart/universal_commands.h"
#include "model/device_model.h"

namespace zh {

CommandRoutine universalRoutine(UniversalCommands& commands, CommandId id) {
    UniversalCommands* u = &commands;
    switch (id) {
        case CommandId::Com35:
            return {id, [u](int tries) { return u->Com35(tries); }, {}};
        case CommandId::Com36:
            return {id, [u](int tries) { return u->Com36(tries); }, {}};
        case CommandId::Com37:
            return {id, [u](int tries) { return u->Com37(tries); }, {}};
        case CommandId::Com40:
            return {id, [u](int tries) { return u->Com40(tries); }, {}};
        case CommandId::Com45:
            return {id, [u](int tries) { return u->Com45(tries); }, {}};
        case CommandId::Com46:
            return {id, [u](int tries) { return u->Com46(tries); }, {}};
        default:
            return {};
    }
}

bool confirmFunction(Program& p, const QString& title) {
    return p.messages.showMessageBox(title, QStringLiteral("Please confirm function! "),
                                     mb::OkCancel | mb::IconQuestion) == QLatin1String("ok");
}

QString applicationText(Program& p, const QString& text) {
    return p.messages.lookupMessage(text, QStringLiteral("Application"));
}

std::optional<float> fieldNumber(DeviceModel& m, const QString& name, const QString& title) {
    const int i = m.fields.find(name);
    QString text = i >= 0 ? m.fields.at(i).Content.trimmed() : QString();
    // The unit the content may carry ("4.02[mA]") is not part of the number.
    text = text.section(QLatin1Char('['), 0, 0).trimmed();
    bool ok = false;
    const float value = parseEnteredFloat(text, &ok);
    if (ok && std::isfinite(value)) return value;
    m.program.messages.showMessageBox(title, QStringLiteral("Invalid data!"),
                                      mb::Ok | mb::IconExclamation);
    return std::nullopt;
}

}  // namespace zh
