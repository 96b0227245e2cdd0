#include "profile_units.h"

#include "app/program.h"

namespace zh {

QString missingProfileUnits(Program& p) {
    const QString profile = p.profile.resolve(p.state.ProfilePath);
    if (p.state.MeasurandList.empty())
        return p.messages.lookupMessage(QStringLiteral("The profile {file} names no measurands\t") +
                                        profile);
    for (const MeasurandSettings& ms : p.state.MeasurandList) {
        const QString units =
            p.profile.readProfile(ms.Name, QStringLiteral("Units"), QString(), p.state.ProfilePath);
        const QString base = p.profile.readProfile(ms.Name, QStringLiteral("BaseUnit"), QString(),
                                                   p.state.ProfilePath);
        if (units.trimmed().isEmpty() || base.trimmed().isEmpty()) {
            return p.messages.lookupMessage(
                QStringLiteral("The profile {file} gives no units for {measurand}\t") + profile +
                QLatin1Char('\t') + ms.Name);
        }
    }
    return QString();
}

}  // namespace zh
