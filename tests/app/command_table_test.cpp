// Command dispatch: every identifier the menus, tool bar and shortcuts
// carry reaches exactly one command, bound commands run with the event's
// identifier, unbound ones are only logged, and buttons are found by their
// symbolic names.

#include "app/command_table.h"

#include <gtest/gtest.h>

#include <map>

#include "app/menu_ids.h"
#include "app/menu_table.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

void collectIds(const std::vector<MenuEntry>& entries, std::vector<int>& out) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Command) out.push_back(e.id);
        collectIds(e.entries, out);
    }
}

class CommandTableTest : public ::testing::Test {
  protected:
    CommandTableTest() {
        t.usePressureProfile();
        t.program.log.setThreshold(6);
    }
    QStringList logLines() const {
        QStringList lines;
        for (const QString& l : t.program.log.viewLines()) lines << l;
        return lines;
    }
    TestProgram t;
};

TEST_F(CommandTableTest, EveryIdentifierOfTheMenusReachesACommand) {
    t.program.state.UserMode = kLoggingMenuMode;  // every optional submenu...
    MenuTable logging;
    ASSERT_EQ(buildMenuTable(t.program, {{"Sim", "Sim"}}, logging), MenuBuild::Built);
    t.program.state.UserMode = "customizer";  // ...in one mode or the other
    MenuTable table;
    ASSERT_EQ(buildMenuTable(t.program, {{"a", ""}, {"b", ""}, {"Sim", "Sim"}}, table),
              MenuBuild::Built);

    std::vector<int> ids;
    for (const MenuTable* m : {&logging, &table}) {
        collectIds(m->menus, ids);
        collectIds(m->newPopup, ids);
        collectIds(m->writePopup, ids);
        for (const ToolBarButton& b : m->toolBar) ids.push_back(b.id);
        for (const KeyShortcut& k : m->shortcuts) ids.push_back(k.id);
    }
    CommandTable commands(t.program.log);
    for (int id : ids) EXPECT_TRUE(commands.menuCommand(id).has_value()) << id;
    // The last identifiers of the measurand ranges are commands too.
    EXPECT_EQ(commands.menuCommand(2040), Command::NewData);
    EXPECT_EQ(commands.menuCommand(2085), Command::NewData);
    EXPECT_EQ(commands.menuCommand(1213), Command::SelectLanguage);
    EXPECT_FALSE(commands.menuCommand(2041).has_value());
    EXPECT_FALSE(commands.menuCommand(2024).has_value());  // the menu bar itself
}

TEST_F(CommandTableTest, NoIdentifierOrControlBelongsToTwoCommands) {
    std::map<int, int> menuOwners;
    std::map<QString, int> controlOwners;
    for (const CommandInfo& info : CommandCatalogue()) {
        std::vector<int> ids = info.ids;
        for (const auto& [first, last] : info.ranges)
            for (int id = first; id <= last; ++id) ids.push_back(id);
        for (int id : ids) EXPECT_EQ(++menuOwners[id], 1) << "identifier " << id;
        for (const QString& c : info.controls) EXPECT_EQ(++controlOwners[c], 1) << c.toStdString();
    }
    // Actions shared as the command table says.
    CommandTable commands(t.program.log);
    EXPECT_EQ(commands.menuCommand(menu::kToolOpen), commands.menuCommand(menu::kOpen));
    EXPECT_EQ(commands.menuCommand(menu::kToolRead), Command::ReadModule);
    EXPECT_EQ(commands.menuCommand(menu::kPopupWriteChanges), Command::WriteChanges);
    EXPECT_EQ(commands.menuCommand(menu::kToolWrite), Command::WritePopup);
    EXPECT_EQ(commands.menuCommand(menu::kToolDisconnect), Command::Disconnect);
    EXPECT_EQ(commands.menuCommand(menu::kFirstPort + 3), Command::SelectPort);
}

