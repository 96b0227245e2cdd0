#include "data_file_header.h"

#include <cmath>

#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/list_text.h"
#include "model/scaling.h"

namespace zh {
namespace {

constexpr const char* kRangeFields[] = {"NominalRangeLow", "NominalRangeHigh", "TNomRangeLow",
                                        "TNomRangeHigh",   "TMeasRangeLow",    "TMeasRangeHigh"};

using H = DataFileHeader;

// How a header value is spelled in the file.
enum class Form {
    Text,        // as it is
    NumberText,  // as it is, and it must read as a number (a reading)
    Whole,       // a number rounded to a whole one ("16")
    Decimal,     // a number with up to seven significant digits ("0.6")
    Count,       // a whole number ("2")
    Option,      // an index and its name ("0 (bar)"); the index counts
};

// When a value is checked on reading (its problems are reported in this
// order): what selects the field table, then the calibration, its units and
// decimals, and the reading.
enum class Stage { Selection, Interface, Calibration, Units, Reading };

// One key of the header: how it is written, read and checked, and the member it holds.
struct HeaderKey {
    const char* name;
    Form form;
    Stage stage;
    bool required;         // a file without it is damaged: its default would reach the device
    const char* fallback;  // read for a missing key
    double lo, hi;         // the sound range of a number
    QString H::*text;      // Text, NumberText; the name of an Option
    int H::*whole;         // Count, Option
    float H::*number;      // Whole, Decimal
};

constexpr double kBig = 1e9;

constexpr HeaderKey text(const char* name, bool required, QString H::*member) {
    return {name, Form::Text, Stage::Selection, required, "", 0, 0, member, nullptr, nullptr};
}
constexpr HeaderKey calibration(const char* name, Form form, const char* fallback,
                                float H::*member) {
    return {name, form, Stage::Calibration, true, fallback, -kBig, kBig, nullptr, nullptr, member};
}
constexpr HeaderKey setting(const char* name, Stage stage, bool required, const char* fallback,
                            double lo, double hi, int H::*member) {
    return {name, Form::Count, stage, required, fallback, lo, hi, nullptr, member, nullptr};
}
constexpr HeaderKey option(const char* name, int H::*index, QString H::*optionName) {
    return {name, Form::Option, Stage::Units, true, "0", 0, 255, optionName, index, nullptr};
}

// The header in the order of the file.
constexpr HeaderKey kHeaderKeys[] = {
    text("Version/Date", false, &H::versionDate),
    text("Transmitter/Display", true, &H::mode),
    text("UnitType", false, &H::unitType),
    text("BaseUnit", true, &H::baseUnit),
    calibration("CalNominalRangeLow", Form::Whole, "0.0", &H::nomLow),
    calibration("CalNominalRangeHigh", Form::Whole, "100.0", &H::nomHigh),
    calibration("CalLowerRangeADVal", Form::Whole, "0.0", &H::adLow),
    calibration("CalUpperRangeADVal", Form::Whole, "10000.0", &H::adHigh),
    option("CalUnit", &H::calUnit, &H::calUnitName),
    setting("CalDecimalPoint", Stage::Units, true, "0", 0, 3, &H::calDecP),
    calibration("CalLowerRangeVal", Form::Decimal, "0.0", &H::low),
    calibration("CalUpperRangeVal", Form::Decimal, "100.0", &H::high),
    option("DispUnit", &H::dispUnit, &H::dispUnitName),
    setting("DispDecimalPoint", Stage::Units, true, "0", -1, 3, &H::dispDecP),
    setting("IntSerIO", Stage::Interface, true, "0", 0, 1, &H::intSerIO),
    setting("DevConfigIndex", Stage::Selection, false, "-1", -1, 255, &H::devConfigIndex),
    {"ADactRaw", Form::NumberText, Stage::Reading, false, "0", -kBig, kBig, &H::adRaw, nullptr,
     nullptr},
    // Added later: older files lack it, and older readers pass over it.
    text("DeviceStatus", false, &H::deviceStatus),
    text("Parts", false, &H::parts),
};

QString writtenValue(const HeaderKey& k, const H& h) {
    switch (k.form) {
        case Form::Text:
        case Form::NumberText:
            return h.*k.text;
        case Form::Whole:
            return QString::number(std::llround(static_cast<double>(h.*k.number)));
        case Form::Decimal:
            return QString::number(static_cast<double>(h.*k.number), 'g', 7);
        case Form::Count:
            return QString::number(h.*k.whole);
        case Form::Option:
            return QString::number(h.*k.whole) + QStringLiteral(" (") + h.*k.text +
                   QLatin1Char(')');
    }
    return QString();
}

// Reads the header of one section of one file; every problem is one line.
struct HeaderReader {
    Program& p;
    const QString& path;
    const QString& section;
    QStringList problems;

