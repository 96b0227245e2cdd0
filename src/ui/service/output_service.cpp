#include "ui/service/output_service.h"

#include "app/gadgets.h"
#include "app/program.h"
#include "hart/universal_commands.h"
#include "model/device_model.h"
#include "report/service_record.h"
#include "ui/service/service_commands.h"
#include "ui/window/field_controls.h"
#include "ui/window/visibility_groups.h"

namespace zh {
namespace {

const QString kOff = QStringLiteral("off");
const QString kOn = QStringLiteral("On");

const char* const kLoopButtons[] = {"BtnLoopStartStop", "BtnLoopStartStopAdm"};
const char* const kLoopFields[] = {"ValLoopTest", "ValLoopTestAdm"};

bool isAdmin(const QString& form) {
    return form == QLatin1String("admin");
}

QString milliampText(float milliamps) {
    return QString::number(double(milliamps), 'f', 3) + QStringLiteral(" mA");
}

}  // namespace

OutputService::OutputService(DeviceModel& model, UniversalCommands& commands,
                             DisplayActions& actions)
    : m_(model),
      commands_(commands),
      actions_(actions),
      points_{{4.0f,
               {"BtnSet4mAOnOffu", "BtnSet4mAOnOff"},
               {"BtnTempSet4mA", "BtnSet4mA", "Val4mAu", "Val4mA"},
               "Set4mA",
               kOff},
              {20.0f,
               {"BtnSet20mAOnOffu", "BtnSet20mAOnOff"},
               {"BtnTempSet20mA", "BtnSet20mA", "Val20mAu", "Val20mA"},
               "Set20mA",
               kOff}} {}

bool OutputService::isOn(int index) const {
    return points_[index].state == kOn;
}

bool OutputService::currentFixed() const {
    return loopTest_ || isOn(0) || isOn(1);
}

// Command 40 through the command executor, which connects when needed and
// shows the outcome; 0 mA gives the loop back to the measurement.
bool OutputService::sendFixedCurrent(float milliamps) {
    commands_.inputs.fixedCurrent = milliamps;
    return actions_.runCommand(universalRoutine(commands_, CommandId::Com40),
                               CommandStep::Single) == 1;
}

void OutputService::loopTest(LoopStep step, const QString& form) {
    Program& p = m_.program;
    const bool start = step == LoopStep::Start;
    p.log.debugLog(QStringLiteral(">>> LoopTest(mode$=") +
                       (start ? QStringLiteral("start") : QStringLiteral("stop")) +
                       QStringLiteral(",  form$=") + form + QLatin1Char(')'),
                   4);
    if (start) {
        const std::optional<float> current =
            fieldNumber(m_, QLatin1String(kLoopFields[isAdmin(form) ? 1 : 0]),
                        applicationText(p, QStringLiteral("Loop test")));
        if (!current || !sendFixedCurrent(*current)) return;
        loopTest_ = true;
        p.log.debugLog(QStringLiteral("Loop current fixed at ") +
                           QString::number(double(*current)) + QStringLiteral(" mA"),
                       1);
        note("Loop test", "Current fixed", milliampText(*current));
    } else {
        if (!sendFixedCurrent(0.0f)) return;
        loopTest_ = false;
        p.log.debugLog(QStringLiteral("Loop current released"), 1);
        note("Loop test", "Current", reportText(p, "released"));
    }
    if (!loopTest_) unlockLoopFields();
    showState();
}

void OutputService::set4mA(PointAction action, const QString& form) {
    setPoint(0, action, form);
}
void OutputService::set20mA(PointAction action, const QString& form) {
    setPoint(1, action, form);
}

void OutputService::setPoint(int index, PointAction action, const QString& form) {
    Program& p = m_.program;
    Point& point = points_[index];
    const bool trim = action == PointAction::Trim;
    p.log.debugLog(QStringLiteral(">>> ") + QLatin1String(point.logName) +
                       QStringLiteral("(mode$=") +
                       (trim ? QStringLiteral("trim") : QStringLiteral("on/off")) +
                       QStringLiteral(",  form$=") + form + QLatin1Char(')'),
                   4);
    if (trim) {
        const QString field = QLatin1String(point.trimControls[isAdmin(form) ? 3 : 2]);
        const std::optional<float> measured =
            fieldNumber(m_, field, applicationText(p, QStringLiteral("Trim")));
        if (!measured) return;
        commands_.inputs.measuredCurrent = *measured;
        const CommandId trim = index == 0 ? CommandId::Com45 : CommandId::Com46;
        const char* function = index == 0 ? "Trim 4 mA" : "Trim 20 mA";
        if (actions_.runCommand(universalRoutine(commands_, trim), CommandStep::Single) != 1) {
            note(function, "Measured current",
                 milliampText(*measured) + QStringLiteral(", ") + reportText(p, "failed"));
            return;
        }
        note(function, "Measured current", milliampText(*measured));
        p.log.debugLog(QStringLiteral("Output trimmed at ") +
                           QString::number(double(point.milliamps)) + QStringLiteral(" mA with ") +
                           QString::number(double(*measured)) + QStringLiteral(" mA measured"),
                       1);
        if (showField) showField(field);
        return;
    }
    const bool on = isOn(index);
    if (!sendFixedCurrent(on ? 0.0f : point.milliamps)) return;
    point.state = on ? kOff : kOn;
    note(index == 0 ? "Fixed 4 mA" : "Fixed 20 mA", "Output",
         reportText(p, on ? "released" : "fixed"));
    if (!currentFixed()) unlockLoopFields();
    showState();
}

void OutputService::note(const char* function, const char* what, const QString& result) {
    Program& p = m_.program;
    if (noteDone) noteDone(reportText(p, function), {{reportText(p, what), result}});
}

bool OutputService::release() {
    if (!currentFixed()) return true;
    m_.program.log.debugLog(QStringLiteral(">>> Releasing the fixed loop current"), 4);
    if (!sendFixedCurrent(0.0f)) return false;
    loopTest_ = false;
    for (Point& point : points_) point.state = kOff;
    showState();
    return true;
}

void OutputService::lock(const char* name, bool locked) {
    disableControl(m_, QLatin1String(name), locked ? 1 : 0);
}

// The loop-test values take input again once the loop is no longer fixed.
void OutputService::unlockLoopFields() {
    for (const char* name : kLoopFields) lock(name, false);
}

void OutputService::showState() {
    Program& p = m_.program;
    const auto caption = [&](const char* name, bool running) {
        const int gadget = controlNumber(QLatin1String(name));
        if (gadget > 0 && p.gadgets.exists(gadget))
            p.gadgets.setText(
                gadget, applicationText(p, running ? QStringLiteral("Off") : QStringLiteral("On")));
    };
    for (const char* name : kLoopButtons) caption(name, loopTest_);
    for (int i = 0; i < 2; ++i)
        for (const char* name : points_[i].onOffButtons) caption(name, isOn(i));

    // Only the running function may be used: the loop test locks both
    // points, a point locks the loop test and the other point.
    if (loopTest_) {
        for (const char* name : kLoopFields) lock(name, true);
    }
    for (int i = 0; i < 2; ++i) {
        const int other = 1 - i;
        if (loopTest_ || isOn(other)) {
            for (const char* name : points_[i].onOffButtons) lock(name, true);
        }
        if (isOn(i)) {
            for (const char* name : kLoopButtons) lock(name, true);
            for (const char* name : kLoopFields) lock(name, true);
        }
        for (const char* name : points_[i].trimControls) lock(name, !isOn(i));
    }
}

}  // namespace zh
