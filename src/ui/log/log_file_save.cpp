#include "ui/log/log_file_save.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include "app/dialogs.h"
#include "app/program.h"

namespace zh {
namespace {

const char* const kPattern = "Logdatei (*.log)|*.log|Alle Dateien (*.*)|*.*";

}  // namespace

QString saveLogFile(Program& p, const QString& proposedPath, const QString& text,
                    const QString& caller) {
    const QString title = p.state.EditionName;
    QString path =
        p.dialogs.saveFileRequester(title, proposedPath, QLatin1String(kPattern)).trimmed();
    if (path.isEmpty()) return QString();
    if (QDir::isRelativePath(path)) path = QFileInfo(proposedPath).dir().filePath(path);
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".log");

    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        p.log.debugLog(caller + QStringLiteral(": writing ") + path + QStringLiteral(" failed: ") +
                           file.errorString(),
                       1);
        p.messages.showMessageBox(
            title,
            p.messages.lookupMessage(QStringLiteral("can't write file"), QStringLiteral("Common")) +
                QLatin1Char(' ') + path,
            mb::Ok | mb::IconError, MsgText::AsIs);
        return QString();
    }
    p.messages.showMessageBox(
        title,
        p.messages.lookupMessage(QStringLiteral("Logfile saved!"), QStringLiteral("Application")),
        mb::Ok | mb::IconInformation, MsgText::AsIs);
    return path;
}

}  // namespace zh
