#include "data_commands.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/presence.h"
#include "app/program.h"
#include "app/small_file.h"
#include "data_file.h"
#include "data_file_check.h"
#include "data_file_header.h"
#include "file_operation.h"
#include "hart/response_codes.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_definitions.h"
#include "model/field_snapshot.h"
#include "model/list_text.h"
#include "model/live_display.h"
#include "model/scaling.h"
#include "model/write_fields.h"

namespace zh {
namespace {

void show(DataSession& s, const QString& title, const QString& text) {
    Messages& msg = s.model.program.messages;
    msg.showMessageBox(msg.lookupMessage(title), text, mb::Ok | mb::IconError, MsgText::AsIs);
}

void setCaption(DataSession& s, const QString& path) {
    if (s.window.setCaption)
        s.window.setCaption(QFileInfo(path).fileName() + QStringLiteral(" - ") +
                            s.model.program.state.WindowTitle);
}

}  // namespace

namespace {

// `path` as it is now holds the data shown.
void keepFile(DataSession& s, const QString& path, const QByteArray* bytes = nullptr) {
    QByteArray read;
    QString why;
    if (!bytes && readSmallFile(path, &read, &why) == SmallFileRead::Read) bytes = &read;
    s.file.keptPath = bytes ? path : QString();
    s.file.keptBytes = bytes ? *bytes : QByteArray();
    s.file.keptData = bytes ? dataFileLines(s) : QStringList();
}

QString filePattern(const Program& p) {
    return p.state.FileExtensions.isEmpty()
               ? QStringLiteral("Pressure (*.cfp)|*.cfp|Temperature (*.cft)|*.cft")
               : p.state.FileExtensions;
}

// The (measurand, extension) pairs of the file patterns: "Pressure (*.cfp)|*.cfp|...".
std::vector<std::pair<QString, QString>> measurandExtensions(const Program& p) {
    std::vector<std::pair<QString, QString>> pairs;
    const QStringList parts = filePattern(p).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString filter = parts[i + 1].trimmed();
        if (filter.startsWith(QLatin1String("*.")))
            pairs.emplace_back(parts[i].section(QLatin1Char('('), 0, 0).trimmed(), filter.mid(2));
    }
    return pairs;
}

// Loads `path`; `chosen` becomes the current file once it has loaded.
int openChosenFile(DataSession& s, const QString& path, const DataFileState& chosen);

}  // namespace

QString measurandOfExtension(const Program& p, const QString& ext) {
    for (const auto& [measurand, e] : measurandExtensions(p))
        if (e.compare(ext, Qt::CaseInsensitive) == 0) return measurand;
    return QString();
}

QString extensionOfMeasurand(const Program& p, const QString& measurand) {
    for (const auto& [m, ext] : measurandExtensions(p))
        if (m.compare(measurand, Qt::CaseInsensitive) == 0) return ext;
    return QString();
}

int chooseAndOpenData(DataSession& s) {
    Program& p = s.model.program;
    p.log.debugLog(QStringLiteral(">>> OpenData()"), 3);
    const DataFileState before = s.file;
    const FileChoice choice = fileOperation(s, FileAction::Open, filePattern(p), nullptr, nullptr);
    if (!choice.chosen()) return 0;
    // Until the file is loaded, the previous one stays the current file.
    const DataFileState chosen = s.file;
    s.file = before;
    return openChosenFile(s, choice.path, chosen);
}

QString chooseDataFile(DataSession& s) {
    const DataFileState before = s.file;
    const FileChoice choice =
        fileOperation(s, FileAction::Open, filePattern(s.model.program), nullptr, nullptr);
    s.file = before;
    return choice.path;
}

int openDataFile(DataSession& s, const QString& path) {
    Program& p = s.model.program;
    p.log.debugLog(QStringLiteral(">>> OpenDataFile(") + path + QLatin1Char(')'), 3);
    DataFileState chosen = s.file;
    const QString absolute = resolveDataPath(s, path);
    chosen.currentFile = absolute;
    chosen.currentDir = QFileInfo(absolute).absolutePath() + QLatin1Char('/');
    if (!QFileInfo(absolute).suffix().isEmpty()) chosen.extension = QFileInfo(absolute).suffix();
    return openChosenFile(s, absolute, chosen);
}

