// The menus as widgets on a main window: every entry and button exists
// with its identifier and calls back with it, entries are switched by
// identifier, unavailable commands stay disabled, rebuilding replaces
// everything, the pop-ups answer with the chosen entry, the field table
// records the entries, and Tab walks the fields in definition order.

#include "ui/window/menu_builder.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/menu_ids.h"
#include "app/menu_table.h"
#include "model/field_table.h"
#include "support/test_program.h"
#include "ui/window/field_controls.h"
#include "ui/window/focus_order.h"
#include "ui/window/menu_registration.h"
#include "ui/window/qt_gadgets.h"

namespace zh {
namespace {

using test::TestProgram;

// Presses `keys` in the pop-up menu that opens next (the innermost one).
void pressInNextPopup(std::vector<int> keys) {
    QTimer::singleShot(0, [keys] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) return;
        for (int key : keys) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(QApplication::activePopupWidget(), &press);
        }
    });
}

class MenuBuilderTest : public ::testing::Test {
  protected:
    MenuBuilderTest() {
        t.usePressureProfile();
        t.program.state.UserMode = "customizer";
        EXPECT_EQ(buildMenuTable(t.program, {{"/dev/ttyS0", "ttyS0"}, {"Sim", "Sim"}}, table),
                  MenuBuild::Built);
        builder.onCommand = [this](int id) { called.push_back(id); };
        builder.build(table);
    }

    std::vector<int> registeredIds() const {
        std::vector<int> ids;
        for (const MenuRegistration& r : MenuRegistrations(table)) ids.push_back(r.id);
        return ids;
    }

    QShortcut* shortcut(const char* keys) {
        for (QShortcut* s : window.findChildren<QShortcut*>()) {
            if (s->key() == QKeySequence(QLatin1String(keys))) return s;
        }
        return nullptr;
    }

    TestProgram t;
    MenuTable table;
    QMainWindow window;
    MenuBuilder builder{window};
    std::vector<int> called;
};

TEST_F(MenuBuilderTest, EveryEntryAndButtonExistsWithItsIdentifier) {
    QStringList titles;
    for (QAction* a : window.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles.join('|'), "&File|&Data transfer|&Setup|&?");

    std::vector<int> expected = registeredIds();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(builder.ids(), expected);
    for (int id : expected) {
        QAction* a = builder.action(id);
        ASSERT_NE(a, nullptr) << id;
        const MenuEntry* entry = table.find(id);
        const ToolBarButton* button = table.findButton(id);
        EXPECT_EQ(a->text(), entry ? entry->caption : button->caption) << id;
        EXPECT_TRUE(a->isEnabled()) << id;
    }
    // Tool-bar buttons sit on the tool bar, in table order, with their tooltips.
    const QList<QAction*> tools = builder.toolBar()->actions();
    ASSERT_EQ(tools.size(), 7);
    EXPECT_EQ(tools[0], builder.action(menu::kToolNew));
    EXPECT_EQ(tools[6]->toolTip(), "Write module");
    EXPECT_FALSE(tools[6]->icon().isNull());
    // Pop-up entries live in their pop-ups.
    ASSERT_NE(builder.popup(menu::kWritePopup), nullptr);
    EXPECT_TRUE(
        builder.popup(menu::kWritePopup)->actions().contains(builder.action(menu::kPopupWriteAll)));
    EXPECT_TRUE(
        builder.popup(menu::kNewPopup)->actions().contains(builder.action(menu::kPopupNew)));
    // The port and device choices show the current one.
    EXPECT_TRUE(builder.isItemChecked(menu::kConfigAuto));
    EXPECT_FALSE(builder.isItemChecked(menu::kConfigAll));
}

TEST_F(MenuBuilderTest, EntriesButtonsAndShortcutsCallBackWithTheirIdentifier) {
    builder.action(menu::kReadAll)->trigger();
    builder.action(menu::kToolOpen)->trigger();
    builder.action(menu::kFirstNewMeasurand + 1)->trigger();
    builder.action(menu::kConfigDisplay)->trigger();
    ASSERT_NE(shortcut("Ctrl+Shift+C"), nullptr);
    emit shortcut("Ctrl+Shift+C")->activated();
    ASSERT_NE(shortcut("Shift+Tab"), nullptr);
    emit shortcut("Shift+Tab")->activated();
    EXPECT_EQ(called, (std::vector<int>{2069, 2003, 2032, 2062, 26, 28}));
    // Choosing a device moves the mark: one choice at a time.
    EXPECT_TRUE(builder.isItemChecked(menu::kConfigDisplay));
    EXPECT_FALSE(builder.isItemChecked(menu::kConfigAuto));
    EXPECT_EQ(window.findChildren<QShortcut*>().size(), 14);
    // F10 opens the first menu, as on the desktops.
    window.show();
    ASSERT_NE(shortcut("F10"), nullptr);
    emit shortcut("F10")->activated();
    EXPECT_EQ(window.menuBar()->activeAction(), window.menuBar()->actions().value(0));
    window.menuBar()->setActiveAction(nullptr);
}

