#include "ui/window/visibility_groups.h"

#include <QStringList>
#include <initializer_list>

#include "app/gadgets.h"
#include "app/presence.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "app/user_level.h"
#include "model/device_model.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"
#include "ui/window/gadget_colours.h"

namespace zh {
namespace {

const QString kNoDisplay = QStringLiteral("nodisplay");

void logEntry(DeviceModel& m, const char* name, int state) {
    m.program.log.debugLog(QStringLiteral(">>> ") + QLatin1String(name) +
                               QStringLiteral("(state=") + QString::number(state) +
                               QLatin1Char(')'),
                           5);
}

void hideAll(DeviceModel& m, const QStringList& names, int state) {
    for (const QString& name : names) hideControl(m, name, state);
}

// Names with the channel number or row number filled in: "FldSetPoint%1".
QStringList numbered(std::initializer_list<const char*> patterns, int from, int to) {
    QStringList names;
    for (int n = from; n <= to; ++n)
        for (const char* p : patterns) names << QString::fromLatin1(p).arg(n);
    return names;
}

QStringList switchChannel(int channel) {
    return numbered({"FrmSwitch%1",      "DscOutFunc%1",   "CmbOutFunc%1",    "DscSetPoint%1",
                     "FldSetPoint%1",    "UnitSetPoint%1", "DscResetPoint%1", "FldResetPoint%1",
                     "UnitResetPoint%1", "DscFrameHi%1",   "FldFrameHi%1",    "UnitFrameHi%1",
                     "DscFrameLow%1",    "FldFrameLow%1",  "UnitFrameLow%1",  "DscDelaySet%1",
                     "FldDelaySet%1",    "UnitDelaySet%1", "DscDelayReset%1", "FldDelayReset%1",
                     "UnitDelayReset%1", "DscTestSW%1",    "BtnTestSW%1"},
                    channel, channel);
}

Presence configuration(const DeviceModel& m) {
    return parsePresence(m.program.state.TransmitterDisplay.toLower());
}

bool testMode(const DeviceModel& m) {
    return isTestMode(m.program.state.TestMode);
}

int rawNumber(const DeviceModel& m, const char* field, int fallback) {
    const int i = m.fields.find(QLatin1String(field));
    if (i < 0) return fallback;
    bool ok = false;
    const int v = m.fields.at(i).RawVal.trimmed().toInt(&ok);
    return ok ? v : fallback;
}

}  // namespace

void hideFieldGadget(DeviceModel& m, int control, int state) {
    Gadgets& g = m.program.gadgets;
    FieldRecord* f = boundField(m.fields, control);
    if (!f) {
        if (g.exists(control)) g.setHidden(control, state != 0);
        return;
    }
    const bool nodisplay = f->Visibility == kNoDisplay;
    const bool hide = state != 0 || nodisplay;
    if (!nodisplay) f->Visibility = hide ? QStringLiteral("hidden") : QStringLiteral("visible");
    if (g.exists(control)) g.setHidden(control, hide);
    const int unit = controlsOf(f->Name).unit;
    if (unit > 0 && g.exists(unit)) g.setHidden(unit, hide);
}

void disableFieldGadget(DeviceModel& m, int control, int state) {
    Gadgets& g = m.program.gadgets;
    FieldRecord* f = boundField(m.fields, control);
    if (!f) {
        if (g.exists(control)) g.setEnabled(control, state == 0);
        return;
    }
    if (f->Access == QLatin1String("readonly") || f->Visibility == kNoDisplay) return;
    f->Access = state != 0 ? QStringLiteral("disabled") : QStringLiteral("enabled");
    if (!g.exists(control)) return;
    g.setEnabled(control, state == 0);
    setGadColor(m, control, QString(), -1);  // a disabled field shows the not-editable colours
}

void hideControl(DeviceModel& m, const QString& name, int state) {
    const int n = controlNumber(name);
    if (n < 0) {
        m.program.log.debugLog(QStringLiteral("HideControl: unknown control ") + name, 1);
        return;
    }
    hideFieldGadget(m, n, state);
}

void disableControl(DeviceModel& m, const QString& name, int state) {
    const int n = controlNumber(name);
    if (n < 0) {
        m.program.log.debugLog(QStringLiteral("DisableControl: unknown control ") + name, 1);
        return;
    }
    disableFieldGadget(m, n, state);
}

void hideSwitchGadgets1(DeviceModel& m, int state) {
    logEntry(m, "HideSwitchGadgets1", state);
    hideAll(m, switchChannel(1), state);
}

void hideSwitchGadgets2(DeviceModel& m, int state) {
    logEntry(m, "HideSwitchGadgets2", state);
    hideAll(m, switchChannel(2), state);
}

void hideAdminSwitchGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideAdminSwitchGadgets", state);
    hideAll(m, {"FrmHallSwitch",     "DscHallSwitch",  "CmbHallSwitch",  "DscHysteresis",
                "Hysteresis",        "UnitHysteresis", "DscSwitchDelay", "SwitchDelay",
                "UnitSwitchDelay",   "DscSwitchPoint", "SwitchPoint",    "UnitSwitchPoint",
                "BtnSetSwitchPoint", "DscFlashError",  "CmbFlashError",  "DscFlashTeach",
                "CmbFlashTeach",     "DscHartDev",     "CmbHartDev",     "DscCurrentOn",
                "CurrentOn",         "UnitCurrentOn",  "DscCurrentOff",  "CurrentOff",
                "UnitCurrentOff"},
            state);
}

void hideAdminTableGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideAdminTableGadgets", state);
    hideAll(m,
            numbered({"DscMW%1", "MW%1", "ADC%1", "BtnADC%1"}, 0, 10) +
                QStringList{"BtnFillADC", "BtnClrADC", "FrmADCTable"},
            state);
}

void hideAdminPolynomGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideAdminPolynomGadgets", state);
    hideAll(m, numbered({"DscCoeffA%1", "CoeffA%1"}, 0, 3), state);
}

void hideAdminTMUGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideAdminTMUGadgets", state);
    hideAll(m, {"FrmTMU", "DscCalcMethod", "CmbCalcMethod"}, state);
}

// The labels of the display's start and end values stay: they name the
// temperature limits in the same rows too.
void hidePGadgets(DeviceModel& m, int state) {
    logEntry(m, "HidePGadgets", state);
    hideAll(m,
            {"UnitHiTrailing", "UnitLowTrailing", "DspMBE", "UnitDspMBE", "DspMBA", "UnitDspMBA",
             "DscTeachLower", "BtnSetTeachLower", "BtnSet4mADisp", "BtnSet20mADisp",
             "DscTaraPulseLen", "FldTaraPulseLen"},
            state);
    if (state != 0) return;
    // A display module on its own takes its start and end values from the
    // user; with a transmitter they follow the transmitter's range.
    const int locked = configuration(m) == Presence::Display ? 0 : 1;
    disableControl(m, QStringLiteral("DspMBE"), locked);
    disableControl(m, QStringLiteral("DspMBA"), locked);
}

void hideTGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideTGadgets", state);
    hideAll(m,
            {"UnitHiTrailing", "UnitLowTrailing", "TempUpper", "TempLower", "DscHartAddress",
             "HartAddress"},
            state);
    if (state != 0) return;
    // The loop current is the transmitter's: without one there is nothing
    // to set, and the 4 mA and 20 mA controls go together.
    const int locked = configuration(m) == Presence::Display ? 1 : 0;
    for (const char* name : {"BtnTempSet4mA", "BtnTempSet20mA", "Val4mAu", "Val20mAu",
                             "BtnSet4mAOnOffu", "BtnSet20mAOnOffu"})
        disableControl(m, QLatin1String(name), locked);
}

