#include "read_write_sequences.h"

#include <cmath>
#include <utility>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "hart/hart_session.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_definitions.h"
#include "model/field_twins.h"
#include "model/list_text.h"
#include "model/profile_units.h"
#include "model/scaling.h"

namespace zh {

namespace {

const char* const kReadTitle = "Read Data";
const char* const kDefaultHartUnits = "PSI=6;bar=7;mbar=8;kPa=13;mpa=237;%=57;";

}  // namespace

// The transmitter fields of the record, segment by segment.
QStringList segment1Fields() {
    QStringList f;
    for (int i = 0; i < 22; ++i) f << QStringLiteral("ADCByte%1").arg(i);
    f << QStringLiteral("TMeasRangeHigh") << QStringLiteral("TMeasRangeLow");
    return f;
}
QStringList segment2Fields() {
    QStringList f{QStringLiteral("TNomRangeHigh"), QStringLiteral("TNomRangeLow")};
    for (int i = 0; i < 11; ++i) f << QStringLiteral("AGW%1").arg(i);
    f << QStringLiteral("CmbSelCmd");
    return f;
}

namespace {
const QStringList kSwitchFields1{"OutputFunction1", "SetPoint1", "FrameHi1", "ResetPoint1",
                                 "FrameLow1"};
const QStringList kSwitchFields2{"OutputFunction2", "SetPoint2", "FrameHi2", "ResetPoint2",
                                 "FrameLow2"};

QString numberText(const QString& raw, int decimals) {
    bool ok = false;
    const double v = parseStoredNumber(raw, &ok);
    if (!ok) return raw;
    return decimals < 0 ? trimTrailingZeros(QString::number(v, 'f', 4))
                        : QString::number(v, 'f', decimals);
}

}  // namespace

DeviceSequences::DeviceSequences(DeviceModel& model, HartSession& session, LinkLibrary& link)
    : m_(model),
      session_(session),
      values_(model),
      universal_(model.program, session, values_),
      adc_(model.program, session, values_),
      blocks_(model.program, values_, session),
      actions_(model.program, session, session, blocks_, values_, link) {
    actions_.readDevice = [this] { return readDevice(Presence::All) == 0 ? 1 : 0; };
}

// The sequences' texts are those of the serial interface; one missing in
// the language file is added there, as every looked-up text is.
QString DeviceSequences::tr(const QString& text) {
    return m_.program.messages.lookupMessage(text, QStringLiteral("SerialIO"));
}

QString DeviceSequences::raw(const QString& field) {
    return values_.rawValue(field);
}

void DeviceSequences::setRaw(const QString& field, const QString& value) {
    const int i = m_.fields.find(field);
    if (i < 0) return;
    m_.fields.at(i).RawVal = value;
    values_.noteStored(field);
}

bool DeviceSequences::open(const QString& title) {
    title_ = title;
    stepNo_ = 0;
    AppState& s = m_.program.state;
    // The read a write runs first, in the connection it opened.
    inWrite_ = openedHere_ && s.ConnectionState != 0;
    openedHere_ = false;
    // A connection a write left open for its read-back is the next
    // sequence's to close.
    const bool kept = std::exchange(linkKept_, false);
    if (s.ConnectionState == 0) {
        if (session_.connectDevice() != 1) return false;
        s.ConnectionState = 1;
        openedHere_ = true;
    } else {
        m_.program.dialogs.progressOpen(title);
    }
    // A sequence takes again what its own connection already asked (the
    // identity, detection's reads); on a link found open, the device may
    // have changed since, so only its own answers count, and its status.
    if (!openedHere_ && !inWrite_) {
        session_.answers().clear();
        session_.forgetDeviceStatus();
    }
    session_.answers().setServing(true);
    m_.program.dialogs.progressSetTitle(title);
    openedHere_ = openedHere_ || kept;
    return true;
}

// The port stays open when the sequence found it open (live display,
// a command session); only a port this sequence opened is closed. The
// link flag stays set after a good sequence: the next one reconnects
// without detecting the devices again, and the window offers Write and
// Connect through it. A failure clears it.
void DeviceSequences::close(bool failed) {
    // The write goes on in the same connection with what it knows.
    if (!std::exchange(inWrite_, false)) {
        session_.answers().setServing(false);
        session_.answers().clear();
    }
    m_.program.dialogs.progressClose();
    if (openedHere_) {
        session_.disconnectDevice();
        m_.program.state.ConnectionState = 0;
    }
    if (failed) session_.LinkOpen = 0;
    openedHere_ = false;
    if (m_.program.messages.silent()) m_.program.messages.showCollected(QString(), 0);
}

QString DeviceSequences::measurandOfKey(int key, QString* baseUnit) {
    Program& p = m_.program;
    for (const MeasurandSettings& ms : p.state.MeasurandList) {
        const QString types = p.profile.readProfile(ms.Name, QStringLiteral("DeviceTypes"),
                                                    QString(), p.state.ProfilePath);
        for (const QString& item : types.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const int eq = item.lastIndexOf(QLatin1Char('='));
            if (eq < 0) continue;
            bool ok = false;
            const int code = item.mid(eq + 1).trimmed().toInt(&ok, 16);
            if (ok && code == key) {
                *baseUnit = ms.BaseUnit;
                return ms.Name;
            }
        }
    }
    return QString();
}

// The measurand's HART unit codes ("name=code;...").
QString DeviceSequences::hartUnits() {
    Program& p = m_.program;
    return p.profile.readProfile(m_.cal.Measurand, QStringLiteral("HartUnits"),
                                 QLatin1String(kDefaultHartUnits), p.state.ProfilePath);
}

bool DeviceSequences::configurationKnown(int key) {
    if (key <= 0) return false;
    const ConfigurationRecord r = ConfigurationRecord::fromText(configurationRecordText(m_, key));
    return r.bytes.size() >= 22;
}

QStringList DeviceSequences::transmitterSegments(const QString& record) {
    const int cut = record.indexOf(QLatin1Char('\\'));
    QStringList s = (cut < 0 ? QString() : record.mid(cut + 1)).split(QLatin1Char('|'));
    while (s.size() < 3) s << QString();
    return s;
}

QString DeviceSequences::transmitterRecord(int unitCode) {
    QString r;
    for (const QString& f : kSwitchFields1) r += raw(f) + QLatin1Char(';');
    r.chop(1);
    r += QLatin1Char('|');
    for (const QString& f : kSwitchFields2) r += raw(f) + QLatin1Char(';');
    r.chop(1);
    r += QLatin1Char('\\');
    for (const QString& f : segment1Fields()) r += raw(f) + QLatin1Char(';');
    r.chop(1);
    r += QLatin1Char('|');
    for (const QString& f : segment2Fields()) r += raw(f) + QLatin1Char(';');
    r += QLatin1Char('|');
    // Segment 3: the output settings of command 15 (range, unit code, damping).
    const QByteArray r15 = universal_.buffers(15).response;
    QString code = unitCode >= 0 ? QString::number(unitCode) : QString();
    if (unitCode < 0 && r15.size() > 2) code = QString::number(static_cast<std::uint8_t>(r15[2]));
    r += numberText(raw(QStringLiteral("TMeasRangeHigh")), -1) + QLatin1Char(';') +
         numberText(raw(QStringLiteral("TMeasRangeLow")), -1) + QLatin1Char(';') + code +
         QLatin1Char(';') + numberText(raw(QStringLiteral("Damping")), 1) + QLatin1Char(';');
    return r;
}

QString DeviceSequences::blockSnapshot(int block) {
    QStringList parts;
    for (const QString& f : snapshotFields(block)) parts << raw(f);
    return parts.join(QLatin1Char(';'));
}

DeviceSequences::SavedTable DeviceSequences::saveTable() const {
    SavedTable s;
    s.dataTrigger = m_.program.state.DataTrigger;
    s.dataChanged = m_.program.state.DataChanged;
    s.measurand = m_.cal.Measurand;
    s.baseUnit = m_.cal.actBaseUnit;
    s.values = FieldSnapshot::take(m_.fields);
    s.dataParts = m_.dataParts;
    return s;
}

void DeviceSequences::restoreTable(const SavedTable& s) {
    if (m_.cal.Measurand != s.measurand || m_.cal.actBaseUnit != s.baseUnit) {
        m_.cal.Measurand = s.measurand;
        if (hooks.switchMeasurand) hooks.switchMeasurand(s.measurand);
        defineDataStructure(m_, s.baseUnit, m_.cal.IntSerIO, -11);
    }
    s.values.restore(m_.fields);
    m_.program.state.DataTrigger = s.dataTrigger;
    m_.program.state.DataChanged = s.dataChanged;
    m_.dataParts = s.dataParts;
    checkDeviceOfData();
}

void DeviceSequences::checkDeviceOfData() {
    const DeviceIdentity& answering = session_.identity();
    if (!m_.fromDevice || !answering.valid || !dataDevice_.valid ||
        sameDevice(answering, dataDevice_))
        return;
    m_.program.log.debugLog(QStringLiteral("   The data shown were read from ") +
                                identityText(dataDevice_) + QStringLiteral(", not from ") +
                                identityText(answering),
                            1);
    m_.fromDevice = false;
    dataDevice_ = DeviceIdentity{};
    for (int i = 1; i <= m_.fields.count(); ++i) {
        FieldRecord& f = m_.fields.at(i);
        if (f.ColorIndx == ColourRead || f.ColorIndx == ColourUpdated)
            f.setColourState(ColourDefault);
    }
    forgetLiveValues();  // they were the other device's
    moduleState = 0;
    if (hooks.setModuleState) hooks.setModuleState(0);
    if (hooks.refreshGadgets) hooks.refreshGadgets();
}

// ---------------------------------------------------------------- reading

int DeviceSequences::readDevice(Presence asked) {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral(">> HartRead(mode.s=") + toLogWord(asked, WriteScope::All) +
                       QLatin1Char(')'),
                   4);
    if (refusedForProfile()) return kResultNoProfileUnits;
    const SavedTable saved = saveTable();
    if (!open(tr(QLatin1String(kReadTitle)))) {
        restoreTable(saved);
        return kResultNotConnected;
    }
    Presence part = partsPresent(asked);
    if (part == Presence::Unknown) {
        missingPart_ = asked;
        return failRead(kResultPartMissing, saved);
    }
    Presence connected = parsePresence(p.state.TransmDisplay.toLower());
    if (part == Presence::Display) {
        // A module on a transmitter keeps its range and switch points as
        // converter counts over the transmitter's nominal range: they are
        // values only with the transmitter's scaling, so both parts are
        // read, as a read of the whole device reads them.
        bool onTransmitter = false;
        const int r = moduleOnTransmitter(&onTransmitter);
        if (r != 0) return failRead(r, saved);
        if (onTransmitter) {
            p.log.debugLog(QStringLiteral("   The display module is fed by the transmitter: "
                                          "reading both"),
                           1);
            part = connected = Presence::All;
        }
    }
    notRead_.clear();
    displayRead_ = false;
    bool transmitterRead = false;
    if (part == Presence::Transmitter || part == Presence::All) {
        values_.forgetStored();
        const int r = readTransmitter(connected);
        if (r > 0) return failRead(r, saved);
        transmitterRead = r == 0;
        if (transmitterRead && part == Presence::Transmitter)
            keepUnreadDisplayValues(saved, connected);
    }
    if (part == Presence::Display || part == Presence::All) {
        const int r = readDisplay(transmitterRead);
        if (r != 0) return failRead(r, saved);
        displayRead_ = true;
    }
    m_.dataParts = !displayRead_ ? Presence::Transmitter
                                 : (transmitterRead ? Presence::All : Presence::Display);
    completeRead();
    return 0;
}

