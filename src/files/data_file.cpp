#include "data_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "data_file_check.h"
#include "data_file_header.h"
#include "file_operation.h"
#include "hart/response_codes.h"
#include "model/device_model.h"
#include "model/field_twins.h"
#include "model/list_text.h"
#include "model/scaling.h"

namespace zh {
namespace {

// Larger magnitudes are no transmitter setting; they come from a damaged or foreign file.
constexpr double kAbsurdMagnitude = 1e12;

bool isNumberField(const FieldRecord& f) {
    const QString t = f.type();
    return t == QLatin1String("number") || t == QLatin1String("float");
}

// What the device shows and this program never writes back. A "readonly"
// field is no read-out: the window does not let it be edited, but a write
// sends it, so its file value must be sound.
bool isReadout(const FieldRecord& f) {
    return f.is(FlagDisplayOnly);
}

bool isMeasurandField(const DeviceModel& m, const FieldRecord& f) {
    return !f.Name.isEmpty() && m.measurandFields.contains(f.Name);
}
bool isMeasurandField(DataSession& s, const FieldRecord& f) {
    return isMeasurandField(s.model, f);
}

bool isUnitField(DataSession& s, const FieldRecord& f) {
    if (f.type() == QLatin1String("string")) return false;  // "AB[C]D" is a tag, no unit
    return isMeasurandField(s, f) || !f.GadUnit.isEmpty();
}

bool sensibleNumber(const QString& text) {
    bool ok = false;
    const double v = parseStoredNumber(text, &ok);
    return ok && std::isfinite(v) && std::fabs(v) <= kAbsurdMagnitude;
}

bool onlyChars(const QString& text, const char* allowed) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    for (QChar c : t)
        if (!QLatin1String(allowed).contains(c, Qt::CaseInsensitive)) return false;
    return true;
}

// The number part of a saved value ("250.0[bar]" -> "250.0").
QString numberPart(const QString& value) {
    const int b = value.indexOf(QLatin1Char('['));
    return (b < 0 ? value : value.left(b)).trimmed();
}

QString unitPart(const QString& value) {
    return bracketPartOf(value, QStringLiteral("["), QStringLiteral("]"));
}

QString unitName(const QString& list, int index, const QString& fallback) {
    const QString text = listTextOf(list, index);
    if (!text.isEmpty()) return text;
    QString f = fallback;
    f.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
    return f;
}

}  // namespace

bool isSavedField(DataSession& s, const FieldRecord& f) {
    if (f.Name == QLatin1String("fs_CalibDone")) return false;
    if (parsePresence(s.model.program.state.TransmitterDisplay) == Presence::Display &&
        f.is(FlagTransmitter))
        return false;
    if (s.model.cal.IntSerIO == 1 && f.is(FlagPressure)) return false;
    if (s.model.cal.IntSerIO == 0 && f.is(FlagTemperature)) return false;
    return true;
}

QString dataFileValue(DataSession& s, const FieldRecord& f) {
    if (f.type() == QLatin1String("combobox"))
        return f.Content + QStringLiteral(" (") + listTextOf(f.Params, f.Content.toInt()) +
               QLatin1Char(')');
    if (isMeasurandField(s, f)) return f.BaseValue + f.BaseUnit;
    if (!f.GadUnit.isEmpty()) return f.Content + f.GadUnit;
    return f.Content;
}

namespace {

using KeyList = std::vector<std::pair<QString, QString>>;

// False when the user abandons the save because `target` cannot be written.
bool mayWrite(Program& p, const QString& target) {
    QFile probe(target);
    if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) return true;
    const QString answer = p.messages.showMessageBox(
        p.messages.lookupMessage(QStringLiteral("Open file for write")),
        target + QStringLiteral(": ") +
            p.messages.lookupMessage(
                QStringLiteral("No write-access to file. Continue without saving?")),
        mb::YesNo | mb::IconQuestion, MsgText::AsIs);
    return answer != QLatin1String("yes");
}

