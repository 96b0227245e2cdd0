// The "Logging IO" window, its Replay button and the menu's logging on and off.

#include "app/menu_ids.h"
#include "app/program.h"
#include "files/file_operation.h"
#include "ui/application/application.h"
#include "ui/log/log_window.h"
#include "ui/window/menu_builder.h"

namespace zh {

void Application::bindLogWindow() {
    if (!logWindow_) logWindow_ = std::make_unique<LogWindow>(p_);
    logWindow_->placeFile = [this](const QString& name) { return resolveDataPath(data_, name); };
    logWindow_->onReplay = [this] { loadReplay(); };
    logWindow_->onRecordingStarts = [this] { recordStart(); };
    logWindow_->onSwitched = [this](bool on) {
        if (!menus_) return;
        menus_->setItemChecked(menu::kStartLog, on);
        menus_->setItemChecked(menu::kStopLog, !on);
    };
    commands_.bind(Command::LogOn, [this](int) { logWindow_->loggingOn(); });
    commands_.bind(Command::LogOff, [this](int) { logWindow_->loggingOff(); });
}

}  // namespace zh
