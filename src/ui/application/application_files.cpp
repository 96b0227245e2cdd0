// Data files named outside the open requester: on the command line, dropped
// on the window, or chosen from the files opened or saved last. Each opens
// as File -> Open opens the file chosen, and every file opened or saved goes
// to the top of the recent-files list.

#include <QSize>

#include "app/dialogs.h"
#include "app/menu_ids.h"
#include "app/program.h"
#include "app/recent_files.h"
#include "files/data_commands.h"
#include "files/file_operation.h"
#include "files/universal_batch.h"
#include "ui/application/application.h"
#include "ui/dialogs/universal_window.h"
#include "ui/window/device_colours.h"
#include "ui/window/main_window.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

void Application::bindRecentFiles() {
    commands_.bind(Command::OpenFile, [this](int id) {
        if (id == menu::kOpenNamedFile) {
            openNamedFile(namedFile_);
            namedFile_.clear();
            return;
        }
        const MenuEntry* e = menuTable_.find(id);
        if (e) openNamedFile(e->value);
    });
}

void Application::openFile(const QString& path) {
    namedFile_ = path;
    command(menu::kOpenNamedFile);
}

void Application::openDroppedFile(const QString& path) {
    namedFile_ = path;
    // In turn with what the person does in the window, as a command: the
    // drop may come while a command serves the window's events.
    if (screen_.gadgets) screen_.gadgets->postMenuEvent(menu::kOpenNamedFile);
}

void Application::openNamedFile(const QString& path) {
    if (path.isEmpty()) return;
    // The universal data of any HART device go into their own window.
    if (isUniversalFile(path)) {
        showUniversalWindow(false);
        if (universal_->openFile(path)) keepRecentFile(path);
        return;
    }
    // As Open: with unsaved changes, the save request first.
    if (p_.state.DataChanged &&
        saveRequest(data_, p_.state.DataTrigger, data_.file.moduleState, QStringLiteral("File"),
                    QStringLiteral("Continue without update?"), -1) != 1)
        return;
    if (openDataFile(data_, path) != 1) return;
    showLoadedStates(model_);
    showFields();
    keepRecentFile(data_.file.currentFile);
}

void Application::keepRecentFile(const QString& path) {
    const QStringList before = recentFiles(p_);
    addRecentFile(p_, path);
    if (!window_ || recentFiles(p_) == before) return;
    // The menus again with the new list; the window keeps the size the
    // person gave it.
    const QSize size = window_->size();
    buildMenus();
    window_->resize(size);
}

}  // namespace zh