// The saved fields and their values; every value is checked before
// anything is written. False (after saying why, when `tell`) when one is
// refused.
bool savedFieldKeys(DataSession& s, KeyList* keys, bool tell = true) {
    Program& p = s.model.program;
    FieldTable& fields = s.model.fields;
    for (const QString& name : fields.definedNames().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int index = fields.find(name);
        if (index < 0) continue;
        const FieldRecord& f = fields.at(index);
        if (!isSavedField(s, f)) continue;
        const QString value = dataFileValue(s, f);
        if (isNumberField(f) && !numberPart(value).isEmpty() &&
            !sensibleNumber(numberPart(value))) {
            if (isReadout(f)) {
                p.log.debugLog(QStringLiteral("WriteDataFile: ") + name + QStringLiteral("=") +
                                   value + QStringLiteral(" is no number, not saved"),
                               2);
                continue;
            }
            if (!tell) return false;
            p.messages.showMessageBox(
                p.messages.lookupMessage(QStringLiteral("Save data")),
                p.messages.lookupMessage(QStringLiteral("{field} holds no valid number ({value}), "
                                                        "the file is not saved.\t") +
                                         name + QLatin1Char('\t') + value),
                mb::Ok | mb::IconError, MsgText::AsIs);
            return false;
        }
        keys->emplace_back(name, value);
    }
    return true;
}

// The header of the current data: the device configuration and its calibration.
DataFileHeader headerOfData(DataSession& s) {
    const Program& p = s.model.program;
    const DeviceModel& m = s.model;
    const CalibrationState& c = m.cal;
    const int unitType = m.fields.find(QStringLiteral("UnitType"));
    const int adRaw = m.fields.find(QStringLiteral("ADactRaw"));
    DataFileHeader h;
    h.versionDate = p.state.Version + QLatin1Char('/') +
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    h.mode = p.state.TransmitterDisplay;
    if (m.dataParts != Presence::All) h.parts = presenceText(m.dataParts);
    h.unitType = unitType < 0 ? QString() : dataFileValue(s, m.fields.at(unitType));
    h.baseUnit = c.actBaseUnit;
    putCalibrationRanges(c, &h);
    h.calUnit = c.CalUnitIndex;
    h.calUnitName = unitName(c.CalibrationUnitsList, c.CalUnitIndex, c.CalUnit);
    h.calDecP = c.CalDecP;
    h.dispUnit = c.DispUnitIndex;
    h.dispUnitName = unitName(c.UnitsList, c.DispUnitIndex, c.DispUnit);
    h.dispDecP = c.DispDecP;
    h.intSerIO = c.IntSerIO;
    h.devConfigIndex = m.selection.DevIndx;
    h.adRaw = adRaw < 0 || m.fields.at(adRaw).Content.isEmpty() ? QStringLiteral("0")
                                                                : m.fields.at(adRaw).Content;
    h.deviceStatus = deviceStatusRecord(m.deviceStatus);
    return h;
}

// Writes the header's keys, then the fields'; 1 when all were written and there were any.
int writeKeys(Program& p, const QString& section, const QString& target, const KeyList& header,
              const KeyList& fields) {
    int written = 0;
    for (const KeyList* list : {&header, &fields}) {
        for (const auto& [key, value] : *list) {
            if (!p.profile.writeData(section, key, value, target)) return 0;
            ++written;
        }
    }
    return written > 0 ? 1 : 0;
}

}  // namespace

int writeDataFile(DataSession& s, const QString& path, const QString& name) {
    Program& p = s.model.program;
    if (s.model.fields.count() == 0) {
        p.log.debugLog(QStringLiteral("WriteDataFile: no fields, nothing written"), 1);
        return 0;
    }
    const QString target = resolveDataPath(s, path);
    p.log.debugLog(QStringLiteral("WriteDataFile(") + target + QLatin1Char(')'), 3);
    if (!mayWrite(p, target)) return 0;
    QString section = QFileInfo(name.isEmpty() ? target : name).fileName();
    if (name.isEmpty() && section.endsWith(QLatin1String(".tmp"), Qt::CaseInsensitive))
        section.chop(4);
    KeyList keys;
    if (!savedFieldKeys(s, &keys)) return 0;
    return writeKeys(p, section, target, dataFileHeaderKeys(headerOfData(s)), keys);
}

QStringList dataFileLines(DataSession& s) {
    KeyList fields;
    if (!savedFieldKeys(s, &fields, false)) return QStringList();
    QStringList lines;
    for (const KeyList& list : {dataFileHeaderKeys(headerOfData(s)), fields})
        for (const auto& [key, value] : list)
            if (key != QLatin1String("Version/Date") && !isTwinCopy(key))
                lines << key + QLatin1Char('=') + value;
    return lines;
}

bool dataFileSection(const QByteArray& bytes, QString* section, QString* why) {
    if (bytes.contains('\0')) {
        *why = QStringLiteral("Not a data file");
        return false;
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
        // Every line this program writes ends with a line break.
        *why = QStringLiteral("The file is incomplete");
        return false;
    }
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(QLatin1Char('['))) continue;
        const int close = line.indexOf(QLatin1Char(']'));
        if (close < 0) continue;
        *section = line.mid(1, close - 1);
        return true;
    }
    *why = QStringLiteral("No file available");
    return false;
}