    QString text(const char* key, const char* fallback) const {
        return p.profile.readProfile(section, QLatin1String(key), QLatin1String(fallback), path)
            .trimmed();
    }
    // The number before any "(": 0 and a problem when there is none in [lo, hi].
    double number(const char* key, const QString& value, double lo, double hi) {
        const QString t = value.section(QLatin1Char('('), 0, 0).trimmed();
        bool ok = false;
        const double v = parseStoredNumber(t, &ok);
        if (!ok || !std::isfinite(v) || v < lo || v > hi) {
            problems << QLatin1String(key) + QLatin1Char('=') + t;
            return 0.0;
        }
        return v;
    }
    void read(const HeaderKey& k, H* h) {
        const QString value = text(k.name, k.fallback);
        switch (k.form) {
            case Form::Text:
                h->*k.text = value;
                break;
            case Form::NumberText:
                h->*k.text = value;
                number(k.name, value, k.lo, k.hi);
                break;
            case Form::Whole:
            case Form::Decimal:
                h->*k.number = static_cast<float>(number(k.name, value, k.lo, k.hi));
                break;
            case Form::Option:
                h->*k.text = bracketTextOf(value, QStringLiteral("("), QStringLiteral(")"));
                h->*k.whole = static_cast<int>(number(k.name, value, k.lo, k.hi));
                break;
            case Form::Count:
                h->*k.whole = static_cast<int>(number(k.name, value, k.lo, k.hi));
                break;
        }
    }
    // Saved as fields: the configuration name, or "index (text)"; anything
    // that is no number falls back to the default.
    int lenient(const char* key, int fallback) const {
        bool ok = false;
        const int v = text(key, "").section(QLatin1Char('('), 0, 0).trimmed().toInt(&ok);
        return ok ? v : fallback;
    }
};

// The calibration's ranges as the header holds them.
struct CalibrationNumber {
    float H::*header;
    float CalibrationState::*cal;
};
constexpr CalibrationNumber kCalibrationNumbers[] = {
    {&H::nomLow, &CalibrationState::CalNomLow}, {&H::nomHigh, &CalibrationState::CalNomHi},
    {&H::adLow, &CalibrationState::CalADlow},   {&H::adHigh, &CalibrationState::CalADhi},
    {&H::low, &CalibrationState::CalDPlow},     {&H::high, &CalibrationState::CalDPhi},
};

// The configuration an older file without DevConfigIndex was saved for.
int configurationOfMode(const QString& mode, int adcByte16) {
    switch (parsePresence(mode)) {
        case Presence::All:
            return 0;
        case Presence::Transmitter:
            return adcByte16 != 0 ? adcByte16 : 4;
        case Presence::Display:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

std::vector<std::pair<QString, QString>> dataFileHeaderKeys(const DataFileHeader& h) {
    std::vector<std::pair<QString, QString>> keys;
    for (const HeaderKey& k : kHeaderKeys) {
        // A status not known is left out rather than written empty.
        // So are the parts when the values are of the whole device.
        if ((k.text == &H::deviceStatus || k.text == &H::parts) && (h.*k.text).isEmpty()) continue;
        keys.emplace_back(QLatin1String(k.name), writtenValue(k, h));
    }
    return keys;
}

void putCalibrationRanges(const CalibrationState& c, DataFileHeader* h) {
    for (const CalibrationNumber& n : kCalibrationNumbers) h->*n.header = c.*n.cal;
}

QStringList readDataFileHeader(Program& p, const QString& path, const QString& section,
                               DataFileHeader* h) {
    HeaderReader r{p, path, section, {}};
    // Keys this program writes: a file without one is damaged, and its
    // default would end up on the device.
    const QStringList present = p.ini.keyNames(path, section);
    for (const HeaderKey& k : kHeaderKeys)
        if (k.required && !present.contains(QLatin1String(k.name), Qt::CaseInsensitive))
            r.problems << QLatin1String(k.name) + QStringLiteral(" missing");
    for (Stage stage :
         {Stage::Selection, Stage::Interface, Stage::Calibration, Stage::Units, Stage::Reading})
        for (const HeaderKey& k : kHeaderKeys)
            if (k.stage == stage) r.read(k, h);
    h->devConfig = r.lenient("DevConfig", 1);
    h->devType = r.lenient("DevType", 0);
    h->calcMethod = r.lenient("CalcMethod", -1);
    const int adc16 = static_cast<int>(r.number("ADCByte16", r.text("ADCByte16", "0"), 0, 255));
    if (r.problems.isEmpty() && (h->nomLow >= h->nomHigh || h->adLow == h->adHigh))
        r.problems << QStringLiteral("CalNominalRange / CalRangeADVal");
    if (h->devConfigIndex == -1) h->devConfigIndex = configurationOfMode(h->mode, adc16);
    return r.problems;
}

bool applyDataFileHeader(DeviceModel& m, const DataFileHeader& h, const QString& measurand,
                         const std::function<void(const QString& measurand)>& rebuildWindow) {
    const bool rebuild = measurand != m.cal.Measurand || h.devConfigIndex != m.selection.DevIndx ||
                         h.intSerIO != m.cal.IntSerIO || m.fields.count() == 0;
    m.selection.DevIndx = h.devConfigIndex;
    if (rebuild) {
        m.cal.Measurand = measurand;
        const QString base = h.baseUnit.isEmpty() ? m.cal.actBaseUnit : h.baseUnit;
        if (rebuildWindow) rebuildWindow(measurand);
        defineDataStructure(m, base, h.intSerIO, h.dispDecP);
    }
    CalibrationState& c = m.cal;
    if (!h.baseUnit.isEmpty()) c.actBaseUnit = h.baseUnit;
    for (const CalibrationNumber& n : kCalibrationNumbers) c.*n.cal = h.*n.header;
    c.CalUnitIndex = h.calUnit;
    const QString calUnitText = listTextOf(c.CalibrationUnitsList, h.calUnit);
    if (!calUnitText.isEmpty()) c.CalUnit = QLatin1Char('[') + calUnitText + QLatin1Char(']');
    c.CalDecP = static_cast<short>(h.calDecP);
    c.IntSerIO = static_cast<short>(h.intSerIO);
    for (const char* name : kRangeFields) {
        const int i = m.fields.find(QLatin1String(name));
        if (i >= 0 && !m.fields.at(i).GadUnit.isEmpty()) m.fields.at(i).GadUnit = c.CalUnit;
    }
    return rebuild;
}

void rangesToCalibrationUnit(DeviceModel& m) {
    const CalibrationState& c = m.cal;
    for (const char* name : kRangeFields) {
        const int i = m.fields.find(QLatin1String(name));
        if (i < 0) continue;
        FieldRecord& f = m.fields.at(i);
        if (f.GadUnit.isEmpty() || f.GadUnit == c.CalUnit) continue;
        const QString converted = convertUnitText(m, f.Content, f.GadUnit, c.CalUnit, f.Name);
        if (!converted.isEmpty()) f.Content = converted;  // else reported; the value stays as saved
        f.GadUnit = c.CalUnit;
    }
}

}  // namespace zh
