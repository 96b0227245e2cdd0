#include "device_comparison.h"

#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <utility>

#include "app/dialogs.h"
#include "app/presence.h"
#include "app/program.h"
#include "data_commands.h"
#include "data_file.h"
#include "device_core.h"
#include "model/device_model.h"
#include "model/field_notation.h"
#include "model/list_text.h"
#include "model/read_write_sequences.h"
#include "model/scaling.h"
#include "model/write_fields.h"
#include "model_copy.h"

namespace zh {
namespace {

// The fields the device, as the last read found it, holds as a write sends
// them: a display module alone has no transmitter fields, a transmitter
// alone nothing of the module, a class no option of another class; values
// of the service functions and copies of another field are no setting.
QStringList fieldsTheDeviceHolds(const DeviceModel& device) {
    const Presence parts = parsePresence(device.program.state.TransmDisplay);
    return fieldsAWriteSends(device, parts != Presence::Display, parts != Presence::Transmitter);
}

// Read-outs and the module's counters are never a setting either.
bool deviceHolds(DeviceModel& device, const QStringList& held, const FieldRecord& f) {
    if (f.is(FlagDisplayOnly) || deviceCounts(f.Name) || !held.contains(f.Name)) return false;
    DataSession session(device);
    return isSavedField(session, f);
}

// The decimals a number's text shows ("9.60" 2, "9600" 0).
int textDecimals(const QString& text) {
    const QString t = text.trimmed();
    const int dot = t.indexOf(QLatin1Char('.'));
    int n = 0;
    for (int i = dot + 1; dot >= 0 && i < t.size() && t.at(i).isDigit(); ++i) ++n;
    return n;
}

// The decimals both values of a float field are shown with: the finer of
// the two as they stand, so that no digit either side shows is rounded
// away and none is made up; -1 for other fields. A value converted into
// the data's unit takes the data's format.
int sharedDecimals(const FieldRecord& want, const FieldRecord& has, const QString& deviceValue) {
    const int wanted = floatDecimals(want);
    if (wanted < 0 || want.GadUnit != has.GadUnit) return wanted;
    return std::max(textDecimals(want.Content), textDecimals(deviceValue));
}

QString unitWord(const QString& bracketed) {
    return QString(bracketed).remove(QLatin1Char('[')).remove(QLatin1Char(']')).trimmed();
}

}  // namespace

QString shownValue(const FieldRecord& f, const QString& content) {
    const QString value = QString(content).remove(QChar(0)).trimmed();
    if (f.type() != QLatin1String("combobox")) return value;
    const QString text = listTextOf(f.Params, value.toInt());
    return text.isEmpty() ? value : value + QStringLiteral(" (") + text + QLatin1Char(')');
}

namespace {

// The fields of `expected` the device holds, each with both values;
// without `equalToo` only those that differ.
std::vector<FieldDifference> fieldsSideBySide(const DeviceModel& expected, DeviceModel& device,
                                              bool sentRawValues, bool equalToo) {
    std::vector<FieldDifference> differences;
    const QStringList held = fieldsTheDeviceHolds(device);
    for (int i = 1; i <= expected.fields.count(); ++i) {
        const FieldRecord& want = expected.fields.at(i);
        if (want.Name.isEmpty()) continue;
        if (!expected.loadedFields.isEmpty() && !expected.loadedFields.contains(want.Name))
            continue;
        const int at = device.fields.find(want.Name);
        if (at < 0) continue;
        const FieldRecord& has = device.fields.at(at);
        if (!deviceHolds(device, held, has)) continue;
        const bool sameRaw = sentRawValues && !want.RawVal.trimmed().isEmpty() &&
                             want.RawVal.trimmed() == has.RawVal.trimmed();
        if (sameRaw && !equalToo) continue;
        // Compared in the data's unit, to the decimals the data show.
        QString deviceValue = has.Content;
        if (!want.GadUnit.isEmpty() && !has.GadUnit.isEmpty() && want.GadUnit != has.GadUnit) {
            const QString converted =
                convertUnitText(device, has.Content, has.GadUnit, want.GadUnit, has.Name);
            if (!converted.isEmpty()) deviceValue = converted;
        }
        const bool same = sameRaw || holdsSameValue(want, want.Content, deviceValue);
        if (same && !equalToo) continue;
        // Both in one notation; a value the device stores as the one the
        // data hold reads as the device has it on both sides, so that an
        // unchanged value never looks changed.
        const int decimals = sharedDecimals(want, has, deviceValue);
        const QString deviceShown = fieldNotation(want, deviceValue, decimals);
        const QString fileShown = same ? deviceShown : fieldNotation(want, want.Content, decimals);
        FieldDifference d;
        d.differs = !same;
        d.name = want.Name;
        const QString caption = fieldCaption(device, has.Name).trimmed();
        d.caption = caption.isEmpty() ? want.Name : caption;
        d.fileValue = shownValue(want, fileShown);
        d.deviceValue = shownValue(has, deviceShown);
        d.unit = unitWord(want.GadUnit.isEmpty() ? has.GadUnit : want.GadUnit);
        differences.push_back(d);
    }
    return differences;
}

}  // namespace

std::vector<FieldDifference> compareFields(const DeviceModel& expected, DeviceModel& device,
                                           bool sentRawValues) {
    return fieldsSideBySide(expected, device, sentRawValues, false);
}

std::vector<FieldDifference> fieldValues(const DeviceModel& expected, DeviceModel& device) {
    return fieldsSideBySide(expected, device, false, true);
}

namespace {

// The data set shown, as the copy `shown` holds it, in place of what a read
// left: the window is built again when the read brought another measurand.
void showAgain(DeviceCore& core, const ModelCopy& shown, int moduleState) {
    DeviceModel& m = core.model;
    const DeviceModel& data = shown.model;
    if (m.cal.Measurand != data.cal.Measurand && core.data.window.rebuildWindow)
        core.data.window.rebuildWindow(data.cal.Measurand);
    m.fields = data.fields;
    m.cal = data.cal;
    m.selection = data.selection;
    m.loadedFields = data.loadedFields;
    m.dataParts = data.dataParts;
    m.fromDevice = data.fromDevice;
    AppState& s = core.program.state;
    s.DataTrigger = shown.program.state.DataTrigger;
    s.DataChanged = shown.program.state.DataChanged;
    core.data.file.moduleState = moduleState;
}

// Loads data file `path` as the data shown; its check needs no connection.
// False with `c.failure` set when it could not be opened.
bool openWithoutConnection(DeviceCore& core, const QString& path, Comparison* c) {
    const auto testConnection = std::exchange(core.data.device.testConnection, nullptr);
    const int opened = openDataFile(core.data, QFileInfo(path).absoluteFilePath());
    core.data.device.testConnection = testConnection;
    if (opened != 1) c->failure = path + QStringLiteral(": the file could not be opened");
    return opened == 1;
}

}  // namespace

Comparison compareDeviceWithFile(DeviceCore& core, const QString& path) {
    Comparison c;
    if (!openWithoutConnection(core, path, &c)) return c;
    c.opened = true;
    // The file's data are the data shown from here on; the device is read
    // beside them and leaves them as they are.
    const ModelCopy file(core.model);
    const int moduleState = core.data.file.moduleState;
    c.result = core.read();
    const QString deviceMeasurand = core.model.cal.Measurand;
    if (c.result == kResultOk && file.model.cal.Measurand == deviceMeasurand)
        c.differences = compareFields(file.model, core.model);
    showAgain(core, file, moduleState);
    if (c.result != kResultOk) {
        c.failure =
            QStringLiteral("the device could not be read (%1)").arg(resultWithText(c.result));
        return c;
    }
    // Another measurand's fields have nothing to compare with.
    if (file.model.cal.Measurand != deviceMeasurand) {
        c.failure = QStringLiteral("the file holds %1 data, the device measures %2")
                        .arg(file.model.cal.Measurand, deviceMeasurand);
        Program& p = core.program;
        p.messages.showMessageBox(p.messages.lookupMessage(QStringLiteral("Error")),
                                  path + QStringLiteral(": ") + c.failure, mb::Ok | mb::IconError,
                                  MsgText::AsIs);
    }
    return c;
}

Comparison compareDataFiles(DeviceCore& core, const QString& before, const QString& after) {
    Comparison c;
    if (!openWithoutConnection(core, before, &c)) return c;
    const ModelCopy earlier(core.model);
    if (!openWithoutConnection(core, after, &c)) return c;
    c.opened = true;
    if (earlier.model.cal.Measurand != core.model.cal.Measurand)
        c.failure = QStringLiteral("%1 data, then %2 data")
                        .arg(earlier.model.cal.Measurand, core.model.cal.Measurand);
    else
        c.differences = compareFields(earlier.model, core.model);
    return c;
}

Comparison verifyWrite(DeviceCore& core) {
    const ModelCopy written(core.model);
    Comparison c;
    c.result = core.sequences.readBack();
    if (c.result != kResultOk)
        c.failure =
            QStringLiteral("the device could not be read back (%1)").arg(resultWithText(c.result));
    else
        c.differences = compareFields(written.model, core.model, true);
    return c;
}

QStringList differenceLines(const std::vector<FieldDifference>& d) {
    QStringList lines;
    for (const FieldDifference& f : d) {
        const QString unit = f.unit.isEmpty() ? QString() : QLatin1Char(' ') + f.unit;
        const QString caption = f.caption.isEmpty() || f.caption == f.name
                                    ? f.name
                                    : f.caption + QStringLiteral(" (") + f.name + QLatin1Char(')');
        lines << caption + QStringLiteral(": file ") + f.fileValue + unit +
                     QStringLiteral(", device ") + f.deviceValue + unit;
    }
    return lines;
}

QString differenceNames(const std::vector<FieldDifference>& d) {
    QStringList names;
    for (const FieldDifference& f : d) names << f.name;
    return names.join(QLatin1Char(' '));
}

}  // namespace zh
