#include "test_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zh::test {

TestProgram::TestProgram() {
    AppState& s = program.state;
    s.ProgramDir = dir.path() + QLatin1Char('/');
    s.EditionName = QStringLiteral("ZEL-HART");
    s.InitialProfilePath = QStringLiteral(".\\Config-125.ini");
    s.ProfilePath = s.InitialProfilePath;
    s.LanguageFile = QStringLiteral(".\\Language\\English.ini");
    program.log.setFile(QString());
}

QString TestProgram::path(const QString& relativePath) const { return dir.path() + QLatin1Char('/') + relativePath; }

QString TestProgram::writeFile(const QString& relativePath, const QByteArray& content) {
    const QString p = path(relativePath);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
    return p;
}

QByteArray TestProgram::readFile(const QString& relativePath) const {
    QFile f(path(relativePath));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace zh::test