TEST_F(CommandTableTest, BoundCommandsRunWithTheirIdentifierAndAreLogged) {
    CommandTable commands(t.program.log);
    std::vector<int> opened;
    commands.bind(Command::OpenData, [&](int id) { opened.push_back(id); });

    EXPECT_TRUE(commands.dispatch(WindowEvent{EventMenu, 1, -1, menu::kToolOpen, -1}));
    EXPECT_TRUE(commands.dispatchMenu(menu::kOpen));
    EXPECT_EQ(opened, (std::vector<int>{2003, 2027}));
    EXPECT_TRUE(logLines().contains("> #  MenuOpen ,#ToolBarBtn_Open ;-- Open"));

    // Unbound: nothing runs, the event is logged as not available.
    EXPECT_FALSE(commands.isMenuAvailable(menu::kReadAll));
    EXPECT_FALSE(commands.dispatchMenu(menu::kReadAll));
    EXPECT_TRUE(
        logLines().contains("> #  MenuReadAll ,#TBBtnReadModule ;-- Read module (not available)"));
    EXPECT_FALSE(commands.dispatchMenu(4711));

    // Identifiers without a symbolic name are named by their number.
    commands.bind(Command::SelectLanguage, [](int) {});
    EXPECT_TRUE(commands.dispatchMenu(1205));
    EXPECT_TRUE(logLines().contains("> #  MenuID-1205 ;-- Select language"));

    commands.unbind(Command::OpenData);
    EXPECT_FALSE(commands.dispatchMenu(menu::kOpen));
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(CommandTableTest, UnavailableCommandsAreListedForTheWindow) {
    CommandTable commands(t.program.log);
    // Ctrl+G and Ctrl+K are defined to do nothing, and do so from the start.
    EXPECT_TRUE(commands.dispatchMenu(menu::kKeyCtrlG));
    commands.bind(Command::SaveData, [](int) {});
    const std::vector<int> off = commands.unavailableMenuIds(
        {menu::kSave, menu::kToolSave, menu::kSaveAs, menu::kKeyCtrlK, menu::kStartLog});
    EXPECT_EQ(off, (std::vector<int>{menu::kSaveAs, menu::kStartLog}));
}

TEST_F(CommandTableTest, ButtonsAreFoundByTheirSymbolicNames) {
    // Control numbers as the window would give them; one name is unknown.
    const std::map<QString, int> numbers = {{"#Gadget_ZELHart_BtnTempTLR", 312},
                                            {"#Gadget_ZELHart_BtnAdmTLR", 313},
                                            {"#Gadget_ZELHart_BtnReadTransm", 320},
                                            {"#Gadget_ZELHart_CmbOutFunc1", 62}};
    CommandTable commands(t.program.log, [&](const QString& name) {
        const auto it = numbers.find(name);
        return it == numbers.end() ? -1 : it->second;
    });
    EXPECT_EQ(commands.gadgetCommand(312), Command::TeachLowerRange);
    EXPECT_EQ(commands.gadgetCommand(313), Command::TeachLowerRange);
    EXPECT_EQ(commands.gadgetCommand(62), Command::OutputFunction);
    EXPECT_FALSE(commands.gadgetCommand(17).has_value());
    EXPECT_TRUE(logLines().contains("CommandTable: no control #Gadget_ZELHart_BtnLoopStartStop"));

    std::vector<int> read;
    commands.bind(Command::ReadTransmitter, [&](int gadget) { read.push_back(gadget); });
    EXPECT_TRUE(commands.dispatch(WindowEvent{EventGadget, 1, 320, -1, GadgetSelect}));
    // Focus and text events of a control are not clicks.
    EXPECT_FALSE(commands.dispatch(WindowEvent{EventGadget, 1, 320, -1, GadgetFocusGained}));
    // A menu event with the same number is another thing.
    EXPECT_FALSE(commands.dispatch(WindowEvent{EventMenu, 1, -1, 320, -1}));
    EXPECT_EQ(read, (std::vector<int>{320}));

    EXPECT_FALSE(commands.dispatchGadget(312));
    EXPECT_EQ(commands.unavailableGadgets(), (std::vector<int>{62, 312, 313}));
}

TEST(MenuSymbols, NumberedFamiliesRoundTrip) {
    EXPECT_EQ(menu::symbolOf(2033), "#MenuNewSub1-3");
    EXPECT_EQ(menu::symbolOf(2085), "#PopMenuM1-10");
    EXPECT_EQ(menu::symbolOf(5000), "");
    EXPECT_EQ(menu::idOfSymbol(u"#MenuNewSub1-10"), 2040);
    EXPECT_EQ(menu::idOfSymbol(u"MenuOpen"), 2027);
    EXPECT_EQ(menu::idOfSymbol(u"#MenuNewSub1-11"), -1);
    EXPECT_EQ(menu::idOfSymbol(u"#MenuNewSub1-0"), -1);
    EXPECT_EQ(menu::idOfSymbol(u"#Nothing"), -1);
}

}  // namespace
}  // namespace zh
