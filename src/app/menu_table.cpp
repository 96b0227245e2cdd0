#include "menu_table.h"

#include <QDir>
#include <QFileInfo>

#include "app_state.h"
#include "dialogs.h"
#include "logger.h"
#include "menu_ids.h"
#include "messages.h"
#include "mnemonics.h"
#include "presence.h"
#include "profile.h"
#include "program.h"
#include "recent_files.h"
#include "setting_stores.h"
#include "user_level.h"

namespace zh {
namespace {

// The message sections the captions are translated in.
constexpr const char* kApplication = "Application";
constexpr const char* kCommon = "Common";
constexpr const char* kSerialIO = "SerialIO";

// The standard tool-bar buttons: word, identifier, caption (a common text).
struct StandardButton {
    const char* word;
    int id;
    const char* caption;
};
constexpr StandardButton kStandardButtons[] = {
    {"exit", menu::kToolExit, "Exit"},          {"new", menu::kToolNew, "Create"},
    {"open", menu::kToolOpen, "Open"},          {"opfile", menu::kToolOpen, "Open"},
    {"add", menu::kToolAdd, "Add record"},      {"save", menu::kToolSave, "Save"},
    {"print", menu::kToolPrint, "Print"},       {"find", menu::kToolFind, "Search"},
    {"replace", menu::kToolReplace, "Replace"}, {"cut", menu::kToolCut, "Cut"},
    {"copy", menu::kToolCopy, "Copy"},          {"paste", menu::kToolPaste, "Insert"},
    {"undo", menu::kToolUndo, "Undo"},          {"redo", menu::kToolRedo, "Redo"},
    {"delete", menu::kToolDelete, "Delete"},    {"properties", menu::kToolProperties, "Properties"},
    {"help", menu::kToolHelp, "Help"},
};

// The buttons the main window adds after its standard ones.
struct ImageButton {
    int id;
    const char* caption;  // section SerialIO
};
constexpr ImageButton kImageButtons[] = {
    {menu::kToolConnect, "Connect module"},
    {menu::kToolDisconnect, "Disconnect module"},
    {menu::kToolRead, "Read module"},
    {menu::kToolWrite, "Write module"},
};
constexpr const char* kMainToolBarWords = "new,open,save";

// Entries of the Device submenu and the configuration each selects.
struct DeviceChoice {
    int id;
    const char* caption;  // section SerialIO
    Presence value;
};
constexpr DeviceChoice kDeviceChoices[] = {
    {menu::kConfigAuto, "&Auto", Presence::Auto},
    {menu::kConfigAll, "&Display+Transmitter", Presence::All},
    {menu::kConfigTransmitter, "&Transmitter", Presence::Transmitter},
    {menu::kConfigDisplay, "Di&splay", Presence::Display},
};

struct KeyBinding {
    int id;
    const char* keys;
};
constexpr KeyBinding kShortcuts[] = {
    {menu::kKeyReturn, "Return"},
    {menu::kKeyEscape, "Escape"},
    {menu::kKeyShowFieldEntry, "Ctrl+Q"},
    {menu::kKeyCtrlG, "Ctrl+G"},
    {menu::kKeyCtrlK, "Ctrl+K"},
    {menu::kKeyRaiseError, "Ctrl+Y"},
    {menu::kKeyNoDataSignal, "Ctrl+Shift+A"},
    {menu::kKeyDumpFocusedField, "Ctrl+Shift+P"},
    {menu::kKeyDumpFieldTable, "Ctrl+Shift+I"},
    {menu::kKeyCalibrationState, "Ctrl+Shift+C"},
    {menu::kKeyTab, "Tab"},
    {menu::kKeyBacktab, "Shift+Tab"},
    {menu::kKeyHelp, "F1"},
};

// One Alt key per entry of a menu, different from the others'.
void markEntries(std::vector<MenuEntry>& entries) {
    QStringList captions;
    for (const MenuEntry& e : entries) captions << e.caption;
    giveMnemonics(captions);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].kind != MenuEntry::Kind::Separator)
            entries[i].caption = captions.at(static_cast<int>(i));
}

class Builder {
  public:
    explicit Builder(Program& p) : p_(p) {}

    QString tr(const QString& key, const char* section) {
        return p_.messages.lookupMessage(key, QLatin1String(section));
    }

