#pragma once
// A complete program context for tests: scripted dialogs, in-memory
// controls, a manual clock, and a temporary program directory that holds
// the profile and language files the test writes into it.

#include <QTemporaryDir>

#include "app/program.h"
#include "memory_gadgets.h"
#include "scripted_dialogs.h"

namespace zh::test {

class TestProgram {
  public:
    TestProgram();

    // Writes `content` (UTF-8 unless given as bytes) to a file of the
    // program directory, creating folders as needed; returns its path.
    QString writeFile(const QString& relativePath, const QByteArray& content);
    QByteArray readFile(const QString& relativePath) const;
    QString path(const QString& relativePath) const;

    // A small profile with a "Pressure" device type in bar (0...10 bar, two
    // decimals) and the measurand list Pressure/Temperature.
    void usePressureProfile();

    ManualClock clock;
    ScriptedDialogs dialogs{&clock};
    MemoryGadgets gadgets{clock};
    QTemporaryDir dir;
    Program program{dialogs, gadgets, clock};
};

}  // namespace zh::test
