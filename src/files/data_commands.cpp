#include "data_commands.h"

#include "model/scaling.h"

#include <QFileInfo>
#include <cmath>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/program.h"
#include "app/small_file.h"
#include "data_file.h"
#include "file_operation.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_definitions.h"
#include "model/field_snapshot.h"
#include "model/list_text.h"

namespace zh {
namespace {

void show(DataSession& s, const QString& title, const QString& text) {
    Messages& msg = s.model.program.messages;
    msg.MsgBox(msg.LookupMessage(title), text, mb::Ok | mb::IconError, QStringLiteral("nodefmsg"));
}

// The header of a data file, read and checked before anything is applied.
struct Header {
    QString mode, baseUnit;
    int devConfigIndex = -1, devConfig = 1, devType = 0, calcMethod = -1, intSerIO = 0;
    float nomLow = 0, nomHigh = 100, adLow = 0, adHigh = 10000, low = 0, high = 100;
    int calUnit = 0, calDecP = 0, dispUnit = 0, dispDecP = 0;
    QString adRaw;
};

bool readHeader(DataSession& s, const QString& path, const QString& section, Header* h, QString* why) {
    Program& p = s.model.program;
    auto text = [&](const char* key, const char* def) {
        return p.profile.ReadProfile(section, QLatin1String(key), QLatin1String(def), path).trimmed();
    };
    bool good = true;
    auto number = [&](const char* key, const char* def, double lo, double hi) {
        const QString t = text(key, def).section(QLatin1Char('('), 0, 0).trimmed();
        bool ok = false;
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < lo || v > hi) {
            if (good) *why = QLatin1String(key) + QLatin1Char('=') + t;
            good = false;
            return 0.0;
        }
        return v;
    };
    constexpr double big = 1e9;
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
    if (good && (h->nomLow >= h->nomHigh || h->adLow == h->adHigh)) {
        *why = QStringLiteral("CalNominalRange / CalRangeADVal");
        good = false;
    }
    if (h->devConfigIndex == -1) {
        if (h->mode == QLatin1String("all")) h->devConfigIndex = 0;
        else if (h->mode == QLatin1String("transmitter")) h->devConfigIndex = adc16 != 0 ? adc16 : 4;
        else if (h->mode == QLatin1String("display")) h->devConfigIndex = 3;
    }
    return good;
}

void setCaption(DataSession& s, const QString& path) {
    if (s.window.setCaption)
        s.window.setCaption(QFileInfo(path).fileName() + QStringLiteral(" - ") + s.model.program.state.WindowTitle);
}

}  // namespace

