#pragma once
// Which action each command identifier starts: menu entries, tool-bar
// buttons, pop-up entries and keyboard shortcuts (all arriving as menu
// events) and the buttons and selectors of the main window (gadget events).
// Identifiers that do the same thing share one command. The program binds a
// handler to each command it can carry out; a command without a handler is
// unavailable: its entries are shown disabled and its events only logged.

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "window_event.h"

namespace zh {

class Logger;

// The commands, with the identifiers and controls that start them and the
// program function each handler calls. A command without a handler shows
// disabled. Reads run with the main window disabled; the write modes take
// the configuration in use ("transmitter", "display" or "all") as their
// first word.
enum class Command {
    // --- File ---
    // 2030, 2002, 2075, measurand entries 2031..2040 and 2076..2085:
    // showPopUp (ui/window/menu_builder.h) with equipmentPopup (menu_table.h);
    // the save request first when data changed (saveRequest,
    // files/file_operation.h); then DataTrigger -1; connectDevice and
    // disconnectDevice (hart/hart_session.h) as the connection test;
    // updateTransmitterConfig (model/device_types.h); rebuild the window;
    // startNewData (files/data_commands.h).
    NewData,
    OpenData,       // 2027, 2003: chooseAndOpenData (files/data_commands.h)
    SaveData,       // 2028, 2005: storeData(session, StoreTarget::File)
    SaveDataAs,     // 2029: storeData(session, StoreTarget::FileAs)
    Exit,           // 2066, 2001: saveRequest, then end the program
    OpenFile,       // 6110, recent files 6100..6105: openDataFile of the file named or listed
    ServiceReport,  // 2100: the report of this visit (ui/dialogs/report_window.h)
    DeviceHistory,  // 2101: the readings kept of the device (ui/dialogs/history_window.h)
    // --- Data transfer ---
    Connect,       // 2067, 2089: connectDevice, rebuild when the device differs, live display
    Disconnect,    // 2068, 2090: stop the live display, disconnectDevice
    ReadModule,    // 2069, 2093: DeviceSequences::readDevice (model/read_write_sequences.h)
    WriteModule,   // 2070, 2086: DeviceSequences::writeDevice(<configuration>, WriteScope::All)
    WriteChanges,  // 2071, 2087: DeviceSequences::writeDevice(<configuration>, WriteScope::Changes)
    WritePopup,    // 2094: MenuBuilder::showPopup(menu::kWritePopup)
    CompareData,   // 2097: compareDeviceWithFile (files/device_comparison.h), the list
    // --- Setup and ? ---
    About,         // 2073: showMessageBox with AppState::AboutText
    HartAddress,   // 2074: HartAddressDialog (app/setting_stores.h)
    ScanLoop,      // 2095: scanAddresses (hart/address_scan.h) 0..15, the list, the address chosen
    ScanAll,       // 2102: as ScanLoop, addresses 0..63
    HartDevice,    // 2096: the universal view of any HART device (ui/dialogs/universal_window.h)
    LogOn,         // 2057: I/O logging on
    LogOff,        // 2058: I/O logging off
    SelectPort,    // 5000..5999: selectComPort with the entry's value (app/setting_stores.h)
    EnterPort,     // 2098: enterComPort (hart/port_entry.h)
    Manual,        // 2099, F1: the manual (ui/dialogs/manual_window.h)
    SelectDevice,  // 2062..2065: selectTransmitterDisplay with the entry's value, rebuild
    SelectLanguage,  // 1204..1213: selectLanguage with the entry's value
    // --- Keyboard ---
    ConfirmInput,      // 17 Return: input check
    CancelInput,       // 18 Escape: input check
    ShowFieldEntry,    // 19 Ctrl+Q: FieldInspector (ui/window/field_diagnostics.h) in a small view
    NoAction,          // 20, 21 Ctrl+G, Ctrl+K: nothing (bound from the start)
    RaiseError,        // 22 Ctrl+Y: a run-time fault through the error handler
    NoDataSignal,      // 23 Ctrl+Shift+A: the error signal when DataTrigger is -1
    DumpFocusedField,  // 24 Ctrl+Shift+P: fieldReport of the focused control
    DumpFieldTable,    // 25 Ctrl+Shift+I: dumpFieldTable
    ShowCalibrationState,  // 26 Ctrl+Shift+C: dumpFieldTable and the calibration-state message
    FocusNext,             // 27 Tab: focusNextField (ui/window/focus_order.h)
    FocusPrevious,         // 28 Shift+Tab: focusNextField backwards
    Help,                  // 29 F1: Application::showHelp
    // --- Buttons and selectors of the main window ---
    TeachLowerRange,        // BtnTempTLR, BtnAdmTLR: TeachService::teachRange(false)
                            // (ui/service/teach_service.h)
    TeachUpperRange,        // BtnTempTUR, BtnAdmTUR: TeachService::teachRange(true)
    OutputFunction,         // CmbOutFunc1, CmbOutFunc2: UserModes::updateGadgetItems
                            // (ui/window/user_modes.h)
    EquipmentSelection,     // CmbSelEquip: UserModes::updateGadgetItems
    StoreFactorySetting,    // BtnFactSet, BtnFactSetStore: TeachService::factorySetting(false)
    RestoreFactorySetting,  // BtnFactSetRest, BtnFactSetRestAdm: TeachService::factorySetting(true)
    LoopTest,               // BtnLoopStartStop, BtnLoopStartStopAdm: OutputService::LoopTest
                            // (ui/service/output_service.h)
    SwitchTest,             // BtnTestSW1, BtnTestSW2
    Set4mAOnOff,            // BtnSet4mAOnOff, BtnSet4mAOnOffu: OutputService::set4mA(OnOff)
    Trim4mA,                // BtnSet4mA, BtnTempSet4mA: OutputService::set4mA(Trim)
    Teach4mADisplay,        // BtnSet4mADisp: TeachService::teachDisplay(0)
    Set20mAOnOff,           // BtnSet20mAOnOff, BtnSet20mAOnOffu: OutputService::set20mA(OnOff)
    Trim20mA,               // BtnSet20mA, BtnTempSet20mA: OutputService::set20mA(Trim)
    Teach20mADisplay,       // BtnSet20mADisp: TeachService::teachDisplay(1)
    ClearAdcTable,          // BtnClrADC: clearAdcTable (model/device_types.h)
    FillAdcTable,           // BtnFillADC: fillAdcTable (model/device_types.h)
    TakeAdcValue,      // BtnADC0..BtnADC10: ValueCapture::setAdcValue (ui/diagrams/value_capture.h)
    ReadTransmitter,   // BtnReadTransm: readDevice(Presence::Transmitter), main window disabled
    WriteTransmitter,  // BtnWriteTransm: writeDevice(Presence::Transmitter, WriteScope::All),
                       // verify with TranmitterVerivy
    StoreConfiguration,  // BtnStoreConfig: Yes/No, then storeConfiguration (model/device_types.h)
    SendCommand,         // BtnSendCmd, BtnSendCmdAdm: DisplayActions::sendListCommand
    ReadDiagnostics,     // BtnDiagRead: diagnostics readout
    SaveDiagnostics,     // BtnDiagSave: diagnostics save
    // Buttons whose action this program gives them itself.
    ClearTrailingPointer,  // BtnClearHiTrailing, BtnClearLowTrailing
    SetTeachLower,         // BtnSetTeachLower: TeachService::teachDisplay(2)
    SetSwitchPoint,        // BtnSetSwitchPoint: ValueCapture::SetSwitchPoint
};

// What starts a command.
struct CommandInfo {
    Command command;
    QString name;                             // for the log: "Open"
    std::vector<int> ids;                     // menu identifiers, the first one names the command
    std::vector<std::pair<int, int>> ranges;  // further menu identifiers, first..last
    QStringList controls;                     // symbolic names of buttons and selectors
};

// Every command with what starts it.
const std::vector<CommandInfo>& CommandCatalogue();

class CommandTable {
  public:
    using Handler = std::function<void(int id)>;

