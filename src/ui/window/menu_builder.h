#pragma once
// The menu table as Qt widgets on a main window: the menu bar, the tool
// bar, the keyboard shortcuts and the two command pop-ups. Every entry,
// button and shortcut calls onCommand with its command identifier; the
// window turns that into a menu event. Entries are switched by identifier
// (MenuItems); a disabled entry or button says why in its tooltip and, when
// pointed at or reached by key in its menu, in the status line. A rebuild (another language,
// another user mode) clears everything this builder made and builds it again; what the program
// cannot carry out (setUnavailable) stays disabled across rebuilds.

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QToolBar>
#include <functional>
#include <vector>

#include "app/menu_items.h"
#include "app/menu_table.h"

class QAction;
class QMainWindow;
class QMenu;
class QShortcut;
class QStyle;
class QToolBar;

namespace zh {

class Logger;

class MenuBuilder final : public QObject, public MenuItems {
  public:
    // Builds onto `window`'s menu bar and onto `toolBar` (a tool bar of
    // its own on the window when null).
    explicit MenuBuilder(QMainWindow& window, QToolBar* toolBar = nullptr);
    ~MenuBuilder() override;
    MenuBuilder(const MenuBuilder&) = delete;
    MenuBuilder& operator=(const MenuBuilder&) = delete;

    std::function<void(int id)> onCommand;

    void build(const MenuTable& table);
    void clear();

    QAction* action(int id) const;
    // Pop-up menu::kNewPopup or menu::kWritePopup; nullptr before a build.
    QMenu* popup(int popupId) const;
    QToolBar* toolBar() const { return toolBar_; }
    // Every identifier with an entry or button, in ascending order.
    std::vector<int> ids() const;

    // Commands the program cannot carry out yet: their entries show disabled,
    // with `reason`, whatever the user-mode rules enable. Replaces the
    // previous set.
    void setUnavailable(const std::vector<int>& ids, const QString& reason = QString());
    bool isAvailable(int id) const { return !unavailable_.contains(id); }

    bool hasItem(int id) const override { return !actions_.value(id).isNull(); }
    void setItemEnabled(int id, bool enabled) override;
    bool isItemEnabled(int id) const override;
    void setItemReason(int id, const QString& reason) override;
    // The reason the entry shows now ("" while it is enabled).
    QString itemReason(int id) const override;
    void setItemChecked(int id, bool checked) override;
    bool isItemChecked(int id) const override;
    void setItemHidden(int id, bool hidden) override;
    bool isItemHidden(int id) const override;

    // Shows command pop-up `popupId` at `at` (screen coordinates) and waits;
    // a chosen entry calls onCommand. Returns its identifier, -1 when the
    // pop-up was dismissed.
    int showPopup(int popupId, const QPoint& at);
    int showPopup(int popupId);  // at the mouse

    // Shows a pop-up built on demand (equipmentPopup) at `at` and waits;
    // returns the chosen entry's value, "" when dismissed. `window` is the
    // active window's number, for the log.
    static QString showPopUp(QWidget* parent, const std::vector<MenuEntry>& entries, Logger& log,
                             int window, const QPoint& at);

  private:
    void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries);
    void addCommand(QMenu* menu, const MenuEntry& entry, QObject* group);
    void addToolBar(const std::vector<ToolBarButton>& buttons);
    void addShortcuts(const std::vector<KeyShortcut>& shortcuts);
    QMenu* buildPopup(const std::vector<MenuEntry>& entries);
    QMenu* prepared(QMenu* menu);
    void remember(int id, QAction* action);
    void applyEnabled(int id);

    QMainWindow& window_;
    QPointer<QToolBar> toolBar_;
    // Guarded: the window may go first and take its menus with it.
    QHash<int, QPointer<QAction>> actions_;
    QHash<int, bool> requested_;   // enable state the rules asked for
    QHash<int, QString> reasons_;  // why the rules have an entry off
    QSet<int> unavailable_;
    QString unavailableReason_;
    QSet<int> buttonIds_;  // the tool bar's, whose tooltip is their caption
    QStyle* menuStyle_ = nullptr;
    std::vector<QPointer<QMenu>> menus_;      // the menu bar's menus
    std::vector<QPointer<QAction>> buttons_;  // the tool bar's actions
    std::vector<QPointer<QShortcut>> shortcuts_;
    QPointer<QMenu> newPopup_;
    QPointer<QMenu> writePopup_;
};

}  // namespace zh
