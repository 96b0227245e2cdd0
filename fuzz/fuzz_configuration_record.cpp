// Arbitrary text as a record of the configuration catalogue: parsed as the
// program parses it, stored in the profile's [DeviceConfigurations] and
// loaded into the field table of a new data set, and parsed as the device
// simulator parses its built-in records. A record the program refuses must
// leave the field table as it was.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_definitions.h"
#include "model/field_snapshot.h"
#include "sim/catalogue.h"
#include "support/headless_program.h"
#include "support/unchanged_fields.h"

namespace {

// Not inlined, so that a report names the line of the failed check.
[[gnu::noinline]] void require(bool condition) {
    if (!condition) std::abort();
}

// The catalogue key the input is stored under: one the shipped profile
// does not use.
constexpr int kKey = 0x7E;

void checkSimulatorRecord(const std::string& text) {
    const std::optional<hartsim::CatalogueRecord> r = hartsim::parseCatalogueRecord(kKey, text);
    if (!r) return;
    require(r->key == kKey && !r->unit.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zh::fuzz::HeadlessProgram& h = zh::fuzz::startedProgram();
    zh::Program& p = h.program;
    if (size < 1) return 0;
    // Byte 0 chooses the device class the record is loaded for (the
    // configuration byte 16 values the program tells apart) and the
    // measurand; the rest is the record.
    static const int kDevIndx[] = {-1, 0, 1, 2, 4, 16, 3, 8};
    const int devIndx = kDevIndx[data[0] & 7];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    checkSimulatorRecord(text);

    const QString record = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
    // Line breaks reach the parser only here: the profile cannot hold them.
    (void)zh::ConfigurationRecord::fromText(record);

    // Stored as the profile keeps it; the profile cannot hold a line break.
    QString stored = record;
    for (QChar& c : stored)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) c = QLatin1Char(' ');
    const QString key = QString::number(kKey, 16).toUpper();
    require(p.profile.writeData(QStringLiteral("DeviceConfigurations"), key, stored,
                                p.state.ProfilePath));

    const std::vector<zh::MeasurandSettings>& measurands = p.state.MeasurandList;
    const zh::MeasurandSettings& measurand = measurands[(data[0] >> 3) % measurands.size()];
    zh::DeviceModel m(p);
    m.cal.Measurand = measurand.Name;
    zh::defineDataStructure(m, measurand.BaseUnit, 0, -11);
    const zh::FieldSnapshot before = zh::FieldSnapshot::take(m.fields);
    const int countBefore = m.fields.count();
    if (!zh::updateTransmitterConfig(m, devIndx, kKey))
        require(zh::fuzz::unchangedFields(m.fields, before, countBefore));
    // The whole selection as the window runs it after the user chose the entry.
    zh::updateDeviceType(m, devIndx, kKey, (data[0] >> 6) & 1, zh::TypeUpdate::Catalogue);
    return 0;
}