// A disabled entry says why: in its tooltip, and in the status line when
// reached by key (choosing it does nothing); enabled again it says nothing.
TEST_F(MenuBuilderTest, EntriesAreSwitchedByIdentifier) {
    const QString why = QStringLiteral("Read the module first");
    for (int id : {menu::kWriteAll, menu::kToolWrite}) {
        builder.setItemEnabled(id, false);
        builder.setItemReason(id, why);
    }
    EXPECT_FALSE(builder.isItemEnabled(menu::kWriteAll));
    EXPECT_FALSE(builder.action(menu::kWriteAll)->isEnabled());
    EXPECT_EQ(builder.itemReason(menu::kWriteAll), why);
    EXPECT_EQ(builder.action(menu::kWriteAll)->toolTip(), why);
    EXPECT_EQ(builder.action(menu::kToolWrite)->toolTip(), "Write module\n" + why);
    window.statusBar();
    window.show();
    QMenu* transfer = window.menuBar()->actions().at(1)->menu();
    window.menuBar()->setActiveAction(transfer->menuAction());
    QApplication::processEvents();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    for (int i = 0; i < 10 && transfer->activeAction() != builder.action(menu::kWriteAll); ++i)
        QApplication::sendEvent(transfer, &down);
    EXPECT_EQ(transfer->activeAction(), builder.action(menu::kWriteAll));
    EXPECT_EQ(window.statusBar()->currentMessage(), why);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(transfer, &enter);
    transfer->close();
    EXPECT_TRUE(called.empty());
    for (int id : {menu::kWriteAll, menu::kToolWrite}) builder.setItemEnabled(id, true);
    EXPECT_TRUE(builder.isItemEnabled(menu::kWriteAll));
    EXPECT_EQ(builder.itemReason(menu::kWriteAll), "");
    EXPECT_EQ(builder.action(menu::kToolWrite)->toolTip(), "Write module");

    builder.setItemHidden(menu::kToolConnect, true);
    EXPECT_TRUE(builder.isItemHidden(menu::kToolConnect));
    EXPECT_FALSE(builder.action(menu::kToolConnect)->isVisible());
    builder.setItemHidden(menu::kToolConnect, false);
    EXPECT_FALSE(builder.isItemHidden(menu::kToolConnect));

    builder.setItemChecked(menu::kFirstPort, true);
    EXPECT_TRUE(builder.isItemChecked(menu::kFirstPort));

    // Identifiers without an entry change nothing and read as false.
    builder.setItemEnabled(4711, true);
    EXPECT_FALSE(builder.hasItem(4711));
    EXPECT_FALSE(builder.isItemEnabled(4711));
    EXPECT_FALSE(builder.isItemHidden(4711));
}

TEST_F(MenuBuilderTest, UnavailableCommandsStayDisabledThroughRulesAndRebuilds) {
    builder.setUnavailable({menu::kConnect, menu::kToolConnect});
    EXPECT_FALSE(builder.isItemEnabled(menu::kConnect));
    builder.setItemEnabled(menu::kConnect, true);  // what a rule would do
    EXPECT_FALSE(builder.isItemEnabled(menu::kConnect));

    // A rebuild, as after a language change: everything is made afresh once.
    builder.setItemEnabled(menu::kWriteAll, false);
    builder.build(table);
    EXPECT_EQ(window.menuBar()->actions().size(), 4);
    EXPECT_EQ(builder.toolBar()->actions().size(), 7);
    EXPECT_EQ(window.findChildren<QShortcut*>().size(), 14);
    EXPECT_FALSE(builder.isItemEnabled(menu::kToolConnect));
    EXPECT_TRUE(builder.isItemEnabled(menu::kWriteAll));  // the rules run again after a build

    // Once available again the rules decide.
    builder.setUnavailable({});
    EXPECT_TRUE(builder.isItemEnabled(menu::kConnect));
    builder.action(menu::kConnect)->trigger();
    EXPECT_EQ(called, (std::vector<int>{menu::kConnect}));
}

