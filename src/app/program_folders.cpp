#include "program_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app_state.h"
#include "program_paths.h"

namespace zh {
namespace {

const char kFolderName[] = "zel-hart";

// $XDG_..._HOME when it is an absolute path, else its default under $HOME.
QString baseFolder(const QString& variable, const QString& home, const char* fallback) {
    if (QDir::isAbsolutePath(variable)) return QDir::cleanPath(variable);
    return QDir::cleanPath(home + QLatin1Char('/') + QLatin1String(fallback));
}

bool holdsAProfile(const QString& dir) {
    for (const QString& name : shippedProfileNames())
        if (QFileInfo::exists(dir + QLatin1Char('/') + name)) return true;
    return false;
}

QString withSeparator(const QString& dir) {
    return withoutTrailingSeparator(dir) + QLatin1Char('/');
}

bool copyMissing(const QString& from, const QString& to) {
    if (QFileInfo::exists(to) || !QFileInfo(from).isFile()) return false;
    if (!QFile::copy(from, to)) return false;
    // The shipped files are read-only; the user's copies are the user's.
    QFile::setPermissions(
        to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

}  // namespace

QStringList shippedProfileNames() {
    return {QStringLiteral("Config.ini"), QStringLiteral("Config-125.ini")};
}

FolderEnvironment currentFolderEnvironment(const QString& programDir) {
    FolderEnvironment env;
    env.programDirWritable = QFileInfo(programDir).isWritable();
    env.home = QDir::homePath();
    env.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    env.xdgStateHome = qEnvironmentVariable("XDG_STATE_HOME");
    return env;
}

ProgramFolders decideProgramFolders(const QString& programDir, const FolderEnvironment& env) {
    const QString dir = withoutTrailingSeparator(programDir);
    const QString shipped =
        QDir::cleanPath(dir + QStringLiteral("/../share/") + QLatin1String(kFolderName));
    // Root may write anywhere: an installed program is also told by its
    // shipped files lying in the share folder and not beside it.
    const bool installed = holdsAProfile(shipped) && !holdsAProfile(dir);
    if (env.programDirWritable && !installed) return {dir, dir, dir, dir, dir};
    ProgramFolders f;
    f.programDir = dir;
    f.defaultsDir = QFileInfo::exists(shipped) ? shipped : dir;
    f.configDir = baseFolder(env.xdgConfigHome, env.home, ".config") + QLatin1Char('/') +
                  QLatin1String(kFolderName);
    f.stateDir = baseFolder(env.xdgStateHome, env.home, ".local/state") + QLatin1Char('/') +
                 QLatin1String(kFolderName);
    // Data sets belong to the person, not among the program's settings.
    f.dataDir = withoutTrailingSeparator(env.home);
    return f;
}

QStringList userCopyNames(const ProgramFolders& folders) {
    const QString language = QStringLiteral("Language");
    QStringList names = shippedProfileNames();
    const QDir shippedLanguages(folders.defaultsDir + QLatin1Char('/') + language);
    for (const QString& file : shippedLanguages.entryList({QStringLiteral("*.ini")}, QDir::Files))
        names << language + QLatin1Char('/') + file;
    return names;
}

QStringList seedUserFolders(const ProgramFolders& folders) {
    QStringList copied;
    if (!folders.perUser()) return copied;
    QDir().mkpath(folders.stateDir);
    QDir().mkpath(folders.configDir + QStringLiteral("/Language"));
    for (const QString& name : userCopyNames(folders)) {
        if (copyMissing(folders.defaultsDir + QLatin1Char('/') + name,
                        folders.configDir + QLatin1Char('/') + name))
            copied << name;
    }
    return copied;
}

void applyProgramFolders(AppState& s, const ProgramFolders& folders) {
    s.ProgramDir = withSeparator(folders.configDir);
    s.DefaultsDir = withSeparator(folders.defaultsDir);
    s.StateDir = withSeparator(folders.stateDir);
    s.DataDir = withSeparator(folders.dataDir);
}

QString resolveReadOnlyFile(const AppState& s, const QString& name) {
    const QString own = resolveProgramPath(s.ProgramDir, name);
    if (s.DefaultsDir.isEmpty() || QFileInfo::exists(own)) return own;
    // Beneath the user's folder (a relative name, %EXEPATH%): the shipped one.
    const QString userDir = resolveProgramPath(s.ProgramDir, QStringLiteral("."));
    if (!own.startsWith(userDir + QLatin1Char('/'))) return own;
    const QString shipped = resolveProgramPath(s.DefaultsDir, own.mid(userDir.size() + 1));
    return QFileInfo::exists(shipped) ? shipped : own;
}

bool usesUsersCopies(const AppState& s) {
    return !s.DefaultsDir.isEmpty() && s.DefaultsDir != s.ProgramDir;
}

QString shippedLanguageFile(const AppState& s) {
    return resolveProgramPath(
        usesUsersCopies(s) ? s.DefaultsDir : s.ProgramDir,
        QStringLiteral("Language/") + s.ActualLanguage + QStringLiteral(".ini"));
}

QString resolveStateFile(const AppState& s, const QString& name) {
    return resolveProgramPath(s.StateDir.isEmpty() ? s.ProgramDir : s.StateDir, name);
}

}  // namespace zh