QStringList collectDataFileValues(DataSession& s, const QString& path, const QString& section,
                                  std::vector<LoadedValue>* out) {
    QStringList problems;
    Program& p = s.model.program;
    FieldTable& fields = s.model.fields;
    out->clear();
    for (const QString& name : fields.definedNames().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("fs_CalibDone")) continue;
        const int index = fields.find(name);
        if (index < 0) continue;
        const QString value = p.profile.readProfile(section, name, QString(), path).trimmed();
        if (value.isEmpty()) continue;
        const FieldRecord& f = fields.at(index);
        LoadedValue v;
        v.index = index;
        const QString t = f.type();
        bool good = true;
        if (t == QLatin1String("combobox")) {
            bool ok = false;
            v.value = value.section(QLatin1Char('('), 0, 0).trimmed();
            const int n = v.value.toInt(&ok);
            good = ok && n >= -1;  // -1 is an option too ("Auto" decimal point)
        } else if (isUnitField(s, f)) {
            v.value = numberPart(value);
            v.unit = unitPart(value);
            if (isNumberField(f) && !v.value.isEmpty() && !sensibleNumber(v.value)) {
                if (isReadout(f)) continue;  // a read-out that showed no number
                good = false;
            }
        } else {
            v.value = value;
            if (isNumberField(f)) {
                if (!sensibleNumber(value)) {
                    if (isReadout(f)) continue;
                    good = false;
                }
            } else if (t == QLatin1String("hexadecimal")) {
                good = onlyChars(value, "0123456789abcdef");
            } else if (t == QLatin1String("binary")) {
                good = onlyChars(value, "01");
            }
            for (QChar c : value)
                if (c.unicode() < 0x20 || c == QChar::ReplacementCharacter) good = false;
        }
        if (!good) {
            problems << name + QLatin1Char('=') + value;
            continue;
        }
        if (v.value.isEmpty()) continue;
        out->push_back(v);
    }
    return problems;
}

bool mayBeLeftOut(const FieldRecord& f) {
    return isNumberField(f) && isReadout(f);
}

void storeDataFileValues(DeviceModel& m, const std::vector<LoadedValue>& values) {
    m.fromDevice = false;
    m.loadedFields.clear();
    for (const LoadedValue& v : values) {
        FieldRecord& f = m.fields.at(v.index);
        m.loadedFields << f.Name;
        if (f.type() == QLatin1String("combobox")) {
            f.Content = v.value;
        } else if (isMeasurandField(m, f)) {
            f.BaseValue = v.value;
            if (!v.unit.isEmpty()) f.BaseUnit = v.unit;
            const bool convert =
                !f.GadUnit.isEmpty() && !f.BaseUnit.isEmpty() && f.GadUnit != f.BaseUnit;
            const QString shown =
                convert ? convertUnitText(m, v.value, f.BaseUnit, f.GadUnit, f.Name) : v.value;
            f.Content = shown.isEmpty() ? v.value : shown;
        } else {
            f.Content = v.value;
            if (!v.unit.isEmpty()) f.GadUnit = v.unit;
            // The base value follows the content, or a later content -> raw
            // pass would bring back the value the field had before the load.
            f.BaseValue = f.BaseUnit.isEmpty() || f.Content.isEmpty()
                              ? QString()
                              : convertUnitText(m, f.Content, f.GadUnit, f.BaseUnit, f.Name);
        }
    }
}

int readDataFile(DataSession& s, const QString& path, const QString& section) {
    Program& p = s.model.program;
    DeviceModel& m = s.model;
    p.log.debugLog(QStringLiteral("ReadDataFile(") + s.file.currentFile + QLatin1Char(')'), 3);
    if (section.isEmpty()) {
        p.messages.showMessageBox(p.messages.lookupMessage(QStringLiteral("Open file")),
                                  path + QStringLiteral(": ") +
                                      p.messages.lookupMessage(QStringLiteral("No file available")),
                                  mb::Ok | mb::IconError, MsgText::AsIs);
        return 0;
    }
    std::vector<LoadedValue> values;
    const QStringList problems = collectDataFileValues(s, path, section, &values);
    if (!problems.isEmpty()) {
        p.messages.showMessageBox(p.messages.lookupMessage(QStringLiteral("Open file")),
                                  dataFileProblemsText(p, path, problems), mb::Ok | mb::IconError,
                                  MsgText::AsIs);
        return 0;
    }
    storeDataFileValues(m, values);
    return 1;
}

}  // namespace zh