TEST_F(MenuBuilderTest, CommandPopupAnswersWithTheChosenEntry) {
    pressInNextPopup({Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(builder.showPopup(menu::kWritePopup, QPoint(10, 10)), menu::kPopupWriteChanges);
    EXPECT_EQ(called, (std::vector<int>{menu::kPopupWriteChanges}));

    pressInNextPopup({Qt::Key_Escape});
    EXPECT_EQ(builder.showPopup(menu::kWritePopup, QPoint(10, 10)), -1);
    EXPECT_EQ(called.size(), 1u);
    EXPECT_EQ(builder.showPopup(4711, QPoint(10, 10)), -1);
}

TEST_F(MenuBuilderTest, EquipmentPopupReturnsTheChoiceOrNothing) {
    t.program.state.MeasurandList = {{"Pressure", 0, "[bar]", "Transmitter=4"},
                                     {"Temperature", 1, "[°C]", "Transmitter=4;Switch outputs=2"}};
    const std::vector<MenuEntry> entries = equipmentPopup(t.program);
    t.program.log.setThreshold(4);

    pressInNextPopup({Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(MenuBuilder::showPopUp(&window, entries, t.program.log, 1, QPoint(5, 5)),
              "Pressure|4|Transmitter");
    pressInNextPopup({Qt::Key_Escape});
    EXPECT_EQ(MenuBuilder::showPopUp(&window, entries, t.program.log, 1, QPoint(5, 5)), "");
    EXPECT_EQ(MenuBuilder::showPopUp(&window, {}, t.program.log, 1, QPoint(5, 5)), "");

    const auto& lines = t.program.log.viewLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), ">>>ShowPopUp: ActWin=1"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ShowPopUp: Pressure|4|Transmitter"),
              lines.end());
}

TEST_F(MenuBuilderTest, EntriesAreRecordedInTheFieldTable) {
    FieldTable fields;
    FieldCaptions captions;
    registerMenuEntries(table, fields, captions);
    for (int id : registeredIds()) {
        const int index = fields.find("MenuID-" + QString::number(id));
        ASSERT_GE(index, 0) << id;
        EXPECT_EQ(fields.at(index).Name, "MenuID-" + QString::number(id));
    }
    const FieldRecord& read = fields.at(fields.find("MenuID-2069"));
    EXPECT_EQ(captions.value("MenuID-2069"), "Read module");
    EXPECT_EQ(captions.value("MenuID-2086"), "WriteModule->Write module");
    // Not bound to a control: the entries share no numbers with the window's controls.
    EXPECT_EQ(boundControl(read), 0);
    EXPECT_EQ(recordOfControl(fields, 2069), -1);
}

// Fields A..E (HiTrail, LoTrail, DspMBE, DspMBA, TempUpper) shown by
// controls 30, 33, 36, 38, 42, F (Key) not shown, in definition order
// A, F, C, B, D, E (not the order of the numbers).
class FocusOrderTest : public ::testing::Test {
  protected:
    FocusOrderTest() {
        const std::pair<const char*, bool> defined[] = {{"HiTrail", true}, {"Key", false},
                                                        {"DspMBE", true},  {"LoTrail", true},
                                                        {"DspMBA", true},  {"TempUpper", true}};
        fields.beginPass();
        int position = 0;
        for (const auto& [name, shown] : defined) {
            FieldRecord& r = fields[QLatin1String(name)];
            r.Name = QLatin1String(name);
            r.RecordPos = shown ? ++position : 0;
            fields.appendDefinedName(r.Name);
        }
    }
    int next(int focused, bool forward = true) {
        return nextFocusGadget(fields, focused, forward,
                               [this](int g) { return !blocked.contains(g); });
    }
    FieldTable fields;
    QSet<int> blocked;  // hidden or disabled
};

TEST_F(FocusOrderTest, TabWalksTheDefinedFieldsAndWrapsRound) {
    EXPECT_EQ(next(30), 36);
    EXPECT_EQ(next(36), 33);
    EXPECT_EQ(next(42), 30);         // past the end: the first again
    EXPECT_EQ(next(30, false), 42);  // Shift+Tab before the first: the last
    EXPECT_EQ(next(33, false), 36);
    blocked = {36, 33};
    EXPECT_EQ(next(30), 38);
    EXPECT_EQ(next(38, false), 30);
    // A focused control that is no field starts at either end; nothing focused, nothing happens.
    EXPECT_EQ(next(99), 30);
    EXPECT_EQ(next(99, false), 42);
    EXPECT_EQ(next(-1), -1);
    // No other field can take the focus.
    blocked = {33, 36, 38, 42};
    EXPECT_EQ(next(30), -1);
}

TEST_F(FocusOrderTest, TheFocusedFieldGetsItsWholeTextSelected) {
    QWidget page;
    QtGadgets gadgets;
    gadgets.addWindow(1, &page);
    std::map<int, QLineEdit*> edits;
    for (int g : {30, 33, 36, 38, 42}) {
        edits[g] = new QLineEdit(QStringLiteral("text %1").arg(g), &page);
        gadgets.addControl(g, 1, edits[g]);
    }
    edits[36]->setEnabled(false);
    page.show();
    QApplication::setActiveWindow(&page);
    edits[30]->setFocus();
    ASSERT_EQ(gadgets.focusedGadget(), 30);

    EXPECT_TRUE(focusNextField(fields, gadgets, true));
    EXPECT_EQ(gadgets.focusedGadget(), 33);  // C (36) is disabled
    EXPECT_EQ(edits[33]->selectedText(), "text 33");
    edits[38]->hide();
    EXPECT_TRUE(focusNextField(fields, gadgets, true));
    EXPECT_EQ(gadgets.focusedGadget(), 42);
    EXPECT_TRUE(focusNextField(fields, gadgets, false));
    EXPECT_EQ(gadgets.focusedGadget(), 33);
}

}  // namespace
}  // namespace zh
