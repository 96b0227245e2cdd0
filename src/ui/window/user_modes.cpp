#include "ui/window/user_modes.h"

#include "app/gadgets.h"
#include "app/menu_ids.h"
#include "app/menu_items.h"
#include "app/presence.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "app/user_level.h"
#include "model/device_model.h"
#include "model/list_text.h"
#include "ui/window/control_refresh.h"
#include "ui/window/field_controls.h"
#include "ui/window/status_line.h"
#include "ui/window/visibility_groups.h"
#include "ui/window/window_frame.h"

namespace zh {
namespace {

using Flags = std::array<bool, 4>;
constexpr Flags kAlways{true, true, true, true};
constexpr Flags kNever{false, false, false, false};
constexpr Flags kWithData{false, true, false, true};
constexpr Flags kConnectedWithData{false, false, false, true};
constexpr Flags kConnected{false, false, true, true};
constexpr Flags kNotConnected{true, true, false, false};

// Why a command is off, in words that tell the person what to do; the
// rules below name the cause, this table its text.
const struct {
    Off cause;
    const char* text;
} kReasons[] = {
    {Off::NoData, "Read the module or open a data file first"},
    {Off::NotConnected, "Read or connect the module first"},
    {Off::Connected, "Disconnect the module first"},
    {Off::NotRead, "Read the module first"},
    {Off::NoPort, "No port configured"},
    {Off::Live, "The module is connected already"},
    {Off::NotLive, "The module is not connected"},
    {Off::UserMode, "Not in this user mode"},
    {Off::NoTransmitter, "The device has no transmitter"},
    {Off::NoDisplay, "The device has no display module"},
    {Off::OutputOff, "Switch this output on first"},
    {Off::OtherOutputOn, "Switch the other output off first"},
};

bool isOn(const QString& s) {
    return s == QLatin1String("ON");
}
bool outputOn(const std::function<bool()>& source) {
    return source && source();
}

// A port the program can open: "Auto" names none (there is no search).
bool portConfigured(const QString& port) {
    const QString p = port.trimmed();
    return !p.isEmpty() && p.compare(QLatin1String("Auto"), Qt::CaseInsensitive) != 0;
}

}  // namespace

UserModes::UserModes(DeviceModel& model, ControlRefresh& refresh, MenuItems& menus,
                     WindowFrame& frame)
    : m_(model), refresh_(refresh), menus_(menus), frame_(frame) {}

QString UserModes::stateWord() const {
    const AppState& s = m_.program.state;
    return QLatin1String(s.ConnectionState == 1 ? "connected" : "notconnected") +
           QLatin1String(s.DataTrigger == -1 ? " nodata" : " data");
}

namespace {
std::size_t column(bool connected, bool data) {
    return (connected ? 2 : 0) + (data ? 1 : 0);
}
}  // namespace

bool UserModes::byState(const Flags& flags) const {
    const AppState& s = m_.program.state;
    return flags[column(s.ConnectionState == 1, s.DataTrigger != -1)];
}

// Why `flags` leave a command off: data when data alone would enable it,
// then the cause the rule knows (`otherwise`), then the connection one step
// would bring or end, and data first where both are missing.
Off UserModes::cause(const Flags& flags, Off otherwise) const {
    const AppState& s = m_.program.state;
    const bool connected = s.ConnectionState == 1, data = s.DataTrigger != -1;
    if (flags[column(connected, data)]) return Off::None;
    if (!data && flags[column(connected, true)]) return Off::NoData;
    if (otherwise != Off::None) return otherwise;
    if (!connected && flags[column(true, data)]) return Off::NotConnected;
    if (connected && flags[column(false, data)]) return Off::Connected;
    if (!data && flags[column(!connected, true)]) return Off::NoData;
    return Off::None;
}

QString UserModes::reason(Off cause) const {
    for (const auto& r : kReasons)
        if (r.cause == cause)
            return m_.program.messages.lookupMessage(QLatin1String(r.text),
                                                     QStringLiteral("SerialIO"));
    return QString();
}

void UserModes::itemByState(int id, const Flags& flags, Off otherwise) {
    const bool on = byState(flags);
    menus_.setItemEnabled(id, on);
    menus_.setItemReason(id, on ? QString() : reason(cause(flags, otherwise)));
}
void UserModes::controlByState(const char* name, const Flags& flags, Off otherwise) {
    const bool on = byState(flags);
    disableControl(m_, QLatin1String(name), on ? 0 : 1);
    m_.program.gadgets.setDisabledReason(controlNumber(QLatin1String(name)),
                                         on ? QString() : reason(cause(flags, otherwise)));
}

int UserModes::linkOpen() const {
    return inputs.linkOpen ? inputs.linkOpen() : 0;
}

int UserModes::measurand() const {
    for (const MeasurandSettings& ms : m_.program.state.MeasurandList)
        if (ms.Name == m_.cal.Measurand) return ms.Index;
    return 0;
}

void UserModes::updateGadgetItems(int colindx) {
    Logger& log = m_.program.log;
    log.debugLog(
        QStringLiteral(">>> UpdGadItems(colindx=") + QString::number(colindx) + QLatin1Char(')'),
        4);
    log.debugLog(QStringLiteral("UpdGadItems mode$=") + stateWord(), 4);
    // The controls of the measurand and of the device come first, then
    // those of the user mode (a field table defined anew by a read or New
    // brings its fields' own access back): the enable rules below have the
    // last word on what they show.
    showDeviceGroups(m_, measurand());
    hideAdminGadgets(m_.program.state.UserMode);
    hideTestGadgets(m_, 0);
    commandEntries();
    commandButtons();
    fieldGroups(colindx);
    commandLists();
    switchOutputs();
    updateStatusLine(m_.program, frame_, inputs.moduleState ? inputs.moduleState() : 0,
                     inputs.connectionDetail ? inputs.connectionDetail() : QString(),
                     m_.deviceStatus);
}

// Writing and connecting need data and a way to the device: a port to
// open (a write opens it itself, reads the device first and lays data that
// did not come from it over what it holds), an interface already open, or
// writes switched off. Otherwise only a connected device with data.
bool UserModes::deviceReachable() const {
    const AppState& s = m_.program.state;
    return linkOpen() == 1 || isOn(s.NoWrite) || portConfigured(s.ComPort);
}

UserModes::Flags UserModes::writeFlags() const {
    return deviceReachable() ? kWithData : kConnectedWithData;
}

void UserModes::commandEntries() {
    const AppState& s = m_.program.state;
    menus_.setItemEnabled(menu::kNew, true);
    for (int i = 0; i < menu::kMaxMeasurands; ++i)
        menus_.setItemEnabled(menu::kFirstNewMeasurand + i, true);
    menus_.setItemEnabled(menu::kToolOpen, true);

    const bool open = deviceReachable();
    const bool live = s.DynamicDisplayOn;
    const Flags write = writeFlags();
    const Flags connect = !open ? kConnectedWithData : live ? kNever : kWithData;
    const Flags disconnect = open && live ? kWithData : kNever;
    const Off noWay = open ? Off::None : Off::NoPort;

    for (int id : {menu::kReadAll, menu::kToolRead}) itemByState(id, kAlways);
    // Saving needs a data set; without one there is nothing to save.
    for (int id : {menu::kSave, menu::kSaveAs, menu::kToolSave}) itemByState(id, kWithData);
    for (int id : {menu::kWriteAll, menu::kWriteChanges, menu::kToolWrite})
        itemByState(id, write, noWay);
    for (int id : {menu::kConnect, menu::kToolConnect})
        itemByState(id, connect, open ? Off::Live : Off::NoPort);
    for (int id : {menu::kDisconnect, menu::kToolDisconnect})
        itemByState(id, disconnect, Off::NotLive);

    for (int id = menu::kFirstPort; id <= menu::kLastPort; ++id)
        if (menus_.hasItem(id)) itemByState(id, kNotConnected);
    menus_.setItemEnabled(menu::kStartLog, true);
    menus_.setItemEnabled(menu::kStopLog, true);
}

void UserModes::commandButtons() {
    const bool open = linkOpen() == 1;
    // Functions that talk to the device at once, and functions that also
    // work on a connected device without data.
    static const char* const kDeviceNow[] = {"BtnSetTeachLower", "BtnSetSwitchPoint",
                                             "BtnClearHiTrailing", "BtnClearLowTrailing"};
    static const char* const kDeviceAny[] = {
        "BtnFactSet", "BtnFactSetRest", "BtnFactSetStore",    "BtnLoopStartStop",
        "BtnTestSW1", "BtnTestSW2",     "BtnLoopStartStopAdm"};
    static const char* const kTeach[] = {"BtnTempTLR",      "BtnTempTUR",       "BtnAdmTLR",
                                         "BtnAdmTUR",       "BtnSet4mADisp",    "BtnSet20mADisp",
                                         "BtnSet4mAOnOffu", "BtnSet20mAOnOffu", "BtnSet4mAOnOff",
                                         "BtnSet20mAOnOff"};
    // Device functions of the same kind on the other panel, and the
    // buttons that work on the data shown.
    static const char* const kMoreDevice[] = {"BtnFactSetRestAdm", "BtnSendCmd", "BtnSendCmdAdm"};
    static const char* const kOnData[] = {"BtnFillADC", "BtnClrADC", "BtnStoreConfig"};

    const Flags device = open ? kWithData : kConnected;
    for (const char* name : kDeviceNow)
        controlByState(name, open ? kWithData : kNever, Off::NotRead);
    for (const char* name : kDeviceAny) controlByState(name, device);
    for (const char* name : kMoreDevice) controlByState(name, device);
    // Only the mode word "user" itself is kept from teaching and setting
    // currents; an unknown mode gets the buttons of the higher modes. The
    // output switches follow the other buttons without the interface too,
    // rather than keep whatever state an earlier rule left them in.
    const bool user = userLevel(m_.program.state.UserMode) == UserLevel::User;
    for (const char* name : kTeach)
        controlByState(name, user ? kNever : device, user ? Off::UserMode : Off::None);
    // A current is trimmed while the output gives it, and only one of the
    // two fixed outputs can be on.
    const bool on4 = outputOn(inputs.output4mAOn), on20 = outputOn(inputs.output20mAOn);
    if (on4 || on20) {
        controlByState(on4 ? "BtnSet20mAOnOff" : "BtnSet4mAOnOff", kNever, Off::OtherOutputOn);
        controlByState(on4 ? "BtnSet20mAOnOffu" : "BtnSet4mAOnOffu", kNever, Off::OtherOutputOn);
    }
    for (const char* name : {"BtnSet4mA", "BtnTempSet4mA"})
        controlByState(name, on4 ? device : kNever, on4 ? Off::None : Off::OutputOff);
    for (const char* name : {"BtnSet20mA", "BtnTempSet20mA"})
        controlByState(name, on20 ? device : kNever, on20 ? Off::None : Off::OutputOff);
    for (const char* name : kOnData) controlByState(name, kWithData);
    for (int row = 0; row <= 10; ++row)
        controlByState(qPrintable(QStringLiteral("BtnADC") + QString::number(row)), kWithData);
    controlByState("BtnWriteTransm", writeFlags(), deviceReachable() ? Off::None : Off::NoPort);

    // What the configuration does not have cannot be worked: a display
    // module alone has no loop current, a transmitter alone no display.
    static const char* const kTransmitterOnly[] = {"BtnLoopStartStop", "BtnLoopStartStopAdm",
                                                   "BtnSet4mAOnOff",   "BtnSet20mAOnOff",
                                                   "BtnSet4mAOnOffu",  "BtnSet20mAOnOffu",
                                                   "BtnSet4mA",        "BtnSet20mA",
                                                   "BtnTempSet4mA",    "BtnTempSet20mA",
                                                   "BtnTempTLR",       "BtnTempTUR",
                                                   "BtnAdmTLR",        "BtnAdmTUR"};
    static const char* const kDisplayOnly[] = {
        "BtnSetTeachLower", "BtnSetSwitchPoint", "BtnClearHiTrailing", "BtnClearLowTrailing",
        "BtnSet4mADisp",    "BtnSet20mADisp",    "BtnTestSW1",         "BtnTestSW2",
        "BtnSendCmd",       "BtnSendCmdAdm"};
    // The parts configured, or with "auto" and "all" those the device showed.
    const AppState& s = m_.program.state;
    Presence config = parsePresence(s.TransmitterDisplay.toLower());
    if (config != Presence::Transmitter && config != Presence::Display)
        config = parsePresence(s.TransmDisplay.toLower());
    if (config == Presence::Display)
        for (const char* name : kTransmitterOnly) controlByState(name, kNever, Off::NoTransmitter);
    if (config == Presence::Transmitter)
        for (const char* name : kDisplayOnly) controlByState(name, kNever, Off::NoDisplay);
}

// A display command is chosen in its list and sent with the button beside
// it: the list takes a choice whenever its button can send one (the field
// groups above know nothing of the button).
void UserModes::commandLists() {
    static const char* const kLists[][2] = {{"CmbSelCmd", "BtnSendCmd"},
                                            {"CmbSelCmdAdm", "BtnSendCmdAdm"}};
    Gadgets& g = m_.program.gadgets;
    for (const auto& [list, button] : kLists) {
        const int sender = controlNumber(QLatin1String(button));
        if (sender <= 0 || !g.exists(sender)) continue;
        disableControl(m_, QLatin1String(list), g.isEnabled(sender) ? 0 : 1);
        g.setDisabledReason(controlNumber(QLatin1String(list)), g.disabledReason(sender));
    }
}

void UserModes::fieldGroups(int colindx) {
    const AppState& s = m_.program.state;
    if (s.DataTrigger == -1) {
        refresh_.updateAllGadgets(QStringLiteral("disable"), QStringLiteral("all"), colindx);
        return;
    }
    refresh_.updateAllGadgets(QStringLiteral("enable"), QStringLiteral("COMMON;"), colindx);
    if (!outputOn(inputs.output4mAOn) && !outputOn(inputs.output20mAOn))
        refresh_.updateAllGadgets(QStringLiteral("disable"), QStringLiteral("SPECIAL;"), colindx);
    const int kind = measurand();
    refresh_.updateAllGadgets(
        QStringLiteral("enable"),
        kind == 0 ? QStringLiteral("PRESSURE;") : QStringLiteral("TEMPERATURE;"), colindx);

    const UserLevel level = userLevel(s.UserMode);
    if (level == UserLevel::Customizer) {
        refresh_.updateAllGadgets(QStringLiteral("enable"), QStringLiteral("SYSTEM;"), colindx);
        refresh_.updateAllGadgets(QStringLiteral("enable"), QStringLiteral("ADMIN;"), colindx);
        refresh_.updateAllGadgets(
            kind == 1 ? QStringLiteral("writeable") : QStringLiteral("disable"),
            QStringLiteral("SYSTEM;TRANSMITTER;"), colindx);
    } else if (level == UserLevel::Administrator) {
        refresh_.updateAllGadgets(QStringLiteral("disable"), QStringLiteral("SYSTEM;"), colindx);
        refresh_.updateAllGadgets(QStringLiteral("enable"), QStringLiteral("ADMIN;"), colindx);
    } else {
        refresh_.updateAllGadgets(QStringLiteral("disable"), QStringLiteral("SYSTEM;"), colindx);
        refresh_.updateAllGadgets(QStringLiteral("disable"), QStringLiteral("ADMIN;"), colindx);
    }
}

void UserModes::switchOutputs() {
    auto raw = [this](const char* name, int fallback) {
        const int i = m_.fields.find(QLatin1String(name));
        bool ok = false;
        const int v = i < 0 ? fallback : m_.fields.at(i).RawVal.trimmed().toInt(&ok);
        return ok ? v : fallback;
    };
    // 0 no contact, 1 and 2 one of them, 3 both (also for a value the
    // selector does not know).
    const int equipment = raw("SelectEquip", 3);
    const bool first = equipment == 1 || (equipment != 0 && equipment != 2);
    const bool second = equipment == 2 || (equipment != 0 && equipment != 1);
    hideSwitchGadgets1(m_, first ? 0 : 1);
    hideSwitchGadgets2(m_, second ? 0 : 1);
    auto modeOf = [&](const char* function) {
        const int f = raw(function, 0);
        return f == 2 || f == 3 ? SwitchMode::Frame : SwitchMode::Hysteresis;
    };
    if (first) enableHystFrame(m_, 1, modeOf("OutputFunction1"));
    if (second) enableHystFrame(m_, 2, modeOf("OutputFunction2"));
}

void UserModes::updatePanelTabs() {
    const AppState& s = m_.program.state;
    const UserLevel level = userLevel(s.UserMode);
    const bool customizer = level == UserLevel::Customizer;
    const bool administrator = level == UserLevel::Administrator;
    QString keep;
    switch (m_.selection.DevIndx) {
        case 0:
        case 16:
            keep = customizer      ? QStringLiteral("0;1;2")
                   : administrator ? QStringLiteral("0;1")
                                   : QStringLiteral("0");
            break;
        case 1:
        case 2:
        case 4:
            keep = customizer ? QStringLiteral("1;2") : QStringLiteral("1");
            break;
        default:
            // 3 (a display module alone), and an index not yet known: the
            // display's tabs, so the window never loses every tab.
            keep = customizer || administrator ? QStringLiteral("0;1") : QStringLiteral("0");
            break;
    }
    if (isOn(s.GraphMode)) keep += QStringLiteral(";3");
    if (isOn(s.Diagnostics)) keep += QStringLiteral(";4");

    const std::vector<QString>& captions = m_.program.captions;
    const QString first =
        std::size_t(kFirstTabCaption) < captions.size() ? captions[kFirstTabCaption] : QString();
    removePanelTabs(kMainPanel, first + QLatin1String(kPanelTabs), keep);
    hideAdminGadgets(s.UserMode);
}

void UserModes::removePanelTabs(int panel, const QString& tabList, const QString& keepList) {
    QList<int> tabs;
    for (const QString& entry : tabList.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int index = entry.mid(entry.lastIndexOf(QLatin1Char('=')) + 1).trimmed().toInt(&ok);
        if (ok) tabs << index;
    }
    remaining_.clear();
    for (int k = int(tabs.size()) - 1; k >= 0; --k) {
        const int index = tabs.at(k);
        if (isInList(keepList, QString::number(index), QStringLiteral(";"))) {
            remaining_.prepend(index);
            continue;
        }
        m_.program.log.debugLog(QStringLiteral("+++ Removing Paneltab ") + QString::number(index),
                                4);
        frame_.removePanelTab(panel, index);
    }
}

void UserModes::hideAdminGadgets(const QString& userMode) {
    const AppState& s = m_.program.state;
    m_.program.log.debugLog(
        QStringLiteral(">>> HideAdminGadgets(UserMode=") + userMode + QLatin1Char(')'), 4);

    const int thirdSerial = s.EditionName.startsWith(QLatin1String("KALVERO_S")) ? 1 : 0;
    hideControl(m_, QStringLiteral("DscDscSerialNo3"), thirdSerial);
    hideControl(m_, QStringLiteral("FldDscSerialNo3"), thirdSerial);

    static const char* const kCommands[] = {"DscSelCmd",    "CmbSelCmd",    "BtnSendCmd",
                                            "DscSelCmdAdm", "CmbSelCmdAdm", "BtnSendCmdAdm"};
    static const char* const kNominal[] = {"LowerNominalVal", "UpperNominalVal"};
    const Presence config = parsePresence(s.TransmitterDisplay.toLower());
    if (userLevel(userMode) != UserLevel::Customizer) {
        for (const char* name :
             {"CmbSelEquip", "FldHWVers1", "FldHWVers2", "FldSWVers1", "FldSWVers2",
              "FldHWVers1Adm", "FldHWVers2Adm", "FldSWVers1Adm", "FldSWVers2Adm"})
            disableControl(m_, QLatin1String(name), 1);
        for (const char* name : kNominal) disableControl(m_, QLatin1String(name), 1);
        // Sending raw display commands is the customizer's alone.
        for (const char* name : kCommands) hideControl(m_, QLatin1String(name), 1);
    } else {
        const bool commands = config != Presence::Transmitter;
        for (const char* name : kCommands) hideControl(m_, QLatin1String(name), commands ? 0 : 1);
        if (commands) disableControl(m_, QStringLiteral("CmbSelEquip"), 0);
        if (config == Presence::Display) {
            disableControl(m_, QStringLiteral("FldHWVers1Adm"), 0);
            disableControl(m_, QStringLiteral("FldSWVers1Adm"), 0);
            for (const char* name : kNominal) disableControl(m_, QLatin1String(name), 0);
        } else {
            for (const char* name : kNominal) disableControl(m_, QLatin1String(name), 1);
        }
        disableControl(m_, QStringLiteral("FldLowerRangeVal"), 0);
        disableControl(m_, QStringLiteral("FldUpperRangeVal"), 0);
    }

    hideControl(m_, QStringLiteral("CmbUnitULRV"), 0);
    hideControl(m_, QStringLiteral("BtnFactSetStore"), 0);
    static const char* const kCalibration[] = {"FldADhigh", "FldADlow", "ComboDecPULRV"};
    if (isTestMode(s.TestMode)) {
        for (const char* name : kCalibration) {
            hideControl(m_, QLatin1String(name), 0);
            disableControl(m_, QLatin1String(name), 0);
        }
        disableControl(m_, QStringLiteral("CmbUnitULRV"), 0);
    } else {
        for (const char* name : kCalibration) hideControl(m_, QLatin1String(name), 1);
    }
}

}  // namespace zh
