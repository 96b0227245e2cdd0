#include "setting_stores.h"

#include <QDir>

#include "dialogs.h"
#include "number_text.h"
#include "presence.h"
#include "program.h"
#include "program_paths.h"
#include "startup.h"

namespace zh {

QStringList availableLanguages(const QString& programDir) {
    const QDir dir(resolveProgramPath(programDir, QStringLiteral("Language")));
    QStringList names;
    const QStringList files =
        dir.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& f : files) {
        if (names.size() >= kMaxLanguages) break;
        names.append(f.left(f.size() - 4));
    }
    return names;
}

bool isValidLanguageName(const QString& name) {
    if (name.trimmed().isEmpty() || name.startsWith(QLatin1Char('.'))) return false;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
            c.unicode() < 0x20)
            return false;
    }
    return true;
}

QString queryLanguage(Program& p, const QString& def) {
    return p.profile.readProfile(QStringLiteral("Language"), QStringLiteral("ActualLanguage"), def,
                                 p.state.InitialProfilePath);
}

QString languageFilePath(const AppState& s) {
    return s.ProgramDir + QStringLiteral("Language\\") + s.ActualLanguage + QStringLiteral(".ini");
}

bool selectLanguage(Program& p, const QString& language) {
    if (!isValidLanguageName(language)) return false;
    if (!p.profile.writeData(QStringLiteral("Language"), QStringLiteral("ActualLanguage"), language,
                             p.state.InitialProfilePath)) {
        return false;
    }
    p.state.ActualLanguage = language;
    p.state.LanguageFile = languageFilePath(p.state);
    translateProgramTexts(p);
    return true;
}

bool applyHartAddressInput(Program& p, const QString& input) {
    const QString t = input.trimmed();
    if (!isDigits(t) || t.size() > 2) return false;
    const int address = t.toInt();
    if (address > 15) return false;
    return storeHartAddress(p, address);
}

bool storeHartAddress(Program& p, int address) {
    if (address < 0 || address > 63 || address == p.state.HartAddress) return false;
    p.state.HartAddress = address;
    p.profile.writeData(QStringLiteral("Common"), QStringLiteral("HartAddress"),
                        QString::number(address), p.state.ProfilePath);
    return true;
}

void HartAddressDialog(Program& p) {
    const QString section = QStringLiteral("Application");
    const QString answer =
        p.dialogs.inputRequester(p.texts.text(section, QStringLiteral("Hart Parameters")),
                                 p.texts.text(section, QStringLiteral("Hart Address (0...15):")),
                                 QString::number(p.state.HartAddress));
    applyHartAddressInput(p, answer);
}

bool selectComPort(Program& p, const QString& port) {
    const QString name = port.trimmed();
    if (name.isEmpty()) return false;
    p.state.ComPort = name;
    if (name == QLatin1String("Auto")) p.state.ConnectionState = 0;
    return p.profile.writeData(QStringLiteral("Serial_IO"), QStringLiteral("ComPort"), name,
                               p.state.ProfilePath);
}

bool selectTransmitterDisplay(Program& p, const QString& mode) {
    const QString m = mode.toLower();
    if (parsePresence(m) == Presence::Unknown) return false;
    p.state.TransmitterDisplay = m;
    return p.profile.writeData(QStringLiteral("Common"), QStringLiteral("Transmitter/Display"), m,
                               p.state.ProfilePath);
}

}  // namespace zh
