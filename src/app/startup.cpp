#include "startup.h"

#include <cstdio>

#include "dialogs.h"
#include "edition.h"
#include "number_text.h"
#include "program.h"
#include "program_folders.h"
#include "program_paths.h"
#include "setting_stores.h"
#include "text_tables.h"

namespace zh {

QString commandLineText(const QStringList& arguments) {
    QString cmd = QStringLiteral("HartMain ");
    for (const QString& a : arguments) cmd += a + QLatin1Char(' ');
    return cmd;
}

QString blankField(const QString& text, int n) {
    const QStringList fields = text.split(QLatin1Char(' '));
    return n >= 1 && n <= fields.size() ? fields.at(n - 1) : QString();
}

int portNumberOf(const QString& portName) {
    const int m = portName.indexOf(QLatin1Char('m'), 0, Qt::CaseInsensitive);
    const long long n = leadingInt(portName.mid(m + 1));
    return n < 0 || n > 0xFFFF ? 0 : static_cast<int>(n);
}

void translateProgramTexts(Program& p) {
    p.commonTexts.translate(p.messages, texts::kCommonTexts);
    p.texts.translate(p.messages, texts::kFirstBatch, texts::kFirstBatchCount);
    p.texts.translate(p.messages, texts::kSecondBatch, texts::kSecondBatchCount);
    p.state.CurrentMessageSection = QStringLiteral("Application");
}

StartResult runStartup(Program& p, const QString& executableName, const QString& programDir,
                       const QStringList& arguments, const StartupHooks& hooks) {
    const QString dir = withoutTrailingSeparator(programDir);
    return runStartup(p, executableName, ProgramFolders{dir, dir, dir, dir, dir}, arguments, hooks);
}

StartResult runStartup(Program& p, const QString& executableName, const ProgramFolders& folders,
                       const QStringList& arguments, const StartupHooks& hooks) {
    AppState& s = p.state;

    // Identity: version and the edition the file name selects.
    applyEdition(s, executableName);
    applyProgramFolders(s, folders);

    // The connection probe is recognised before anything else: it is killed
    // when it takes too long, so it must never be in the middle of writing a
    // file. It reads what it needs and writes nothing.
    const QString cmd = commandLineText(arguments);
    s.ProbeMode = blankField(cmd, 2) == QLatin1String("Connect");
    p.ini.setReadOnly(s.ProbeMode);
    // The log gets its file from the profile; until then the lines stay in
    // the log view, so a start that ends early leaves no file behind.
    p.log.setThreshold(s.DebugLevel);
    p.log.setFile(QString());

    // No sound file on this platform: the error signal is a beep.
    s.ErrorSoundLoaded = -1;

    // Language.
    // A profile that names no language speaks the desktop's, when it ships.
    s.ActualLanguage = QStringLiteral("English");
    const QString desktop = hooks.desktopLanguage ? hooks.desktopLanguage() : QString();
    if (availableLanguages(s.ProgramDir).contains(desktop)) s.ActualLanguage = desktop;
    const QString language =
        p.profile.readProfile(QStringLiteral("Language"), QStringLiteral("ActualLanguage"),
                              s.ActualLanguage, s.ProfilePath);
    if (isValidLanguageName(language)) {
        s.ActualLanguage = language;
    } else {
        p.log.debugLog(QStringLiteral("Invalid language name '") + language +
                           QStringLiteral("', using English"),
                       1);
    }
    s.LanguageFile = languageFilePath(s);

    // Texts, the link library, the remaining texts.
    p.commonTexts.translate(p.messages, texts::kCommonTexts);
    p.texts.translate(p.messages, texts::kFirstBatch, texts::kFirstBatchCount);
    if (hooks.bindLinkLibrary) hooks.bindLinkLibrary();
    p.texts.translate(p.messages, texts::kSecondBatch, texts::kSecondBatchCount);
    s.CurrentMessageSection = QStringLiteral("Application");

    if (s.ProbeMode) {
        const QString port = blankField(cmd, 3);
        // A probe without a port probed nothing: an exit status of 0 would
        // tell a script that a device answered.
        if (port.isEmpty()) {
            std::fprintf(stderr, "usage: %s Connect <port> [address]\n",
                         executableName.toLocal8Bit().constData());
            return {false, kUsageExitCode};
        }
        if (!hooks.runProbe) return {false, 0};
        return {false, hooks.runProbe(port)};
    }

    // A profile or language file that is a pipe, a device or far too large
    // was not read (the program goes on with the defaults); say so.
    for (const QString& file : {s.ProfilePath, s.LanguageFile}) {
        const QString path = p.profile.resolve(file);
        const QString why = p.ini.problem(path);
        if (why.isEmpty()) continue;
        p.log.debugLog(QStringLiteral("Refused to read ") + path + QStringLiteral(": ") + why, 1);
        p.messages.showMessageBox(
            p.texts.text(QStringLiteral("Application"), QStringLiteral("Failure")),
            p.messages.lookupMessage(QStringLiteral("can't read file"), QStringLiteral("Common")) +
                QLatin1Char(' ') + path + QStringLiteral(": ") + why,
            mb::Ok | mb::IconError, MsgText::AsIs);
    }

    if (s.EditionName == QLatin1String("invalid")) {
        const QString text = p.texts.text(QStringLiteral("Application"),
                                          QStringLiteral("Program has been renamed!")) +
                             QStringLiteral(" (") + executableName + QLatin1Char(')');
        p.messages.showMessageBox(
            p.texts.text(QStringLiteral("Application"), QStringLiteral("Failure")), text,
            mb::Ok | mb::IconError, MsgText::AsIs);
        return {false, 1};
    }
    return {true, 0};
}

}  // namespace zh
