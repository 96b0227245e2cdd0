#pragma once
// The main window's menus, pop-up menus, tool bar and keyboard shortcuts as
// data. buildMenuTable fills the table for the current profile, user mode
// and language (captions are translated while it runs, so a rebuild after a
// language change shows the new language); the window code turns the table
// into widgets and the command table maps its identifiers to actions.
//
// Layout of the menu bar:
//   File:          New > (one entry per measurand, 2031..; then "New" 2030),
//                  Open, Save, Save as, Recent files > (6100..6105),
//                  Service report ... (2100), Device history ... (2101), Exit
//   Data transfer: Connect module, Disconnect module, Read module,
//                  Write module, Write module changes only
//   Setup:         Change serial com port > (one entry per port, 5000 + n,
//                  then "Port ..." 2098 for a path typed in),
//                  Logging > On, Off (switched off, see kLoggingMenuMode),
//                  Device > Auto, Display+Transmitter, Transmitter, Display
//                  (user mode "customizer" only),
//                  Hart address,
//                  Select language > (one entry per language file, 1204..1213)
//   ?:             Manual (2099, F1), Program version
// The "New" submenu holds the generic entry after the measurands, the same
// order as the new-data pop-up.

#include <QString>
#include <utility>
#include <vector>

namespace zh {

class Messages;
struct Program;

struct MenuEntry {
    enum class Kind { Command, Submenu, Separator };
    Kind kind = Kind::Command;
    int id = 0;           // command identifier; 0 for submenus and separators
    QString symbol;       // "#MenuOpen"; empty when the entry has none
    QString key;          // English caption: the key of the language file
    QString caption;      // translated caption
    QString description;  // what the field table records (caption, "New->" + caption, ...)
    // What the entry selects: the port name, the language name, the device
    // word ("auto", "all", "transmitter", "display"), the measurand name, or
    // for the equipment pop-up "measurand|identifier|equipment".
    QString value;
    QString keys;  // the entry's own key, portable text ("Ctrl+O"); empty when none
    bool checkable = false;
    bool checked = false;
    std::vector<MenuEntry> entries;  // of a submenu
};

struct ToolBarButton {
    int id = 0;
    QString symbol;      // "#ToolBarBtn_Open"; empty for words without one
    QString word;        // "open" for the standard buttons; empty for the image buttons
    QString key;         // English caption
    QString caption;     // translated; also the tooltip
    bool image = false;  // one of the program's own buttons (connect, read, ...)
};

struct KeyShortcut {
    int id = 0;
    QString keys;  // portable key text: "Ctrl+Shift+A", "Return", "Shift+Tab"
};

// A serial port the menu offers: the name the profile stores and the text
// shown; `path` the device the name leads to when it is a link, so a
// profile that holds the device path still finds its entry.
struct PortChoice {
    PortChoice(QString name = {}, QString label = {}, QString path = {})
        : name(std::move(name)), label(std::move(label)), path(std::move(path)) {}
    QString name;
    QString label;
    QString path;
};

struct MenuTable {
    std::vector<MenuEntry> menus;       // the menu bar's menus (submenus)
    std::vector<MenuEntry> newPopup;    // pop-up 2025
    std::vector<MenuEntry> writePopup;  // pop-up 2026
    std::vector<ToolBarButton> toolBar;
    std::vector<KeyShortcut> shortcuts;

    bool empty() const { return menus.empty() && toolBar.empty(); }
    // The entry with `id` in the menus and pop-ups; nullptr when none.
    const MenuEntry* find(int id) const;
    const ToolBarButton* findButton(int id) const;
};

enum class MenuBuild { Built, NoMeasurands, TooManyMeasurands };

// The logging submenu is built only for this user mode, which no profile
// sets: the submenu is switched off for good, its commands stay defined
// (the log window is shown by DebugLevel and hidden by its Hide button).
inline constexpr const char* kLoggingMenuMode = "???customizer";

// Fills `table` from the program's state (measurands, user mode, language,
// serial port, device selection) and `ports`. An empty measurand list or
// one with more than ten entries shows "No measurands specified!" or
// "Too many measurands specified!" (title "Error") and leaves `table`
// empty. More than ten language files: the first ten in name order.
MenuBuild buildMenuTable(Program& p, const std::vector<PortChoice>& ports, MenuTable& table);

// The standard tool-bar buttons for a comma-separated word list ("new,open,save");
// unknown words are left out.
std::vector<ToolBarButton> standardToolBarButtons(Messages& messages, const QString& words);

// The keyboard shortcuts of the main window.
std::vector<KeyShortcut> mainWindowShortcuts();

// The device-equipment pop-up of New, built when it is shown: per
// measurand (only `measurand` when given) its DeviceEquipment entries; a
// single entry stands directly under the measurand's name, several form a
// submenu. A measurand without a DeviceEquipment list is offered on its own
// with an empty identifier, so New stays possible with a plain profile.
// Entry values are "measurand|identifier|equipment".
std::vector<MenuEntry> equipmentPopup(Program& p, const QString& measurand = QString());

// One field-table record per menu entry, pop-up entry and tool-bar button.
struct MenuRegistration {
    int id = 0;
    QString name;         // "MenuID-" + id
    QString symbol;       // symbolic name, may be empty
    QString description;  // caption; pop-up entries "New->" / "WriteModule->" + caption
};
std::vector<MenuRegistration> MenuRegistrations(const MenuTable& table);

}  // namespace zh