// The parts a sequence asked for (All, Transmitter, Display) that the
// connected device has: under All whatever was detected, otherwise the
// part asked for when it is there; Unknown when it is not.
Presence DeviceSequences::partsPresent(Presence asked) const {
    const QString found = m_.program.state.TransmDisplay.toLower();
    if (found.isEmpty()) return asked;
    const Presence detected = parsePresence(found);
    if (asked == Presence::All) return detected;
    return detected == Presence::All || detected == asked ? asked : Presence::Unknown;
}

// Nothing is read or written with a profile that cannot give the units.
bool DeviceSequences::refusedForProfile() {
    const QString why = missingProfileUnits(m_.program);
    if (why.isEmpty()) return false;
    m_.program.log.debugLog(QStringLiteral("   ") + why, 1);
    m_.program.messages.showMessageBox(
        tr(QStringLiteral("Error")),
        why + QStringLiteral(": ") + tr(QStringLiteral("nothing was read or written")),
        mb::Ok | mb::IconError, MsgText::AsIs);
    return true;
}

QString DeviceSequences::missingPartText() {
    return tr(QLatin1String(missingPartMessage(missingPart_)));
}

// The transmitter alone was read. The display module's fields it gave no
// value keep those of the data shown before when the device has a module,
// or when they were read from this very device (they are still its
// values); none of them shows as just read.
void DeviceSequences::keepUnreadDisplayValues(const SavedTable& saved, Presence connected) {
    const bool readHere = m_.fromDevice && sameDevice(dataDevice_, session_.identity());
    if (saved.dataTrigger >= 0 && saved.measurand == m_.cal.Measurand &&
        (connected == Presence::All || readHere))
        saved.values.restoreUntouched(m_.fields, defined_);
    forgetLiveValues();  // the module's read-out was not read
    for (const BlockLayout& layout : blockLayouts()) {
        for (const QString& name : blockFields(layout.number)) {
            const int i = m_.fields.find(name);
            if (i >= 0 && !values_.stored(name)) notRead_.insert(name, m_.fields.at(i).RawVal);
        }
    }
}

