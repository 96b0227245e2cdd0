#pragma once
// What the user may see and change: the rules that turn the user mode, the
// connection and data state, the device configuration and a few profile
// switches into enabled and disabled menu entries, tool-bar buttons and
// controls, into the tabs that remain, and into shown and hidden controls.
// The rules keep no state of their own: every updateGadgetItems recomputes them.

#include <QList>
#include <QString>
#include <array>
#include <functional>

namespace zh {

class MenuItems;
class ControlRefresh;
class WindowFrame;
struct DeviceModel;

// Why a rule has a command off; each cause has one text (user_modes.cpp).
enum class Off {
    None,
    NoData,         // nothing loaded or read yet
    NotConnected,   // needs the device connected (or the interface opened by a read)
    Connected,      // not while connected
    NotRead,        // needs the interface a read opens
    NoPort,         // no port to open
    Live,           // the live display runs already
    NotLive,        // the live display does not run
    UserMode,       // not in the user mode
    NoTransmitter,  // the configuration has no transmitter
    NoDisplay,      // the configuration has no display module
    OutputOff,      // the fixed output is off
    OtherOutputOn,  // the other fixed output is on
};

// Program state the rules read that lives outside the model and AppState.
// Unset sources read as 0, off and empty.
struct ModeInputs {
    std::function<int()> linkOpen;              // 1 while the HART interface is open
    std::function<bool()> output4mAOn;          // the fixed 4 mA output is switched on
    std::function<bool()> output20mAOn;         // the fixed 20 mA output is switched on
    std::function<int()> moduleState;           // 1: the device holds the data shown
    std::function<QString()> connectionDetail;  // shown after " Online " in the status line
};

class UserModes {
  public:
    UserModes(DeviceModel& model, ControlRefresh& refresh, MenuItems& menus, WindowFrame& frame);

    ModeInputs inputs;

    // "notconnected"/"connected" + " nodata"/" data".
    QString stateWord() const;

    // Recomputes every enable and visibility rule; `colindx` (-1 keeps the
    // colours) goes on to the field groups.
    void updateGadgetItems(int colindx);

    // Once per window build: removes the tabs the user mode and the device
    // may not see, then applies the per-mode control rules.
    void updatePanelTabs();
    // Removes, from the last to the first, every tab of `tabList`
    // ("name=index;...") whose index is not in `keepList` ("0;1").
    void removePanelTabs(int panel, const QString& tabList, const QString& keepList);
    // The tab indices that remained after the last removal, in order.
    const QList<int>& remainingTabs() const { return remaining_; }

    // The single controls a user mode may see or change.
    void hideAdminGadgets(const QString& userMode);

  private:
    using Flags = std::array<bool, 4>;  // not connected/no data, not connected/data, connected/no
                                        // data, connected/data

    bool byState(const Flags& flags) const;
    Off cause(const Flags& flags, Off otherwise) const;
    QString reason(Off cause) const;
    // Enables by `flags`; disabled, the entry says why (`otherwise` when
    // neither data nor the connection would enable it).
    void itemByState(int id, const Flags& flags, Off otherwise = Off::None);
    void controlByState(const char* name, const Flags& flags, Off otherwise = Off::None);
    bool deviceReachable() const;
    Flags writeFlags() const;
    void commandEntries();
    void commandButtons();
    void commandLists();
    void fieldGroups(int colindx);
    void switchOutputs();
    int linkOpen() const;
    int measurand() const;

    DeviceModel& m_;
    ControlRefresh& refresh_;
    MenuItems& menus_;
    WindowFrame& frame_;
    QList<int> remaining_;
};

}  // namespace zh
