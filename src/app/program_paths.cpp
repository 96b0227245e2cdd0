#include "program_paths.h"

#include <QDir>

namespace zh {

QString withoutTrailingSeparator(const QString& dir) {
    QString d = dir;
    while (d.size() > 1 && (d.endsWith(QLatin1Char('/')) || d.endsWith(QLatin1Char('\\'))))
        d.chop(1);
    return d;
}

QString resolveProgramPath(const QString& programDir, const QString& path) {
    if (path.isEmpty()) return path;
    // A leading backslash meant "from the program's own folder" in the files
    // this program reads; a leading slash is an absolute path here.
    const bool programRooted = path.startsWith(QLatin1Char('\\'));
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!programRooted && QDir::isAbsolutePath(p)) return QDir::cleanPath(p);
    while (p.startsWith(QLatin1String("./"))) p.remove(0, 2);
    while (p.startsWith(QLatin1Char('/'))) p.remove(0, 1);
    return QDir::cleanPath(withoutTrailingSeparator(programDir) + QLatin1Char('/') + p);
}

}  // namespace zh
