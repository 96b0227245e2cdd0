// What a write does before its first frame: every value it may send is
// checked, and data that did not come from the device (a data file, new
// data) are laid over the device's own values, read in the same
// connection. A field the data leave as the device has it keeps the
// device's exact raw value, so a file written back unchanged changes no
// byte, and "changes" sends only what really differs.

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_notation.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"
#include "model/scaling_detail.h"
#include "model/write_fields.h"

namespace zh {

namespace {

// The transmitter's fields a write sends (commands 181, 182, 35 and 34).
QStringList transmitterWriteFields() {
    QStringList t{QStringLiteral("Damping"), QStringLiteral("TMeasRangeHigh"),
                  QStringLiteral("TMeasRangeLow"), QStringLiteral("TNomRangeHigh"),
                  QStringLiteral("TNomRangeLow")};
    for (int i = 0; i < 22; ++i) t << QStringLiteral("ADCByte%1").arg(i);
    for (int i = 0; i < 11; ++i) t << QStringLiteral("AGW%1").arg(i);
    return t;
}

// The fields of the module's blocks kept as converter counts on the scale
// of the range: the switch points and window limits.
std::vector<FieldRecord*> countedFields(DeviceModel& m) {
    std::vector<FieldRecord*> fields;
    for (int block : writableBlocks()) {
        for (const QString& name : blockFields(block)) {
            const int i = m.fields.find(name);
            if (i >= 0 && m.fields.at(i).CheckProc == Conversion::ADToMeasurand)
                fields.push_back(&m.fields.at(i));
        }
    }
    return fields;
}

int decimalsOf(const QString& text) {
    const QString t = text.trimmed();
    const int dot = t.indexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : static_cast<int>(t.size()) - dot - 1;
}

}  // namespace

// A value shown as `shown` stands for `value` when it is the same text
// (padding aside), or the same number to the last decimal `shown` has: the
// data file keeps values with the decimals the field shows.
bool showsValue(const QString& shown, const QString& value) {
    const QString a = shown.trimmed();
    const QString b = QString(value).remove(QChar(0)).trimmed();
    if (a == b) return true;
    bool okA = false, okB = false;
    const double x = parseStoredNumber(a, &okA);
    const double y = parseStoredNumber(b, &okB);
    if (!okA || !okB || !std::isfinite(x) || !std::isfinite(y)) return false;
    const double half = 0.5 * std::pow(10.0, -decimalsOf(a));
    return std::fabs(x - y) <= half * (1.0 + 1e-6) + 1e-9 * std::fabs(x);
}

// What the module counts by itself (power-ons, operating time, errors) and
// the unique numbers it was made with: a data file's copy is history, or
// another module's, never a setting to write back (a module keeps its own).
bool deviceCounts(const QString& name) {
    static const QStringList counters{"pc_ui32PowerOnCount",   "pc_ui32OPseconds",
                                      "pc_ui16TotalEcCount",   "pc_ui8LastEC",
                                      "pc_ui8LastEC_index",    "bLogDataStoreFailureCount",
                                      "pc_ui32_GUID.uint32_t", "pc_ui32ProdAutoID.uint32_t"};
    return counters.contains(name);
}

QStringList DeviceSequences::checkBeforeWrite(bool withTransmitter, bool withDisplay) {
    const bool noWrite = writesSwitchedOff(m_.program.state.NoWrite);
    QStringList names;
    if (withTransmitter)
        names << transmitterWriteFields() << QStringLiteral("LowerRangeVal")
              << QStringLiteral("UpperRangeVal");
    if (withDisplay && !noWrite)
        for (int block : writableBlocks()) names << blockFields(block);
    names.removeDuplicates();

    QStringList bad;
    // A raw value that cannot be sent (empty, "-", NaN, infinite) stops the
    // write before its first frame.
    for (const QString& name : names) {
        if (!badRawValue(name).isEmpty())
            bad << name + QStringLiteral(": ") + tr(QStringLiteral("no valid value"));
    }
    // The checks an entry passes in the window, for what the write changes.
    if (checkFields) {
        QStringList changed;
        for (const QString& name : names) {
            const int i = m_.fields.find(name);
            if (i >= 0 && m_.fields.at(i).ColorIndx == ColourChanged) changed << name;
        }
        bad << checkFields(changed);
    }
    // Values the device would refuse.
    bad << rangeProblems();
    if (withTransmitter) bad << tableProblems();
    // Values that do not fit their place in a request or a block.
    if (withTransmitter && bad.isEmpty()) {
        adc_.encodeOnly = universal_.encodeOnly = true;
        const std::pair<CommandRoutines*, int (*)(DeviceSequences&)> writes[] = {
            {&adc_, [](DeviceSequences& s) { return s.adc().Com1810(0); }},
            {&adc_, [](DeviceSequences& s) { return s.adc().Com1820(0); }},
            {&universal_, [](DeviceSequences& s) { return s.universal().Com35(0); }},
            {&universal_, [](DeviceSequences& s) { return s.universal().Com34(0); }}};
        for (const auto& [routines, write] : writes)
            if (write(*this) != 0) bad << routines->lastRefusal().message();
        adc_.encodeOnly = universal_.encodeOnly = false;
    }
    if (withDisplay && !noWrite && bad.isEmpty()) {
        for (int block : writableBlocks())
            if (blocks_.checkBlock(block) != 0) bad << blocks_.lastRefusal().message();
    }
    bad.removeDuplicates();
    return bad;
}

int DeviceSequences::readDeviceUnderData(Presence target) {
    Program& p = m_.program;
    const FieldSnapshot data = FieldSnapshot::take(m_.fields);
    const QStringList loaded = m_.loadedFields;
    const SavedTable saved = saveTable();
    const CalibrationState cal = m_.cal;
    const DeviceSelection selection = m_.selection;
    // The read runs inside this write's connection and progress window.
    const bool openedHere = openedHere_;
    const QString title = title_;
    const int r = readDevice(target);
    openedHere_ = openedHere;
    title_ = title;
    if (r != 0) return r;  // the read said why and gave the data back

    // Data for another measurand, or for another sensor (configuration
    // key), would give this device a range, table and nominal range that
    // are not its own: the data stay as they were, nothing is written.
    const auto refuse = [&](const QString& text) {
        restoreTable(saved);
        m_.cal = cal;
        m_.selection = selection;
        m_.fromDevice = false;
        m_.loadedFields = loaded;
        if (hooks.refreshGadgets) hooks.refreshGadgets();
        p.messages.showMessageBox(tr(QStringLiteral("Error")), text, mb::Ok | mb::IconError,
                                  MsgText::AsIs);
        return kResultOtherDevice;
    };
    if (m_.cal.Measurand != saved.measurand) {
        return refuse(
            tr(QStringLiteral(
                   "The data are for {data}, the connected device measures {device}. Nothing "
                   "was written.\t") +
               saved.measurand + QLatin1Char('\t') + m_.cal.Measurand));
    }
    // The data laid over the device, with the option fields in their bytes:
    // a configuration key they bring (ADCByte20, or DevType) is checked then.
    bool okDevice = false;
    const int deviceKey = raw(QStringLiteral("ADCByte20")).toInt(&okDevice);
    layDataOverDevice(data, loaded, target);
    changedContentsToRaw();
    followChangedValues(target != Presence::Transmitter);
    bool okData = false;
    const int dataKey = raw(QStringLiteral("ADCByte20")).toInt(&okData);
    if (target != Presence::Display && okData && okDevice && dataKey != deviceKey) {
        const auto name = [this](int key) {
            const QString d =
                ConfigurationRecord::fromText(configurationRecordText(m_, key)).description;
            return (d.isEmpty() ? QString() : d + QLatin1Char(' ')) +
                   QStringLiteral("(%1)").arg(key, 0, 16).toUpper();
        };
        return refuse(tr(
            QStringLiteral("The data are for the transmitter configuration {data}, the connected "
                           "transmitter is {device}. Nothing was written.\t") +
            name(dataKey) + QLatin1Char('\t') + name(deviceKey)));
    }
    p.state.DataTrigger = saved.dataTrigger;
    p.state.DataChanged = saved.dataChanged;
    m_.loadedFields = loaded;
    p.dialogs.progressOpen(title_);
    p.dialogs.progressSetTitle(title_);
    return 0;
}

// Every field the data hold takes the data's value where it differs from
// the device's, in the unit the field now shows, and counts as changed.
// Only what the write sends is laid over: read-outs, the module's own
// counters, fields the data do not hold, and fields the device has no
// setting for stay as the device has them; the last are named when the
// data hold another value (a copy that agrees with the data's own
// original is no other value).
void DeviceSequences::layDataOverDevice(const FieldSnapshot& data, const QStringList& loaded,
                                        Presence part) {
    const QStringList sent =
        fieldsAWriteSends(m_, part != Presence::Display, part != Presence::Transmitter);
    notWritten_.clear();
    // The data's value of field i in `unit` ("" when it cannot be given).
    const auto dataValue = [&](int i, const QString& unit) {
        const FieldSnapshot::Values* v = data.at(i);
        if (!v) return QString();
        const bool otherUnit = !v->GadUnit.isEmpty() && !unit.isEmpty() && v->GadUnit != unit;
        return otherUnit ? convertUnitText(m_, v->Content, v->GadUnit, unit, m_.fields.at(i).Name)
                         : v->Content;
    };
    for (int i = 1; i <= m_.fields.count(); ++i) {
        FieldRecord& f = m_.fields.at(i);
        const FieldSnapshot::Values* v = data.at(i);
        if (!v || (!loaded.isEmpty() && !loaded.contains(f.Name))) continue;
        if (f.is(FlagDisplayOnly) || deviceCounts(f.Name)) continue;
        const bool otherUnit =
            !v->GadUnit.isEmpty() && !f.GadUnit.isEmpty() && v->GadUnit != f.GadUnit;
        // Compared in the data's unit, with the decimals the data show.
        const QString device =
            otherUnit ? convertUnitText(m_, f.Content, f.GadUnit, v->GadUnit, f.Name) : f.Content;
        if (holdsSameValue(f, v->Content, device)) continue;
        if (!sent.contains(f.Name)) {
            // What nobody can set and follows no other field (versions,
            // the firmware's dates) is what the device the data came from
            // was, no setting left out.
            const int leader = m_.fields.find(leaderOf(f.Name));
            if (leader < 0 && (f.Access != QLatin1String("enabled") ||
                               f.Visibility == QLatin1String("nodisplay")))
                continue;
            const bool agrees =
                leader >= 0 && holdsSameValue(f, v->Content, dataValue(leader, v->GadUnit));
            if (!agrees) notWritten_ << f.Name;
            continue;
        }
        const QString value =
            otherUnit ? convertUnitText(m_, v->Content, v->GadUnit, f.GadUnit, f.Name) : v->Content;
        m_.program.log.debugLog(
            QStringLiteral("   data over device: ") + f.Name + QStringLiteral(" = ") + v->Content +
                v->GadUnit + QStringLiteral(" (device ") + f.Content + f.GadUnit + QLatin1Char(')'),
            2);
        f.Content = value.isEmpty() ? v->Content : value;
        f.BaseValue = baseValueOf(m_, f);
        f.setColourState(ColourChanged);
    }
    if (!notWritten_.isEmpty())
        m_.program.log.debugLog(
            QStringLiteral("   data not written: ") + notWrittenText(notWritten_), 1);
}

// What changed brings along before the values are checked and sent: the
// option fields go into the configuration bytes and table, and a new range
// (or nominal range, or calibration point) moves the scale the module keeps
// its switch points on. The points keep the values they show, in the new
// scale, and so count as changed.
void DeviceSequences::followChangedValues(bool withDisplay) {
    optionsIntoConfiguration(m_);
    if (!withDisplay) return;
    static const char* const kScale[] = {"LowerRangeVal",    "UpperRangeVal",   "NominalRangeLow",
                                         "NominalRangeHigh", "LowerRangeADVal", "UpperRangeADVal",
                                         "CalDecimalPoint"};
    bool moved = false;
    for (const char* name : kScale) {
        const int i = m_.fields.find(QLatin1String(name));
        moved = moved || (i >= 0 && m_.fields.at(i).ColorIndx == ColourChanged);
    }
    if (!moved) return;
    calibrateDisplay();
    // A range without a span has no scale; the range check names it.
    if (std::fabs(m_.cal.CalDPhi - m_.cal.CalDPlow) < 0.0001f) return;
    for (FieldRecord* f : countedFields(m_)) {
        if (f->Content.trimmed().isEmpty()) continue;
        const QString counts =
            applyConversion(m_, f->CheckProc, f->Content, f->Name, ConvertTo::Raw);
        if (counts.isEmpty() || counts == f->RawVal) continue;
        f->RawVal = counts;
        f->setColourState(ColourChanged);
    }
}

// The range a write sends must be one the device takes: both ends within
// the nominal range of the sensor and at least 1 % of it apart. The
// transmitter refuses anything else (command 35, after 181 and 182 went
// through), and the module would measure on a scale the sensor cannot give.
// Compared in the calibration unit, from the values as shown (what command
// 35 sends); a range shown in % or mA is a share of itself and is left to
// the device.
QStringList DeviceSequences::rangeProblems() {
    const auto field = [this](const char* name) -> FieldRecord* {
        const int i = m_.fields.find(QLatin1String(name));
        return i < 0 ? nullptr : &m_.fields.at(i);
    };
    FieldRecord* lower = field("LowerRangeVal");
    FieldRecord* upper = field("UpperRangeVal");
    if (!lower || !upper ||
        (lower->ColorIndx != ColourChanged && upper->ColorIndx != ColourChanged))
        return {};
    const CalibrationState& c = m_.cal;
    const QString unit = upper->GadUnit.isEmpty() ? c.DispUnit : upper->GadUnit;
    if (scaling_detail::isPercent(unit) || scaling_detail::isMilliamp(unit)) return {};
    const auto inCalibrationUnit = [&](const FieldRecord& f, double* value) {
        bool ok = false;
        const double v = parseEnteredNumber(f.Content, &ok);
        const QString from = f.GadUnit.isEmpty() ? c.DispUnit : f.GadUnit;
        *value = ok ? double(convertUnit(m_, float(v), from, c.CalUnit, f.Name)) : 0.0;
        return ok && std::isfinite(*value);
    };
    double from = 0, to = 0;
    if (!inCalibrationUnit(*lower, &from) || !inCalibrationUnit(*upper, &to)) return {};
    const double low = std::min(c.CalNomLow, c.CalNomHi);
    const double high = std::max(c.CalNomLow, c.CalNomHi);
    const double leeway = 1e-5 * (high - low);
    // A value of the calibration unit as the range shows it.
    const auto shown = [&](double v) {
        const double w = double(convertUnit(m_, float(v), c.CalUnit, unit, upper->Name));
        return trimTrailingZeros(QString::number(w, 'f', 4));
    };
    QStringList bad;
    for (const auto& [f, v] : {std::pair<FieldRecord*, double>{lower, from}, {upper, to}}) {
        if (f->ColorIndx == ColourChanged && (v < low - leeway || v > high + leeway))
            bad << f->Name + QStringLiteral(": ") + f->Content + f->GadUnit +
                       QStringLiteral(" outside the nominal range ") + shown(low) +
                       QStringLiteral(" ... ") + shown(high) + unit;
    }
    const double span = (high - low) / 100.0;
    if (bad.isEmpty() && std::fabs(to - from) < span - leeway) {
        const double step = std::fabs(parseStoredNumber(shown(low + span), nullptr) -
                                      parseStoredNumber(shown(low), nullptr));
        bad << upper->Name + QStringLiteral(": ") + upper->Content + upper->GadUnit +
                   QStringLiteral(" less than ") +
                   trimTrailingZeros(QString::number(step, 'f', 4)) + unit +
                   QStringLiteral(" (1 % of the nominal range) from ") + lower->Name +
                   QLatin1Char(' ') + lower->Content + lower->GadUnit;
    }
    return bad;
}

// The converter table of a transmitter (not of a switch, whose table holds
// currents and switch settings) must rise from AGW0 to AGW10: the
// transmitter interpolates on it and refuses (command 182) one that does not.
QStringList DeviceSequences::tableProblems() {
    const int byte16 = raw(QStringLiteral("ADCByte16")).toInt();
    if (byte16 == 1 || byte16 == 2) return {};
    std::vector<double> table;
    std::vector<bool> changed;
    for (int k = 0; k < 11; ++k) {
        const int i = m_.fields.find(QStringLiteral("AGW%1").arg(k));
        bool ok = false;
        if (i >= 0) table.push_back(parseStoredNumber(m_.fields.at(i).RawVal, &ok));
        if (!ok) return {};  // no number: the encoder names it
        changed.push_back(m_.fields.at(i).ColorIndx == ColourChanged);
    }
    QStringList bad;
    for (std::size_t k = 0; k < table.size(); ++k) {
        const bool belowNext = k + 1 == table.size() || table[k] < table[k + 1];
        const bool aboveLast = k == 0 || table[k] > table[k - 1];
        if (changed[k] && !(belowNext && aboveLast))
            bad << QStringLiteral("AGW%1: %2 (the table must rise from AGW0 to AGW10)")
                       .arg(k)
                       .arg(table[k]);
    }
    return bad;
}

}  // namespace zh
