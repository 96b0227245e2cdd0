#include "device_types.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/program.h"
#include "device_model.h"
#include "list_text.h"
#include "scaling.h"

namespace zh {

const char* const kSwitchAgwMap =
    "CurrentOff=AGW4;CurrentOn=AGW5;SwitchPoint=AGW6;Hysteresis=AGW7;SwitchDelay=AGW8;";
const char* const kSwitchByteMap =
    "HallSwitch=ADCByte16;CmbFlashErrorYN=ADCByte17;CmbFlashTeachYN=ADCByte18;HartDevYN=ADCByte15";
const char* const kTransmitterMap = "CalcMethod=ADCByte8;CmbManufact=ADCByte19;DevType=ADCByte20;";

namespace {

constexpr int kByteCount = 22;
constexpr int kAgwCount = 11;
constexpr int kKeyByte = 20;
constexpr int kClassByte = 16;

const QString kCatalogue = QStringLiteral("DeviceConfigurations");
const QString kDefaultCalcMethods = QStringLiteral("No linearisation=0;ADC Table=1;");

// The record of a configuration that is not in the catalogue; "~1" .. "~5"
// are filled from the current range fields and the base unit.
const QString kDefaultRecord = QStringLiteral(
    "---|~1;~2;~3;~4;~5;|00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;00;|"
    "-25000;;;;;;;;;0;25000|0;0;-25000;25000;380;2000;0;0;0; ; ; ;");

const char* const kRangeFields[] = {"LowerRangeVal", "UpperRangeVal", "NominalRangeLow",
                                    "NominalRangeHigh"};
// The transmitter's own copies of the same four values (sent with command 181/35).
const char* const kTransmitterRangeFields[] = {"TMeasRangeLow", "TMeasRangeHigh", "TNomRangeLow",
                                               "TNomRangeHigh"};

QString profileFile(DeviceModel& m) {
    return m.program.state.ProfilePath;
}

void log(DeviceModel& m, const QString& text, int level) {
    m.program.log.debugLog(text, level);
}

FieldRecord* fieldOf(DeviceModel& m, const QString& name) {
    const int i = m.fields.find(name);
    return i < 0 ? nullptr : &m.fields.at(i);
}

// An option field's value into the configuration byte or table value that
// holds it in the device.
void putOptionInPlace(DeviceModel& m, const FieldRecord& option, FieldRecord& place) {
    if (place.RawVal.trimmed() != option.RawVal.trimmed())
        log(m,
            QStringLiteral("   ") + place.Name + QLatin1Char('=') + place.RawVal +
                QStringLiteral(" takes ") + option.Name + QLatin1Char('=') + option.RawVal,
            2);
    place.RawVal = option.RawVal;
    place.Content =
        place.CheckProc == Conversion::None
            ? place.RawVal
            : applyConversion(m, place.CheckProc, place.RawVal, place.Name, ConvertTo::Content);
    place.BaseValue = place.RawVal;
}

QString contentOf(DeviceModel& m, const QString& name) {
    const FieldRecord* r = fieldOf(m, name);
    return r ? r->Content : QString();
}

void showContent(DeviceModel& m, const FieldRecord& r) {
    m.events.text(r.Name, r.Content);
}

// Hexadecimal number as the catalogue writes it ("1A", "0a", " 7 "); false
// for anything else, including an empty text.
bool parseHex(const QString& text, int* value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool ok = false;
    const int v = t.toInt(&ok, 16);
    if (ok && value) *value = v;
    return ok && v >= 0;
}

// Keys are written as upper-case hexadecimal without padding ("A", "1A").
QString keyText(int key) {
    return QString::number(key, 16).toUpper();
}

// The name under which `key` is stored in the catalogue: the canonical
// spelling when present, otherwise any key of the same numeric value
// ("0A" for 10), so that hand-edited or older entries are still found.
// Empty when the catalogue has no such key.
QString storedKeyName(DeviceModel& m, int key) {
    const QStringList names =
        m.program.ini.keyNames(m.program.profile.resolve(profileFile(m)), kCatalogue);
    const QString canonical = keyText(key);
    for (const QString& n : names)
        if (n.trimmed().compare(canonical, Qt::CaseInsensitive) == 0) return n.trimmed();
    for (const QString& n : names) {
        int v = -1;
        if (parseHex(n, &v) && v == key) return n.trimmed();
    }
    return QString();
}

// The catalogue text of `key` (0: the default record); `found` false when
// the catalogue has no such entry.
QString recordText(DeviceModel& m, int key, bool* found, QString* name) {
    if (key == 0) {
        if (found) *found = true;
        if (name) *name = QStringLiteral("0");
        return configurationRecordText(m, 0);
    }
    const QString stored = storedKeyName(m, key);
    if (name) *name = stored.isEmpty() ? keyText(key) : stored;
    if (found) *found = !stored.isEmpty();
    if (stored.isEmpty()) return QString();
    return m.program.profile.readProfile(kCatalogue, stored, QString(), profileFile(m));
}

// ";"-separated items, trimmed; the empty item after a closing ";" is no item.
QStringList splitItems(const QString& field) {
    const QString t = field.trimmed();
    if (t.isEmpty()) return {};
    QStringList items = t.split(QLatin1Char(';'));
    for (QString& s : items) s = s.trimmed();
    if (t.endsWith(QLatin1Char(';'))) items.removeLast();
    return items;
}

QStringList recordFields(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char(':'), QLatin1Char('|'));
    return t.split(QLatin1Char('|'));
}

bool isSwitchClass(int devIndx) {
    return devIndx == 1 || devIndx == 2;
}

// What a checked record will put into the field table.
struct LoadPlan {
    bool hasRange = false;
    std::array<double, 4> range{};  // lower, upper, lower nominal, upper nominal
    QString unit;                   // without brackets
    int displayCode = -1;
    int calibrationCode = -1;
    bool hasBytes = false;
    std::array<int, kByteCount> bytes{};
    QStringList agw;  // kAgwCount items, empty where the table has no value
};

bool isInt16(const QString& item) {
    bool ok = false;
    const int v = item.toInt(&ok);
    return ok && v >= -32768 && v <= 32767;
}

// Checks the AGW list in use. Catalogue records must name all eleven
// entries (a shorter list is a damaged record: loading half of it would mix
// two configurations); the built-in default record may leave entries
// blank, and missing ones stay empty.
bool checkAgw(const QStringList& items, bool lenient, QStringList* out, QString* why) {
    if (!lenient && items.size() < kAgwCount) {
        *why = QStringLiteral("AGW table has ") + QString::number(items.size()) +
               QStringLiteral(" of 11 entries");
        return false;
    }
    for (int k = 0; k < items.size(); ++k) {
        const QString& item = items.at(k);
        if (k >= kAgwCount) {
            if (!item.isEmpty()) {
                *why = QStringLiteral("AGW table has more than 11 entries");
                return false;
            }
            continue;
        }
        if (!item.isEmpty() && !isInt16(item)) {
            *why = QStringLiteral("AGW") + QString::number(k) + QStringLiteral(" '") + item +
                   QStringLiteral("' is no 16-bit number");
            return false;
        }
    }
    out->clear();
    for (int k = 0; k < kAgwCount; ++k) out->append(items.value(k));
    return true;
}

// Checks a whole record before anything is changed, so that a damaged
// record leaves the field table as it was. `why` is the log reason; an
// unknown unit is reported by its name alone.
bool checkRecord(DeviceModel& m, const QString& text, int key, int devIndx, LoadPlan* plan,
                 QString* why) {
    const QStringList fields = recordFields(text);
    const bool isDefault = key == 0;
    if (fields.size() < 5) {
        *why = QStringLiteral("missing fields");
        return false;
    }
    for (int i = 5; i < fields.size(); ++i) {
        if (!fields.at(i).trimmed().isEmpty()) {
            *why = QStringLiteral("too many fields");
            return false;
        }
    }
    const ConfigurationRecord r = ConfigurationRecord::fromText(text);

    // Configuration 0 names no stored variant: the range, its units and
    // decimal point stay as they are (the device or the user set them).
    if (!isDefault) {
        if (r.range.size() < 5 || r.range.at(4).isEmpty()) {
            *why = QStringLiteral("missing range values");
            return false;
        }
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            plan->range[i] = parseStoredNumber(r.range.at(i), &ok);
            if (!ok || !std::isfinite(plan->range[i])) {
                *why = QStringLiteral("range value '") + r.range.at(i) +
                       QStringLiteral("' is no number");
                return false;
            }
        }
        // A span of zero would make every conversion of the range divide by zero.
        if (plan->range[0] == plan->range[1] || plan->range[2] == plan->range[3]) {
            *why = QStringLiteral("empty range");
            return false;
        }
        plan->unit = bracketTextOf(r.range.at(4), QStringLiteral("["), QStringLiteral("]"));
        if (plan->unit.isEmpty()) plan->unit = r.range.at(4);
        plan->displayCode = listValueOf(m.cal.UnitsList, plan->unit);
        plan->calibrationCode = listValueOf(m.cal.CalibrationUnitsList, plan->unit);
        // The unit becomes display and calibration unit, so it must be both.
        if (plan->displayCode < 0 || plan->calibrationCode < 0) {
            *why = r.range.at(4);
            return false;
        }
        plan->hasRange = true;
    }