    // `key` marks its Alt key ("&Open"): the language file has the marked
    // caption under the marked key; the field table keeps the plain one.
    // A caption without a mark gets one when its menu is complete.
    MenuEntry command(int id, const QString& key, const char* section) {
        MenuEntry e;
        e.id = id;
        e.symbol = menu::symbolOf(id);
        e.key = withoutMnemonic(key);
        e.description = tr(e.key, section);
        // A language file without the marked caption shows its plain one.
        const bool marked =
            e.key != key &&
            !p_.profile.readProfile(QLatin1String(section), key, QString(), p_.state.LanguageFile)
                 .isEmpty();
        e.caption = marked ? tr(key, section) : literalCaption(e.description);
        return e;
    }
    MenuEntry command(int id, const char* key, const char* section) {
        return command(id, QString::fromUtf8(key), section);
    }
    // With the key the desktops use for it.
    MenuEntry command(int id, const char* key, const char* section, const char* keys) {
        MenuEntry e = command(id, key, section);
        e.keys = QLatin1String(keys);
        return e;
    }

    MenuEntry choice(int id, const QString& key, const QString& caption, const QString& value,
                     bool checked) {
        MenuEntry e;
        e.id = id;
        e.key = key;
        e.caption = literalCaption(caption);
        e.description = caption;
        e.value = value;
        e.checkable = true;
        e.checked = checked;
        return e;
    }

    MenuEntry submenu(const char* key, const char* section, std::vector<MenuEntry> entries) {
        MenuEntry e = command(0, QString::fromUtf8(key), section);
        e.kind = MenuEntry::Kind::Submenu;
        e.symbol.clear();
        e.entries = std::move(entries);
        markEntries(e.entries);
        return e;
    }

    static MenuEntry separator() {
        MenuEntry e;
        e.kind = MenuEntry::Kind::Separator;
        return e;
    }

    // One entry per measurand, identifiers first, first + 1, ...
    std::vector<MenuEntry> measurands(int first) {
        std::vector<MenuEntry> entries;
        int id = first;
        for (const MeasurandSettings& m : p_.state.MeasurandList) {
            MenuEntry e = command(id++, m.Name, kApplication);
            e.value = m.Name;
            entries.push_back(std::move(e));
        }
        return entries;
    }

    // The files opened or saved last, newest first: "1  name.cfp  (folder)".
    MenuEntry recentFilesMenu() {
        std::vector<MenuEntry> entries;
        int id = menu::kFirstRecentFile;
        for (const QString& path : recentFiles(p_)) {
            if (id > menu::kLastRecentFile) break;
            MenuEntry e;
            e.id = id;
            const QFileInfo file(path);
            e.caption = QLatin1Char('&') + QString::number(id - menu::kFirstRecentFile + 1) +
                        QStringLiteral("  ") +
                        literalCaption(file.fileName() + QStringLiteral("  (") +
                                       QDir::toNativeSeparators(file.path()) + QLatin1Char(')'));
            e.description = file.fileName();
            e.value = path;
            entries.push_back(std::move(e));
            ++id;
        }
        return submenu("Recent files", kCommon, std::move(entries));
    }

    MenuEntry fileMenu() {
        std::vector<MenuEntry> newEntries = measurands(menu::kFirstNewMeasurand);
        newEntries.push_back(command(menu::kNew, "&New", kApplication, "Ctrl+N"));
        std::vector<MenuEntry> entries;
        entries.push_back(submenu("&New", kApplication, std::move(newEntries)));
        entries.push_back(command(menu::kOpen, "&Open", kCommon, "Ctrl+O"));
        entries.push_back(command(menu::kSave, "&Save", kCommon, "Ctrl+S"));
        entries.push_back(command(menu::kSaveAs, "Save &as", kCommon, "Ctrl+Shift+S"));
        entries.push_back(recentFilesMenu());
        entries.push_back(separator());
        entries.push_back(command(menu::kServiceReport, "Service &report ...", kCommon));
        entries.push_back(command(menu::kDeviceHistory, "Device &history ...", kCommon));
        entries.push_back(separator());
        entries.push_back(command(menu::kExit, "E&xit", kCommon));
        return submenu("&File", kCommon, std::move(entries));
    }

    MenuEntry transferMenu() {
        return submenu("&Data transfer", kSerialIO,
                       {command(menu::kConnect, "&Connect module", kSerialIO),
                        command(menu::kDisconnect, "&Disconnect module", kSerialIO),
                        command(menu::kReadAll, "&Read module", kSerialIO, "F5"),
                        command(menu::kWriteAll, "&Write module", kSerialIO),
                        command(menu::kWriteChanges, "Write module changes &only", kSerialIO),
                        command(menu::kCompare, "Co&mpare module with data", kSerialIO),
                        separator(), command(menu::kHartDevice, "&HART device ...", kSerialIO)});
    }

