// The user-mode rules on the assembled window: no control offers a command
// the program cannot carry out, and the controls of the measurand shown
// follow the data through build, read, New and Open.

#include <QSet>

#include "app/command_table.h"
#include "app/menu_table.h"
#include "app_rig.h"
#include "ui/window/user_modes.h"

namespace zh {
namespace {

// Where a control sits: a control on a tab the user mode removed is out of sight.
bool inSight(const AppRig& rig, int control) {
    QWidget* w = rig.gadgets.widget(control);
    const ControlInfo* c = findControl(control);
    if (!w || !c || w->isHidden()) return false;
    return c->tab < 0 || rig.window().panel()->indexOf(rig.window().tabPage(c->tab)) >= 0;
}

// Every command has its handler. The entries of commands the test takes
// away from the program (a menu command and two buttons the user sees) must
// show disabled, whatever the rules of the state enable.
const QSet<Command> kTakenAway = {Command::SaveData, Command::StoreFactorySetting,
                                  Command::LoopTest};

TEST(WindowRules, NoEnabledControlWithoutItsCommandInAnyModeOrState) {
    for (const char* mode : {"user", "administrator", "customizer"}) {
        AppRig rig("ZEL-HART", {{"UserMode=user", QByteArray("UserMode=") + mode}});
        for (Command c : kTakenAway) rig.app->commands().unbind(c);
        ASSERT_TRUE(rig.app->buildMainWindow(0));
        Application& app = *rig.app;
        const CommandTable& commands = app.commands();
        MenuBuilder& menus = *app.menus();

        MenuTable table;
        buildMenuTable(rig.program, {}, table);
        for (const KeyShortcut& k : table.shortcuts)
            EXPECT_TRUE(commands.isMenuAvailable(k.id)) << qPrintable(k.keys) << " does nothing";

        AppState& s = rig.program.state;
        for (int connected : {0, 1})
            for (int data : {-1, 0})
                for (int link : {0, 1}) {
                    SCOPED_TRACE(std::string(mode) + (connected ? " connected" : " notconnected") +
                                 (data < 0 ? " nodata" : " data") + (link ? " link open" : ""));
                    s.ConnectionState = connected;
                    s.DataTrigger = data;
                    app.session().LinkOpen = link;
                    app.userModes().updateGadgetItems(-1);

                    for (const CommandInfo& info : CommandCatalogue()) {
                        if (commands.isAvailable(info.command)) continue;
                        EXPECT_TRUE(kTakenAway.contains(info.command))
                            << qPrintable(info.name) << " has no handler";
                        std::vector<int> ids = info.ids;
                        for (const auto& [first, last] : info.ranges)
                            for (int id = first; id <= last; ++id) ids.push_back(id);
                        for (int id : ids) {
                            QAction* a = menus.hasItem(id) ? menus.action(id) : nullptr;
                            EXPECT_FALSE(a && a->isVisible() && a->isEnabled())
                                << "menu " << id << " " << qPrintable(info.name);
                        }
                        for (const QString& name : info.controls) {
                            const int n = controlNumber(name);
                            EXPECT_FALSE(inSight(rig, n) && rig.gadgets.widget(n)->isEnabled())
                                << qPrintable(name) << " " << qPrintable(info.name);
                        }
                    }

                    // Whatever is off in sight says why.
                    for (int id : menus.ids()) {
                        const QAction* a = menus.action(id);
                        if (a->isVisible() && !a->isEnabled()) {
                            EXPECT_FALSE(menus.itemReason(id).isEmpty()) << "menu " << id;
                        }
                    }
                    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
                        const std::optional<Command> command = commands.gadgetCommand(c->number);
                        if (c->window == kMainWindow && c->kind == ControlKind::Button &&
                            inSight(rig, c->number) &&
                            !(command && kTakenAway.contains(*command)) &&
                            !rig.gadgets.widget(c->number)->isEnabled()) {
                            EXPECT_FALSE(rig.gadgets.disabledReason(c->number).isEmpty())
                                << c->name;
                        }
                    }

                    if (std::string(mode) != "user" || data >= 0 || connected) continue;
                    // Without data the user may only start: New, Open, Read.
                    const FieldTable& fields = app.model().fields;
                    for (const PackedEntry& e : fields.packedEntries()) {
                        const int control = boundControl(fields.at(fields.find(e.Name)));
                        if (control > 0 && e.Visibility != "nodisplay" && inSight(rig, control)) {
                            EXPECT_FALSE(rig.gadgets.widget(control)->isEnabled())
                                << qPrintable(e.Name);
                        }
                    }
                    for (int id : {menu::kNew, menu::kOpen, menu::kToolOpen, menu::kReadAll,
                                   menu::kToolRead})
                        EXPECT_TRUE(menus.isItemEnabled(id)) << id;
                    for (int id : {menu::kSave, menu::kSaveAs, menu::kToolSave, menu::kWriteAll,
                                   menu::kWriteChanges, menu::kToolWrite, menu::kConnect,
                                   menu::kToolConnect, menu::kDisconnect, menu::kToolDisconnect})
                        EXPECT_FALSE(menus.isItemEnabled(id)) << id;
                    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c)
                        if (c->window == kMainWindow && c->kind == ControlKind::Button &&
                            inSight(rig, c->number)) {
                            EXPECT_FALSE(rig.gadgets.widget(c->number)->isEnabled()) << c->name;
                        }
                }
    }
}

