#include "data_file_header.h"

#include <cmath>

#include "app/program.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/list_text.h"
#include "model/scaling.h"

namespace zh {
namespace {

constexpr const char* kRangeFields[] = {"NominalRangeLow", "NominalRangeHigh", "TNomRangeLow",
                                        "TNomRangeHigh",   "TMeasRangeLow",    "TMeasRangeHigh"};

}  // namespace

QStringList readDataFileHeader(Program& p, const QString& path, const QString& section,
                               DataFileHeader* h) {
    QStringList problems;
    const QStringList present = p.ini.keyNames(path, section);
    auto text = [&](const char* key, const char* def) {
        return p.profile.ReadProfile(section, QLatin1String(key), QLatin1String(def), path)
            .trimmed();
    };
    // Keys this program writes: a file without one is damaged, and its
    // default would end up on the device.
    auto required = [&](const char* key) {
        if (!present.contains(QLatin1String(key), Qt::CaseInsensitive))
            problems << QLatin1String(key) + QStringLiteral(" missing");
    };
    auto number = [&](const char* key, const char* def, double lo, double hi) {
        const QString t = text(key, def).section(QLatin1Char('('), 0, 0).trimmed();
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < lo || v > hi) {
            problems << QLatin1String(key) + QLatin1Char('=') + t;
            return 0.0;
        }
        return v;
    };
    constexpr double big = 1e9;
    for (const char* key :
         {"Transmitter/Display", "BaseUnit", "CalNominalRangeLow", "CalNominalRangeHigh",
          "CalLowerRangeADVal", "CalUpperRangeADVal", "CalUnit", "CalDecimalPoint",
          "CalLowerRangeVal", "CalUpperRangeVal", "DispUnit", "DispDecimalPoint", "IntSerIO"})
        required(key);
    h->mode = text("Transmitter/Display", "");
    h->baseUnit = text("BaseUnit", "");
    h->devConfigIndex = static_cast<int>(number("DevConfigIndex", "-1", -1, 255));
    // Saved as fields: the configuration name, or "index (text)"; anything
    // that is no number falls back to the default.
    auto lenient = [&](const char* key, int def) {
        bool ok = false;
        const int v = text(key, "").section(QLatin1Char('('), 0, 0).trimmed().toInt(&ok);
        return ok ? v : def;
    };
    h->devConfig = lenient("DevConfig", 1);
    h->devType = lenient("DevType", 0);
    h->calcMethod = lenient("CalcMethod", -1);
    h->intSerIO = static_cast<int>(number("IntSerIO", "0", 0, 1));
    h->nomLow = static_cast<float>(number("CalNominalRangeLow", "0.0", -big, big));
    h->nomHigh = static_cast<float>(number("CalNominalRangeHigh", "100.0", -big, big));
    h->adLow = static_cast<float>(number("CalLowerRangeADVal", "0.0", -big, big));
    h->adHigh = static_cast<float>(number("CalUpperRangeADVal", "10000.0", -big, big));
    h->low = static_cast<float>(number("CalLowerRangeVal", "0.0", -big, big));
    h->high = static_cast<float>(number("CalUpperRangeVal", "100.0", -big, big));
    h->calUnit = static_cast<int>(number("CalUnit", "0", 0, 255));
    h->calDecP = static_cast<int>(number("CalDecimalPoint", "0", 0, 3));
    h->dispUnit = static_cast<int>(number("DispUnit", "0", 0, 255));
    h->dispDecP = static_cast<int>(number("DispDecimalPoint", "0", -1, 3));
    h->adRaw = text("ADactRaw", "0");
    number("ADactRaw", "0", -big, big);
    const int adc16 = static_cast<int>(number("ADCByte16", "0", 0, 255));
    if (problems.isEmpty() && (h->nomLow >= h->nomHigh || h->adLow == h->adHigh))
        problems << QStringLiteral("CalNominalRange / CalRangeADVal");
    if (h->devConfigIndex == -1) {
        if (h->mode == QLatin1String("all"))
            h->devConfigIndex = 0;
        else if (h->mode == QLatin1String("transmitter"))
            h->devConfigIndex = adc16 != 0 ? adc16 : 4;
        else if (h->mode == QLatin1String("display"))
            h->devConfigIndex = 3;
    }
    return problems;
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
        DefDataStruc(m, base, h.intSerIO, h.dispDecP);
    }
    CalibrationState& c = m.cal;
    if (!h.baseUnit.isEmpty()) c.actBaseUnit = h.baseUnit;
    c.CalNomLow = h.nomLow;
    c.CalNomHi = h.nomHigh;
    c.CalADlow = h.adLow;
    c.CalADhi = h.adHigh;
    c.CalDPlow = h.low;
    c.CalDPhi = h.high;
    c.CalUnitIndex = h.calUnit;
    const QString calUnitText = ListTextOf(c.CalibrationUnitsList, h.calUnit);
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