    MenuEntry setupMenu(const std::vector<PortChoice>& ports) {
        const AppState& s = p_.state;
        std::vector<MenuEntry> entries;

        std::vector<MenuEntry> portEntries;
        int id = menu::kFirstPort;
        for (const PortChoice& port : ports) {
            if (id > menu::kLastPort) break;
            const QString label = port.label.isEmpty() ? port.name : port.label;
            const bool current =
                port.name == s.ComPort || (!port.path.isEmpty() && port.path == s.ComPort);
            portEntries.push_back(choice(id++, label, label, port.name, current));
        }
        portEntries.push_back(separator());
        portEntries.push_back(command(menu::kEnterPort, "Port ...", kSerialIO));
        entries.push_back(submenu("Change serial &com port", kSerialIO, std::move(portEntries)));

        if (s.UserMode == QLatin1String(kLoggingMenuMode)) {
            // "On" or "Off" checked as the log is switched.
            std::vector<MenuEntry> logging = {command(menu::kStartLog, "&On", kCommon),
                                              command(menu::kStopLog, "O&ff", kCommon)};
            for (MenuEntry& e : logging) {
                e.checkable = true;
                e.checked = (e.id == menu::kStartLog) == (p_.log.threshold() > 0);
            }
            entries.push_back(submenu("&Logging", kCommon, std::move(logging)));
        }
        if (userLevel(s.UserMode) == UserLevel::Customizer) {
            std::vector<MenuEntry> devices;
            for (const DeviceChoice& d : kDeviceChoices) {
                MenuEntry e = command(d.id, d.caption, kSerialIO);
                e.value = presenceText(d.value);
                e.checkable = true;
                e.checked = parsePresence(s.TransmitterDisplay) == d.value;
                devices.push_back(std::move(e));
            }
            entries.push_back(submenu("De&vice", kCommon, std::move(devices)));
        }

        entries.push_back(command(menu::kHartAddress, "Hart &address", kSerialIO));
        entries.push_back(command(menu::kScanLoop, "Sca&n loop ...", kSerialIO));
        entries.push_back(command(menu::kScanAll, "Scan all a&ddresses ...", kSerialIO));

        std::vector<MenuEntry> languages;
        id = menu::kFirstLanguage;
        for (const QString& name : availableLanguages(s.ProgramDir)) {
            if (id > menu::kLastLanguage) break;
            const bool current = name.compare(s.ActualLanguage, Qt::CaseInsensitive) == 0;
            languages.push_back(choice(id++, name, name, name, current));
        }
        entries.push_back(submenu("Select lan&guage", kCommon, std::move(languages)));
        return submenu("&Setup", kCommon, std::move(entries));
    }

    MenuEntry helpMenu() {
        return submenu("&?", kCommon,
                       {command(menu::kManual, "&Manual", kCommon),
                        command(menu::kAbout, "Program &version", kCommon)});
    }

    std::vector<MenuEntry> newPopup() {
        std::vector<MenuEntry> entries = measurands(menu::kFirstPopupMeasurand);
        entries.push_back(command(menu::kPopupNew, "&New", kApplication));
        for (MenuEntry& e : entries) e.description = QStringLiteral("New->") + e.description;
        markEntries(entries);
        return entries;
    }

    std::vector<MenuEntry> writePopup() {
        std::vector<MenuEntry> entries = {
            command(menu::kPopupWriteAll, "&Write module", kSerialIO),
            command(menu::kPopupWriteChanges, "Write module changes &only", kSerialIO)};
        for (MenuEntry& e : entries)
            e.description = QStringLiteral("WriteModule->") + e.description;
        markEntries(entries);
        return entries;
    }

    std::vector<ToolBarButton> toolBar() {
        std::vector<ToolBarButton> buttons =
            standardToolBarButtons(p_.messages, QLatin1String(kMainToolBarWords));
        for (const ImageButton& b : kImageButtons) {
            ToolBarButton t;
            t.id = b.id;
            t.symbol = menu::symbolOf(b.id);
            t.key = QLatin1String(b.caption);
            t.caption = tr(t.key, kSerialIO);
            t.image = true;
            buttons.push_back(std::move(t));
        }
        return buttons;
    }

    // Shows why the measurand list cannot be used; Built when it can.
    MenuBuild checkMeasurands() {
        const std::size_t count = p_.state.MeasurandList.size();
        if (count >= 1 && count <= static_cast<std::size_t>(menu::kMaxMeasurands))
            return MenuBuild::Built;
        const bool none = count == 0;
        const QString text =
            tr(QLatin1String(none ? "No measurands specified!" : "Too many measurands specified!"),
               kApplication);
        p_.log.debugLog(QStringLiteral("BuildMenuTable: ") + text, 1);
        p_.messages.showMessage(tr(QStringLiteral("Error"), kApplication), text,
                                mb::Ok | mb::IconError);
        return none ? MenuBuild::NoMeasurands : MenuBuild::TooManyMeasurands;
    }

  private:
    Program& p_;
};

const MenuEntry* findIn(const std::vector<MenuEntry>& entries, int id) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Command && e.id == id) return &e;
        if (const MenuEntry* inner = findIn(e.entries, id)) return inner;
    }
    return nullptr;
}