// The live values (the module's read-out, the converter value) show their
// defaults until the device is asked again.
void DeviceSequences::forgetLiveValues() {
    for (int i = 1; i <= m_.fields.count(); ++i) {
        FieldRecord& f = m_.fields.at(i);
        if (f.is(FlagCurrent)) f.RawVal = f.Content = f.Default;
    }
}

// 0 read, -1 skipped (no transmitter in `config`, the parts the
// connection found), else the failure.
int DeviceSequences::readTransmitter(Presence config) {
    Program& p = m_.program;
    ProgressSteps& ps = session_.progress();
    const int tries = p.state.RequestTries;
    if (ps.showStep(title_, QStringLiteral("C1410"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    int r = adc_.Com1410(tries);
    if (r != 0) return r;

    const int byte16 = raw(QStringLiteral("ADCByte16")).toInt();
    QString label;
    int devIndx = 4;
    if (config == Presence::All) {
        devIndx = byte16;
        label = QStringLiteral("Transmitter + Display");
    } else if (config == Presence::Transmitter) {
        devIndx = (byte16 == 1 || byte16 == 2) ? byte16 : 4;
        label =
            (byte16 == 1 || byte16 == 2) ? QStringLiteral("Switch") : QStringLiteral("Transmitter");
    }
    if (label.isEmpty()) return -1;
    const int key = raw(QStringLiteral("ADCByte20")).toInt();
    const int calcMeth = raw(QStringLiteral("ADCByte8")).toInt();
    m_.selection.DevIndx = devIndx;
    m_.selection.DevType = key;
    m_.selection.CalcMeth = calcMeth;
    p.log.debugLog(QStringLiteral("   Device: ") + label, 2);

    QString baseUnit = m_.cal.actBaseUnit;
    QString measurand = measurandOfKey(key, &baseUnit);
    if (measurand.isEmpty()) {
        p.messages.showMessageBox(tr(QStringLiteral("Error")),
                                  tr(QStringLiteral("Unknown device configuration {key}\t") +
                                     QString::number(key, 16).toUpper()),
                                  mb::Ok | mb::IconExclamation, MsgText::AsIs);
        measurand = m_.cal.Measurand;
        baseUnit = m_.cal.actBaseUnit;
    } else if (measurand != m_.cal.Measurand) {
        p.dialogs.progressClose();
        m_.cal.Measurand = measurand;
        if (hooks.switchMeasurand) hooks.switchMeasurand(measurand);
        p.dialogs.progressOpen(title_);
    }
    if (baseUnit.isEmpty()) baseUnit = QStringLiteral("[bar]");
    defineDataStructure(m_, baseUnit, 1, -11);
    defined_ = FieldSnapshot::take(m_.fields);

    if (ps.showStep(title_, QStringLiteral("C1410"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    if ((r = adc_.Com1410(tries)) != 0) return r;
    if (ps.showStep(title_, QStringLiteral("C15"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    if ((r = universal_.Com15(tries)) != 0) return r;
    if (session_.ResCode1 != 0) return kResultUnusableAnswer;
    applyOutputSettings();
    if (ps.showStep(title_, QStringLiteral("C0"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    if ((r = universal_.Com0(tries)) != 0) return r;
    p.log.debugLog(
        QStringLiteral("   CO_RespL=") + QString::number(universal_.buffers(0).response.size()), 4);
    if (ps.showStep(title_, QStringLiteral("C1420"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    if ((r = adc_.Com1420(tries)) != 0) return r;
    if (ps.showStep(title_, QStringLiteral("C151"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    if ((r = universal_.Com151(tries)) != 0) return r;
    return 0;
}

// Block 012, whose interface version must be one the profile names.
int DeviceSequences::readDisplayVersion() {
    Program& p = m_.program;
    if (session_.progress().showStep(title_, QStringLiteral("C190_012"), QString(), ++stepNo_, 20))
        return kResultCancelled;
    const int r = blocks_.readBlock(12, p.state.RequestTries);
    if (r != 0) return r;
    if (!p.state.DisplayInterfaceVersion.contains(raw(QStringLiteral("VersCheck"))))
        return kResultWrongInterfaceVersion;
    return 0;
}

int DeviceSequences::readBlocks(std::initializer_list<int> blocks) {
    for (int block : blocks) {
        if (session_.progress().showStep(
                title_, QStringLiteral("C190_%1").arg(block, 3, 10, QLatin1Char('0')), QString(),
                ++stepNo_, 20)) {
            return kResultCancelled;
        }
        const int r = blocks_.readBlock(block, m_.program.state.RequestTries);
        if (r != 0) return r;
    }
    return 0;
}

// Whether the display module takes its value from a transmitter over its
// serial interface (block 000 says so), once its version was checked.
// The blocks are kept by the connection: reading them again costs nothing.
int DeviceSequences::moduleOnTransmitter(bool* onTransmitter) {
    int r = readDisplayVersion();
    if (r == 0) r = readBlocks({0});
    *onTransmitter = r == 0 && raw(QStringLiteral("bIntSerIO")).toInt() == 1;
    return r;
}

int DeviceSequences::readDisplay(bool transmitterRead) {
    Program& p = m_.program;
    int r = readDisplayVersion();
    if (r != 0) return r;
    if (!transmitterRead) {
        // A module on its own: its measurand (block 000) decides the table,
        // which is built for the display's own values (IntSerIO 0).
        if ((r = readBlocks({0})) != 0) return r;
        const QString measurand =
            listTextOf(p.state.Measurands, raw(QStringLiteral("UnitType")).toInt());
        QString baseUnit = m_.cal.actBaseUnit;
        for (const MeasurandSettings& ms : p.state.MeasurandList)
            if (ms.Name == measurand && !ms.BaseUnit.isEmpty()) baseUnit = ms.BaseUnit;
        if (measurand.isEmpty()) {
            p.log.debugLog(
                QStringLiteral("   Display measurand unknown: ") + raw(QStringLiteral("UnitType")),
                1);
        } else if (measurand != m_.cal.Measurand || m_.cal.IntSerIO != 0) {
            if (measurand != m_.cal.Measurand) {
                p.dialogs.progressClose();
                m_.cal.Measurand = measurand;
                if (hooks.switchMeasurand) hooks.switchMeasurand(measurand);
                p.dialogs.progressOpen(title_);
            }
            defineDataStructure(m_, baseUnit, 0, -11);
        }
        m_.cal.IntSerIO = 0;
        m_.selection.DevIndx = 3;
        m_.selection.DevType = 0;
        m_.selection.CalcMeth = -1;
    }
    if ((r = readBlocks({0, 12, 13})) != 0) return r;
    applyDisplayCalibration();
    return readBlocks({1, 2, 3, 10, 11, 20, 60, 89});
}

// After command 15: the output settings of the transmitter (unit, range
// values, nominal range) go into the fields and the scaling state. With
// IntSerIO 1 the range fields hold converter counts between CalADlow and
// CalADhi over the nominal range (see ULRVal).
void DeviceSequences::applyOutputSettings() {
    Program& p = m_.program;
    CalibrationState& c = m_.cal;
    c.IntSerIO = 1;
    c.CalADlow = 4000.0f;
    c.CalADhi = 20000.0f;
    setRaw(QStringLiteral("UnitType"),
           QString::number(std::max(0, listValueOf(p.state.Measurands, c.Measurand))));
    setRaw(QStringLiteral("CalDecimalPoint"), QStringLiteral("0"));
    setRaw(QStringLiteral("bIntSerIO"), QStringLiteral("1"));

    const QString rangeUnit = unitOfCommand15();

    // The nominal range of the configuration belongs to the sensor cell: it
    // is given in the unit of the cell's catalogue entry (or, for a cell
    // the catalogue does not know, in the unit of the range as read), and
    // the calibration works in the calibration unit. The transmitter's
    // fields keep the device's numbers, they go back to it unchanged.
    const ConfigurationRecord cell = ConfigurationRecord::fromText(
        configurationRecordText(m_, raw(QStringLiteral("ADCByte20")).toInt()));
    const QString cellUnitName = cell.range.value(4).trimmed();
    const QString cellUnit = cellUnitName.isEmpty() || cellUnitName.startsWith(QLatin1Char('~'))
                                 ? rangeUnit
                                 : QLatin1Char('[') + cellUnitName + QLatin1Char(']');
    bool okLow = false, okHigh = false;
    float nomLow = parseStoredFloat(raw(QStringLiteral("TNomRangeLow")), &okLow);
    float nomHigh = parseStoredFloat(raw(QStringLiteral("TNomRangeHigh")), &okHigh);
    if (okLow && okHigh && cellUnit != c.CalUnit) {
        nomLow = convertUnit(m_, nomLow, cellUnit, c.CalUnit, QStringLiteral("NominalRangeLow"));
        nomHigh = convertUnit(m_, nomHigh, cellUnit, c.CalUnit, QStringLiteral("NominalRangeHigh"));
        okLow = std::isfinite(nomLow);
        okHigh = std::isfinite(nomHigh);
    }
    if (okLow && okHigh && nomHigh - nomLow >= 0.0001f) {
        c.CalNomLow = nomLow;
        c.CalNomHi = nomHigh;
    }
    const auto number = [](float v) {
        return trimTrailingZeros(QString::number(static_cast<double>(v), 'f', 4));
    };
    if (okLow) setRaw(QStringLiteral("NominalRangeLow"), number(nomLow));
    if (okHigh) setRaw(QStringLiteral("NominalRangeHigh"), number(nomHigh));
    rangeOfCommand15(rangeUnit);
}

// The unit of the last command 15 answer into the unit fields; the range
// unit ("[bar]"), the calibration unit when the answer names none we know.
QString DeviceSequences::unitOfCommand15() {
    CalibrationState& c = m_.cal;
    QString rangeUnit = c.CalUnit;
    const QByteArray r15 = universal_.buffers(15).response;
    if (r15.size() > 2) {
        const int code = static_cast<std::uint8_t>(r15[2]);
        const QString unitName = listTextOf(hartUnits(), code);
        const int unitIndex = listValueOf(c.UnitsList, unitName);
        if (unitIndex >= 0) setRaw(QStringLiteral("Unit"), QString::number(unitIndex));
        const int calIndex = listValueOf(c.CalibrationUnitsList, unitName);
        if (calIndex >= 0) setRaw(QStringLiteral("UnitULRV"), QString::number(calIndex));
        if (!unitName.isEmpty()) rangeUnit = QLatin1Char('[') + unitName + QLatin1Char(']');
    }
    return rangeUnit;
}

// The range values of command 15 are in the range unit; ULRVal takes
// them in the display unit.
void DeviceSequences::rangeOfCommand15(const QString& rangeUnit) {
    CalibrationState& c = m_.cal;
    const std::pair<const char*, const char*> ranges[] = {{"LowerRangeVal", "TMeasRangeLow"},
                                                          {"UpperRangeVal", "TMeasRangeHigh"}};
    for (const auto& [field, source] : ranges) {
        bool ok = false;
        float v = parseStoredFloat(raw(QLatin1String(source)), &ok);
        if (!ok) continue;
        if (rangeUnit != c.DispUnit)
            v = convertUnit(m_, v, rangeUnit, c.DispUnit, QLatin1String(field));
        if (!std::isfinite(v)) continue;
        const QString counts = applyConversion(
            m_, Conversion::ULRVal, QString::number(static_cast<double>(v), 'g', 9) + c.DispUnit,
            QLatin1String(field), ConvertTo::Raw);
        if (!counts.isEmpty()) setRaw(QLatin1String(field), counts);
    }
}

// After blocks 000, 012 and 013: the display module's calibration. The
// measurand at the calibration counts CalADlow/CalADhi is interpolated from
// the range values of block 012, which sit at the counts of block 013.
DeviceSequences::DisplayScale DeviceSequences::calibrateDisplay() {
    CalibrationState& c = m_.cal;
    const bool serial = c.IntSerIO == 1;
    if (!serial) {
        bool ok = false;
        const int decimals = raw(QStringLiteral("CalDecimalPoint")).toInt(&ok);
        if (ok && decimals >= 0 && decimals <= 3) c.CalDecP = static_cast<short>(decimals);
    }
    // A value of the calibration unit; `counts` for range values, which
    // are converter counts when the values come over the serial interface.
    const auto calValue = [&](const QString& field, bool counts, bool* ok) -> float {
        *ok = false;
        if (serial) {
            const float v = parseStoredFloat(raw(field), ok);
            if (!*ok) return 0.0f;
            return counts ? yggx(m_, v, c.CalADlow, c.CalADhi, c.CalNomLow, c.CalNomHi, field) : v;
        }
        const QString text =
            applyConversion(m_, Conversion::AnaRawToCalUnit, raw(field), field, ConvertTo::Content);
        return parseStoredFloat(text.section(QLatin1Char('['), 0, 0), ok);
    };
    DisplayScale d;
    bool* ok = d.ok;
    d.lower = calValue(QStringLiteral("LowerRangeVal"), true, &ok[0]);
    d.upper = calValue(QStringLiteral("UpperRangeVal"), true, &ok[1]);
    d.nomLow = calValue(QStringLiteral("NominalRangeLow"), false, &ok[2]);
    d.nomHigh = calValue(QStringLiteral("NominalRangeHigh"), false, &ok[3]);
    bool okLow = false, okHigh = false;
    const float adLow = parseStoredFloat(raw(QStringLiteral("LowerRangeADVal")), &okLow);
    const float adHigh = parseStoredFloat(raw(QStringLiteral("UpperRangeADVal")), &okHigh);

    if (ok[0] && ok[1]) {
        if (okLow && okHigh && adHigh - adLow >= 0.0001f) {
            c.CalDPlow =
                yggx(m_, c.CalADlow, adLow, adHigh, d.lower, d.upper, QStringLiteral("CalDPlow"));
            c.CalDPhi =
                yggx(m_, c.CalADhi, adLow, adHigh, d.lower, d.upper, QStringLiteral("CalDPhi"));
        } else {
            c.CalDPlow = d.lower;
            c.CalDPhi = d.upper;
        }
    }
    if (ok[2] && ok[3] && !serial) {
        c.CalNomLow = d.nomLow;
        c.CalNomHi = d.nomHigh;
    }
    return d;
}

void DeviceSequences::applyDisplayCalibration() {
    const DisplayScale d = calibrateDisplay();
    if (d.ok[2] && d.ok[3] && m_.cal.IntSerIO != 1) {
        for (const char* name : {"NominalRangeLow", "NominalRangeHigh"}) {
            const int i = m_.fields.find(QLatin1String(name));
            if (i < 0) continue;
            FieldRecord& f = m_.fields.at(i);
            const QString content = applyConversion(m_, Conversion::AnaRawToCalUnit, f.RawVal,
                                                    f.Name, ConvertTo::Content);
            if (!content.isEmpty()) f.Content = content.section(QLatin1Char('['), 0, 0);
        }
    }

    // A range outside the nominal range is reported; the read goes on.
    const auto text = [](float v) {
        return trimTrailingZeros(QString::number(static_cast<double>(v), 'f', 4));
    };
    Program& p = m_.program;
    if (d.ok[0] && d.ok[2] && d.lower < d.nomLow) {
        p.messages.showMessageBox(
            QStringLiteral("Error"),
            QStringLiteral("Lower range value {LMRV} < nominal range {LNRV}\t") + text(d.lower) +
                QLatin1Char('\t') + text(d.nomLow),
            0);
    }
    if (d.ok[1] && d.ok[3] && d.upper > d.nomHigh) {
        p.messages.showMessageBox(
            QStringLiteral("Error"),
            QStringLiteral("Upper range value {UMRV} > nominal range {UNRV}\t") + text(d.upper) +
                QLatin1Char('\t') + text(d.nomHigh),
            0);
    }
}

void DeviceSequences::completeRead() {
    Program& p = m_.program;
    close();
    convertAllRawToMeasurand(m_, 1, m_.fields.definedNames());
    scaleSerialNominalRange();
    followTransmitterRange();
    const int unitField = m_.fields.find(QStringLiteral("Unit"));
    // The administrator's copies show what the device holds.
    copyTwins(m_);
    // The window shows the device's unit.
    bool unitOk = false;
    const int deviceUnit = unitField >= 0 ? m_.fields.at(unitField).RawVal.toInt(&unitOk) : -1;
    if (unitOk && deviceUnit >= 0 && deviceUnit != m_.cal.DispUnitIndex)
        changeUnit(m_, m_.cal.DispUnitIndex, deviceUnit);
    // The device type first: it brings the option fields into line, and the
    // snapshots must show the values a following write would send. The
    // catalogue entry is not loaded over what was just read: the device's
    // own range, bytes and table are the truth ("keep").
    updateDeviceType(m_, m_.selection.DevIndx, m_.selection.DevType, m_.selection.CalcMeth,
                     TypeUpdate::Keep);
    snapshots_.clear();
    for (int block : writableBlocks())
        snapshots_.insert(QStringLiteral("Rec%1").arg(block, 3, 10, QLatin1Char('0')),
                          blockSnapshot(block));
    readRecord_ = transmitterRecord();
    p.log.debugLog(QStringLiteral("TM-R-Rec: ") + readRecord_, 2);

    const unsigned measurandGroup =
        m_.cal.Measurand.compare(QLatin1String("Temperature"), Qt::CaseInsensitive) == 0
            ? FlagTemperature
            : FlagPressure;
    const unsigned readGroups = FlagCommon | measurandGroup | FlagSystem | FlagTransmitter;
    for (int i = 1; i <= m_.fields.count(); ++i) {
        FieldRecord& f = m_.fields.at(i);
        const auto left = notRead_.constFind(f.Name);
        if (left != notRead_.cend() && *left == f.RawVal) {
            // Not read this time: neither as read nor as written.
            if (f.ColorIndx == ColourRead || f.ColorIndx == ColourUpdated)
                f.setColourState(ColourDefault);
            continue;
        }
        if ((f.Flags & readGroups) != 0) f.setColourState(ColourRead);
    }
    dataDevice_ = session_.identity();
    // A good read leaves data present and the module up to date, so the
    // window offers Save and Write and shows the module as updated.
    m_.fromDevice = true;
    m_.loadedFields.clear();
    m_.deviceStatus = session_.deviceStatus();
    p.state.DataTrigger = 0;
    p.state.DataChanged = false;
    moduleState = 1;
    if (hooks.setModuleState) hooks.setModuleState(1);
    // The read-out only when the module itself was read: a transmitter
    // read has no read-out to show.
    if (displayRead_ && hooks.showReadOut) hooks.showReadOut();
    if (hooks.refreshGadgets) hooks.refreshGadgets();
}

// A module on a transmitter keeps its range as converter counts, but its
// nominal range in block 012 carries the calibration decimal point of that
// block ("1600" with two decimals is 16.00): the content shows the value,
// the raw value goes back to the module as it came.
int DeviceSequences::serialNominalDecimals() {
    if (m_.cal.IntSerIO != 1) return 0;
    bool ok = false;
    const int decimals = raw(QStringLiteral("CalDecimalPoint")).toInt(&ok);
    return ok && decimals >= 1 && decimals <= 3 ? decimals : 0;
}

bool DeviceSequences::isNominalRange(const QString& field) {
    return field == QLatin1String("NominalRangeLow") || field == QLatin1String("NominalRangeHigh");
}

void DeviceSequences::scaleSerialNominalRange() {
    const int decimals = serialNominalDecimals();
    if (decimals == 0) return;
    for (const char* name : {"NominalRangeLow", "NominalRangeHigh"}) {
        const int i = m_.fields.find(QLatin1String(name));
        if (i < 0) continue;
        FieldRecord& f = m_.fields.at(i);
        bool ok = false;
        const double v = parseStoredNumber(f.RawVal, &ok);
        if (!ok) continue;
        // A whole number where it is one: the field takes whole numbers.
        f.Content = trimTrailingZeros(QString::number(v / std::pow(10.0, decimals), 'f', decimals));
        f.BaseValue = baseValueOf(m_, f);
    }
}

// The range the display module shows follows the transmitter's range,
// converted into the unit of each field, without asking.
void DeviceSequences::followTransmitterRange() {
    const bool temperature =
        m_.cal.Measurand.compare(QLatin1String("Temperature"), Qt::CaseInsensitive) == 0;
    const std::pair<const char*, const char*> pairs[] = {
        {temperature ? "TempLower" : "DspMBA", "LowerRangeVal"},
        {temperature ? "TempUpper" : "DspMBE", "UpperRangeVal"}};
    for (const auto& [destName, srcName] : pairs) {
        QString toUnit;
        if (!copyContentInUnit(m_, QLatin1String(destName), QLatin1String(srcName), &toUnit))
            continue;
        FieldRecord& to = m_.fields.at(m_.fields.find(QLatin1String(destName)));
        to.RawVal = to.CheckProc == Conversion::None
                        ? to.Content
                        : applyConversion(m_, to.CheckProc, to.Content, to.Name, ConvertTo::Raw);
        to.BaseValue = to.BaseUnit.isEmpty() || to.BaseUnit == toUnit
                           ? to.Content
                           : convertUnitText(m_, to.Content, toUnit, to.BaseUnit, to.Name);
    }
}

// The data set shown before the read comes back untouched: a read that
// fails half way never leaves the person with no data or half a device.
int DeviceSequences::failRead(int result, const SavedTable& saved) {
    Program& p = m_.program;
    QString text = tr(QStringLiteral("Data transfer interrupted"));
    if (result == kResultPartMissing) text = missingPartText();
    if (result == kResultWrongInterfaceVersion) {
        text = tr(QStringLiteral("Invalid Firmwareversion!"));
        const QString version = raw(QStringLiteral("VersCheck"));
        if (!version.isEmpty()) text += QStringLiteral(" (") + version + QLatin1Char(')');
    }
    p.log.debugLog(
        QStringLiteral("HartRead failed: ") + QString::number(result) + QStringLiteral(" ") + text,
        1);
    // What the line met, in its words: silence, a damaged answer, a short one.
    QString detail;
    if (result == kResultCommunication || result == kResultNoResponse) {
        detail = session_.progress().linkFault();
        if (detail.isEmpty()) detail = tr(resultText(result));
    }
    if (result != kResultCancelled) session_.progress().checkStep(result, 0, text, detail, -2);
    close(true);
    restoreTable(saved);
    return result;
}

}  // namespace zh