namespace {

// A data file read and checked whole, not yet loaded.
struct CheckedFile {
    QString measurand, section;
    DataFileHeader header;
    QByteArray bytes;
};

// Reads `path` and checks it whole: its extension names a measurand of the
// profile, it is a small readable file with a data section, its
// configuration fits the connected parts, and every value passes its
// field's checks. False (after saying why) when it may not load.
bool checkChosenFile(DataSession& s, const QString& path, CheckedFile* f) {
    Program& p = s.model.program;
    const QString ext = QFileInfo(path).suffix();
    f->measurand = measurandOfExtension(p, ext);
    if (f->measurand.isEmpty() || listValueOf(p.state.Measurands, f->measurand) < 0) {
        show(s, QStringLiteral("File open"),
             p.messages.lookupMessage(QStringLiteral("Invalid file extension: .")) + ext);
        return false;
    }

    QByteArray& bytes = f->bytes;
    QString why;
    const SmallFileRead read = readSmallFile(path, &bytes, &why);
    if (read != SmallFileRead::Read) {
        show(s, QStringLiteral("File open"),
             p.messages.lookupMessage(QStringLiteral("can't open file")) + QLatin1Char(' ') + path +
                 (why.isEmpty() ? QString() : QStringLiteral(": ") + why));
        return false;
    }
    if (!dataFileSection(bytes, &f->section, &why)) {
        show(s, QStringLiteral("Open file"),
             path + QStringLiteral(": ") + p.messages.lookupMessage(why));
        return false;
    }

    DataFileHeader& h = f->header;
    QStringList problems = readDataFileHeader(p, path, f->section, &h);
    // A file of another configuration is refused unless the connection takes whatever answers.
    const QString current = p.state.TransmitterDisplay;
    if (h.mode != current && !current.isEmpty() && parsePresence(current) != Presence::Auto) {
        show(s, QStringLiteral("Error"),
             p.messages.lookupMessage(
                 QStringLiteral(
                     "Incompatible configurations Transmitter/Display: {td1} & {td2}!\t") +
                 current + QLatin1Char('\t') + h.mode));
        return false;
    }
    problems << checkDataFile(s, path, f->section, h, f->measurand);
    if (!problems.isEmpty()) {
        show(s, QStringLiteral("Open file"), dataFileProblemsText(p, path, problems));
        return false;
    }
    return true;
}

// Loads the checked file over the current data, `chosen` becoming the
// current file. Checked on a table of the file's own configuration, the
// load cannot fail; should it all the same, the data set it was to replace
// comes back and the result is false.
bool loadCheckedFile(DataSession& s, const QString& path, const CheckedFile& f,
                     const DataFileState& chosen) {
    DeviceModel& m = s.model;
    const CalibrationState calBefore = m.cal;
    const DeviceSelection selectionBefore = m.selection;
    const FieldSnapshot valuesBefore = FieldSnapshot::take(m.fields);
    const DataFileState fileBefore = s.file;
    const bool rebuild = applyDataFileHeader(m, f.header, f.measurand, s.window.rebuildWindow);

    s.file = chosen;
    if (readDataFile(s, path, f.section)) return true;
    m.cal = calBefore;
    m.selection = selectionBefore;
    if (rebuild) {
        if (s.window.rebuildWindow) s.window.rebuildWindow(calBefore.Measurand);
        defineDataStructure(m, calBefore.actBaseUnit, calBefore.IntSerIO, -11);
        m.cal = calBefore;
    }
    valuesBefore.restore(m.fields);
    s.file = fileBefore;
    return false;
}

// After the load: the display settings and the device selection the
// file's header names.
void applyHeaderSelection(DeviceModel& m, const DataFileHeader& h) {
    CalibrationState& c = m.cal;
    c.DispUnitIndex = h.dispUnit;
    const QString dispUnitText = listTextOf(c.UnitsList, h.dispUnit);
    if (!dispUnitText.isEmpty()) c.DispUnit = QLatin1Char('[') + dispUnitText + QLatin1Char(']');
    c.DispDecP = static_cast<short>(h.dispDecP);
    m.selection.DevType = h.devType;
    m.selection.CalcMeth = h.calcMethod;
    m.deviceStatus = deviceStatusOfRecord(h.deviceStatus);
    // The selection lists and option groups follow the file's configuration;
    // its values stay as saved (no catalogue entry is loaded over them, and
    // no configuration byte over an option the file holds).
    updateDeviceType(m, m.selection.DevIndx, m.selection.DevType, m.selection.CalcMeth,
                     TypeUpdate::File);
}

// A read-out kept as the module sends it (digits without a point, as a
// batch read used to save it) shows with the display's decimal point.
void pointStoredReadOut(DeviceModel& m) {
    const int readOut = m.fields.find(QStringLiteral("Display"));
    const int point = m.fields.find(QStringLiteral("DecimalPoint"));
    if (readOut < 0 || point < 0) return;
    FieldRecord& f = m.fields.at(readOut);
    bool ok = false;
    const int decimals = m.fields.at(point).RawVal.trimmed().toInt(&ok);
    const QString text = f.Content.trimmed();
    const QString digits = text.startsWith(QLatin1Char('-')) ? text.mid(1) : text;
    if (!ok || decimals < 1 || decimals > 3 || digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return;
    f.Content = formatReadOut(text, decimals, [](const QString& word) { return word; });
    f.RawVal = f.Content;
}

// The parts of the device a file's values are of: as the file says, or,
// in a file older than that key, the part its profile read alone.
Presence partsOfData(const DataFileHeader& h) {
    for (const QString& word : {h.parts, h.mode.toLower()}) {
        const Presence parts = parsePresence(word.trimmed());
        if (parts == Presence::Transmitter || parts == Presence::Display) return parts;
    }
    return Presence::All;
}

int openChosenFile(DataSession& s, const QString& path, const DataFileState& chosen) {
    Program& p = s.model.program;
    DeviceModel& m = s.model;
    p.ini.forget(path);
    CheckedFile f;
    if (!checkChosenFile(s, path, &f)) return 0;

    // The file is sound: from here on it replaces the current data.
    if (s.device.testConnection) s.device.testConnection();
    if (!loadCheckedFile(s, path, f, chosen)) return 0;
    rangesToCalibrationUnit(m);
    // The file holds contents; what goes to the device is derived from them.
    convertAllRawToMeasurand(m, 2, m.fields.definedNames());
    pointStoredReadOut(m);
    p.state.DataTrigger = 0;
    p.state.DataChanged = false;
    s.file.moduleState = 0;

    applyHeaderSelection(m, f.header);
    keepDataOfParts(m, partsOfData(f.header));
    keepFile(s, path, &f.bytes);
    setCaption(s, path);
    if (s.window.refresh) s.window.refresh();
    return 1;
}

}  // namespace

namespace {

// Writes the data into `tmp` for `target`. Data that are what `target`
// held when it was loaded or saved go back as its own bytes: a Save after
// Open, or after a compare, leaves the file exactly as it was.
int writeDataFor(DataSession& s, const QString& tmp, const QString& target) {
    const DataFileState& f = s.file;
    const bool same =
        !f.keptPath.isEmpty() &&
        QFileInfo(f.keptPath).absoluteFilePath() == QFileInfo(target).absoluteFilePath() &&
        dataFileLines(s) == f.keptData;
    if (!same) return writeDataFile(s, tmp, target);
    QFile out(tmp);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   out.write(f.keptBytes) == f.keptBytes.size() && out.flush()
               ? 1
               : 0;
}

}  // namespace

QString toLogWord(StoreTarget target) {
    switch (target) {
        case StoreTarget::File:
            return QStringLiteral("save");
        case StoreTarget::FileAs:
            return QStringLiteral("saveas");
        case StoreTarget::Module:
            break;
    }
    return QStringLiteral("module");
}

int storeData(DataSession& s, StoreTarget target) {
    Program& p = s.model.program;
    p.log.debugLog(QStringLiteral(">>> StoreData(mode$=") + toLogWord(target) + QLatin1Char(')'),
                   3);
    if (s.window.takeWindowValues && !s.window.takeWindowValues()) {
        show(s, QStringLiteral("Save data"),
             p.messages.lookupMessage(QStringLiteral("Invalid data!")));
        return 0;
    }
    if (p.state.DataTrigger < 0) {
        show(s, QStringLiteral("Save data"),
             p.messages.lookupMessage(QStringLiteral("No file available")));
        return 0;
    }
    if (target == StoreTarget::Module) {
        if (!s.device.write || !s.device.write(WriteScope::All)) return 0;
        s.file.moduleState = 1;
        return 1;
    }
    const int measurand = listValueOf(p.state.Measurands, s.model.cal.Measurand);
    const QString ext = s.file.extension;
    QString pattern;
    if (measurand == 0)
        pattern = QStringLiteral("Pressure (*.cfp)|*.cfp");
    else if (measurand == 1)
        pattern = QStringLiteral("Temperature (*.cft)|*.cft");
    else
        pattern =
            s.model.cal.Measurand + QStringLiteral("(*.") + ext + QStringLiteral(")|*.") + ext;

    const FileChoice choice = fileOperation(
        s, target == StoreTarget::FileAs ? FileAction::SaveAs : FileAction::Save, pattern,
        [&s](const QString& file, const QString& name) { return writeDataFor(s, file, name); },
        nullptr);
    if (!choice.chosen()) return 0;
    const QString& path = choice.path;
    keepFile(s, path);
    p.state.DataTrigger = 1;
    p.state.DataChanged = false;
    setCaption(s, path);
    if (s.window.refresh) s.window.refresh();
    return 1;
}

int startNewData(DataSession& s, const QString& measurand) {
    Program& p = s.model.program;
    DeviceModel& m = s.model;
    p.log.debugLog(QStringLiteral(">>> NewData(Selected measurand=") + measurand + QLatin1Char(')'),
                   3);
    const FileChoice choice = fileOperation(
        s, FileAction::New, QStringLiteral("Pressure (*.cfp)|*.cfp|All Files(*.*)|*.*"), nullptr,
        nullptr);
    if (!choice.chosen()) return 0;
    p.state.DataTrigger = 0;
    p.state.DataChanged = false;
    s.file.moduleState = 0;
    m.fromDevice = false;
    m.loadedFields.clear();
    m.dataParts = Presence::All;
    m.deviceStatus = -1;
    const QString base = p.profile.readProfile(measurand, QStringLiteral("BaseUnit"),
                                               m.cal.actBaseUnit, p.state.ProfilePath);
    m.cal.Measurand = measurand;
    defineDataStructure(m, base, m.cal.IntSerIO, -11);
    if (s.window.showPanels) s.window.showPanels(measurand);
    s.file.currentDir = QStringLiteral(".\\");
    s.file.currentFile = QStringLiteral("*.cfp");
    s.file.extension = QStringLiteral("cfp");
    return 1;
}

}  // namespace zh
