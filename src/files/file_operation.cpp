#include "file_operation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/dialogs.h"
#include "app/program.h"
#include "app/program_paths.h"
#include "app/small_file.h"
#include "file_names.h"
#include "file_replacement.h"
#include "model/device_model.h"

namespace zh {
namespace {

Program& programOf(DataSession& s) {
    return s.model.program;
}

// Shows `text` (already translated) under the translated `title`.
int tell(DataSession& s, const QString& title, const QString& text, int flags) {
    Program& p = programOf(s);
    const QString answer =
        p.messages.showMessageBox(p.messages.lookupMessage(title), text, flags, MsgText::AsIs);
    if (answer == QLatin1String("yes")) return mb::ResultYes;
    if (answer == QLatin1String("no")) return mb::ResultNo;
    if (answer == QLatin1String("ok")) return mb::ResultOk;
    if (answer == QLatin1String("cancel")) return mb::ResultCancel;
    return 0;
}

QString tr(DataSession& s, const QString& text) {
    return programOf(s).messages.lookupMessage(text);
}

bool hasExtension(const QString& path) {
    return !QFileInfo(path).suffix().isEmpty();
}

QString proposedPath(DataSession& s) {
    return resolveDataPath(s, s.file.currentFile);
}

void remember(DataSession& s, const QString& path) {
    s.file.currentFile = path;
    s.file.currentDir = QFileInfo(path).absolutePath() + QLatin1Char('/');
    const QString ext = QFileInfo(path).suffix();
    if (!ext.isEmpty()) s.file.extension = ext;
}

// Writes `target` through a temporary file of its own (see replaceFile).
bool writeSafely(DataSession& s, const QString& target, const WriteRoutine& write) {
    Program& p = programOf(s);
    QString temporary;
    ReplaceFailure failure;
    const bool ok = replaceFile(
        target,
        [&](const QString& file) {
            temporary = file;
            p.ini.forget(file);
            return write(file, target) == 1;
        },
        &failure);
    p.ini.forget(temporary);
    p.ini.forget(target);
    if (ok) return true;
    p.log.debugLog(
        QStringLiteral("FileOperation: writing ") + target + QStringLiteral(" failed") +
            (failure.why.isEmpty() ? QString() : QStringLiteral(": ") + failure.why) +
            (failure.system.isEmpty() ? QString()
                                      : QStringLiteral(" (") + failure.system + QLatin1Char(')')),
        1);
    tell(s, QStringLiteral("File"),
         tr(s, QStringLiteral("can't write file")) + QLatin1Char(' ') + target +
             (failure.why.isEmpty() ? QString() : QStringLiteral(": ") + tr(s, failure.why)),
         mb::Ok | mb::IconError);
    return false;
}

}  // namespace

QString patternExtension(const QString& pattern) {
    const QStringList parts = pattern.split(QLatin1Char('|'));
    for (int i = 1; i < parts.size(); i += 2) {
        const QString filter = parts[i].trimmed();
        if (!filter.startsWith(QLatin1String("*."))) continue;
        const QString ext = filter.mid(2).section(QLatin1Char(';'), 0, 0);
        return ext == QLatin1String("*") ? QString() : ext;
    }
    return QString();
}

QString dataFolder(DataSession& s) {
    const AppState& state = programOf(s).state;
    return resolveProgramPath(
        state.DataDir.isEmpty() ? state.ProgramDir : state.DataDir,
        s.file.currentDir.isEmpty() ? QStringLiteral(".\\") : s.file.currentDir);
}

QString resolveDataPath(DataSession& s, const QString& path) {
    // A backslash is part of the name here, as it is to the file system: a
    // file that another program named so opens as itself.
    const QString p = path.isEmpty() ? s.file.currentFile : path;
    if (QDir::isAbsolutePath(p)) return QDir::cleanPath(p);
    return QDir::cleanPath(dataFolder(s) + QLatin1Char('/') + p);
}

QString unsavedLines(DataSession& s, int dt, int mt) {
    Program& p = programOf(s);
    const QString targets = p.state.SaveRequestTargets.toLower();
    const bool changed = p.state.DataChanged;
    QString lines;
    if (dt == 0 && changed && targets.contains(QLatin1String("file")))
        lines += tr(s, QStringLiteral(" - File not updated!")) + p.state.CR;
    if (mt == 0 && changed && targets.contains(QLatin1String("module")))
        lines += tr(s, QStringLiteral(" - Module not updated")) + p.state.CR;
    if (lines.isEmpty()) return lines;
    p.log.debugLog(QStringLiteral(">>> SaveRequest: SR=") + p.state.SaveRequestTargets +
                       QStringLiteral(" DT=") + QString::number(dt) + QStringLiteral(" MT=") +
                       QString::number(mt) + QStringLiteral(" datachanged=") +
                       QString::number(changed ? 1 : 0),
                   3);
    return lines;
}

int saveRequest(DataSession& s, int dt, int mt, const QString& title, const QString& text,
                int flags) {
    Program& p = programOf(s);
    const QString lines = unsavedLines(s, dt, mt);
    if (lines.isEmpty()) return 1;

    const QString question = text.isEmpty() ? QStringLiteral("Continue without update?") : text;
    const QString message = tr(s, QStringLiteral("Data have been changed! Save?")) + p.state.CR +
                            lines + p.state.CR + tr(s, question);
    if (flags != -1) return tell(s, title, message, flags);
    return tell(s, title, message, mb::YesNo | mb::IconQuestion) == mb::ResultYes ? 1 : 0;
}

FileChoice fileOperation(DataSession& s, FileAction action, const QString& pattern,
                         const WriteRoutine& write, const DataRoutine& read) {
    Program& p = programOf(s);
    p.state.CurrentMessageSection = QStringLiteral("Common");
    const auto failed = [](FileFailure why) { return FileChoice{QString(), why}; };
    const FileChoice cancel = failed(FileFailure::Cancelled);
    const bool writing = action == FileAction::Save || action == FileAction::SaveAs;

    if (!writing && p.state.DataChanged) {
        const int answer =
            saveRequest(s, p.state.DataTrigger, s.file.moduleState, QStringLiteral("File"),
                        QStringLiteral("Continue without update?"), -1);
        // 1 is Yes or "nothing pending": either way nothing is lost by going on.
        if (answer != 1) return cancel;
    }
    if (action == FileAction::New) return FileChoice{};

    if (writing) {
        if (!write) {
            tell(s, QStringLiteral("File"), tr(s, QStringLiteral("no write function")),
                 mb::Ok | mb::IconError);
            return failed(FileFailure::NoWriteFunction);
        }
        const QString current = proposedPath(s);
        QString path = current;
        const bool ask = action == FileAction::SaveAs || s.file.currentFile.isEmpty() ||
                         s.file.currentFile.startsWith(QLatin1Char('*'));
        if (ask) {
            const QString answer =
                p.dialogs.saveFileRequester(tr(s, QStringLiteral("Save file")), current, pattern)
                    .trimmed();
            if (answer.isEmpty()) return cancel;
            // Saved only under a name Open takes back as the same file.
            const SaveName name = checkSaveName(answer, patternExtension(pattern), dataFolder(s));
            if (name.refused()) {
                p.log.debugLog(QStringLiteral("FileOperation: ") + name.refusalText(answer), 1);
                tell(s, QStringLiteral("File"),
                     answer + QStringLiteral(": ") + tr(s, name.why) + name.detail,
                     mb::Ok | mb::IconError);
                return failed(FileFailure::BadFileName);
            }
            path = name.path;
            if (path != current && QFileInfo::exists(path)) {
                const int answer2 = tell(s, QStringLiteral("File"),
                                         tr(s, QStringLiteral("File exists, overwrite?")),
                                         mb::OkCancel | mb::IconExclamation);
                if (answer2 != mb::ResultOk) return cancel;
            }
        }
        if (!writeSafely(s, path, write)) return failed(FileFailure::CannotWrite);
        remember(s, path);
        return FileChoice{path, std::nullopt};
    }

    // open
    const QString answer =
        p.dialogs.openFileRequester(tr(s, QStringLiteral("Open file")), proposedPath(s), pattern);
    if (answer.trimmed().isEmpty()) return cancel;
    QString path = resolveDataPath(s, answer.trimmed());
    const QString ext = patternExtension(pattern);
    if (!hasExtension(path) && !ext.isEmpty()) path += QLatin1Char('.') + ext;
    // A pipe or a device is never opened: the open or the read would not end.
    const QString refused = smallFileRefusal(path);
    QFile f(path);
    if (!refused.isEmpty() || !QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        tell(s, QStringLiteral("File"),
             tr(s, QStringLiteral("can't open file")) + QLatin1Char(' ') + path +
                 (refused.isEmpty() ? QString() : QStringLiteral(": ") + refused),
             mb::Ok | mb::IconError);
        return failed(FileFailure::CannotOpen);
    }
    f.close();
    if (read && read(path) != 1) {
        tell(s, QStringLiteral("File"),
             tr(s, QStringLiteral("can't read file")) + QLatin1Char(' ') + path,
             mb::Ok | mb::IconError);
        return failed(FileFailure::CannotRead);
    }
    remember(s, path);
    return FileChoice{path, std::nullopt};
}

}  // namespace zh
