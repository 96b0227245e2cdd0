#include "profile.h"

#include "app_state.h"
#include "logger.h"
#include "program_folders.h"
#include "program_paths.h"

namespace zh {

Profile::Profile(AppState& state, IniStore& store, Logger& log)
    : state_(state), store_(store), log_(log) {}

QString Profile::resolve(const QString& file) const {
    return resolveProgramPath(state_.ProgramDir, file);
}

Profile::FileKind Profile::kindOf(const QString& resolved) const {
    if (resolved == resolve(state_.LanguageFile) || resolved == shippedLanguageFile(state_))
        return FileKind::LanguageFile;
    if (resolved == resolve(state_.ProfilePath)) return FileKind::ProfileFile;
    return FileKind::DataFile;
}

QString Profile::expandReferences(const QString& value) const {
    if (value.count(QLatin1Char('%')) < 2) return value;
    QString out;
    int pos = 0;
    for (;;) {
        const int open = value.indexOf(QLatin1Char('%'), pos);
        const int close = open < 0 ? -1 : value.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0) break;
        const QString name = value.mid(open + 1, close - open - 1);
        QString replacement;
        if (name.toUpper() == QLatin1String("EXEPATH")) {
            replacement = withoutTrailingSeparator(state_.ProgramDir);
        } else if (!name.isEmpty()) {
            replacement = qEnvironmentVariable(name.toLocal8Bit().constData()).trimmed();
        }
        if (replacement.isEmpty()) {
            // Unknown: keep the text up to the closing "%", which may open
            // the next reference.
            out += value.mid(pos, close - pos);
            pos = close;
        } else {
            out += value.mid(pos, open - pos);
            out += replacement;
            pos = close + 1;
        }
    }
    out += value.mid(pos);
    return out;
}

QString Profile::readProfile(const QString& section, const QString& key, const QString& def,
                             const QString& file) {
    return readProfile(section, key, def, file, nullptr);
}

QString Profile::readProfile(const QString& section, const QString& key, const QString& def,
                             const QString& file, bool* truncated) {
    const QString path = resolve(file);
    const IniStore::ReadResult r = store_.read(path, section, key);
    if (truncated) *truncated = r.truncated;
    const QString value = expandReferences(r.found ? r.value : def);

    // Skip the comparisons below when nothing would be logged anyway.
    if (log_.threshold() < 3) return value;
    switch (kindOf(path)) {
        case FileKind::LanguageFile:
            break;
        case FileKind::ProfileFile:
            if (value.trimmed() != def.trimmed()) {
                log_.debugLog(QStringLiteral("ReadProfile: File=") + state_.ProfilePath +
                                  QStringLiteral(" Kat=") + section + QStringLiteral(" Key=") +
                                  key + QStringLiteral(" Val=") + value,
                              3);
            }
            break;
        case FileKind::DataFile:
            log_.debugLog(QStringLiteral("ReadData: File=") + file + QStringLiteral(" Kat=") +
                              section + QStringLiteral(" Key=") + key + QStringLiteral(" Val=") +
                              value,
                          3);
            break;
    }
    return value;
}

bool Profile::writeData(const QString& section, const QString& key, const QString& value,
                        const QString& file) {
    QString why;
    if (store_.write(resolve(file), section, key, value, &why)) return true;
    log_.debugLog(QStringLiteral("WriteData: File=") + file + QStringLiteral(" Kat=") + section +
                      QStringLiteral(" Key=") + key + QStringLiteral(" Val=") + value +
                      QStringLiteral(" failed: ") + why,
                  3);
    return false;
}

}  // namespace zh