void collect(const std::vector<MenuEntry>& entries, std::vector<MenuRegistration>& out) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Command && e.id != 0) {
            out.push_back(
                {e.id, QStringLiteral("MenuID-") + QString::number(e.id), e.symbol, e.description});
        }
        collect(e.entries, out);
    }
}

}  // namespace

const MenuEntry* MenuTable::find(int id) const {
    if (const MenuEntry* e = findIn(menus, id)) return e;
    if (const MenuEntry* e = findIn(newPopup, id)) return e;
    return findIn(writePopup, id);
}

const ToolBarButton* MenuTable::findButton(int id) const {
    for (const ToolBarButton& b : toolBar) {
        if (b.id == id) return &b;
    }
    return nullptr;
}

MenuBuild buildMenuTable(Program& p, const std::vector<PortChoice>& ports, MenuTable& table) {
    p.log.debugLog(QStringLiteral(">>> BuildMenuTable(UserMode=") + p.state.UserMode +
                       QStringLiteral(", Language=") + p.state.ActualLanguage + QLatin1Char(')'),
                   4);
    table = MenuTable();
    Builder b(p);
    const MenuBuild checked = b.checkMeasurands();
    if (checked != MenuBuild::Built) return checked;

    table.menus.push_back(b.fileMenu());
    table.menus.push_back(b.transferMenu());
    table.menus.push_back(b.setupMenu(ports));
    table.menus.push_back(b.helpMenu());
    markEntries(table.menus);
    table.newPopup = b.newPopup();
    table.writePopup = b.writePopup();
    table.toolBar = b.toolBar();
    table.shortcuts = mainWindowShortcuts();
    return MenuBuild::Built;
}

std::vector<ToolBarButton> standardToolBarButtons(Messages& messages, const QString& words) {
    std::vector<ToolBarButton> buttons;
    for (const QString& raw : words.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString word = raw.trimmed().toLower();
        for (const StandardButton& s : kStandardButtons) {
            if (word != QLatin1String(s.word)) continue;
            ToolBarButton b;
            b.id = s.id;
            b.symbol = menu::symbolOf(s.id);
            b.word = word;
            b.key = QLatin1String(s.caption);
            b.caption = messages.lookupMessage(b.key, QLatin1String(kCommon));
            buttons.push_back(std::move(b));
            break;
        }
    }
    return buttons;
}

std::vector<KeyShortcut> mainWindowShortcuts() {
    std::vector<KeyShortcut> keys;
    for (const KeyBinding& k : kShortcuts) keys.push_back({k.id, QLatin1String(k.keys)});
    return keys;
}

std::vector<MenuEntry> equipmentPopup(Program& p, const QString& measurand) {
    Builder b(p);
    std::vector<MenuEntry> entries;
    for (const MeasurandSettings& m : p.state.MeasurandList) {
        if (!measurand.isEmpty() && m.Name.compare(measurand, Qt::CaseInsensitive) != 0) continue;
        const QString name = b.tr(m.Name, kApplication);
        std::vector<MenuEntry> equipment;
        for (const QString& item : m.DeviceEquipment.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString label = item.section(QLatin1Char('='), 0, 0).trimmed();
            const QString identifier = item.section(QLatin1Char('='), 1).trimmed();
            if (label.isEmpty()) continue;
            MenuEntry e;
            e.key = label;
            e.caption = b.tr(label, kApplication);
            e.description = e.caption;
            e.value = m.Name + QLatin1Char('|') + identifier + QLatin1Char('|') + label;
            equipment.push_back(std::move(e));
        }
        markEntries(equipment);
        if (equipment.size() == 1) {
            equipment.front().key = m.Name;
            equipment.front().caption = name;
            entries.push_back(std::move(equipment.front()));
        } else if (equipment.empty()) {
            MenuEntry e;
            e.key = m.Name;
            e.caption = name;
            e.description = name;
            e.value = m.Name + QStringLiteral("||");
            entries.push_back(std::move(e));
        } else {
            MenuEntry sub;
            sub.kind = MenuEntry::Kind::Submenu;
            sub.key = m.Name;
            sub.caption = name;
            sub.description = name;
            sub.entries = std::move(equipment);
            entries.push_back(std::move(sub));
        }
    }
    markEntries(entries);
    return entries;
}

std::vector<MenuRegistration> MenuRegistrations(const MenuTable& table) {
    std::vector<MenuRegistration> out;
    collect(table.menus, out);
    collect(table.newPopup, out);
    collect(table.writePopup, out);
    for (const ToolBarButton& b : table.toolBar) {
        out.push_back(
            {b.id, QStringLiteral("MenuID-") + QString::number(b.id), b.symbol, b.caption});
    }
    return out;
}

}  // namespace zh