namespace {

QString filePattern(const Program& p) {
    return p.state.FileExtensions.isEmpty() ? QStringLiteral("Pressure (*.cfp)|*.cfp|Temperature (*.cft)|*.cft")
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

int OpenData(DataSession& s) {
    Program& p = s.model.program;
    p.log.DebugLog(QStringLiteral(">>> OpenData()"), 3);
    const DataFileState before = s.file;
    const QString path = FileOperation(s, QStringLiteral("open"), filePattern(p), nullptr, nullptr);
    if (path.startsWith(QLatin1Char('*'))) return 0;
    // Until the file is loaded, the previous one stays the current file.
    const DataFileState chosen = s.file;
    s.file = before;
    return openChosenFile(s, path, chosen);
}

int OpenDataFile(DataSession& s, const QString& path) {
    Program& p = s.model.program;
    p.log.DebugLog(QStringLiteral(">>> OpenDataFile(") + path + QLatin1Char(')'), 3);
    DataFileState chosen = s.file;
    const QString absolute = resolveDataPath(s, path);
    chosen.currentFile = absolute;
    chosen.currentDir = QFileInfo(absolute).absolutePath() + QLatin1Char('/');
    if (!QFileInfo(absolute).suffix().isEmpty()) chosen.extension = QFileInfo(absolute).suffix();
    return openChosenFile(s, absolute, chosen);
}

namespace {

int openChosenFile(DataSession& s, const QString& path, const DataFileState& chosen) {
    Program& p = s.model.program;
    DeviceModel& m = s.model;
    const QString pattern = filePattern(p);
    p.ini.forget(path);

    const QString ext = QFileInfo(path).suffix();
    const QString measurand = measurandOfExtension(p, ext);
    if (measurand.isEmpty() || ListValueOf(p.state.Measurands, measurand) < 0) {
        show(s, QStringLiteral("File open"), p.messages.LookupMessage(QStringLiteral("Invalid file extension: .")) + ext);
        return 0;
    }

    QByteArray bytes;
    QString section, why;
    const SmallFileRead read = readSmallFile(path, &bytes, &why);
    if (read != SmallFileRead::Read) {
        show(s, QStringLiteral("File open"),
             p.messages.LookupMessage(QStringLiteral("can't open file")) + QLatin1Char(' ') + path +
                 (why.isEmpty() ? QString() : QStringLiteral(": ") + why));
        return 0;
    }
    if (!dataFileSection(bytes, &section, &why)) {
        show(s, QStringLiteral("Open file"), path + QStringLiteral(": ") + p.messages.LookupMessage(why));
        return 0;
    }

    Header h;
    const bool headerGood = readHeader(s, path, section, &h, &why);
    const QString current = p.state.TransmitterDisplay;
    if (h.mode != current && !current.isEmpty() && current != QLatin1String("auto")) {
        show(s, QStringLiteral("Error"),
             p.messages.LookupMessage(QStringLiteral("Incompatible configurations Transmitter/Display: {td1} & {td2}!\t") +
                                      current + QLatin1Char('\t') + h.mode));
        return 0;
    }
    std::vector<LoadedValue> values;
    if (!headerGood || !collectDataFileValues(s, path, section, &values, &why)) {
        show(s, QStringLiteral("Open file"),
             path + QStringLiteral(": ") +
                 p.messages.LookupMessage(QStringLiteral("Invalid value in data file: {value}\t") + why));
        return 0;
    }

    // The file is sound: from here on it replaces the current data.
    if (s.device.testConnection) s.device.testConnection();
    // The values were checked against the table as it is; the table rebuilt
    // for the file's measurand, base unit or interface can give a field
    // another form (a unit field without its unit), so the load itself may
    // still refuse the file: the data set it was to replace then comes back.
    const CalibrationState calBefore = m.cal;
    const DeviceSelection selectionBefore = m.selection;
    const FieldSnapshot valuesBefore = FieldSnapshot::take(m.fields);
    const DataFileState fileBefore = s.file;
    const bool rebuild = measurand != m.cal.Measurand || h.devConfigIndex != m.selection.DevIndx ||
                         h.intSerIO != m.cal.IntSerIO || m.fields.count() == 0;
    m.selection.DevIndx = h.devConfigIndex;
    if (rebuild) {
        m.cal.Measurand = measurand;
        const QString base = h.baseUnit.isEmpty() ? m.cal.actBaseUnit : h.baseUnit;
        if (s.window.rebuildWindow) s.window.rebuildWindow(measurand);
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
    for (const char* name : {"NominalRangeLow", "NominalRangeHigh", "TNomRangeLow", "TNomRangeHigh", "TMeasRangeLow",
                             "TMeasRangeHigh"}) {
        const int i = m.fields.find(QLatin1String(name));
        if (i >= 0 && !m.fields.at(i).GadUnit.isEmpty()) m.fields.at(i).GadUnit = c.CalUnit;
    }

    s.file = chosen;
    if (!ReadDataFile(s, path, section)) {
        m.cal = calBefore;
        m.selection = selectionBefore;
        if (rebuild) {
            if (s.window.rebuildWindow) s.window.rebuildWindow(calBefore.Measurand);
            DefDataStruc(m, calBefore.actBaseUnit, calBefore.IntSerIO, -11);
            m.cal = calBefore;
        }
        valuesBefore.restore(m.fields);
        s.file = fileBefore;
        return 0;
    }
    // The nominal and measuring range fields work in the calibration unit;
    // a file saved with another unit is converted into it.
    for (const char* name : {"NominalRangeLow", "NominalRangeHigh", "TNomRangeLow", "TNomRangeHigh", "TMeasRangeLow",
                             "TMeasRangeHigh"}) {
        const int i = m.fields.find(QLatin1String(name));
        if (i < 0) continue;
        FieldRecord& f = m.fields.at(i);
        if (f.GadUnit.isEmpty() || f.GadUnit == c.CalUnit) continue;
        const QString converted = convertUnitText(m, f.Content, f.GadUnit, c.CalUnit, f.Name);
        if (!converted.isEmpty()) f.Content = converted;  // else reported; the value stays as saved
        f.GadUnit = c.CalUnit;
    }
    // The file holds contents; what goes to the device is derived from them.
    AllRawToMeasurand(m, 2, m.fields.definedNames());
    p.state.DataTrigger = 0;
    p.state.DataChanged = false;
    s.file.moduleState = 0;

    c.DispUnitIndex = h.dispUnit;
    const QString dispUnitText = ListTextOf(c.UnitsList, h.dispUnit);
    if (!dispUnitText.isEmpty()) c.DispUnit = QLatin1Char('[') + dispUnitText + QLatin1Char(']');
    c.DispDecP = static_cast<short>(h.dispDecP);
    m.selection.DevType = h.devType;
    m.selection.CalcMeth = h.calcMethod;
    // The selection lists and option groups follow the file's configuration;
    // its values stay as saved (no catalogue entry is loaded over them).
    UpdDevType(m, m.selection.DevIndx, m.selection.DevType, m.selection.CalcMeth, QStringLiteral("keep"));
    setCaption(s, path);
    if (s.window.refresh) s.window.refresh();
    return 1;
}

}  // namespace

int StoreData(DataSession& s, const QString& mode) {
    Program& p = s.model.program;
    p.log.DebugLog(QStringLiteral(">>> StoreData(mode$=") + mode + QLatin1Char(')'), 3);
    if (s.window.takeWindowValues && !s.window.takeWindowValues()) {
        show(s, QStringLiteral("Save data"), p.messages.LookupMessage(QStringLiteral("Invalid data!")));
        return 0;
    }
    if (p.state.DataTrigger < 0) {
        show(s, QStringLiteral("Save data"), p.messages.LookupMessage(QStringLiteral("No file available")));
        return 0;
    }
    if (mode == QLatin1String("module")) {
        if (!s.device.write || !s.device.write(QStringLiteral("all"))) return 0;
        s.file.moduleState = 1;
        return 1;
    }
    const int measurand = ListValueOf(p.state.Measurands, s.model.cal.Measurand);
    const QString ext = s.file.extension;
    QString pattern;
    if (measurand == 0) pattern = QStringLiteral("Pressure (*.cfp)|*.cfp");
    else if (measurand == 1) pattern = QStringLiteral("Temperature (*.cft)|*.cft");
    else pattern = s.model.cal.Measurand + QStringLiteral("(*.") + ext + QStringLiteral(")|*.") + ext;

    const QString path = FileOperation(s, mode, pattern, [&s](const QString& file) { return WriteDataFile(s, file); },
                                       nullptr);
    if (path.startsWith(QLatin1Char('*'))) return 0;
    p.state.DataTrigger = 1;
    p.state.DataChanged = false;
    setCaption(s, path);
    if (s.window.refresh) s.window.refresh();
    return 1;
}

int NewData(DataSession& s, const QString& measurand) {
    Program& p = s.model.program;
    DeviceModel& m = s.model;
    p.log.DebugLog(QStringLiteral(">>> NewData(Selected measurand=") + measurand + QLatin1Char(')'), 3);
    const QString r = FileOperation(s, QStringLiteral("new"), QStringLiteral("Pressure (*.cfp)|*.cfp|All Files(*.*)|*.*"),
                                    nullptr, nullptr);
    if (r.startsWith(QLatin1Char('*'))) return 0;
    p.state.DataTrigger = 0;
    p.state.DataChanged = false;
    s.file.moduleState = 0;
    m.fromDevice = false;
    m.loadedFields.clear();
    const QString base = p.profile.ReadProfile(measurand, QStringLiteral("BaseUnit"), m.cal.actBaseUnit, p.state.ProfilePath);
    m.cal.Measurand = measurand;
    DefDataStruc(m, base, m.cal.IntSerIO, -11);
    if (s.window.showPanels) s.window.showPanels(measurand);
    s.file.currentDir = QStringLiteral(".\\");
    s.file.currentFile = QStringLiteral("*.cfp");
    s.file.extension = QStringLiteral("cfp");
    return 1;
}

}  // namespace zh