void hideTestGadgets(DeviceModel& m, int state) {
    logEntry(m, "HideTestGadgets", state);
    const UserLevel level = userLevel(m.program.state.UserMode);
    const bool follows =
        level == UserLevel::Administrator || level == UserLevel::Customizer || testMode(m);
    hideAll(m, {"FldADact", "ComboDecPULRV"}, follows ? state : 1);
}

void enableHystFrame(DeviceModel& m, int channel, SwitchMode mode) {
    const bool hysteresis = mode == SwitchMode::Hysteresis;
    m.program.log.debugLog(QStringLiteral(">>> EnableHystFrame(channel=") +
                               QString::number(channel) + QStringLiteral(", mode=") +
                               (hysteresis ? QStringLiteral("hyst") : QStringLiteral("frame")) +
                               QLatin1Char(')'),
                           5);
    const QStringList hyst = numbered(
        {"DscSetPoint%1", "FldSetPoint%1", "DscResetPoint%1", "FldResetPoint%1"}, channel, channel);
    const QStringList frame = numbered(
        {"DscFrameHi%1", "FldFrameHi%1", "DscFrameLow%1", "FldFrameLow%1"}, channel, channel);
    if (rawNumber(m, "SelectEquip", 3) == 0) {
        hideAll(m, hyst + frame, 1);
        return;
    }
    hideAll(m, hyst, hysteresis ? 0 : 1);
    hideAll(m, frame, hysteresis ? 1 : 0);
}

void showOptionGroups(DeviceModel& m, int devIndx) {
    m.program.log.debugLog(QStringLiteral(">>> showOptionGroups(DevIndx=") +
                               QString::number(devIndx) + QLatin1Char(')'),
                           5);
    if (devIndx == 1 || devIndx == 2) {
        hideAdminSwitchGadgets(m, 0);
        hideAdminTMUGadgets(m, 1);
        hideAdminTableGadgets(m, 1);
        hideAdminPolynomGadgets(m, 1);
    } else if (devIndx == 0 || devIndx == 4 || devIndx == 16) {
        // The calculation method decides on table and polynomial.
        hideAdminSwitchGadgets(m, 1);
        hideAdminTMUGadgets(m, 0);
    } else {
        hideAdminSwitchGadgets(m, 0);
        hideAdminTMUGadgets(m, 0);
        hideAdminTableGadgets(m, 0);
        hideAdminPolynomGadgets(m, 0);
    }
}

void showCalcMethodGroups(DeviceModel& m, int calcMeth) {
    hideAdminPolynomGadgets(m, 1);
    hideAdminTableGadgets(m, calcMeth == 1 ? 0 : 1);
    hideAdminTMUGadgets(m, calcMeth == -1 ? 1 : 0);
}

void showMeasurandGroups(DeviceModel& m, int measurand) {
    // Pressure and temperature share the unit controls of their limits, so
    // the group that stays is shown last.
    if (measurand == 0) {
        hideTGadgets(m, 1);
        hideAdminSwitchGadgets(m, 1);
        hidePGadgets(m, 0);
    } else {
        hidePGadgets(m, 1);
        hideAdminSwitchGadgets(m, 1);
        hideTGadgets(m, 0);
    }
}

void showDeviceGroups(DeviceModel& m, int measurand) {
    showMeasurandGroups(m, measurand);
    const int devIndx = m.selection.DevIndx;
    showOptionGroups(m, devIndx);
    if (devIndx == 0 || devIndx == 4 || devIndx == 16) {
        const int i = m.fields.find(QStringLiteral("CalcMethod"));
        bool ok = false;
        const int method = i < 0 ? 0 : m.fields.at(i).Content.trimmed().toInt(&ok);
        showCalcMethodGroups(m, ok ? method : m.selection.CalcMeth);
    }
}

void installVisibilityHooks(DeviceModel& m) {
    m.hooks.showOptionGroups = [&m](int devIndx) { showOptionGroups(m, devIndx); };
    m.hooks.showCalcMethodGroups = [&m](int calcMeth) { showCalcMethodGroups(m, calcMeth); };
}

}  // namespace zh
