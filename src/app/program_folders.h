#pragma once
// Where the program keeps its files. A program in a folder its user may
// write (the build folder, a portable copy) keeps everything beside itself.
// An installed program (in a folder the user may not write, or one with
// its shipped files in <bin>/../share/zel-hart) reads those shipped files
// as read-only defaults and keeps the user's own copies of the profiles
// and language files in the configuration folder, the debug log and the
// error reports in the state folder (XDG base directories).

#include <QString>
#include <QStringList>

namespace zh {

struct AppState;

struct ProgramFolders {
    QString programDir;   // the program file's folder
    QString defaultsDir;  // the shipped profiles, language files and images
    QString configDir;    // the profiles and language files in use
    QString stateDir;     // the debug log and the error reports
    QString dataDir;      // where data files are opened and saved first
    // The folders apart from the program's own one.
    bool perUser() const { return configDir != programDir; }
};

// What the decision looks at besides the program's folder.
struct FolderEnvironment {
    bool programDirWritable = true;
    QString home;           // $HOME
    QString xdgConfigHome;  // $XDG_CONFIG_HOME, may be empty
    QString xdgStateHome;   // $XDG_STATE_HOME, may be empty
};

// The environment of this process for `programDir`.
FolderEnvironment currentFolderEnvironment(const QString& programDir);

// The folders for a program in `programDir` (absolute, no trailing "/").
ProgramFolders decideProgramFolders(const QString& programDir, const FolderEnvironment& env);

// The shipped files the program reads beside itself or in the defaults.
QStringList shippedProfileNames();

// The shipped profiles and language files ("Language/<name>.ini") of which
// the configuration folder keeps the user's copies.
QStringList userCopyNames(const ProgramFolders& folders);

// Copies the shipped profiles and language files that the configuration
// folder lacks into it (a user's own file is never replaced) and makes the
// state folder. Returns the names copied. Nothing to do beside the program.
QStringList seedUserFolders(const ProgramFolders& folders);

// The folders into the state: the profile's relative names resolve against
// the configuration folder (%EXEPATH%), the log's against the state folder.
void applyProgramFolders(AppState& s, const ProgramFolders& folders);

// `name` (a profile's file name) as a file to read: the user's copy when
// there is one, else the shipped one (images, say, are not copied).
QString resolveReadOnlyFile(const AppState& s, const QString& name);

// The profiles and language files in use are the user's copies of shipped
// ones (an installed program), which the program never fills in itself.
bool usesUsersCopies(const AppState& s);
// The shipped language file of the current language (absolute).
QString shippedLanguageFile(const AppState& s);

// A relative debug log name resolved against the state folder.
QString resolveStateFile(const AppState& s, const QString& name);

}  // namespace zh
