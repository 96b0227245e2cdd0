#include "command_table.h"

#include <algorithm>
#include <initializer_list>

#include "logger.h"
#include "menu_ids.h"

namespace zh {
namespace {

using namespace menu;

QStringList controls(std::initializer_list<const char*> names) {
    QStringList list;
    for (const char* n : names) list << QStringLiteral("#Gadget_ZELHart_") + QLatin1String(n);
    return list;
}

QStringList adcButtons() {
    QStringList list;
    for (int row = 0; row <= 10; ++row)
        list << QStringLiteral("#Gadget_ZELHart_BtnADC") + QString::number(row);
    return list;
}

std::vector<CommandInfo> buildCatalogue() {
    using C = Command;
    const auto range = [](int first, int last) { return std::pair<int, int>(first, last); };
    const int lastNew = kFirstNewMeasurand + kMaxMeasurands - 1;
    const int lastPopupNew = kFirstPopupMeasurand + kMaxMeasurands - 1;
    return {
        {C::NewData,
         "New",
         {kNew, kToolNew, kPopupNew},
         {range(kFirstNewMeasurand, lastNew), range(kFirstPopupMeasurand, lastPopupNew)},
         {}},
        {C::OpenData, "Open", {kOpen, kToolOpen}, {}, {}},
        {C::SaveData, "Save", {kSave, kToolSave}, {}, {}},
        {C::SaveDataAs, "Save as", {kSaveAs}, {}, {}},
        {C::Exit, "Exit", {kExit, kToolExit}, {}, {}},
        {C::OpenFile,
         "Open file",
         {kOpenNamedFile},
         {range(kFirstRecentFile, kLastRecentFile)},
         {}},
        {C::Connect, "Connect module", {kConnect, kToolConnect}, {}, {}},
        {C::Disconnect, "Disconnect module", {kDisconnect, kToolDisconnect}, {}, {}},
        {C::ReadModule, "Read module", {kReadAll, kToolRead}, {}, {}},
        {C::WriteModule, "Write module", {kWriteAll, kPopupWriteAll}, {}, {}},
        {C::WriteChanges, "Write module changes only", {kWriteChanges, kPopupWriteChanges}, {}, {}},
        {C::WritePopup, "Write module", {kToolWrite}, {}, {}},
        {C::CompareData, "Compare module with data", {kCompare}, {}, {}},
        {C::About, "Program version", {kAbout}, {}, {}},
        {C::HartAddress, "Hart address", {kHartAddress}, {}, {}},
        {C::ScanLoop, "Scan loop", {kScanLoop}, {}, {}},
        {C::ScanAll, "Scan all addresses", {kScanAll}, {}, {}},
        {C::HartDevice, "HART device", {kHartDevice}, {}, {}},
        {C::LogOn, "Logging On", {kStartLog}, {}, {}},
        {C::LogOff, "Logging Off", {kStopLog}, {}, {}},
        {C::SelectPort, "Change serial com port", {}, {range(kFirstPort, kLastPort)}, {}},
        {C::EnterPort, "Port ...", {kEnterPort}, {}, {}},
        {C::Manual, "Manual", {kManual}, {}, {}},
        {C::ServiceReport, "Service report", {kServiceReport}, {}, {}},
        {C::DeviceHistory, "Device history", {kDeviceHistory}, {}, {}},
        {C::SelectDevice,
         "Device",
         {kConfigAuto, kConfigAll, kConfigTransmitter, kConfigDisplay},
         {},
         {}},
        {C::SelectLanguage, "Select language", {}, {range(kFirstLanguage, kLastLanguage)}, {}},
        {C::ConfirmInput, "Return", {kKeyReturn}, {}, {}},
        {C::CancelInput, "Escape", {kKeyEscape}, {}, {}},
        {C::ShowFieldEntry, "Field entry", {kKeyShowFieldEntry}, {}, {}},
        {C::NoAction, "No action", {kKeyCtrlG, kKeyCtrlK}, {}, {}},
        {C::RaiseError, "Error report", {kKeyRaiseError}, {}, {}},
        {C::NoDataSignal, "No data", {kKeyNoDataSignal}, {}, {}},
        {C::DumpFocusedField, "Dump field", {kKeyDumpFocusedField}, {}, {}},
        {C::DumpFieldTable, "Dump field table", {kKeyDumpFieldTable}, {}, {}},
        {C::ShowCalibrationState, "Calibration parameters", {kKeyCalibrationState}, {}, {}},
        {C::FocusNext, "Next field", {kKeyTab}, {}, {}},
        {C::FocusPrevious, "Previous field", {kKeyBacktab}, {}, {}},
        {C::Help, "Help", {kKeyHelp}, {}, {}},
        {C::TeachLowerRange, "Teach lower Range", {}, {}, controls({"BtnTempTLR", "BtnAdmTLR"})},
        {C::TeachUpperRange, "Teach upper Range", {}, {}, controls({"BtnTempTUR", "BtnAdmTUR"})},
        {C::OutputFunction, "Output function", {}, {}, controls({"CmbOutFunc1", "CmbOutFunc2"})},
        {C::EquipmentSelection, "Select equipment", {}, {}, controls({"CmbSelEquip"})},
        {C::StoreFactorySetting,
         "Store factory setting",
         {},
         {},
         controls({"BtnFactSet", "BtnFactSetStore"})},
        {C::RestoreFactorySetting,
         "Restore factory setting",
         {},
         {},
         controls({"BtnFactSetRest", "BtnFactSetRestAdm"})},
        {C::LoopTest, "Loop test", {}, {}, controls({"BtnLoopStartStop", "BtnLoopStartStopAdm"})},
        {C::SwitchTest, "Test Switch", {}, {}, controls({"BtnTestSW1", "BtnTestSW2"})},
        {C::Set4mAOnOff, "4 mA", {}, {}, controls({"BtnSet4mAOnOff", "BtnSet4mAOnOffu"})},
        {C::Trim4mA, "Trim 4 mA", {}, {}, controls({"BtnSet4mA", "BtnTempSet4mA"})},
        {C::Teach4mADisplay, "Teach 4 mA", {}, {}, controls({"BtnSet4mADisp"})},
        {C::Set20mAOnOff, "20 mA", {}, {}, controls({"BtnSet20mAOnOff", "BtnSet20mAOnOffu"})},
        {C::Trim20mA, "Trim 20 mA", {}, {}, controls({"BtnSet20mA", "BtnTempSet20mA"})},
        {C::Teach20mADisplay, "Teach 20 mA", {}, {}, controls({"BtnSet20mADisp"})},
        {C::ClearAdcTable, "Clear", {}, {}, controls({"BtnClrADC"})},
        {C::FillAdcTable, "Fill", {}, {}, controls({"BtnFillADC"})},
        {C::TakeAdcValue, "SetADC", {}, {}, adcButtons()},
        {C::ReadTransmitter, "Read Config", {}, {}, controls({"BtnReadTransm"})},
        {C::WriteTransmitter, "Write Config", {}, {}, controls({"BtnWriteTransm"})},
        {C::StoreConfiguration, "Store Config", {}, {}, controls({"BtnStoreConfig"})},
        {C::SendCommand, "Send Command", {}, {}, controls({"BtnSendCmd", "BtnSendCmdAdm"})},
        {C::ReadDiagnostics, "Diagnostics", {}, {}, controls({"BtnDiagRead"})},
        {C::SaveDiagnostics, "Save diagnostics", {}, {}, controls({"BtnDiagSave"})},
        {C::ClearTrailingPointer,
         "Clear trailing pointer",
         {},
         {},
         controls({"BtnClearHiTrailing", "BtnClearLowTrailing"})},
        {C::SetTeachLower, "Teach lower range", {}, {}, controls({"BtnSetTeachLower"})},
        {C::SetSwitchPoint, "Switch point", {}, {}, controls({"BtnSetSwitchPoint"})},
    };
}

int key(Command c) {
    return static_cast<int>(c);
}

}  // namespace

const std::vector<CommandInfo>& CommandCatalogue() {
    static const std::vector<CommandInfo> catalogue = buildCatalogue();
    return catalogue;
}

CommandTable::CommandTable(Logger& log,
                           const std::function<int(const QString& symbol)>& controlNumber)
    : log_(log) {
    for (const CommandInfo& info : CommandCatalogue()) {
        for (int id : info.ids) menuIds_.insert(id, info.command);
        for (const auto& [first, last] : info.ranges) {
            for (int id = first; id <= last; ++id) menuIds_.insert(id, info.command);
        }
        if (!controlNumber) continue;
        for (const QString& name : info.controls) {
            const int number = controlNumber(name);
            if (number >= 0) {
                gadgets_.insert(number, info.command);
            } else {
                log_.debugLog(QStringLiteral("CommandTable: no control ") + name, 1);
            }
        }
    }
    // Ctrl+G and Ctrl+K are defined to do nothing; that is their whole action.
    bind(Command::NoAction, [](int) {});
}

void CommandTable::bind(Command command, Handler handler) {
    if (handler) {
        handlers_.emplace(key(command), std::move(handler));
    } else {
        unbind(command);
    }
}

void CommandTable::unbind(Command command) {
    handlers_.remove(key(command));
}

bool CommandTable::isAvailable(Command command) const {
    return handlers_.contains(key(command));
}

std::optional<Command> CommandTable::menuCommand(int id) const {
    const auto it = menuIds_.constFind(id);
    if (it == menuIds_.constEnd()) return std::nullopt;
    return *it;
}

std::optional<Command> CommandTable::gadgetCommand(int gadget) const {
    const auto it = gadgets_.constFind(gadget);
    if (it == gadgets_.constEnd()) return std::nullopt;
    return *it;
}

bool CommandTable::isMenuAvailable(int id) const {
    const std::optional<Command> c = menuCommand(id);
    return c && isAvailable(*c);
}

bool CommandTable::isGadgetAvailable(int gadget) const {
    const std::optional<Command> c = gadgetCommand(gadget);
    return c && isAvailable(*c);
}

std::vector<int> CommandTable::unavailableMenuIds(const std::vector<int>& ids) const {
    std::vector<int> out;
    for (int id : ids) {
        if (!isMenuAvailable(id)) out.push_back(id);
    }
    return out;
}

std::vector<int> CommandTable::unavailableGadgets() const {
    std::vector<int> out;
    for (auto it = gadgets_.constBegin(); it != gadgets_.constEnd(); ++it) {
        if (!isAvailable(it.value())) out.push_back(it.key());
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool CommandTable::dispatch(const WindowEvent& event) {
    if (event.type == EventMenu) return dispatchMenu(event.menu);
    if (event.type == EventGadget && event.code == GadgetSelect)
        return dispatchGadget(event.gadget);
    return false;
}

bool CommandTable::dispatchMenu(int id) {
    const std::optional<Command> c = menuCommand(id);
    if (!c) {
        log_.debugLog(
            QStringLiteral(">>> Menu Event: no command for MenuID=") + QString::number(id), 4);
        return false;
    }
    const CommandInfo* info = infoOf(*c);
    const auto handler = handlers_.constFind(key(*c));
    const bool available = handler != handlers_.constEnd();
    logMenuCommand(*info, id, available);
    if (!available) return false;
    // A copy: the handler may rebind commands (a rebuilt window binds afresh).
    const Handler run = *handler;
    run(id);
    return true;
}

bool CommandTable::dispatchGadget(int gadget) {
    const std::optional<Command> c = gadgetCommand(gadget);
    if (!c) return false;
    const auto handler = handlers_.constFind(key(*c));
    if (handler == handlers_.constEnd()) {
        log_.debugLog(QStringLiteral("> # ") + infoOf(*c)->name +
                          QStringLiteral(": not available (GadgetID=") + QString::number(gadget) +
                          QLatin1Char(')'),
                      6);
        return false;
    }
    const Handler run = *handler;
    run(gadget);
    return true;
}

const CommandInfo* CommandTable::infoOf(Command command) const {
    for (const CommandInfo& info : CommandCatalogue()) {
        if (info.command == command) return &info;
    }
    return nullptr;
}

// "> #  MenuOpen ,#ToolBarBtn_Open ;-- Open": every symbolic name of the
// command, the first without its "#".
void CommandTable::logMenuCommand(const CommandInfo& info, int id, bool available) {
    QStringList names;
    for (int each : info.ids) {
        const QString symbol = symbolOf(each);
        if (!symbol.isEmpty()) names << symbol;
    }
    if (names.isEmpty()) names << QStringLiteral("#MenuID-") + QString::number(id);
    names.first().remove(0, 1);
    QString line = QStringLiteral("> #  ") + names.join(QStringLiteral(" ,")) +
                   QStringLiteral(" ;-- ") + info.name;
    if (!available) line += QStringLiteral(" (not available)");
    log_.debugLog(line, 6);
}

}  // namespace zh
