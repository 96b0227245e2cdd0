#include "user_copies.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocale>
#include <QSaveFile>
#include <optional>

#include "ini_document.h"
#include "program_folders.h"
#include "small_file.h"

namespace zh {
namespace {

std::optional<QByteArray> readWhole(const QString& path) {
    QByteArray bytes;
    QString why;
    if (readSmallFile(path, &bytes, &why) != SmallFileRead::Read) return std::nullopt;
    return bytes;
}

// Written whole or not at all: a start killed midway leaves the old file.
bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

// A value as the file must hold it to read back the same: reading trims
// the value and then strips one pair of surrounding quotes.
QString storedValue(const QString& value) {
    const bool quoted =
        value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    return quoted || value != value.trimmed() ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

bool isLanguageFile(const QString& name) {
    return name.startsWith(QLatin1String("Language/"));
}

// The profile copied for a new user speaks the desktop's language.
void setProfileLanguage(const QString& path, const QString& language) {
    IniDocument doc = IniDocument::parse(readWhole(path).value_or(QByteArray()));
    const QString section = QStringLiteral("Language");
    const QString key = QStringLiteral("ActualLanguage");
    if (doc.value(section, key).value_or(QString()) == language) return;
    doc.setValue(section, key, language);
    writeWhole(path, doc.serialize());
}

// The version and a digest of what it ships: a package rebuilt with
// changed files under the same version number is a new version too.
QString stampText(const ProgramFolders& folders, const QString& version) {
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (const QString& name : userCopyNames(folders)) {
        digest.addData(name.toUtf8());
        digest.addData(
            readWhole(folders.defaultsDir + QLatin1Char('/') + name).value_or(QByteArray()));
    }
    return version + QLatin1Char(' ') + QString::fromLatin1(digest.result().toHex().left(16));
}

}  // namespace

QString userCopiesStampName() {
    return QStringLiteral("shipped-version");
}

QByteArray mergeShippedFile(const QByteArray& user, const QByteArray& shipped, bool languageFile,
                            int* added) {
    IniDocument doc = IniDocument::parse(user);
    const IniDocument from = IniDocument::parse(shipped);
    int changed = 0;
    for (const QString& section : from.sectionNames()) {
        for (const QString& key : from.keyNames(section)) {
            const QString value = from.value(section, key).value_or(QString());
            const std::optional<QString> own = doc.value(section, key);
            const bool fallback = languageFile && own && *own == key.trimmed() && value != *own;
            if (own && !fallback) continue;
            doc.setValue(section, key, storedValue(value));
            ++changed;
        }
    }
    if (added) *added = changed;
    return changed == 0 ? user : doc.serialize();
}

QStringList updateUserFolders(const ProgramFolders& folders, const QString& version,
                              const QString& desktopLanguage) {
    const QStringList copied = seedUserFolders(folders);
    if (!folders.perUser()) return copied;
    QStringList changed = copied;
    // Only a language that ships: a profile naming another would speak English.
    const QString language = desktopLanguage.trimmed();
    const bool ships = userCopyNames(folders).contains(QStringLiteral("Language/") + language +
                                                       QStringLiteral(".ini"));
    for (const QString& name : copied) {
        if (ships && shippedProfileNames().contains(name))
            setProfileLanguage(folders.configDir + QLatin1Char('/') + name, language);
    }

    const QString stamp = folders.configDir + QLatin1Char('/') + userCopiesStampName();
    const QString made = stampText(folders, version);
    if (QString::fromUtf8(readWhole(stamp).value_or(QByteArray())).trimmed() == made)
        return changed;
    for (const QString& name : userCopyNames(folders)) {
        if (copied.contains(name)) continue;
        const QString own = folders.configDir + QLatin1Char('/') + name;
        // Something that is no small file under either name is left alone.
        const std::optional<QByteArray> user = readWhole(own);
        const std::optional<QByteArray> shipped =
            readWhole(folders.defaultsDir + QLatin1Char('/') + name);
        if (!user || !shipped) continue;
        int added = 0;
        const QByteArray merged = mergeShippedFile(*user, *shipped, isLanguageFile(name), &added);
        if (added > 0 && writeWhole(own, merged)) changed << name;
    }
    writeWhole(stamp, made.toUtf8() + '\n');
    return changed;
}

QString desktopLanguageName() {
    const QStringList wanted = QLocale::system().uiLanguages();
    const QString first = wanted.isEmpty() ? QString() : wanted.first();
    return first.startsWith(QLatin1String("de"), Qt::CaseInsensitive) ? QStringLiteral("Deutsch")
                                                                      : QStringLiteral("English");
}

}  // namespace zh
