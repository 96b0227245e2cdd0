// What a write does before its first frame: every value it may send is
// checked, and data that did not come from the device (a data file, new
// data) are laid over the device's own values, read in the same
// connection. A field the data leave as the device has it keeps the
// device's exact raw value, so a file written back unchanged changes no
// byte, and "changes" sends only what really differs.

#include <cmath>
#include <utility>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"

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
            if (blocks_.CheckBlock(block) != 0) bad << blocks_.lastRefusal().message();
    }
    bad.removeDuplicates();
    return bad;
}

int DeviceSequences::readDeviceUnderData(const QString& target) {
    Program& p = m_.program;
    const FieldSnapshot data = FieldSnapshot::take(m_.fields);
    const QStringList loaded = m_.loadedFields;
    const SavedTable saved = saveTable();
    const CalibrationState cal = m_.cal;
    const DeviceSelection selection = m_.selection;
    // The read runs inside this write's connection and progress window.
    const bool openedHere = openedHere_;
    const QString title = title_;
    const int r = HartRead(target + QStringLiteral(" all"));
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
        p.messages.MsgBox(tr(QStringLiteral("Error")), text, mb::Ok | mb::IconError,
                          QStringLiteral("nodefmsg"));
        return kResultOtherDevice;
    };
    if (m_.cal.Measurand != saved.measurand) {
        return refuse(
            tr(QStringLiteral(
                   "The data are for {data}, the connected device measures {device}. Nothing "
                   "was written.\t") +
               saved.measurand + QLatin1Char('\t') + m_.cal.Measurand));
    }
    const FieldSnapshot::Values* dataKey = data.at(m_.fields.find(QStringLiteral("ADCByte20")));
    bool okData = false, okDevice = false;
    const int fileKey = dataKey ? dataKey->RawVal.toInt(&okData) : 0;
    const int deviceKey = raw(QStringLiteral("ADCByte20")).toInt(&okDevice);
    if (target != QLatin1String("display") && loaded.contains(QStringLiteral("ADCByte20")) &&
        okData && okDevice && fileKey != deviceKey) {
        const auto name = [this](int key) {
            const QString d =
                ConfigurationRecord::fromText(configurationRecordText(m_, key)).description;
            return (d.isEmpty() ? QString() : d + QLatin1Char(' ')) +
                   QStringLiteral("(%1)").arg(key, 0, 16).toUpper();
        };
        return refuse(tr(
            QStringLiteral("The data are for the transmitter configuration {data}, the connected "
                           "transmitter is {device}. Nothing was written.\t") +
            name(fileKey) + QLatin1Char('\t') + name(deviceKey)));
    }
    layDataOverDevice(data, loaded);
    p.state.DataTrigger = saved.dataTrigger;
    p.state.DataChanged = saved.dataChanged;
    m_.loadedFields = loaded;
    p.dialogs.progressOpen(title_);
    p.dialogs.progressSetTitle(title_);
    return 0;
}

// Every field the data hold takes the data's value where it differs from
// the device's, in the unit the field now shows, and counts as changed.
// Read-outs, the module's own counters and fields the data do not hold stay
// as the device has them.
void DeviceSequences::layDataOverDevice(const FieldSnapshot& data, const QStringList& loaded) {
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
        if (showsValue(v->Content, device)) continue;
        const QString value =
            otherUnit ? convertUnitText(m_, v->Content, v->GadUnit, f.GadUnit, f.Name) : v->Content;
        m_.program.log.DebugLog(
            QStringLiteral("   data over device: ") + f.Name + QStringLiteral(" = ") + v->Content +
                v->GadUnit + QStringLiteral(" (device ") + f.Content + f.GadUnit + QLatin1Char(')'),
            2);
        f.Content = value.isEmpty() ? v->Content : value;
        f.BaseValue = baseValueOf(m_, f);
        f.setColourState(ColourChanged);
    }
}

}  // namespace zh
