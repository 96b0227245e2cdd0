// Compare module with data: the device read once and held against a data
// file, which becomes the data shown, the fields that differ listed and
// marked "changed" in the form. And
// the check after a write from the window: the device read back and held
// against what was sent.

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "files/data_commands.h"
#include "files/device_comparison.h"
#include "files/device_core.h"
#include "hart/results.h"
#include "model/device_model.h"
#include "report/service_record.h"
#include "ui/application/application.h"
#include "ui/window/device_colours.h"

namespace zh {

namespace {

const QString kSection = QStringLiteral("SerialIO");

QStringList namesOf(const std::vector<FieldDifference>& differences) {
    QStringList names;
    for (const FieldDifference& d : differences) names << d.name;
    return names;
}

// The check of a write as the service report lists it.
std::vector<std::pair<QString, QString>> verifyResults(Program& p, const Comparison& c) {
    const auto text = [&p](const char* english) { return reportText(p, english); };
    const QString result = text("Result");
    if (!c.failure.isEmpty() || c.result != kResultOk)
        return {{result, text("not read back") + QStringLiteral(": ") + c.failure}};
    if (c.differences.empty()) return {{result, text("no differences")}};
    std::vector<std::pair<QString, QString>> lines{
        {result, text("%1 difference(s)").arg(c.differences.size())}};
    for (const FieldDifference& d : c.differences)
        lines.emplace_back(d.caption,
                           d.fileValue + QStringLiteral(" -> ") + d.deviceValue +
                               (d.unit.isEmpty() ? QString() : QLatin1Char(' ') + d.unit));
    return lines;
}

}  // namespace

void Application::compareWithData() {
    const QString title =
        p_.messages.lookupMessage(QStringLiteral("Compare module with data"), kSection);
    const QString path = chooseDataFile(data_);
    if (path.isEmpty()) return;
    const int devIndx = model_.selection.DevIndx;
    gadgets_.setWindowEnabled(1, false);
    const Comparison c = compareDeviceWithFile(core_, path);
    gadgets_.setWindowEnabled(1, true);
    const bool compared = c.result == kResultOk && c.failure.isEmpty();
    // The form shows the file's values as loaded, the fields the device
    // holds otherwise "changed": Write changes sends exactly those.
    if (c.opened) showLoadedStates(model_);
    if (compared) setColourStates(model_, namesOf(c.differences), ColourChanged);
    if (model_.selection.DevIndx != devIndx)
        buildMainWindow(1);
    else
        showFields();
    if (!compared) {
        // The file's check or the read has told the person what went wrong.
        p_.log.debugLog(QStringLiteral("Compare: ") + c.failure, 1);
        return;
    }
    if (c.differences.empty()) {
        p_.messages.showMessageBox(
            title,
            p_.messages.lookupMessage(QStringLiteral("The module matches the data file."),
                                      kSection),
            mb::Ok | mb::IconInformation, MsgText::AsIs);
        return;
    }
    const auto tr = [this](const char* text) {
        return p_.messages.lookupMessage(QLatin1String(text), kSection);
    };
    DifferenceList list;
    list.title = title + QStringLiteral(": ") + path;
    list.headers =
        QStringList{tr("Field"), tr("Name"), tr("File value"), tr("Module value"), tr("Unit")};
    for (const FieldDifference& d : c.differences)
        list.rows.push_back({d.caption, d.name, d.fileValue, d.deviceValue, d.unit});
    list.lines = differenceLines(c.differences);
    list.saveCaption = tr("Save as text...");
    list.closeCaption = tr("Close");
    list.saveTitle =
        p_.messages.lookupMessage(QStringLiteral("Save file"), QStringLiteral("Common"));
    p_.dialogs.showDifferences(list);
}

// The device read back once and held against what was sent. A field it
// does not hold as sent keeps the value written and shows "changed", so
// Write changes sends it again, and the module shows "not updated"; the
// others show "updated". The data's file state stays as the write left it.
int Application::verifyWrite(const QStringList& written) {
    const FieldTable sent = model_.fields;
    const QStringList loaded = model_.loadedFields;
    const int dataTrigger = p_.state.DataTrigger;
    const bool dataChanged = p_.state.DataChanged;
    const Comparison c = zh::verifyWrite(core_);
    // The model holds what the device gave back: that is what it was left with.
    if (c.result == kResultOk && c.failure.isEmpty()) deviceWritten(written);
    model_.loadedFields = loaded;
    p_.state.DataTrigger = dataTrigger;
    p_.state.DataChanged = dataChanged;
    for (const FieldDifference& d : c.differences) {
        const int from = sent.find(d.name);
        const int to = model_.fields.find(d.name);
        if (from >= 0 && to >= 0) model_.fields.at(to) = sent.at(from);
    }
    const bool good = c.result == kResultOk && c.differences.empty();
    noteFunction(reportText(p_, "Verify"), verifyResults(p_, c));
    data_.file.moduleState = good ? 1 : 0;
    setColourStates(model_, written, ColourUpdated);
    setColourStates(model_, namesOf(c.differences), ColourChanged);
    showFields();
    // A read that failed has told the person itself.
    if (!c.failure.isEmpty()) p_.log.debugLog(QStringLiteral("Verify: ") + c.failure, 1);
    if (c.differences.empty()) return c.result;
    const QString text =
        p_.messages.lookupMessage(
            QStringLiteral("Write failed, the module does not hold what was written:"), kSection) +
        QLatin1Char('\n') + differenceLines(c.differences).join(QLatin1Char('\n'));
    p_.messages.showMessageBox(p_.messages.lookupMessage(QStringLiteral("Write module"), kSection),
                               text, mb::Ok | mb::IconError, MsgText::AsIs);
    return 1;
}

}  // namespace zh
