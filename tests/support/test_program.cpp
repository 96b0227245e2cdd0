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

QString TestProgram::path(const QString& relativePath) const {
    return dir.path() + QLatin1Char('/') + relativePath;
}

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

namespace zh::test {

void TestProgram::usePressureProfile() {
    writeFile(
        QStringLiteral("Config-125.ini"),
        "[Pressure]\nBaseUnit=[bar]\nUnits=bar=0;mbar=1;PSI=2;%=5;mA=6\n"
        "CalibrationUnits=bar=0;mbar=1;\nConversion=bar;1.0;0.0|mbar;1000.0;0.0|PSI;14.5038;0.0\n"
        "LowerRangeValue=0.0\nUpperRangeValue=10.0\nLowerNominalValue=0\nUpperNominalValue=10\n"
        "CalDecPoint=2\nDispDecPoint=2\n");
    program.state.MeasurandList = {
        {QStringLiteral("Pressure"), 0, QStringLiteral("[bar]"), QString()},
        {QStringLiteral("Temperature"), 1, QStringLiteral("[°C]"), QString()}};
}

}  // namespace zh::test