    if (!r.bytes.isEmpty()) {
        if (r.bytes.size() < kByteCount && !isDefault) {
            *why = QStringLiteral("only ") + QString::number(r.bytes.size()) +
                   QStringLiteral(" of 22 bytes");
            return false;
        }
        for (int n = 0; n < kByteCount; ++n) {
            const QString item = r.bytes.value(n);
            int v = 0;
            if (item.isEmpty() && isDefault) {
                v = 0;
            } else if (!parseHex(item, &v) || v > 255) {
                *why = QStringLiteral("byte ") + QString::number(n) + QStringLiteral(" '") + item +
                       QStringLiteral("' is not hexadecimal");
                return false;
            }
            plan->bytes[n] = v;
        }
        for (int n = kByteCount; n < r.bytes.size(); ++n) {
            if (!r.bytes.at(n).isEmpty()) {
                *why = QStringLiteral("more than 22 bytes");
                return false;
            }
        }
        plan->hasBytes = true;
    }

    return checkAgw(isSwitchClass(devIndx) ? r.agwSwitch : r.agw, isDefault, &plan->agw, why);
}

// Sets a value from the catalogue; a value that differs from what the field
// held is marked "changed" (it is not yet in the device).
void setLoaded(FieldRecord& r, const QString& raw, const QString& content, const QString& base) {
    if (r.RawVal != raw || r.Content != content) r.setColourState(ColourChanged);
    r.RawVal = raw;
    r.Content = content;
    r.BaseValue = base;
}

// Position of the item with value `code` in a "text=value;" list, or -1.
int positionOf(const QString& list, int code) {
    int pos = 0;
    for (const QString& item : list.split(QLatin1Char(';'))) {
        const int eq = item.indexOf(QLatin1Char('='));
        if (item.trimmed().isEmpty()) continue;
        if (eq < 0) {
            if (pos == code) return pos;
        } else {
            bool ok = false;
            if (item.mid(eq + 1).trimmed().toInt(&ok) == code && ok) return pos;
        }
        ++pos;
    }
    return -1;
}

