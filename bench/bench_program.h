#pragma once
// A program context for benchmarks: the shipped profile and English
// language file copied into a temporary program folder, console dialogs, no
// window, logging off.

#include <QDir>
#include <QFile>
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

struct BenchProgram {
    BenchProgram() {
        const QString resources = QStringLiteral(ZH_SOURCE_DIR "/resources");
        QDir().mkpath(dir.path() + QStringLiteral("/Language"));
        QFile::copy(resources + QStringLiteral("/Config-125.ini"), dir.path() + QStringLiteral("/Config-125.ini"));
        QFile::copy(resources + QStringLiteral("/Language/English.ini"),
                    dir.path() + QStringLiteral("/Language/English.ini"));
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
