#include "ui/window/menu_builder.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

#include "app/logger.h"
#include "app/menu_ids.h"
#include "ui/window/palette_colours.h"

namespace zh {
namespace {

// Qt's standard icons stand in for the tool-bar pictures; a button
// without one shows its caption.
QStyle::StandardPixmap iconOf(const ToolBarButton& b, bool* found) {
    *found = true;
    switch (b.id) {
        case menu::kToolExit:
            return QStyle::SP_DialogCloseButton;
        case menu::kToolNew:
            return QStyle::SP_FileIcon;
        case menu::kToolOpen:
            return QStyle::SP_DialogOpenButton;
        case menu::kToolSave:
            return QStyle::SP_DialogSaveButton;
        case menu::kToolDelete:
            return QStyle::SP_TrashIcon;
        case menu::kToolHelp:
            return QStyle::SP_DialogHelpButton;
        case menu::kToolConnect:
            return QStyle::SP_MediaPlay;
        case menu::kToolDisconnect:
            return QStyle::SP_MediaStop;
        case menu::kToolRead:
            return QStyle::SP_ArrowDown;
        case menu::kToolWrite:
            return QStyle::SP_ArrowUp;
        default:
            *found = false;
            return QStyle::SP_CustomBase;
    }
}

// The application's look, except that a disabled entry can be pointed at
// and reached by key: the status line then says why it is off. Choosing it
// still does nothing.
class ReachableDisabledEntries final : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

MenuBuilder::MenuBuilder(QMainWindow& window, QToolBar* toolBar)
    : window_(window), toolBar_(toolBar), menuStyle_(new ReachableDisabledEntries) {
    menuStyle_->setParent(this);
    if (!toolBar_) toolBar_ = window_.addToolBar(QString());
}

MenuBuilder::~MenuBuilder() {
    clear();
}

void MenuBuilder::clear() {
    for (const QPointer<QShortcut>& s : shortcuts_) delete s.data();
    shortcuts_.clear();
    for (const QPointer<QAction>& a : buttons_) delete a.data();
    buttons_.clear();
    for (const QPointer<QMenu>& m : menus_) delete m.data();
    menus_.clear();
    delete newPopup_.data();
    delete writePopup_.data();
    actions_.clear();
    requested_.clear();
    reasons_.clear();
    buttonIds_.clear();
}

void MenuBuilder::build(const MenuTable& table) {
    clear();
    for (const MenuEntry& m : table.menus) {
        QMenu* menu = prepared(window_.menuBar()->addMenu(m.caption));
        menus_.push_back(menu);
        addEntries(menu, m.entries);
    }
    newPopup_ = buildPopup(table.newPopup);
    writePopup_ = buildPopup(table.writePopup);
    addToolBar(table.toolBar);
    addShortcuts(table.shortcuts);
}

QMenu* MenuBuilder::buildPopup(const std::vector<MenuEntry>& entries) {
    auto* menu = prepared(new QMenu(&window_));
    addEntries(menu, entries);
    return menu;
}

QMenu* MenuBuilder::prepared(QMenu* menu) {
    menu->setStyle(menuStyle_);
    menu->setToolTipsVisible(true);
    return menu;
}

void MenuBuilder::addEntries(QMenu* menu, const std::vector<MenuEntry>& entries) {
    // Checkable entries of one menu are alternatives: one port, one language.
    QActionGroup* group = nullptr;
    for (const MenuEntry& e : entries) {
        switch (e.kind) {
            case MenuEntry::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Kind::Submenu: {
                QMenu* submenu = prepared(menu->addMenu(e.caption));
                addEntries(submenu, e.entries);
                // An empty list (no recent files yet) shows, but cannot open.
                submenu->menuAction()->setEnabled(!e.entries.empty());
                break;
            }
            case MenuEntry::Kind::Command:
                if (e.checkable && !group) {
                    group = new QActionGroup(menu);
                    group->setExclusive(true);
                }
                addCommand(menu, e, e.checkable ? group : nullptr);
                break;
        }
    }
}

void MenuBuilder::addCommand(QMenu* menu, const MenuEntry& entry, QObject* group) {
    QAction* a = menu->addAction(entry.caption);
    a->setCheckable(entry.checkable);
    a->setChecked(entry.checked);
    if (!entry.keys.isEmpty()) a->setShortcut(QKeySequence(entry.keys, QKeySequence::PortableText));
    if (auto* g = qobject_cast<QActionGroup*>(group)) g->addAction(a);
    const int id = entry.id;
    connect(a, &QAction::triggered, this, [this, id] {
        if (onCommand) onCommand(id);
    });
    remember(id, a);
}

void MenuBuilder::addToolBar(const std::vector<ToolBarButton>& buttons) {
    for (const ToolBarButton& b : buttons) {
        auto* a = new QAction(b.caption, toolBar_);
        bool found = false;
        const QStyle::StandardPixmap pixmap = iconOf(b, &found);
        if (found)
            a->setIcon(readableIcon(window_.style()->standardIcon(pixmap), window_.palette()));
        a->setToolTip(b.caption);
        toolBar_->addAction(a);
        buttons_.push_back(a);
        const int id = b.id;
        buttonIds_.insert(id);
        connect(a, &QAction::triggered, this, [this, id] {
            if (onCommand) onCommand(id);
        });
        remember(id, a);
    }
}

void MenuBuilder::addShortcuts(const std::vector<KeyShortcut>& shortcuts) {
    for (const KeyShortcut& k : shortcuts) {
        auto* s = new QShortcut(QKeySequence(k.keys, QKeySequence::PortableText), &window_);
        s->setContext(Qt::WindowShortcut);
        const int id = k.id;
        connect(s, &QShortcut::activated, this, [this, id] {
            if (onCommand) onCommand(id);
        });
        shortcuts_.push_back(s);
    }
    // F10 opens the first menu, as on the desktops.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), &window_);
    menuKey->setContext(Qt::WindowShortcut);
    connect(menuKey, &QShortcut::activated, this, [this] {
        for (const QPointer<QMenu>& m : menus_) {
            if (m && m->menuAction()->isVisible()) {
                window_.menuBar()->setActiveAction(m->menuAction());
                return;
            }
        }
    });
    shortcuts_.push_back(menuKey);
}

void MenuBuilder::remember(int id, QAction* action) {
    actions_.insert(id, action);
    applyEnabled(id);
}

QAction* MenuBuilder::action(int id) const {
    return actions_.value(id);
}

QMenu* MenuBuilder::popup(int popupId) const {
    if (popupId == menu::kNewPopup) return newPopup_;
    if (popupId == menu::kWritePopup) return writePopup_;
    return nullptr;
}

std::vector<int> MenuBuilder::ids() const {
    std::vector<int> out(actions_.keyBegin(), actions_.keyEnd());
    std::sort(out.begin(), out.end());
    return out;
}

void MenuBuilder::setUnavailable(const std::vector<int>& ids, const QString& reason) {
    const QSet<int> before = unavailable_;
    unavailable_ = QSet<int>(ids.begin(), ids.end());
    unavailableReason_ = reason;
    for (int id : before) applyEnabled(id);
    for (int id : unavailable_) applyEnabled(id);
}

void MenuBuilder::applyEnabled(int id) {
    QAction* a = actions_.value(id);
    if (!a) return;
    const bool available = isAvailable(id);
    const bool enabled = requested_.value(id, true) && available;
    a->setEnabled(enabled);
    const QString why = enabled ? QString() : available ? reasons_.value(id) : unavailableReason_;
    a->setStatusTip(why);
    if (!buttonIds_.contains(id)) {
        a->setToolTip(why);
    } else {
        a->setToolTip(why.isEmpty() ? a->text() : a->text() + QLatin1Char('\n') + why);
    }
}

void MenuBuilder::setItemEnabled(int id, bool enabled) {
    if (!actions_.contains(id)) return;
    requested_.insert(id, enabled);
    applyEnabled(id);
}

bool MenuBuilder::isItemEnabled(int id) const {
    const QAction* a = actions_.value(id);
    return a && a->isEnabled();
}

void MenuBuilder::setItemReason(int id, const QString& reason) {
    if (!actions_.contains(id)) return;
    reasons_.insert(id, reason);
    applyEnabled(id);
}

QString MenuBuilder::itemReason(int id) const {
    const QAction* a = actions_.value(id);
    return a ? a->statusTip() : QString();
}

void MenuBuilder::setItemChecked(int id, bool checked) {
    QAction* a = actions_.value(id);
    if (!a) return;
    a->setCheckable(true);
    a->setChecked(checked);
}

bool MenuBuilder::isItemChecked(int id) const {
    const QAction* a = actions_.value(id);
    return a && a->isChecked();
}

void MenuBuilder::setItemHidden(int id, bool hidden) {
    if (QAction* a = actions_.value(id)) a->setVisible(!hidden);
}

bool MenuBuilder::isItemHidden(int id) const {
    const QAction* a = actions_.value(id);
    return a && !a->isVisible();
}

int MenuBuilder::showPopup(int popupId) {
    return showPopup(popupId, QCursor::pos());
}

int MenuBuilder::showPopup(int popupId, const QPoint& at) {
    QMenu* menu = popup(popupId);
    if (!menu) return -1;
    // The chosen entry's triggered signal has already called onCommand.
    const QAction* chosen = menu->exec(at);
    if (!chosen) return -1;
    for (auto it = actions_.constBegin(); it != actions_.constEnd(); ++it) {
        if (it.value().data() == chosen) return it.key();
    }
    return -1;
}

QString MenuBuilder::showPopUp(QWidget* parent, const std::vector<MenuEntry>& entries, Logger& log,
                               int window, const QPoint& at) {
    log.debugLog(QStringLiteral(">>>ShowPopUp: ActWin=") + QString::number(window), 4);
    QMenu menu(parent);
    QHash<const QAction*, QString> values;
    const std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
        [&](QMenu* m, const std::vector<MenuEntry>& list) {
            for (const MenuEntry& e : list) {
                if (e.kind == MenuEntry::Kind::Submenu) {
                    fill(m->addMenu(e.caption), e.entries);
                } else if (e.kind == MenuEntry::Kind::Separator) {
                    m->addSeparator();
                } else {
                    values.insert(m->addAction(e.caption), e.value);
                }
            }
        };
    fill(&menu, entries);
    const QAction* chosen = menu.isEmpty() ? nullptr : menu.exec(at);
    const QString result = chosen ? values.value(chosen) : QString();
    log.debugLog(
        QStringLiteral("ShowPopUp: ") + (result.isEmpty() ? QStringLiteral("(none)") : result), 4);
    return result;
}

}  // namespace zh