void selectCode(DeviceModel& m, const QString& name, int code) {
    FieldRecord* r = fieldOf(m, name);
    if (!r) return;
    const QString text = QString::number(code);
    setLoaded(*r, text, text, text);
    m.events.selection(name, positionOf(r->Params, code));
}

int floatDecimals(const QString& params, int fallback) {
    const QString format = params.section(QLatin1Char(';'), 0, 0);
    const int dot = format.indexOf(QLatin1Char('.'));
    if (dot < 0) return fallback;
    bool ok = false;
    const int d = format.mid(dot + 1).toInt(&ok);
    return ok ? qBound(0, d, 3) : fallback;
}

// One range value in the calibration unit, formatted the way the field's
// own conversion writes it: whole numbers for Number fields, the implied
// decimals of the calibration unit for the range fields, the field format
// for the transmitter copies.
void setRangeValue(DeviceModel& m, const QString& name, double value, const QString& unit,
                   bool rangeField) {
    FieldRecord* r = fieldOf(m, name);
    if (!r) return;
    const int calDecimals = qBound(0, int(m.cal.CalDecP), 3);
    const int decimals = r->type() == QLatin1String("number") ? 0
                         : rangeField                         ? calDecimals
                                      : floatDecimals(r->Params, calDecimals);
    const QString content = QString::number(value, 'f', decimals);
    if (r->Content != content || r->GadUnit != unit) r->setColourState(ColourChanged);
    r->Content = content;
    r->GadUnit = unit;
    r->BaseValue = baseValueOf(m, *r);
    r->RawVal = r->CheckProc == Conversion::None
                    ? content
                    : applyConversion(m, r->CheckProc, content, name, ConvertTo::Raw);
}

void applyRange(DeviceModel& m, const LoadPlan& p) {
    const QString unit = QLatin1Char('[') + p.unit + QLatin1Char(']');
    if (p.displayCode != m.cal.DispUnitIndex || m.cal.DispUnit != unit) {
        changeUnit(m, m.cal.DispUnitIndex, p.displayCode);
        m.cal.DispUnit = unit;
        m.cal.DispUnitIndex = p.displayCode;
    }
    selectCode(m, QStringLiteral("Unit"), p.displayCode);
    selectCode(m, QStringLiteral("UnitAdm"), p.displayCode);
    selectCode(m, QStringLiteral("UnitULRV"), p.calibrationCode);
    m.cal.CalUnit = unit;
    m.cal.CalUnitIndex = p.calibrationCode;
    m.cal.CalDPlow = float(p.range[0]);
    m.cal.CalDPhi = float(p.range[1]);
    m.cal.CalNomLow = float(p.range[2]);
    m.cal.CalNomHi = float(p.range[3]);
    setCalibrationDecimals(m, -1);  // the decimal point of the new range, shown in CalDecimalPoint
    for (int i = 0; i < 4; ++i) {
        setRangeValue(m, QLatin1String(kRangeFields[i]), p.range[i], unit, true);
        setRangeValue(m, QLatin1String(kTransmitterRangeFields[i]), p.range[i], unit, false);
    }
}

void applyBytes(DeviceModel& m, const LoadPlan& p, int devType) {
    for (int n = 0; n < kByteCount; ++n) {
        const QString name = QStringLiteral("ADCByte") + QString::number(n);
        FieldRecord* r = fieldOf(m, name);
        if (!r) continue;
        // The key always names the configuration that was selected.
        const QString raw = QString::number(n == kKeyByte ? devType : p.bytes[n]);
        const Conversion proc =
            r->CheckProc == Conversion::None ? Conversion::NumToHex : r->CheckProc;
        setLoaded(*r, raw, applyConversion(m, proc, raw, name, ConvertTo::Content), raw);
        showContent(m, *r);
    }
}

void applyAgw(DeviceModel& m, const LoadPlan& p) {
    for (int k = 0; k < kAgwCount; ++k) {
        FieldRecord* r = fieldOf(m, QStringLiteral("AGW") + QString::number(k));
        if (!r) continue;
        const QString v = p.agw.value(k);
        setLoaded(*r, v, v, v);
        showContent(m, *r);
    }
}

void showMessage(DeviceModel& m, const QString& title, const QString& text,
                 const QString& section) {
    Messages& msg = m.program.messages;
    msg.showMessageBox(msg.lookupMessage(title, section), msg.lookupMessage(text, section),
                       mb::Ok | mb::IconExclamation, MsgText::AsIs);
}

// A "text=value;" combobox list with its texts translated.
QString translatedList(DeviceModel& m, const QString& list, const QString& section) {
    QString out;
    for (const QString& item : list.split(QLatin1Char(';'))) {
        if (item.trimmed().isEmpty()) continue;
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq < 0)
            out += m.program.messages.lookupMessage(item.trimmed(), section) + QLatin1Char(';');
        else
            out += m.program.messages.lookupMessage(item.left(eq).trimmed(), section) +
                   item.mid(eq) + QLatin1Char(';');
    }
    return out;
}

QStringList listTexts(const QString& list) {
    QStringList texts;
    for (const QString& item : list.split(QLatin1Char(';')))
        if (!item.trimmed().isEmpty()) texts << item.section(QLatin1Char('='), 0, 0);
    return texts;
}

