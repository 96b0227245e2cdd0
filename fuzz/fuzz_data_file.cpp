// Arbitrary bytes as a data file, opened the way the File menu and the
// batch write open one (openDataFile), in a program started on the shipped
// profile. A file that is refused must leave the data as they were: the
// field table, the calibration state and the current file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/data_commands.h"
#include "files/data_session.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/field_snapshot.h"
#include "support/headless_program.h"
#include "support/unchanged_fields.h"

namespace {

// Not inlined, so that a report names the line of the failed check.
[[gnu::noinline]] void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zh::fuzz::HeadlessProgram& h = zh::fuzz::startedProgram();
    zh::Program& p = h.program;
    if (size < 1) return 0;
    // Byte 0: bit 0 the extension (pressure or temperature file), bits 1..2
    // the profile's transmitter/display setting; the rest is the file.
    static const char* const kModes[] = {"auto", "all", "transmitter", "display"};
    p.state.TransmitterDisplay = QLatin1String(kModes[(data[0] >> 1) & 3]);
    const QString name =
        (data[0] & 1) ? QStringLiteral("data/fuzz.cft") : QStringLiteral("data/fuzz.cfp");
    const QString path = h.writeFile(name, data + 1, size - 1);

    // A new data set of the first measurand, as the program starts with.
    zh::DeviceModel m(p);
    zh::DataSession s(m);
    m.cal.Measurand = p.state.MeasurandList.front().Name;
    zh::defineDataStructure(m, p.state.MeasurandList.front().BaseUnit, 0, -11);
    s.file.currentDir = h.path(QStringLiteral("data/"));

    const zh::FieldSnapshot before = zh::FieldSnapshot::take(m.fields);
    const int countBefore = m.fields.count();
    const float nomLow = m.cal.CalNomLow, nomHigh = m.cal.CalNomHi;
    const QString measurand = m.cal.Measurand, currentFile = s.file.currentFile;

    if (zh::openDataFile(s, path) == 1) {
        require(s.file.currentFile == path);
        require(m.fields.count() > 0);
    } else {
        require(zh::fuzz::unchangedFields(m.fields, before, countBefore));
        require(m.cal.Measurand == measurand && s.file.currentFile == currentFile);
        require(m.cal.CalNomLow == nomLow && m.cal.CalNomHi == nomHigh);
    }
    return 0;
}
