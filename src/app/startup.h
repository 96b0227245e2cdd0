#pragma once
// The program's start, in its fixed order: identity and edition, defaults,
// language and texts, the HART link library, and the command line (which
// may ask for the connection probe instead of the window).

#include <QString>
#include <QStringList>
#include <functional>

namespace zh {

struct Program;
struct ProgramFolders;

struct StartupHooks {
    // Binds the HART link library's entry points (between the two batches of texts).
    std::function<void()> bindLinkLibrary;
    // Runs the connection probe on `port`; returns the process exit code.
    std::function<int(const QString& port)> runProbe;
    // The language file that matches the desktop's language, for a profile
    // that names none; unset: English.
    std::function<QString()> desktopLanguage;
};

struct StartResult {
    bool runWindow = false;  // false: the program ends with exitCode
    int exitCode = 0;
};

// The exit status of a command line the program does not take.
constexpr int kUsageExitCode = 2;

// Translates the program's fixed texts (common texts and message lists)
// through the current language file.
void translateProgramTexts(Program& p);

// `executableName` is the file name the program was started under (it
// selects the edition), `programDir` the folder of the program file, and
// `arguments` the command-line words after the program name.
StartResult runStartup(Program& p, const QString& executableName, const QString& programDir,
                       const QStringList& arguments, const StartupHooks& hooks);
// The same with the program's files kept in `folders` (see program_folders.h).
StartResult runStartup(Program& p, const QString& executableName, const ProgramFolders& folders,
                       const QStringList& arguments, const StartupHooks& hooks);

// "HartMain " followed by every argument and one blank each.
QString commandLineText(const QStringList& arguments);
// Blank-separated field `n` (1-based) of `text`; empty past the end.
QString blankField(const QString& text, int n);

// The number after the letter "m" of a port name ("Com5" -> 5); 0 if none.
int portNumberOf(const QString& portName);

}  // namespace zh