bool parseNumber(const QString& text, double* v) {
    bool ok = false;
    *v = parseEnteredNumber(text, &ok);
    return ok && std::isfinite(*v);
}

}  // namespace

ConfigurationRecord ConfigurationRecord::fromText(const QString& text) {
    const QStringList f = recordFields(text);
    ConfigurationRecord r;
    r.description = f.value(0).trimmed();
    r.range = splitItems(f.value(1));
    r.bytes = splitItems(f.value(2));
    r.agw = splitItems(f.value(3));
    r.agwSwitch = splitItems(f.value(4));
    return r;
}

QString ConfigurationRecord::toText() const {
    const QLatin1Char item(';');
    return QStringList{description, range.join(item), bytes.join(item), agw.join(item),
                       agwSwitch.join(item)}
        .join(QLatin1Char('|'));
}

DeviceClass deviceClassOf(int devIndx) {
    if (devIndx == 1 || devIndx == 2) return DeviceClass::Switch;
    if (devIndx == 0 || devIndx == 4 || devIndx == 16) return DeviceClass::Transmitter;
    return DeviceClass::All;
}

QString configurationRecordText(DeviceModel& m, int key) {
    if (key != 0) {
        bool found = false;
        return recordText(m, key, &found, nullptr);
    }
    QString r = kDefaultRecord;
    r.replace(QLatin1String("~1"), contentOf(m, QStringLiteral("LowerRangeVal")));
    r.replace(QLatin1String("~2"), contentOf(m, QStringLiteral("UpperRangeVal")));
    r.replace(QLatin1String("~3"), contentOf(m, QStringLiteral("NominalRangeLow")));
    r.replace(QLatin1String("~4"), contentOf(m, QStringLiteral("NominalRangeHigh")));
    r.replace(QLatin1String("~5"),
              bracketTextOf(m.cal.actBaseUnit, QStringLiteral("["), QStringLiteral("]")));
    return r;
}

void updateDeviceTypeSelection(DeviceModel& m, int devIndx) {
    log(m,
        QStringLiteral(">>> UpdDevTypeSelection(DevIndx=") + QString::number(devIndx) +
            QLatin1Char(')'),
        5);
    Messages& msg = m.program.messages;
    const QString field = QStringLiteral("DevType");
    m.events.items(field, {});

    // The list carries decimal values: the DevType field holds byte 20 as a
    // decimal number, and its combobox selects the item of that value.
    QString list =
        msg.lookupMessage(QStringLiteral("No configuration"), QStringLiteral("Application")) +
        QStringLiteral("=0;");
    QStringList texts{list.section(QLatin1Char('='), 0, 0)};
    std::vector<int> values{0};

    const QString types = m.program.profile.readProfile(
        m.deviceSection(), QStringLiteral("DeviceTypes"), QString(), profileFile(m));
    const bool wantSwitch = isSwitchClass(devIndx);
    for (const QString& item : types.split(QLatin1Char(';'))) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString code = eq < 0 ? QString() : item.mid(eq + 1).trimmed();
        if (code.isEmpty()) break;  // the list ends with the first item without a code
        int key = 0;
        if (!parseHex(code, &key)) {
            log(m,
                QStringLiteral("\tDeviceTypes: '") + item +
                    QStringLiteral("' has no hexadecimal code"),
                1);
            continue;
        }
        QString text;
        if (key == 0) {
            text =
                msg.lookupMessage(QStringLiteral("Not initialized"), QStringLiteral("Application"));
        } else {
            bool found = false;
            const QString record = recordText(m, key, &found, nullptr);
            if (!found) continue;
            const ConfigurationRecord r = ConfigurationRecord::fromText(record);
            int cls = 0;
            if (!parseHex(r.bytes.value(kClassByte), &cls)) continue;
            if (isSwitchClass(cls) != wantSwitch) continue;
            text = r.description;
        }
        texts << text;
        values.push_back(key);
        list += text + QLatin1Char('=') + QString::number(key) + QLatin1Char(';');
    }

    m.selection.DeviceTypeList = list;
    if (FieldRecord* f = fieldOf(m, QStringLiteral("DevType"))) f->Params = list;
    m.events.items(field, texts);
    int selected = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i] == m.selection.DevType) {
            selected = int(i);
            break;
        }
    m.events.selection(field, selected);
    if (m.hooks.refreshLiveDisplay) m.hooks.refreshLiveDisplay();
}

QString toLogWord(TypeUpdate mode) {
    switch (mode) {
        case TypeUpdate::New:
            return QStringLiteral("new");
        case TypeUpdate::Keep:
            return QStringLiteral("keep");
        case TypeUpdate::File:
            return QStringLiteral("file");
        case TypeUpdate::Catalogue:
            break;
    }
    return QStringLiteral("update");
}

