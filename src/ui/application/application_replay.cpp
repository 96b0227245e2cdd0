// The event records the window writes for what the person does, and the
// replay that plays them back through the same dispatch.

#include <QFileInfo>

#include "app/event_record.h"
#include "app/menu_ids.h"
#include "app/program.h"
#include "files/data_commands.h"
#include "ui/application/application.h"
#include "ui/application/input_check.h"
#include "ui/log/replay.h"
#include "ui/log/replay_window.h"
#include "ui/window/control_refresh.h"
#include "ui/window/device_colours.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

namespace {
// What the first integer of a record says about where it came from.
constexpr int kRecordedEntry = 1;
constexpr int kRecordedMenu = 2;
constexpr int kRecordedButton = 3;
constexpr int kRecordedTab = 4;
}  // namespace

void Application::bindReplay() {
    replay_ = std::make_unique<Replay>(p_, model_);
    replay_->hooks.dispatch = [this](const WindowEvent& e) { dispatch(e); };
    replay_->hooks.updateDisplay = [this] { refresh_->showFieldsInForm(); };
    replay_->hooks.restoreStart = [this](const RecordingStart& start) {
        return restoreStart(start);
    };
    replay_->hooks.isCommand = [this](int id) { return commands_.menuCommand(id).has_value(); };
    input_->hooks.record = [this](const WindowEvent& e, const QString&) { recordEvent(e, true); };
}

// A recording that begins with data shown says where they came from: the
// events it records were made on them, and a replay has to begin with them.
void Application::recordStart() {
    if (p_.state.DataTrigger < 0) return;
    RecordingStart start;
    const QString file = data_.file.currentFile;
    if (model_.fromDevice) {
        start.origin = RecordingStart::Origin::Device;
    } else if (!file.startsWith(QLatin1Char('*')) && QFileInfo(file).isFile()) {
        start.origin = RecordingStart::Origin::File;
        start.file = QFileInfo(file).absoluteFilePath();
    } else {
        start.origin = RecordingStart::Origin::New;
        start.measurand = model_.cal.Measurand;
        start.devIndx = model_.selection.DevIndx;
    }
    p_.log.debugLog(formatStartRecord(start), 1);
}

QString Application::restoreStart(const RecordingStart& start) {
    bool done = false;
    switch (start.origin) {
        case RecordingStart::Origin::Device:
            gadgets_.setWindowEnabled(1, false);
            done = readModule(target()) == 0;
            gadgets_.setWindowEnabled(1, true);
            break;
        case RecordingStart::Origin::File:
            done = openDataFile(data_, start.file) == 1;
            if (done) showLoadedStates(model_);
            break;
        case RecordingStart::Origin::New:
            done = newDataFor(start.measurand + QLatin1Char('|') + QString::number(start.devIndx));
            break;
    }
    afterCommand();
    if (done) {
        showFields();
        return QString();
    }
    return p_.messages.lookupMessage(
        QStringLiteral("the data the recording began with could not be brought back"),
        QStringLiteral("Application"));
}

void Application::loadReplay() {
    if (!replayWindow_ && screen_.gadgets) {
        replayWindow_ = std::make_unique<ReplayWindow>(*screen_.gadgets);
        replay_->setView(replayWindow_.get());
    }
    replay_->load(p_.state.EditionName);
}

// One "<<<" line for a field entry, a combo box choice, a button, a tab or
// a menu command of the main window. Entries come from the input check
// once they are taken; buttons, tabs and commands from the dispatch.
void Application::recordEvent(const WindowEvent& e, bool entry) {
    if (e.window != kMainWindow) return;
    EventRecord r;
    r.gadget = e.gadget;
    r.menu = e.menu;
    r.code = e.code;
    r.type = e.type;
    if (e.type == EventMenu) {
        if (entry) return;
        // Return and Escape belong to the entry they end, which is recorded itself.
        if (e.menu == menu::kKeyReturn || e.menu == menu::kKeyEscape) return;
        r.context = kRecordedMenu;
        r.name = menu::symbolOf(e.menu);
        if (r.name.isEmpty()) r.name = QStringLiteral("MenuID-") + QString::number(e.menu);
    } else if (e.type == EventGadget) {
        const ControlInfo* control = findControl(e.gadget);
        const bool isEntry = control && (control->kind == ControlKind::ComboBox ||
                                         control->kind == ControlKind::String);
        if (!control || isEntry != entry || (!entry && e.code != GadgetSelect)) return;
        r.name = QString::fromLatin1(control->name);
        r.panel = control->panel;
        r.tab = control->tab;
        switch (control->kind) {
            case ControlKind::Panel:
                r.context = kRecordedTab;
                r.name = QStringLiteral("tab") + QString::number(gadgets_.state(e.gadget));
                r.panel = e.gadget;
                r.tab = gadgets_.state(e.gadget);
                break;
            case ControlKind::Button:
                r.context = kRecordedButton;
                break;
            case ControlKind::ComboBox:
                r.context = kRecordedEntry;
                r.content = QString::number(gadgets_.state(e.gadget));
                break;
            case ControlKind::String:
                r.context = kRecordedEntry;
                r.content = gadgets_.text(e.gadget);
                break;
            default:
                return;
        }
    } else {
        return;
    }
    p_.log.debugLog(formatEventRecord(r), 1);
}

}  // namespace zh
