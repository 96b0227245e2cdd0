// What the menus, the tool bar, the keyboard shortcuts and the window's
// buttons do. Commands whose functions the program does not have yet stay
// unbound: their entries show disabled.

#include <QCursor>
#include <QTimer>
#include <QToolBar>

#include "app/dialogs.h"
#include "app/menu_ids.h"
#include "app/program.h"
#include "app/setting_stores.h"
#include "app/test_mode.h"
#include "files/data_commands.h"
#include "files/file_operation.h"
#include "hart/com_ports.h"
#include "hart/port_entry.h"
#include "model/device_types.h"
#include "model/scaling.h"
#include "ui/application/application.h"
#include "ui/dialogs/manual_window.h"
#include "ui/window/control_refresh.h"
#include "ui/window/device_colours.h"
#include "ui/window/field_controls.h"
#include "ui/window/field_diagnostics.h"
#include "ui/window/field_entry_popup.h"
#include "ui/window/focus_order.h"
#include "ui/window/main_window.h"
#include "ui/window/menu_builder.h"
#include "ui/window/qt_gadgets.h"
#include "ui/window/user_modes.h"

namespace zh {

namespace {

const MenuEntry* entryOf(const MenuTable& table, int id) {
    return table.find(id);
}

}  // namespace

void Application::bindCommands() {
    bindFileCommands();
    bindTransferCommands();
    bindSetupCommands();
    bindKeyCommands();
    bindLogWindow();
    bindButtons();
    bindServiceButtons();
    bindReportCommands();
    bindDiagnosticButtons();
    bindUniversalCommands();
}

void Application::bindFileCommands() {
    commands_.bind(Command::NewData, [this](int id) { newData(id); });
    commands_.bind(Command::OpenData, [this](int) { openData(); });
    commands_.bind(Command::SaveData, [this](int) {
        if (storeData(data_, StoreTarget::File) == 1) keepRecentFile(data_.file.currentFile);
    });
    commands_.bind(Command::SaveDataAs, [this](int) {
        if (storeData(data_, StoreTarget::FileAs) == 1) keepRecentFile(data_.file.currentFile);
    });
    commands_.bind(Command::Exit, [this](int) { exitProgram(); });
    bindRecentFiles();
}

void Application::bindTransferCommands() {
    commands_.bind(Command::Connect, [this](int) { connectModule(); });
    commands_.bind(Command::Disconnect, [this](int) { disconnectModule(); });
    commands_.bind(Command::ReadModule, [this](int) { readModule(target()); });
    commands_.bind(Command::WriteModule, [this](int) { writeModule(WriteScope::All); });
    commands_.bind(Command::WriteChanges, [this](int) { writeModule(WriteScope::Changes); });
    commands_.bind(Command::CompareData, [this](int) { compareWithData(); });
    commands_.bind(Command::WritePopup, [this](int) {
        if (menus_) menus_->showPopup(menu::kWritePopup);
    });
}

void Application::bindSetupCommands() {
    commands_.bind(Command::About, [this](int) { showAbout(); });
    commands_.bind(Command::Help, [this](int) { showHelp(); });
    commands_.bind(Command::Manual, [this](int) { showHelp(); });
    commands_.bind(Command::HartAddress, [this](int) { HartAddressDialog(p_); });
    commands_.bind(Command::SelectPort, [this](int id) {
        const MenuEntry* e = entryOf(menuTable_, id);
        if (e && selectComPort(p_, e->value)) buildMenus();
    });
    commands_.bind(Command::EnterPort, [this](int) {
        if (enterComPort(p_)) buildMenus();
    });
    commands_.bind(Command::SelectDevice, [this](int id) {
        const MenuEntry* e = entryOf(menuTable_, id);
        if (e && selectTransmitterDisplay(p_, e->value)) buildMainWindow(1);
    });
    commands_.bind(Command::SelectLanguage, [this](int id) {
        const MenuEntry* e = entryOf(menuTable_, id);
        // From now on captions, menus and messages come from the chosen
        // language's file; the rebuild shows them.
        if (e && selectLanguage(p_, e->value)) buildMainWindow(-1);
    });
}

void Application::bindKeyCommands() {
    commands_.bind(Command::ShowFieldEntry, [this](int) {
        if (window_) showFieldEntry(*window_, model_, *screen_.gadgets, inspector_);
    });
    // A tester's way to see the error report; at work the key must not
    // throw away what the person has entered.
    commands_.bind(Command::RaiseError, [this](int) {
        if (isTestMode(p_.state.TestMode.toUpper())) raiseProgramError();
    });
    commands_.bind(Command::NoDataSignal, [this](int) {
        if (p_.state.DataTrigger == -1) p_.dialogs.beep(600, 100);
    });
    commands_.bind(Command::DumpFocusedField, [this](int) {
        const int focused = gadgets_.focusedGadget();
        const int index = focused > 0 ? model_.fields.find(QString::number(focused)) : -1;
        if (index >= 0) p_.log.debugLog(fieldReport(model_, index), 1);
    });
    commands_.bind(Command::DumpFieldTable, [this](int) { dumpFieldTable(model_); });
    commands_.bind(Command::ShowCalibrationState, [this](int) {
        dumpFieldTable(model_);
        const CalibrationState& c = model_.cal;
        const auto n = [](float v) { return QString::number(static_cast<double>(v)); };
        const QString text =
            QStringLiteral("CalUnit, CalDecP: ") + c.CalUnit + QStringLiteral(", ") +
            QString::number(c.CalDecP) + QStringLiteral("\nDispUnit, DispDecP: ") + c.DispUnit +
            QStringLiteral(", ") + QString::number(c.DispDecP) + QStringLiteral("\nactBaseUnit: ") +
            c.actBaseUnit + QStringLiteral("\nCalADlow, CalADhi: ") + n(c.CalADlow) +
            QStringLiteral(", ") + n(c.CalADhi) + QStringLiteral("\nCalDPlow, CalDPhi: ") +
            n(c.CalDPlow) + QStringLiteral(", ") + n(c.CalDPhi) +
            QStringLiteral("\nCalNomLow, CalNomHigh: ") + n(c.CalNomLow) + QStringLiteral(", ") +
            n(c.CalNomHi);
        p_.messages.showMessageBox(QStringLiteral("Calibration"), text, mb::Ok, MsgText::AsIs);
    });
    // The focus moves between the window's own controls.
    commands_.bind(Command::FocusNext, [this](int) {
        if (screen_.gadgets) focusNextField(model_.fields, *screen_.gadgets, true);
    });
    commands_.bind(Command::FocusPrevious, [this](int) {
        if (screen_.gadgets) focusNextField(model_.fields, *screen_.gadgets, false);
    });
}

void Application::bindButtons() {
    commands_.bind(Command::ClearAdcTable, [this](int) {
        clearAdjustmentTable(model_);
        showFields();
    });
    commands_.bind(Command::FillAdcTable, [this](int) {
        if (fillAdcTable(model_)) showFields();
    });
    commands_.bind(Command::ReadTransmitter, [this](int) { readModule(Presence::Transmitter); });
    commands_.bind(Command::WriteTransmitter, [this](int) { writeTransmitter(); });
    commands_.bind(Command::StoreConfiguration, [this](int) {
        const QString description =
            p_.gadgets.text(controlNumber(QStringLiteral("MeasElemConfigName")));
        if (storeConfiguration(model_, description)) modes_->updateGadgetItems(-1);
    });
    commands_.bind(Command::SendCommand, [this](int gadget) {
        const bool admin = gadget == controlNumber(QStringLiteral("BtnSendCmdAdm"));
        const int selector =
            controlNumber(admin ? QStringLiteral("CmbSelCmdAdm") : QStringLiteral("CmbSelCmd"));
        const QStringList items = p_.gadgets.items(selector);
        const int chosen = p_.gadgets.state(selector);
        const QString field = admin ? QStringLiteral("CmbSelCmdAdm") : QStringLiteral("CmbSelCmd");
        const int i = model_.fields.find(field);
        if (i < 0 || chosen < 0) return;
        const QStringList list =
            model_.fields.at(i).Params.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (chosen >= list.size()) return;
        const int code = list.at(chosen).section(QLatin1Char('='), -1).toInt();
        if (sequences_.actions().sendListCommand(code, items.value(chosen)) != 1) return;
        // The window shows what the command changed in the module.
        if (code == action::kClearLowTrailing || code == action::kClearHighTrailing)
            showTrailingPointers(code);
        else if (DisplayActions::changesConfiguration(code))
            readAfterService(target());
    });
    commands_.bind(Command::ClearTrailingPointer, [this](int gadget) {
        const bool high = gadget == controlNumber(QStringLiteral("BtnClearHiTrailing"));
        const int code = high ? action::kClearHighTrailing : action::kClearLowTrailing;
        if (sequences_.actions().runDisplayAction(code) == 1) showTrailingPointers(code);
    });
}

void Application::showAbout() {
    // The profile in use, so a person knows which file the settings come
    // from, and what a write costs with the check after it.
    const QString verify = p_.messages.lookupMessage(
        p_.state.VerifyWrite ? QStringLiteral("Verify after write: on (what each write sent is "
                                              "read back and compared)")
                             : QStringLiteral("Verify after write: off"),
        QStringLiteral("SerialIO"));
    p_.messages.showMessageBox(p_.state.EditionName,
                               p_.state.AboutText + QStringLiteral("\r\r") + verify +
                                   QStringLiteral("\rProfile: ") +
                                   p_.profile.resolve(p_.state.ProfilePath),
                               mb::Ok | mb::IconInformation, MsgText::AsIs);
}

void Application::showHelp() {
    if (window_)
        showManual(window_.get(),
                   p_.messages.lookupMessage(QStringLiteral("Manual"), QStringLiteral("Common")));
}

void Application::raiseProgramError() {
    std::abort();
}

// The module starts a pointer again from the value it measures now: the
// window reads where both pointers stand. Without that answer the cleared
// pointer starts again from the next live value.
void Application::showTrailingPointers(int clearedBy) {
    DisplayActions& a = sequences_.actions();
    const QString cleared = clearedBy == action::kClearHighTrailing ? QStringLiteral("HiTrail")
                                                                    : QStringLiteral("LoTrail");
    if (a.runCommand(a.readBlock(60), CommandStep::Start) == 1) {
        a.runCommand(CommandRoutine{}, CommandStep::NoConfirm);
    } else if (const int i = model_.fields.find(cleared); i >= 0) {
        model_.fields.at(i).RawVal.clear();
    }
    convertAllRawToMeasurand(model_, 1, QStringLiteral("LoTrail;HiTrail"));
    core_.live.updateLiveDisplay();
    showFields();
}

// New data: the equipment chosen in a pop-up, the save request before
// anything is thrown away, the connection tested, the configuration
// applied, the window rebuilt for the measurand and the new data set made.
void Application::newData(int id) {
    QString measurand;
    if (const MenuEntry* e = menuTable_.find(id); e && !e->value.isEmpty()) measurand = e->value;
    const std::vector<MenuEntry> equipment = equipmentPopup(p_, measurand);
    const QString chosen =
        MenuBuilder::showPopUp(window_.get(), equipment, p_.log, 1, QCursor::pos());
    if (!chosen.isEmpty()) newDataFor(chosen);
}

// `chosen` is the pop-up's value: "<measurand>|<configuration index>".
bool Application::newDataFor(const QString& chosen) {
    if (p_.state.DataChanged && p_.state.DataTrigger >= 0) {
        const int answer =
            saveRequest(data_, p_.state.DataTrigger, data_.file.moduleState, QStringLiteral("File"),
                        QStringLiteral("Continue without update?"), -1);
        if (answer != 1) return false;
        p_.state.DataChanged = false;
    }
    const QStringList parts = chosen.split(QLatin1Char('|'));
    const QString measurand = parts.value(0);
    bool ok = false;
    const int devIndx = parts.value(1).toInt(&ok);
    p_.state.DataTrigger = -1;
    p_.state.DataChanged = false;
    if (data_.device.testConnection) data_.device.testConnection();
    if (ok) model_.selection.DevIndx = devIndx;
    model_.cal.Measurand = measurand;
    buildMainWindow(1);
    if (startNewData(data_, measurand) != 1) return false;
    updateDeviceType(model_, model_.selection.DevIndx, model_.selection.DevType,
                     model_.selection.CalcMeth, TypeUpdate::Catalogue);
    showFields();
    setCaption(QString());
    return true;
}

// Connect opens the port, reads the device when no data are shown and
// keeps polling it (the live display); a device of another configuration
// rebuilds the window. Disconnect stops polling and closes the port.
void Application::connectModule() {
    if (p_.state.ConnectionState != 0 && p_.state.DynamicDisplayOn) return;
    const QString before = p_.state.TransmDisplay;
    gadgets_.setWindowEnabled(1, false);
    const bool started = core_.live.startDynDisplay(target());
    gadgets_.setWindowEnabled(1, true);
    if (!started) offerUniversalView();
    if (started && before != p_.state.TransmDisplay)
        buildMainWindow(1);
    else
        showFields();
    modes_->updateGadgetItems(-1);
}

void Application::disconnectModule() {
    if (!releaseFixedCurrent()) return;
    core_.live.stopDynDisplay();
    showFields();
    modes_->updateGadgetItems(-1);
}

int Application::readModule(Presence part) {
    const int devIndx = model_.selection.DevIndx;
    gadgets_.setWindowEnabled(1, false);
    const int result = sequences_.readDevice(part);
    gadgets_.setWindowEnabled(1, true);
    if (result != 0) {
        offerUniversalView();
        return result;
    }
    deviceRead();
    // Another kind of device shows other tabs: the window is built for it,
    // with what was read. (Another measurand rebuilt it during the read.)
    if (model_.selection.DevIndx != devIndx)
        buildMainWindow(1);
    else
        showFields();
    // The read-out and switch lamps as the module shows them, when it was read.
    if (sequences_.displayRead()) core_.live.showLiveBlock();
    return result;
}

// The loaded file's values show as read, whatever the data before showed.
void Application::openData() {
    if (chooseAndOpenData(data_) != 1) return;
    showLoadedStates(model_);
    showFields();
    keepRecentFile(data_.file.currentFile);
}

// A write that went through leaves every field it sent "updated".
int Application::writeDevice(Presence part, WriteScope scope, bool verify) {
    if (verify) sequences_.keepLinkForReadBack();
    const int result = sequences_.writeDevice(part, scope);
    if (result != 0) return result;
    if (verify) return verifyWrite(sequences_.writtenFields());
    deviceWritten(sequences_.writtenFields());
    data_.file.moduleState = 1;
    setColourStates(model_, sequences_.writtenFields(), ColourUpdated);
    showFields();
    return result;
}

void Application::writeModule(WriteScope scope) {
    gadgets_.setWindowEnabled(1, false);
    writeDevice(target(), scope, p_.state.VerifyWrite);
    gadgets_.setWindowEnabled(1, true);
}

// Write the transmitter; with TranmitterVerivy "ON" read it back and compare.
void Application::writeTransmitter() {
    const QString sent = sequences_.transmitterRecord();
    const int result = writeDevice(Presence::Transmitter, WriteScope::All);
    const QString verify =
        p_.profile.readProfile(QStringLiteral("Common"), QStringLiteral("TranmitterVerivy"),
                               QStringLiteral("OFF"), p_.state.ProfilePath);
    const bool verified = verify.compare(QLatin1String("ON"), Qt::CaseInsensitive) == 0;
    // A failure has shown itself; what came of a write the read-back does
    // not check is said here, after the progress window has gone.
    if (result == kResultDryRun || (result == 0 && !verified)) {
        const QString done = result == kResultDryRun
                                 ? QStringLiteral("NoWrite is ON: nothing was sent to the device")
                             : sequences_.written().isEmpty()
                                 ? QStringLiteral("Nothing to write: the device holds these data")
                                 : QStringLiteral("Data transmitted");
        p_.messages.showMessageBox(p_.messages.lookupMessage(QStringLiteral("Write Config"),
                                                             QStringLiteral("Application")),
                                   p_.messages.lookupMessage(done, QStringLiteral("SerialIO")),
                                   mb::Ok | mb::IconInformation, MsgText::AsIs);
    }
    if (result != 0 || !verified) return;
    if (readModule(Presence::Transmitter) != 0) return;
    const QString received = sequences_.readRecord();
    const QString sentPart = sent.section(QLatin1Char('\\'), 1);
    const QString receivedPart = received.section(QLatin1Char('\\'), 1);
    const QString text = sentPart == receivedPart
                             ? QStringLiteral("No differences found!")
                             : QStringLiteral("Differences found!\nSend: ") + sentPart +
                                   QStringLiteral("\nRec.: ") + receivedPart;
    p_.messages.showMessageBox(QStringLiteral("Verify"), text, mb::Ok | mb::IconInformation);
}

}  // namespace zh