void updateDeviceType(DeviceModel& m, int devIndx, int devType, int calcMeth, TypeUpdate mode) {
    log(m,
        QStringLiteral(">>> UpdDevType(DevIndx=") + QString::number(devIndx) +
            QStringLiteral(" DevType=") + QString::number(devType) + QStringLiteral(" CalcMeth=") +
            QString::number(calcMeth) + QStringLiteral(", mode$=") + toLogWord(mode) +
            QLatin1Char(')'),
        5);
    m.selection.DevIndx = devIndx;
    m.selection.DevType = devType;
    m.selection.CalcMeth = calcMeth;

    updateDeviceTypeSelection(m, devIndx);
    // "Not yet known" offers everything, as a display-only module does;
    // without this every option tab would disappear.
    if (m.hooks.showOptionGroups) m.hooks.showOptionGroups(devIndx == -1 ? 3 : devIndx);

    // New keeps the defaults of a new data set; Keep and File keep values
    // that came from the device or a data file: loading the catalogue entry
    // over them would show (and later write) a range and bytes the device
    // does not have.
    if (mode == TypeUpdate::Catalogue) updateTransmitterConfig(m, devIndx, devType);

    m.selection.ConfigName =
        ConfigurationRecord::fromText(configurationRecordText(m, devType)).description;
    m.events.text(QStringLiteral("MeasElemConfigName"), m.selection.ConfigName);

    switch (deviceClassOf(devIndx)) {
        case DeviceClass::Switch:
            syncTransmitterConfigFields(m, QLatin1String(kSwitchAgwMap), mode);
            syncTransmitterConfigFields(m, QLatin1String(kSwitchByteMap), mode);
            break;
        case DeviceClass::Transmitter: {
            syncTransmitterConfigFields(m, QLatin1String(kTransmitterMap), mode);
            const int method = contentOf(m, QStringLiteral("CalcMethod")).trimmed().toInt();
            updateCalcMethod(m, method);
            // A data file brings its own adjustment table.
            if (method == 1 && mode != TypeUpdate::File)
                clearAdcTable(m, AdcTable::Transmitter, AdcShown::NoUpdate);
            break;
        }
        case DeviceClass::All:
            break;
    }
}

bool updateTransmitterConfig(DeviceModel& m, int devIndx, int devType) {
    log(m,
        QStringLiteral(">>> UpdTransmitConfig(DevIndx=") + QString::number(devIndx) +
            QStringLiteral(" DevType=") + QString::number(devType) + QLatin1Char(')'),
        5);
    bool found = false;
    QString key;
    const QString text = recordText(m, devType, &found, &key);
    const QString where = QStringLiteral("\t[DeviceConfigurations] ") + key + QLatin1Char('=') +
                          text + QStringLiteral(": ");
    if (!found) {
        log(m, where + QStringLiteral("no such configuration"), 1);
        return false;
    }
    LoadPlan plan;
    QString why;
    if (!checkRecord(m, text, devType, devIndx, &plan, &why)) {
        log(m, where + why, 1);
        return false;
    }

    if (plan.hasRange) applyRange(m, plan);
    if (m.hooks.syncRangeFields) m.hooks.syncRangeFields(QStringLiteral("noupdate"));
    if (plan.hasBytes) applyBytes(m, plan, devType);
    applyAgw(m, plan);
    return true;
}

void syncTransmitterConfigFields(DeviceModel& m, const QString& map, TypeUpdate mode) {
    log(m,
        QStringLiteral(">>> SyncTransmConfigGadgets(gadlist$=") + map + QStringLiteral(", mode$=") +
            toLogWord(mode),
        5);
    Messages& msg = m.program.messages;
    for (const QString& item : map.split(QLatin1Char(';'))) {
        if (item.trimmed().isEmpty()) continue;
        const QString dest = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString src = item.section(QLatin1Char('='), 1).trimmed();
        // Looked up without creating records, so a wrong name is reported
        // instead of being copied into a new empty field.
        const int d = dest.isEmpty() ? -1 : m.fields.find(dest);
        const int s = src.isEmpty() ? -1 : m.fields.find(src);
        if (d < 0 || s < 0) {
            const QString section = QStringLiteral("SerialIO");
            msg.showMessageBox(
                msg.lookupMessage(QStringLiteral("SyncGadgets"), section),
                msg.lookupMessage(QStringLiteral("Invalid Src/Dest: {src}/{dest}\t") + src +
                                      QLatin1Char('\t') + dest,
                                  section),
                mb::Ok | mb::IconExclamation, MsgText::AsIs);
            continue;
        }
        // An option a data file holds leads: the file may have been edited
        // there rather than in the raw byte. The configuration key is left
        // as the file has it both ways; a write refuses another key.
        if (mode == TypeUpdate::File && m.loadedFields.contains(dest)) {
            if (src != QLatin1String("ADCByte20"))
                putOptionInPlace(m, m.fields.at(d), m.fields.at(s));
            continue;
        }
        const FieldRecord& from = m.fields.at(s);
        FieldRecord& to = m.fields.at(d);
        to.RawVal = from.RawVal;
        to.ColorIndx = from.ColorIndx;
        to.GadStatus = from.GadStatus;
        const QString type = to.type();
        if (type == QLatin1String("combobox")) {
            to.Content = to.RawVal;
            to.BaseValue = to.RawVal;
        } else if (type == QLatin1String("hexadecimal")) {
            to.Content =
                applyConversion(m, Conversion::NumToHex, to.RawVal, to.Name, ConvertTo::Content);
            to.BaseValue = to.RawVal;
        } else {
            QString content =
                to.CheckProc == Conversion::None
                    ? to.RawVal
                    : applyConversion(m, to.CheckProc, to.RawVal, to.Name, ConvertTo::Content);
            const int bracket = content.indexOf(QLatin1Char('['));
            if (bracket >= 0) {
                to.GadUnit = content.mid(bracket);
                content = content.left(bracket);
            }
            to.Content = content;
            to.BaseValue = baseValueOf(m, to);
        }
    }
    if (mode == TypeUpdate::Catalogue && m.hooks.refreshAllControls) m.hooks.refreshAllControls();
}

QString optionMapOf(int devIndx) {
    switch (deviceClassOf(devIndx)) {
        case DeviceClass::Switch:
            return QLatin1String(kSwitchAgwMap) + QLatin1String(kSwitchByteMap);
        case DeviceClass::Transmitter:
            return QLatin1String(kTransmitterMap);
        case DeviceClass::All:
            break;
    }
    return QString();
}

