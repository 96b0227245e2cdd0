#include "debug_file.h"

#include <QFileInfo>

#include "program.h"

namespace zh {
namespace {

// Two names of one file are the same path once links and "." are resolved.
QString identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

QString debugFileRefusal(Program& p, const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("log"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("a log file name ends in \".log\"");
    if (info.exists() && !info.isFile()) return QStringLiteral("it is no regular file");
    const AppState& s = p.state;
    for (const QString& own : {s.ProfilePath, s.LanguageFile}) {
        if (identity(p.profile.resolve(own)) == identity(path))
            return QStringLiteral("it is the profile or language file");
    }
    // A profile may give a measurand files with any extension.
    const QString extensions = p.profile.readProfile(
        QStringLiteral("Common"), QStringLiteral("FileExtensions"), QString(), s.ProfilePath);
    if (extensions.contains(QLatin1String("*.log"), Qt::CaseInsensitive))
        return QStringLiteral("it is a data file");
    return QString();
}

}  // namespace zh