    // `controlNumber` gives the number of a control by its symbolic name
    // (-1 when unknown); without it no gadget event is dispatched.
    explicit CommandTable(Logger& log,
                          const std::function<int(const QString& symbol)>& controlNumber = {});

    // The handler receives the menu identifier or the control number.
    void bind(Command command, Handler handler);
    void unbind(Command command);
    bool isAvailable(Command command) const;

    std::optional<Command> menuCommand(int id) const;
    std::optional<Command> gadgetCommand(int gadget) const;
    // False for identifiers of no command.
    bool isMenuAvailable(int id) const;
    bool isGadgetAvailable(int gadget) const;

    // The identifiers among `ids` (as the menus carry them) and the control
    // numbers whose command is unavailable: the window shows them disabled.
    std::vector<int> unavailableMenuIds(const std::vector<int>& ids) const;
    std::vector<int> unavailableGadgets() const;

    // Menu events by their identifier, gadget events of kind GadgetSelect by
    // their control. True when a handler ran.
    bool dispatch(const WindowEvent& event);
    bool dispatchMenu(int id);
    bool dispatchGadget(int gadget);

  private:
    const CommandInfo* infoOf(Command command) const;
    void logMenuCommand(const CommandInfo& info, int id, bool available);

    Logger& log_;
    QHash<int, Command> menuIds_;
    QHash<int, Command> gadgets_;
    QHash<int, Handler> handlers_;  // by Command
};

}  // namespace zh
