#include "ui/service/teach_service.h"

#include "app/dialogs.h"
#include "app/presence.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/read_write_sequences.h"
#include "report/service_record.h"
#include "ui/service/service_commands.h"

namespace zh {
namespace {

constexpr int kAfterTeachMs = 1000;  // the transmitter takes over the new range value

}  // namespace

TeachService::TeachService(DeviceModel& model, DeviceSequences& sequences)
    : m_(model), sequences_(sequences) {}

// A range typed but not written, or still being typed, would be written
// over by the range the device reports after the teach.
bool TeachService::rangeEdited() const {
    for (const char* name : {"UpperRangeVal", "LowerRangeVal"}) {
        const int i = m_.fields.find(QLatin1String(name));
        if (i < 0) continue;
        const FieldRecord& f = m_.fields.at(i);
        if (f.ColorIndx == ColourChanged || f.GadStatus == QLatin1String("changed") ||
            f.GadStatus == QLatin1String("infocus") ||
            f.GadStatus.contains(QLatin1String("error"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void TeachService::teachRange(bool upper) {
    Program& p = m_.program;
    const QString title =
        upper ? QStringLiteral("Teach upper Range") : QStringLiteral("Teach lower Range");
    p.log.debugLog(QStringLiteral(">>> ") + title, 4);
    if (rangeEdited()) {
        p.messages.showMessageBox(
            title,
            QStringLiteral(
                "Measuring range has been changed, function invalid!<br>Please update or "
                "re-read module!"),
            mb::Ok | mb::IconExclamation);
        return;
    }
    if (!confirmFunction(p, title)) return;

    UniversalCommands& u = sequences_.universal();
    DisplayActions& a = sequences_.actions();
    if (!a.runCommand(universalRoutine(u, upper ? CommandId::Com36 : CommandId::Com37),
                      CommandStep::Start)) {
        note(title, {{reportText(p, "Result"), reportText(p, "failed")}});
        return;
    }
    // From here on the device holds a range of its own making: whatever
    // follows, the window reads it again.
    p.dialogs.sleep(kAfterTeachMs);
    // Command 35 confirms the range the device holds now: the taught end
    // and the other one as the device reports them, in the unit it reports
    // them in. The range shown before the teach would undo it.
    const CommandRoutine readRange{
        CommandId::Other, [&u](int tries) { return u.Com15(tries); }, {}};
    const CommandStep going = CommandStep::Continue;
    bool done = a.runCommand(readRange, going, QStringLiteral("Read range values"));
    if (done) {
        const QByteArray& answer = u.buffers(15).response;
        if (answer.size() > 2) u.inputs.rangeUnitsCode = static_cast<std::uint8_t>(answer.at(2));
        done = a.runCommand(universalRoutine(u, CommandId::Com35), going);
    }
    // A display module shows the loop in its own copy of the range: it
    // takes the transmitter's again, or it would show other values than
    // the loop carries.
    if (done && parsePresence(p.state.TransmDisplay.toLower()) == Presence::All) {
        a.Aktion = action::kReinitFromTransmitter;
        done = a.runCommand(a.com192(), going);
    }
    if (done) a.runCommand(CommandRoutine{}, CommandStep::Stop);
    const QStringList warnings = a.warnings();
    p.log.debugLog(title + QStringLiteral(": done"), 1);
    const bool shown = hooks.readDevice && hooks.readDevice() == 0;
    ServiceResults results;
    if (shown)
        results = {{reportText(p, "Lower range value"), shownValue("LowerRangeVal")},
                   {reportText(p, "Upper range value"), shownValue("UpperRangeVal")}};
    else
        results = {{reportText(p, "Result"), reportText(p, "range not read again")}};
    if (!warnings.isEmpty())
        results.emplace_back(reportText(p, "Warning"), warnings.join(QStringLiteral("; ")));
    note(title, results);
    if (warnings.isEmpty()) return;
    // The device did it its own way: the person learns how, and which
    // range it holds now.
    QString text =
        QStringLiteral("The device carried out the function with a warning: {warning}\t") +
        warnings.join(QStringLiteral("; "));
    if (shown) {
        text = QStringLiteral(
                   "The device carried out the function with a warning: {warning}<br>Measuring "
                   "range now: {lower} ... {upper}\t") +
               warnings.join(QStringLiteral("; ")) + QLatin1Char('\t') +
               shownValue("LowerRangeVal") + QLatin1Char('\t') + shownValue("UpperRangeVal");
    }
    p.messages.showMessageBox(title, text, mb::Ok | mb::IconExclamation);
}

// A field as the window shows it, with its unit.
QString TeachService::shownValue(const char* name) const {
    const int i = m_.fields.find(QLatin1String(name));
    if (i < 0) return QString();
    const FieldRecord& f = m_.fields.at(i);
    return f.Content.trimmed() + QLatin1Char(' ') + f.GadUnit;
}

void TeachService::teachDisplay(int code) {
    Program& p = m_.program;
    const QString title = code == action::kTeach4mA    ? QStringLiteral("Teach 4 mA")
                          : code == action::kTeach20mA ? QStringLiteral("Teach 20 mA")
                                                       : QStringLiteral("Teach lower range");
    // The lower range comes from the process, which the person may not have
    // set up yet: it asks first. The 4 and 20 mA points go with the current
    // the person has just fixed.
    if (code == action::kTeachLowerRange && !confirmFunction(p, title)) return;
    if (sequences_.actions().teach(code) != 1) {
        note(title, {{reportText(p, "Result"), reportText(p, "failed")}});
        return;
    }
    // The module's calibration is new: the window reads it, or asks the
    // person to when it could not.
    const bool shown = hooks.readDevice && hooks.readDevice() == 0;
    note(title, {{reportText(p, "Result"), reportText(p, "taught")}});
    p.messages.showMessageBox(title,
                              shown
                                  ? QStringLiteral("Calibration has been changed and read again!")
                                  : QStringLiteral("Calibration has been changed! Re-read module!"),
                              mb::Ok | mb::IconInformation);
}

void TeachService::factorySetting(bool restore) {
    Program& p = m_.program;
    const QString title = restore ? QStringLiteral("Restore factory setting")
                                  : QStringLiteral("Store factory setting");
    p.log.debugLog(QStringLiteral(">>> ") + title, 4);
    if (!confirmFunction(p, title)) return;
    const int done = sequences_.actions().factorySetting(restore ? action::kRestoreFactorySetting
                                                                 : action::kFactorySetting);
    if (restore && hooks.showFields) hooks.showFields();
    note(title, {{reportText(p, "Result"), reportText(p, done == 1 ? "ok" : "failed")}});
}

void TeachService::note(const QString& title, const ServiceResults& results) {
    if (hooks.noteDone) hooks.noteDone(applicationText(m_.program, title), results);
}

}  // namespace zh
