#pragma once
// A program context for benchmarks: the shipped profile and English
// language file copied into a temporary program folder, console dialogs, no
// window, logging off.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/clock.h"
#include "app/console_dialogs.h"
#include "app/headless_gadgets.h"
#include "app/program.h"
#include "hart/connection_probe.h"

namespace zh::bench {

// The probe process is not part of what the benchmarks measure.
class EndingProbe final : public ConnectionProbe {
  public:
    Outcome run(const QString&, int) override { return Outcome::Ended; }
};

// The shipped resources (profiles, language files, images) in `folder`,
// writable, as in an installed program folder.
inline void copyResources(const QString& folder) {
    const QDir from(QStringLiteral(ZH_SOURCE_DIR "/resources"));
    QDirIterator it(from.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = folder + QLatin1Char('/') + from.relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(source, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

struct BenchProgram {
    BenchProgram() {
        copyResources(dir.path());
        AppState& s = program.state;
        s.ProgramDir = dir.path() + QLatin1Char('/');
        s.ProfilePath = QStringLiteral(".\\Config-125.ini");
        s.InitialProfilePath = s.ProfilePath;
        s.LanguageFile = QStringLiteral(".\\Language\\English.ini");
        program.log.setThreshold(0);
    }

    QTemporaryDir dir;
    ConsoleDialogs dialogs;
    HeadlessGadgets gadgets;
    SteadyClock clock;
    Program program{dialogs, gadgets, clock};
};

}  // namespace zh::bench