void optionsIntoConfiguration(DeviceModel& m) {
    for (const QString& item : optionMapOf(m.selection.DevIndx).split(QLatin1Char(';'))) {
        FieldRecord* option = fieldOf(m, item.section(QLatin1Char('='), 0, 0).trimmed());
        FieldRecord* place = fieldOf(m, item.section(QLatin1Char('='), 1).trimmed());
        if (!option || !place || option->ColorIndx != ColourChanged) continue;
        putOptionInPlace(m, *option, *place);
        place->setColourState(ColourChanged);
    }
}

void updateCalcMethod(DeviceModel& m, int calcMeth) {
    log(m,
        QStringLiteral(">>> UpdCalcMethod(calmeth=") + QString::number(calcMeth) + QLatin1Char(')'),
        5);
    const QString stored =
        m.program.profile.readProfile(m.deviceSection(), QStringLiteral("CalculationMethods"),
                                      kDefaultCalcMethods, profileFile(m));
    const QString list = translatedList(m, stored, QStringLiteral("Application"));
    if (FieldRecord* f = fieldOf(m, QStringLiteral("CalcMethod"))) f->Params = list;
    const QString field = QStringLiteral("CalcMethod");
    m.events.items(field, listTexts(list));
    m.events.selection(field, positionOf(list, calcMeth));
    if (m.hooks.showCalcMethodGroups) m.hooks.showCalcMethodGroups(calcMeth);
}

namespace {

const QString kStoreErrorTitle = QStringLiteral("Error");
const QString kStoreSection = QStringLiteral("Application");
// A value that is no number would be stored as a record that never loads again.
const QString kInvalidStoredValue =
    QStringLiteral("Invalid value {value} of {field}, configuration not stored!\t");

void refuseStore(DeviceModel& m, const QString& text) {
    showMessage(m, kStoreErrorTitle, text, kStoreSection);
}

// The catalogue key (ADCByte20, 1..255) of a configuration to store; 0
// (after saying why) when it or the description is unfit. The description
// is stored between "|" separators (where ":" counts as one too) and in the
// "name=code;" list, so none of these may occur in it.
int storeKey(DeviceModel& m, const QString& desc) {
    bool keyOk = false;
    const FieldRecord* keyField = fieldOf(m, QStringLiteral("ADCByte20"));
    const int key = keyField ? keyField->RawVal.trimmed().toInt(&keyOk) : 0;
    static const QString kReserved = QStringLiteral("|:;=");
    const bool descOk = !desc.isEmpty() && std::none_of(desc.begin(), desc.end(), [](QChar c) {
        return kReserved.contains(c);
    });
    if (keyOk && key > 0 && key <= 255 && descOk) return key;
    refuseStore(m, QStringLiteral("Key (Byte 20) And/or description invalid!"));
    return 0;
}

// Measuring and nominal range in one unit, that of the measuring range,
// with the unit last; false (after saying why) when a value is no number.
bool storedRange(DeviceModel& m, QStringList* range) {
    const FieldRecord* first = fieldOf(m, QLatin1String(kTransmitterRangeFields[0]));
    QString unit = first ? first->GadUnit : QString();
    if (unit.isEmpty()) unit = m.cal.actBaseUnit;
    for (const char* name : kTransmitterRangeFields) {
        const FieldRecord* r = fieldOf(m, QLatin1String(name));
        QString v = r ? r->Content.trimmed() : QString();
        if (r && !r->GadUnit.isEmpty() && r->GadUnit != unit)
            v = convertUnitText(m, v, r->GadUnit, unit, r->Name);
        double d = 0;
        if (!parseNumber(v, &d)) {
            refuseStore(m, kInvalidStoredValue + v + QLatin1Char('\t') + QLatin1String(name));
            return false;
        }
        *range << v;
    }
    *range << bracketTextOf(unit, QStringLiteral("["), QStringLiteral("]"));
    return true;
}

// The converter bytes as two hex digits each; false (after saying why)
// when one is no byte.
bool storedBytes(DeviceModel& m, QStringList* bytes) {
    for (int n = 0; n < kByteCount; ++n) {
        const FieldRecord* r = fieldOf(m, QStringLiteral("ADCByte") + QString::number(n));
        bool ok = false;
        const int v = r ? r->RawVal.trimmed().toInt(&ok) : 0;
        if (r && (!ok || v < 0 || v > 255)) {
            refuseStore(m, kInvalidStoredValue + r->RawVal + QLatin1Char('\t') + r->Name);
            return false;
        }
        *bytes << QStringLiteral("%1").arg(ok ? v : 0, 2, 16, QLatin1Char('0')).toUpper();
    }
    return true;
}

QStringList storedAgw(DeviceModel& m) {
    QStringList agw;
    for (int k = 0; k < kAgwCount; ++k) {
        const FieldRecord* r = fieldOf(m, QStringLiteral("AGW") + QString::number(k));
        agw << (r ? r->RawVal.trimmed() : QString());
    }
    return agw;
}

// The "name=code;" list with `desc` under `keyName`: an entry of the same
// key is replaced in place, else the new one is added at the end.
QString typesWith(const QString& types, const QString& desc, int key, const QString& keyName) {
    QStringList items;
    bool replaced = false;
    for (const QString& item : types.split(QLatin1Char(';'))) {
        if (item.trimmed().isEmpty()) continue;
        int code = -1;
        if (parseHex(item.section(QLatin1Char('='), 1), &code) && code == key) {
            if (!replaced) items << desc + QLatin1Char('=') + keyName;
            replaced = true;
            continue;
        }
        items << item;
    }
    if (!replaced) items << desc + QLatin1Char('=') + keyName;
    return items.join(QLatin1Char(';')) + QLatin1Char(';');
}

// "0 ... 16 bar": the measuring range of a record.
QString rangeText(const ConfigurationRecord& r) {
    return r.range.value(0) + QStringLiteral(" ... ") + r.range.value(1) + QLatin1Char(' ') +
           r.range.value(4);
}

// The person decides before the catalogue changes, knowing which entry
// (`stored`, "" for a new key) the configuration goes to and, for one in
// the catalogue, the range it held.
bool confirmStore(DeviceModel& m, const QString& stored, int key, const ConfigurationRecord& r) {
    Messages& msg = m.program.messages;
    QString question = QStringLiteral("Store the configuration as {key} ({description})?\t") +
                       keyText(key) + QLatin1Char('\t') + r.description;
    if (!stored.isEmpty()) {
        const ConfigurationRecord old = ConfigurationRecord::fromText(
            m.program.profile.readProfile(kCatalogue, stored, QString(), profileFile(m)));
        question = QStringLiteral(
                       "Replace the stored configuration {key} ({stored}) by ({description})?"
                       "<br>Stored range: {storedRange}<br>New range: {newRange}\t") +
                   stored + QLatin1Char('\t') + old.description + QLatin1Char('\t') +
                   r.description + QLatin1Char('\t') + rangeText(old) + QLatin1Char('\t') +
                   rangeText(r);
    }
    return msg.showMessageBox(msg.lookupMessage(QStringLiteral("Store Config"), kStoreSection),
                              msg.lookupMessage(question, kStoreSection),
                              mb::YesNo | mb::IconQuestion, MsgText::AsIs) == QLatin1String("yes");
}

}  // namespace

