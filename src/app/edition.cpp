#include "edition.h"

#include "app_state.h"

namespace zh {

Edition editionFromFileName(const QString& fileName) {
    const QString upper = fileName.toUpper();
    if (upper.left(9) == QLatin1String("KALVERO_S")) {
        return {QStringLiteral("KALVERO_S"), QStringLiteral(".\\Config.ini"),
                QStringLiteral("Configuration and service tool for KALVERO transmitters")};
    }
    if (upper.left(8) == QLatin1String("ZEL-HART")) {
        return {QStringLiteral("ZEL-HART"), QStringLiteral(".\\Config-125.ini"),
                QStringLiteral("HART configuration and service tool for ZEL transmitters")};
    }
    return {QStringLiteral("invalid"), QString(), QString()};
}

void applyEdition(AppState& state, const QString& executableName) {
    const Edition e = editionFromFileName(executableName);
    state.ExecutableName = executableName;
    state.EditionName = e.name;
    state.InitialProfilePath = e.profilePath;
    state.ProfilePath = e.profilePath;
    state.WindowTitle = e.name + QLatin1Char(' ') + state.Version;
    state.AboutText =
        e.name + QStringLiteral("\r\r") + state.Version + QStringLiteral("\r\r") + e.noticeLine;
}

}  // namespace zh
