// The main loop: one turn per normalised window event, handed out by the
// controls while Qt's event loop runs, until the program ends through Exit
// or the close box (both ask before unsaved data are lost).

#include <QElapsedTimer>
#include <algorithm>

#include "app/dialogs.h"
#include "app/program.h"
#include "app/recent_files.h"
#include "files/data_commands.h"
#include "files/file_operation.h"
#include "ui/application/application.h"
#include "ui/application/input_check.h"
#include "ui/log/replay.h"
#include "ui/window/field_diagnostics.h"
#include "ui/window/main_window.h"
#include "ui/window/qt_gadgets.h"
#include "ui/window/user_modes.h"

namespace zh {

namespace {
constexpr int kDumpFieldTableEvent = 555516;
constexpr int kProgramEvent = 32769;
}  // namespace

int Application::run() {
    AppState& s = p_.state;
    QElapsedTimer sinceRefresh;
    sinceRefresh.start();
    bool polling = false;  // a poll has exchanges left
    // With the live display on, the loop wakes up in time for its next
    // poll; otherwise it waits for the next event without limit. A poll
    // goes one exchange per turn: what the person did meanwhile is served
    // first.
    const auto refreshDue = [&] {
        if (!s.DynamicDisplayOn) polling = false;
        if (!s.DynamicDisplayOn || (!polling && sinceRefresh.elapsed() < s.DynPollTime)) return;
        if (!polling) sinceRefresh.restart();
        polling = pollLiveValues && !pollLiveValues();
    };
    while (!s.QuitRequested) {
        const int wait =
            !s.DynamicDisplayOn ? -1
            : polling
                ? 0
                : static_cast<int>(std::max<qint64>(0, s.DynPollTime - sinceRefresh.elapsed()));
        // A replay plays its next line first; an event it hands back goes
        // through the dispatch like any other.
        if (replay_->active()) {
            if (const std::optional<WindowEvent> handed = replay_->pass()) dispatch(*handed);
            refreshDue();
            continue;
        }
        // Events the input check kept while it drained the queue come first.
        std::optional<WindowEvent> event = input_->takeKept();
        if (!event) event = gadgets_.waitEvent(wait);
        if (event) {
            dispatch(*event);
            continue;
        }
        // The turns that go on with a poll are no timer events of their own.
        const bool timer = !polling;
        refreshDue();
        if (timer) p_.log.debugLog(QStringLiteral(">>> Timer Event"), 6);
    }
    if (window_) {
        window_->allowClose();
        window_->close();
    }
    return exitCode_;
}

void Application::command(int menuId) {
    dispatch(WindowEvent{EventMenu, 1, -1, menuId, -1});
}

void Application::dispatch(const WindowEvent& e) {
    AppState& s = p_.state;
    // Every event of the main window passes the input check first; an
    // event it consumed goes no further.
    if (e.window == 1 && e.type != EventTimer && input_->checkInput(e) == -1) return;
    recordEvent(e, false);
    switch (e.type) {
        case EventMenu:
            s.LastMenuId = e.menu;
            p_.log.debugLog(QStringLiteral(">>> Menu Event"), 6);
            commands_.dispatch(e);
            afterCommand();
            break;
        case EventGadget:
            s.LastGadgetId = e.gadget;
            if (e.code == GadgetSelect && commands_.dispatch(e)) afterCommand();
            break;
        case EventCloseWindow:
            if (e.window == 1) exitProgram();
            break;
        case kDumpFieldTableEvent:
            dumpFieldTable(model_);
            break;
        case kProgramEvent:
            p_.messages.showMessageBox(QStringLiteral("Main"), QStringLiteral("$8001"), mb::Ok,
                                       MsgText::AsIs);
            break;
        case EventLeftClick:
            p_.log.debugLog(QStringLiteral("LeftClick"), 6);
            break;
        case EventRightClick:
            p_.log.debugLog(QStringLiteral("RightClick"), 6);
            break;
        default:
            break;
    }
}

// The state the enable rules show follows every command.
void Application::afterCommand() {
    if (!p_.state.QuitRequested && modes_) modes_->updateGadgetItems(-1);
    showServiceState();
}

// Exit and the close box: with nothing pending the program ends at once;
// otherwise it asks one question: save (and end once the data are in their
// file), discard (end), or cancel (stay). A user whose file and module are
// both up to date must be able to leave without a question.
void Application::exitProgram() {
    AppState& s = p_.state;
    if (!releaseFixedCurrent()) return;
    if (s.DataTrigger == -1 || !s.DataChanged) {
        s.QuitRequested = true;
        return;
    }
    const QString lines = unsavedLines(data_, s.DataTrigger, data_.file.moduleState);
    if (lines.isEmpty()) {
        s.QuitRequested = true;
        return;
    }
    Messages& m = p_.messages;
    const QString section = QStringLiteral("Application");
    const QString answer = m.showMessageBox(
        m.lookupMessage(QStringLiteral("Exit program"), section),
        m.lookupMessage(QStringLiteral("Data have been changed!"), section) + s.CR + lines + s.CR +
            m.lookupMessage(QStringLiteral("Save the changes before exiting?"), section),
        // Cancel preselected, as staying was: a box answered unattended
        // (a replay, --screenshot) neither writes a file nor loses data.
        mb::SaveDiscardCancel | mb::IconExclamation | mb::DefaultButton3, MsgText::AsIs);
    if (answer == QLatin1String("discard")) s.QuitRequested = true;
    // Ended only once the data are kept: a cancelled or failed save stays.
    if (answer == QLatin1String("save") && storeData(data_, StoreTarget::File) == 1) {
        addRecentFile(p_, data_.file.currentFile);
        s.QuitRequested = true;
    }
}

}  // namespace zh