bool storeConfiguration(DeviceModel& m, const QString& description) {
    const QString desc = description.trimmed();
    log(m, QStringLiteral(">>> StoreConfiguration(") + desc + QLatin1Char(')'), 5);
    const int key = storeKey(m, desc);
    if (key == 0) return false;
    const QString measurand = m.deviceSection();
    if (measurand.isEmpty()) {
        log(m, QStringLiteral("\tStoreConfiguration: no measurand selected"), 1);
        return false;
    }

    // Both lists are written back whole; one that was cut when read would
    // lose its tail for good.
    const QString file = profileFile(m);
    bool typesCut = false, methodsCut = false;
    const QString types = m.program.profile.readProfile(measurand, QStringLiteral("DeviceTypes"),
                                                        QString(), file, &typesCut);
    const QString methods = m.program.profile.readProfile(
        measurand, QStringLiteral("CalculationMethods"), kDefaultCalcMethods, file, &methodsCut);
    if (typesCut || methodsCut) {
        const QString keyName =
            typesCut ? QStringLiteral("DeviceTypes") : QStringLiteral("CalculationMethods");
        refuseStore(m,
                    QStringLiteral(
                        "The list {key} of [{section}] is too long, configuration not stored!\t") +
                        keyName + QLatin1Char('\t') + measurand);
        return false;
    }

    ConfigurationRecord record;
    record.description = desc;
    if (!storedRange(m, &record.range) || !storedBytes(m, &record.bytes)) return false;
    record.agw = storedAgw(m);
    // A switch's table has the same points, its first two entries unused.
    record.agwSwitch = QStringList{QStringLiteral("0"), QStringLiteral("0")} + record.agw.mid(2);

    // An entry stored under another spelling of the same number ("0A") is
    // replaced in place rather than shadowed by a second one.
    QString keyName = storedKeyName(m, key);
    if (!confirmStore(m, keyName, key, record)) return false;
    if (keyName.isEmpty()) keyName = keyText(key);

    bool ok = m.program.profile.writeData(kCatalogue, keyName, record.toText(), file);
    ok = m.program.profile.writeData(measurand, QStringLiteral("CalculationMethods"), methods,
                                     file) &&
         ok;
    ok = m.program.profile.writeData(measurand, QStringLiteral("DeviceTypes"),
                                     typesWith(types, desc, key, keyName), file) &&
         ok;
    return ok;
}

