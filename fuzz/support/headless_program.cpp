#include "headless_program.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/profile_settings.h"
#include "app/startup.h"

namespace zh::fuzz {
namespace {

[[noreturn]] void fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "fuzz set-up: %s %s\n", what, detail.toLocal8Bit().constData());
    std::abort();
}

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::copy(source, target)) fail("cannot copy", source);
    }
}

}  // namespace

HeadlessProgram::HeadlessProgram() {
    // Numbers in profiles and data files are written with a decimal point,
    // as the program keeps them whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    if (!dir.isValid()) fail("no scratch folder", dir.errorString());
    program.log.setFile(QString());
}

void HeadlessProgram::start() {
    copyTree(QStringLiteral(ZH_SOURCE_DIR "/resources"), dir.path());
    const StartResult started =
        runStartup(program, QStringLiteral("ZEL-HART"), dir.path(), QStringList(), StartupHooks());
    if (!started.runWindow) fail("start-up ended with", QString::number(started.exitCode));
    if (!readProfileFile(program)) fail("profile not read:", program.state.ProfilePath);
    if (program.state.MeasurandList.empty()) fail("no measurands in", program.state.ProfilePath);
}

QString HeadlessProgram::path(const QString& relativePath) const {
    return dir.path() + QLatin1Char('/') + relativePath;
}

QString HeadlessProgram::writeFile(const QString& relativePath, const std::uint8_t* data,
                                   std::size_t size) {
    const QString p = path(relativePath);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("cannot write", p);
    if (size > 0 && f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
                        static_cast<qint64>(size))
        fail("cannot write", p);
    return p;
}

HeadlessProgram& startedProgram() {
    static HeadlessProgram h;
    static const bool started = (h.start(), true);
    (void)started;
    return h;
}

}  // namespace zh::fuzz
