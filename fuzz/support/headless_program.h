#pragma once
// A program context for the fuzz targets, built once per fuzzer process:
// quiet dialogs, no controls, and (after start()) a scratch program folder
// holding copies of the shipped profile and language files, read through
// the program's own start-up as a batch run reads them.

#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "app/clock.h"
#include "app/headless_gadgets.h"
#include "app/program.h"
#include "quiet_dialogs.h"

namespace zh::fuzz {

class HeadlessProgram {
  public:
    HeadlessProgram();

    // Copies the shipped resources into the scratch folder and runs the
    // start-up and the profile read; aborts when that fails, since every
    // input would then only test a broken set-up.
    void start();

    // A path inside the scratch folder.
    QString path(const QString& relativePath) const;
    // Writes `size` bytes to `relativePath` of the scratch folder; its path.
    QString writeFile(const QString& relativePath, const std::uint8_t* data, std::size_t size);

    QuietDialogs dialogs;
    HeadlessGadgets gadgets;
    SteadyClock clock;
    QTemporaryDir dir;
    Program program{dialogs, gadgets, clock};
};

// The fuzzer process's one program, started on first use.
HeadlessProgram& startedProgram();

}  // namespace zh::fuzz