bool fillAdcTable(DeviceModel& m) {
    log(m, QStringLiteral(">>> FillADC()"), 5);
    struct Point {
        FieldRecord* mwField = nullptr;
        FieldRecord* adcField = nullptr;
        bool hasMw = false, hasAdc = false;
        double mw = 0, adc = 0;
    };
    std::array<Point, kAgwCount> pts;
    int first = -1, last = -1;  // the first and the last row holding both values
    for (int i = 0; i < kAgwCount; ++i) {
        Point& p = pts[i];
        p.mwField = fieldOf(m, QStringLiteral("MW") + QString::number(i));
        p.adcField = fieldOf(m, QStringLiteral("ADC") + QString::number(i));
        p.hasMw = p.mwField && parseNumber(p.mwField->Content, &p.mw);
        p.hasAdc = p.adcField && parseNumber(p.adcField->Content, &p.adc);
        if (!p.hasMw || !p.hasAdc) continue;
        if (first < 0) first = i;
        last = i;
    }

    // The rows run from 0 % to 100 %: a point of the table lies beyond the
    // one before it in both values, the way the table's two ends go, and
    // short of the end. A row that does not (a value left from before, the
    // same value again) is no point: it is filled like an empty one.
    const auto sign = [](double v) { return v > 0 ? 1 : v < 0 ? -1 : 0; };
    const int mwWay = first < 0 ? 0 : sign(pts[last].mw - pts[first].mw);
    const int adcWay = first < 0 ? 0 : sign(pts[last].adc - pts[first].adc);
    const auto between = [&](double v, double from, double to, int way) {
        return (v - from) * way > 0 && (to - v) * way > 0;
    };
    std::array<bool, kAgwCount> known{};
    int count = 0;
    if (mwWay != 0 && adcWay != 0) {
        known[first] = known[last] = true;
        count = 2;
        for (int i = first + 1, previous = first; i < last; ++i) {
            const Point& p = pts[i];
            if (!p.hasMw || !p.hasAdc || !between(p.mw, pts[previous].mw, pts[last].mw, mwWay) ||
                !between(p.adc, pts[previous].adc, pts[last].adc, adcWay))
                continue;
            known[i] = true;
            ++count;
            previous = i;
        }
    }
    if (count < 2) {
        Messages& msg = m.program.messages;
        msg.showMessageBox(m.program.state.WindowTitle,
                           msg.lookupMessage(QStringLiteral("No second interpolation point!"),
                                             QStringLiteral("Application")),
                           mb::Ok | mb::IconExclamation, MsgText::AsIs);
        return false;
    }

    const auto fill = [&](FieldRecord* field, const QString& text) {
        if (!field) return;
        field->Content = text;
        field->RawVal = text;
        field->BaseValue = text;
        field->setColourState(ColourChanged);
        showContent(m, *field);
    };
    for (int a = first; a < last;) {
        int b = a + 1;
        while (!known[b]) ++b;
        for (int i = a + 1; i < b; ++i) {
            Point& p = pts[i];
            // A value the person set between its neighbours stays; any other
            // takes the row's share of the way between the known points.
            if (!p.hasMw || !between(p.mw, pts[i - 1].mw, pts[b].mw, mwWay)) {
                p.mw = pts[a].mw + (pts[b].mw - pts[a].mw) * (i - a) / (b - a);
                p.hasMw = true;
                fill(p.mwField, QString::number(p.mw, 'f', 3));
            }
            double x1 = pts[a].mw, y1 = pts[a].adc, x2 = pts[b].mw, y2 = pts[b].adc;
            // A falling table is the same line taken the other way round.
            if (x1 > x2) {
                std::swap(x1, x2);
                std::swap(y1, y2);
            }
            const float v = yggx(m, float(p.mw), float(x1), float(x2), float(y1), float(y2),
                                 QStringLiteral("FillADC"), 0.5f);
            // ADC counts are whole numbers.
            p.adc = double(std::lround(v));
            p.hasAdc = true;
            fill(p.adcField, QString::number(std::lround(v)));
        }
        a = b;
    }

    m.cal.LinAdc.clear();
    m.cal.LinMw.clear();
    for (int i = first; i <= last; ++i) {
        m.cal.LinAdc.push_back(float(pts[i].adc));
        m.cal.LinMw.push_back(float(pts[i].mw));
    }
    return true;
}

void clearAdcTable(DeviceModel& m, AdcTable source, AdcShown shown) {
    const char* const tableWord = source == AdcTable::Default       ? "default"
                                  : source == AdcTable::Transmitter ? "transmitter"
                                                                    : "config";
    log(m,
        QStringLiteral(">>> ClearADC(mode$=") + QLatin1String(tableWord) +
            QStringLiteral(", option$=") +
            (shown == AdcShown::NoUpdate ? QStringLiteral("noupdate") : QString()) +
            QLatin1Char(')'),
        5);
    const int key = source == AdcTable::Default ? 0 : m.selection.DevType;
    bool found = false;
    QString keyName;
    QString text = recordText(m, key, &found, &keyName);
    if (!found) {
        log(m,
            QStringLiteral("\t[DeviceConfigurations] ") + keyName +
                QStringLiteral(": no such configuration, default table used"),
            1);
        text = configurationRecordText(m, 0);
    }
    QStringList table;
    QString why;
    if (!checkAgw(ConfigurationRecord::fromText(text).agw, key == 0 || !found, &table, &why)) {
        log(m,
            QStringLiteral("\t[DeviceConfigurations] ") + keyName + QLatin1Char('=') + text +
                QStringLiteral(": ") + why,
            1);
        return;
    }
    for (int i = 0; i < kAgwCount; ++i) {
        FieldRecord* r = fieldOf(m, QStringLiteral("ADC") + QString::number(i));
        if (!r) continue;
        r->Content = table.value(i);
        r->RawVal = r->Content;
        r->BaseValue = r->Content;
        r->setColourState(ColourDefault);
        if (shown == AdcShown::Controls) showContent(m, *r);
    }
}

void clearAdjustmentTable(DeviceModel& m) {
    clearAdcTable(m, AdcTable::Config, AdcShown::Controls);
    // The stored table gives the counts at each tenth of the nominal range:
    // that is where its rows stand.
    double low = 0, high = 0;
    if (!parseNumber(contentOf(m, QStringLiteral("NominalRangeLow")), &low) ||
        !parseNumber(contentOf(m, QStringLiteral("NominalRangeHigh")), &high)) {
        log(m, QStringLiteral("\tClearAdjustmentTable: no nominal range, values kept"), 1);
        return;
    }
    for (int i = 0; i < kAgwCount; ++i) {
        FieldRecord* r = fieldOf(m, QStringLiteral("MW") + QString::number(i));
        if (!r) continue;
        r->Content = QString::number(low + (high - low) * i / 10.0, 'f', 3);
        r->RawVal = r->Content;
        r->BaseValue = r->Content;
        r->setColourState(ColourDefault);
        showContent(m, *r);
    }
}

}  // namespace zh
