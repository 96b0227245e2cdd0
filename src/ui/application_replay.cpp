// The event records the window writes for what the person does, and the
// replay that plays them back through the same dispatch.

#include "app/event_record.h"
#include "app/menu_ids.h"
#include "app/program.h"
#include "application.h"
#include "control_refresh.h"
#include "control_registry.h"
#include "input_check.h"
#include "qt_gadgets.h"
#include "replay.h"
#include "replay_window.h"

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
    replay_->hooks.updateDisplay = [this] { refresh_->InternToForm(); };
    input_->hooks.record = [this](const WindowEvent& e, const QString&) { recordEvent(e, true); };
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
    p_.log.DebugLog(formatEventRecord(r), 1);
}

}  // namespace zh
