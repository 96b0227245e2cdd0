#include "file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zh {
namespace {

SaveName refuse(const char* why, const QString& detail = QString()) {
    SaveName r;
    r.why = QLatin1String(why);
    r.detail = detail;
    return r;
}

bool hasControlCharacter(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

}  // namespace

QString SaveName::refusalText(const QString& given) const {
    return given + QStringLiteral(": ") + why + detail;
}

SaveName checkSaveName(const QString& given, const QString& extension, const QString& folder) {
    if (given.trimmed().isEmpty()) return refuse("no file name was given");
    if (given.contains(QLatin1Char('\\')))
        return refuse("a file name may not hold a backslash, folders are separated by /");
    const QString name = given.section(QLatin1Char('/'), -1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return refuse("it names a folder, not a file");
    if (name.front().isSpace() || name.back().isSpace())
        return refuse("a file name may not begin or end with a blank");
    if (hasControlCharacter(given)) return refuse("a file name may not hold control characters");
    // A requester takes them as a pattern to list files by, not as a name.
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?')))
        return refuse("a file name may not hold * or ?");

    QString path = QDir::isAbsolutePath(given) ? given : folder + QLatin1Char('/') + given;
    path = QDir::cleanPath(path);
    const QFileInfo info(name);
    if (!extension.isEmpty()) {
        if (info.suffix().isEmpty()) {
            path += QLatin1Char('.') + extension;
        } else if (info.suffix().compare(extension, Qt::CaseInsensitive) != 0) {
            return refuse("the name must end in", QStringLiteral(" .") + extension);
        } else if (info.completeBaseName().isEmpty()) {
            return refuse("the name has nothing before its extension");
        }
    }
    if (QFile::encodeName(QFileInfo(path).fileName()).size() > kMaxFileNameBytes)
        return refuse("the name is longer than a folder takes (255 bytes)");
    if (QFileInfo(path).isDir()) return refuse("it names a folder, not a file");
    SaveName r;
    r.path = path;
    return r;
}

}  // namespace zh
