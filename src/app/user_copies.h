#pragma once
// The user's own copies of the shipped profiles and language files. They are
// made at the first start and belong to the user from then on; a new version
// of the program brings its new keys and sections into them, and keeps every
// value the user set. The version that last brought its files in is kept in
// a stamp file beside the copies.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zh {

struct ProgramFolders;

// The stamp file's name in the configuration folder.
QString userCopiesStampName();

// The user's copy `user` with what `shipped` has and it lacks: missing keys
// are added to their section, missing sections at the end, every other line
// stays as it is. In a language file a text that is only its own key (what
// earlier versions wrote for a text they lacked) gives way to the shipped
// translation. `added` counts the lines changed or added.
QByteArray mergeShippedFile(const QByteArray& user, const QByteArray& shipped, bool languageFile,
                            int* added = nullptr);

// Seeds the configuration folder (see seedUserFolders) and, when the stamp
// names another version than `version`, merges each shipped file into the
// user's copy and stamps the folder (a package of the same version with
// other shipped files counts as another version). `desktopLanguage` (a language file's
// name, may be empty) becomes the language of a profile copied now, so the
// first start speaks the desktop's language. Returns the names copied or
// merged. Nothing to do beside the program.
QStringList updateUserFolders(const ProgramFolders& folders, const QString& version,
                              const QString& desktopLanguage = QString());

// The language file that matches the desktop's language ("Deutsch" for a
// German one, else "English").
QString desktopLanguageName();

}  // namespace zh