// Chooses the first entry of the equipment pop-up that New opens.
class FirstEquipment {
  public:
    FirstEquipment() {
        QObject::connect(&timer_, &QTimer::timeout, [] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup) return;
            for (int key : {Qt::Key_Down, Qt::Key_Return}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QCoreApplication::sendEvent(popup, &press);
            }
        });
        timer_.start(20);
    }

  private:
    QTimer timer_;
};

TEST(WindowRules, OnlyTheControlsOfTheMeasurandShownAreThere) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=customizer"}});
    const QString file = rig.dir.filePath("oven.cft");
    const auto readDevice = [&](const char* config) {
        qputenv("HARTSIM_OPTIONS", QByteArray("presence=both,config=") + config);
        rig.read();
    };
    const auto newData = [&](int measurand) {
        FirstEquipment chooser;
        rig.app->command(menu::kFirstNewMeasurand + measurand);
    };
    const auto open = [&] {
        FileAnswer answer(file);
        rig.app->command(menu::kOpen);
    };
    const auto saveAs = [&] {
        FileAnswer answer(file);
        rig.app->command(menu::kSaveAs);
    };
    const struct {
        const char* step;
        std::function<void()> run;
        bool pressure;
    } steps[] = {
        {"window built", [&] { ASSERT_TRUE(rig.app->buildMainWindow(0)); }, true},
        {"read of a temperature device", [&] { readDevice("20"); }, false},
        {"saved", saveAs, false},
        {"new pressure data", [&] { newData(0); }, true},
        {"temperature file opened", open, false},
        {"read of a pressure device", [&] { readDevice("1"); }, true},
        {"new temperature data", [&] { newData(1); }, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.run();
        QApplication::processEvents();
        EXPECT_EQ(rig.app->model().cal.Measurand, step.pressure ? "Pressure" : "Temperature")
            << qPrintable(rig.boxes.texts.join('|'));
        for (const char* name :
             {"DspMBE", "DspMBA", "BtnSetTeachLower", "FldTaraPulseLen", "BtnSet4mADisp"})
            EXPECT_EQ(rig.gadgets.isHidden(rig.control(name)), !step.pressure) << name;
        for (const char* name : {"TempUpper", "TempLower", "HartAddress", "DscHartAddress"})
            EXPECT_EQ(rig.gadgets.isHidden(rig.control(name)), step.pressure) << name;
        EXPECT_FALSE(rig.gadgets.isHidden(rig.control("UnitDspMBE")));  // both groups' unit
        // The customizer's own controls stay his whatever defined the fields anew.
        EXPECT_EQ(rig.gadgets.isEnabled(rig.control("CmbSelEquip")),
                  rig.program.state.DataTrigger >= 0);
    }
}

}  // namespace
}  // namespace zh
