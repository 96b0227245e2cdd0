#include "data_file_check.h"

#include "app/headless_gadgets.h"
#include "app/program.h"
#include "data_file.h"
#include "data_file_header.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/list_text.h"
#include "model/type_checks.h"

namespace zh {
namespace {

// More names than this make a message nobody reads; the count says the rest.
constexpr int kNamedProblems = 12;

bool validOption(const FieldRecord& f, const QString& content) {
    bool ok = false;
    const int n = content.trimmed().toInt(&ok);
    return ok && !listTextOf(f.Params, n).isEmpty();
}

// The value passes its field's type check: characters, digits, length. Its
// minimum and maximum are what the window lets a person type; a device may
// hold a value beyond them (a damping of 0 s below a smallest entry of
// 0.1 s), and its own file must load. A value beyond them that differs from
// the device's is refused by the write's check, before the first frame.
bool fitsItsField(const DeviceModel& m, const FieldRecord& f, const QString& content) {
    FieldRecord digitsOnly = f;
    digitsOnly.Params = f.Params.section(QLatin1Char(';'), 0, 0);
    return !checkByType(m.program, digitsOnly, fieldCaption(m, f.Name), content, false).failed();
}

// The problems of the fields in `m` as a file loaded them.
QStringList checkLoadedFields(DataSession& file, const QStringList& present,
                              const QStringList& known) {
    DeviceModel& m = file.model;
    QStringList problems;
    for (const QString& name :
         m.fields.definedNames().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int index = m.fields.find(name);
        if (index < 0 || known.contains(name)) continue;
        const FieldRecord& f = m.fields.at(index);
        if (!isSavedField(file, f)) continue;
        if (!present.contains(name, Qt::CaseInsensitive)) {
            if (!mayBeLeftOut(f)) problems << name + QStringLiteral(" missing");
            continue;
        }
        const bool option = f.type() == QLatin1String("combobox");
        if (mayBeLeftOut(f) || (f.is(FlagDisplayOnly) && !option))
            continue;  // a read-out: never written to a device
        // A key with an empty value left the field's default in place.
        const QString content = m.loadedFields.contains(name) ? f.Content : QString();
        bool good = option ? validOption(f, content) : fitsItsField(m, f, content);
        // The measurand a file names is the one of its extension: a write
        // sets the module up for that one, whatever else the file says.
        if (name == QLatin1String("UnitType"))
            good = good && content.trimmed().toInt() ==
                               listValueOf(m.program.state.Measurands, m.cal.Measurand);
        if (!good)
            problems << name + QLatin1Char('=') + content +
                            (content.isEmpty() ? QString() : f.GadUnit);
    }
    return problems;
}

}  // namespace

QStringList checkDataFile(DataSession& s, const QString& path, const QString& section,
                          const DataFileHeader& h, const QString& measurand) {
    // A program context of its own, without controls, so that defining the
    // file's field table touches neither the window nor the data shown.
    Program& p = s.model.program;
    HeadlessGadgets noControls;
    Program scratch(p.dialogs, noControls, p.clock);
    scratch.state = p.state;
    scratch.state.TransmitterDisplay = h.mode;  // the fields the file's writer saved
    scratch.log.setThreshold(0);
    DeviceModel model(scratch);
    model.cal = s.model.cal;
    model.selection = s.model.selection;
    DataSession file(model);
    file.file = s.file;

    applyDataFileHeader(model, h, measurand, nullptr);
    std::vector<LoadedValue> values;
    QStringList problems = collectDataFileValues(file, path, section, &values);
    storeDataFileValues(model, values);
    rangesToCalibrationUnit(model);
    updateDeviceTypeSelection(
        model,
        model.selection.DevIndx);  // the device types of the file's configuration
    QStringList known;
    for (const QString& problem : problems) known << problem.section(QLatin1Char('='), 0, 0);
    problems << checkLoadedFields(file, scratch.ini.keyNames(path, section), known);
    return problems;
}

QString dataFileProblemsText(Program& p, const QString& path, const QStringList& problems) {
    QStringList named = problems.mid(0, kNamedProblems);
    if (problems.size() > kNamedProblems)
        named << QStringLiteral("(+%1)").arg(problems.size() - kNamedProblems);
    return path + QStringLiteral(": ") +
           p.messages.lookupMessage(QStringLiteral("Invalid value in data file: {value}\t") +
                                    named.join(QStringLiteral(", ")));
}

}  // namespace zh
