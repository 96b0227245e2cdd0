// The assembled window program on a copy of the shipped resources: the
// window each edition and user mode gets, a read from the simulated device,
// the language switch, the ways out, and what bad profiles and a tiny
// window do to it.

#include "ui/application/application.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCursor>
#include <QHash>
#include <QKeySequence>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QTabBar>
#include <QTextBrowser>
#include <QTreeWidget>
#include <algorithm>

#include "app/mnemonics.h"
#include "app_rig.h"
#include "files/history_command.h"
#include "support/memory_gadgets.h"
#include "support/scripted_dialogs.h"
#include "ui/dialogs/history_window.h"
#include "ui/dialogs/manual_window.h"
#include "ui/window/control_widgets.h"
#include "ui/window/field_controls.h"
#include "ui/window/field_entry_popup.h"
#include "ui/window/palette_colours.h"

namespace zh {
namespace {

// The input controls of the window a screen reader finds without a name or
// under a name another one has; their descriptions must be their tooltips.
QStringList unnamedOrSharedControls(const AppRig& rig) {
    QStringList found;
    QHash<QString, QString> owner;  // name -> control
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        QWidget* w = rig.gadgets.widget(c->number);
        if (!w || c->window != kMainWindow ||
            (c->kind != ControlKind::String && c->kind != ControlKind::ComboBox &&
             c->kind != ControlKind::Button))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        const QString self = QLatin1String(c->name);
        if (name.isEmpty()) found << self + " has no name";
        if (!name.isEmpty() && owner.contains(name))
            found << self + " and " + owner.value(name) + " are both \"" + name + '"';
        owner.insert(name, self);
        if (a && !w->toolTip().isEmpty() && a->text(QAccessible::Description).isEmpty())
            found << self + " has a tooltip but no description";
    }
    return found;
}

// The menu entries without an Alt key or with one another entry of their
// menu has, as "menu: entry".
QStringList unmarkedOrSharedKeys(const QMenuBar* bar) {
    QStringList found;
    const std::function<void(const QString&, const QList<QAction*>&)> check =
        [&found, &check](const QString& where, const QList<QAction*>& actions) {
            QSet<QChar> keys;
            for (const QAction* a : actions) {
                if (a->isSeparator()) continue;
                const QChar key = mnemonicOf(a->text());
                if (key.isNull() || keys.contains(key)) found << where + ": " + a->text();
                keys.insert(key);
                if (a->menu()) check(withoutMnemonic(a->text()), a->menu()->actions());
            }
        };
    check("menu bar", bar->actions());
    return found;
}

TEST(Application, EachEditionAndUserModeGetsItsTabsControlsAndMenus) {
    const struct {
        const char* mode;
        QList<int> tabs;  // a device not yet known shows the display's tabs
        bool deviceMenu;
    } modes[] = {
        {"user", {0}, false}, {"administrator", {0, 1}, false}, {"customizer", {0, 1}, true}};
    for (const char* edition : {"ZEL-HART", "KALVERO_S"}) {
        for (const auto& m : modes) {
            SCOPED_TRACE(std::string(edition) + " " + m.mode);
            AppRig rig(edition, {{"UserMode=user", QByteArray("UserMode=") + m.mode}});
            ASSERT_TRUE(rig.app->buildMainWindow(0));
            QApplication::processEvents();
            MainWindow& w = rig.window();
            EXPECT_TRUE(w.isVisible());
            EXPECT_EQ(w.windowTitle(), QString(edition) + " V 0.9.129");
            EXPECT_EQ(rig.program.state.DataTrigger, -1);
            EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));

            QList<int> tabs;
            for (int t = 0; t < kTabCount; ++t)
                if (w.panel()->indexOf(w.tabPage(t)) >= 0) tabs << t;
            EXPECT_EQ(tabs, m.tabs);

            const FieldTable& fields = rig.app->model().fields;
            ASSERT_GT(fields.packedEntries().size(), 100u);
            for (const PackedEntry& e : fields.packedEntries()) {
                const int control = boundControl(fields.at(fields.find(e.Name)));
                if (control <= 0) continue;
                const ControlInfo* c = findControl(control);
                ASSERT_NE(c, nullptr) << qPrintable(e.Name);
                QWidget* widget = rig.gadgets.widget(control);
                ASSERT_NE(widget, nullptr) << qPrintable(e.Name);
                EXPECT_EQ(placeOf(fields, fields.find(e.Name)).tab, c->tab) << qPrintable(e.Name);
                QWidget* home = c->tab >= 0 ? w.tabPage(c->tab) : w.canvas();
                EXPECT_TRUE(home->isAncestorOf(widget)) << qPrintable(e.Name);
            }
            // Every control the rules and the refresh asked for exists (0 is
            // the "no label" of two status currents).
            QList<int> missing = rig.gadgets.missingControls();
            missing.removeAll(0);
            EXPECT_TRUE(missing.isEmpty())
                << missing.size() << " missing, first " << missing.value(0);

            EXPECT_EQ(unnamedOrSharedControls(rig), QStringList());
            EXPECT_EQ(unmarkedOrSharedKeys(w.menuBar()), QStringList());

            EXPECT_EQ(rig.menuTitles(), QStringList({"File", "Data transfer", "Setup", "?"}));
            // The desktops' keys for the commands they know.
            const struct {
                int id;
                const char* keys;
            } keys[] = {{menu::kNew, "Ctrl+N"},
                        {menu::kOpen, "Ctrl+O"},
                        {menu::kSave, "Ctrl+S"},
                        {menu::kSaveAs, "Ctrl+Shift+S"},
                        {menu::kReadAll, "F5"}};
            for (const auto& k : keys)
                EXPECT_EQ(rig.app->menus()->action(k.id)->shortcut(), QKeySequence(k.keys))
                    << k.keys;
            const QList<QList<int>> entries = {
                {menu::kOpen, menu::kSave, menu::kSaveAs, menu::kExit},
                {menu::kConnect, menu::kDisconnect, menu::kReadAll, menu::kWriteAll,
                 menu::kWriteChanges},
                {menu::kHartAddress},
                {menu::kAbout}};
            const QList<QAction*> bar = w.menuBar()->actions();
            for (int i = 0; i < entries.size() && i < bar.size(); ++i) {
                for (int id : entries[i]) {
                    ASSERT_TRUE(rig.app->menus()->hasItem(id)) << id;
                    EXPECT_TRUE(bar[i]->menu()->actions().contains(rig.app->menus()->action(id)))
                        << id;
                }
            }
            for (int id = menu::kConfigDisplay; id <= menu::kConfigAuto; ++id)
                EXPECT_EQ(rig.app->menus()->hasItem(id), m.deviceMenu) << id;
            EXPECT_FALSE(rig.app->menus()->hasItem(menu::kStartLog));
            const int english = rig.languageEntry("English");
            ASSERT_GE(english, 0);
            EXPECT_TRUE(rig.app->menus()->action(english)->isChecked());
            EXPECT_GE(rig.languageEntry("Deutsch"), 0);
            // The About box names the profile in use.
            rig.app->command(menu::kAbout);
            EXPECT_TRUE(rig.boxes.texts.value(0).endsWith(
                "Profile: " +
                rig.dir.filePath(QString(edition) == "ZEL-HART" ? "Config-125.ini" : "Config.ini")))
                << qPrintable(rig.boxes.texts.value(0));
            // F1 opens the manual; Ctrl+Y's deliberate fault is for test
            // mode only and leaves a working program alone.
            rig.app->command(menu::kKeyHelp);
            QApplication::processEvents();
            auto* manual = manualOf(&w);
            ASSERT_TRUE(manual != nullptr && manual->isVisible());
            manual->close();
            rig.app->command(menu::kKeyRaiseError);
            EXPECT_TRUE(w.isVisible());
        }
    }
}

TEST(Application, ReadModuleFillsTheControlsFromTheDevice) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=customizer"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    EXPECT_EQ(rig.window().statusText(2), "Module: not updated");
    rig.read();
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_EQ(rig.program.state.DataTrigger, 0) << qPrintable(rig.program.log.viewText());
    EXPECT_FALSE(rig.program.state.DataChanged);
    const FieldRecord& tag = rig.field("TagID");
    EXPECT_TRUE(tag.Content.startsWith("PT-")) << qPrintable(tag.Content);
    ASSERT_GT(boundControl(tag), 0);
    EXPECT_EQ(rig.gadgets.text(boundControl(tag)), tag.Content);
    EXPECT_EQ(tag.GadStatus, "read");  // painted in the colour of values just read
    EXPECT_EQ(rig.gadgets.widget(boundControl(tag))->palette().color(QPalette::Text),
              QColor(0, 80, 0));
    // The administrator's copies show the device's values too.
    for (const auto& [copy, original] :
         {std::pair{"DampingAdm", "Damping"}, std::pair{"TagIDAdm", "TagID"},
          std::pair{"SerialNo2Adm", "SerialNo2"}}) {
        EXPECT_EQ(rig.field(copy).Content, rig.field(original).Content) << copy;
        EXPECT_EQ(rig.gadgets.text(boundControl(rig.field(copy))),
                  rig.gadgets.text(boundControl(rig.field(original))))
            << copy;
    }
    // A read-only field takes no typing: what it shows is what it holds.
    auto* nominal =
        qobject_cast<QLineEdit*>(rig.gadgets.widget(boundControl(rig.field("NominalRangeHigh"))));
    ASSERT_NE(nominal, nullptr);
    const QString held = rig.field("NominalRangeHigh").Content;
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QApplication::sendEvent(nominal, &digit);
    EXPECT_EQ(nominal->text(), held);
    EXPECT_FALSE(rig.gadgets.widget(boundControl(rig.field("CmbManufact")))->isEnabled());
    EXPECT_TRUE(rig.window().isEnabled());
    EXPECT_TRUE(rig.window().isVisible());
    EXPECT_EQ(rig.window().statusText(2), "Module: updated");
    EXPECT_EQ(rig.dialogs.progressWindow(), nullptr);
    // What the device flags in its status shows in words.
    qputenv("HARTSIM_OPTIONS", "status=0x81");
    rig.read();
    EXPECT_EQ(rig.window().statusText(2),
              "Module: updated (device status: malfunction, primary variable out of limits)");
}

// The best contrast of a picture's opaque pixels against `background`.
double pictureContrast(const QIcon& icon, const QColor& background) {
    const QImage image = icon.pixmap(QSize(24, 24)).toImage();
    double best = 1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c = image.pixelColor(x, y); c.alpha() > 200)
                best = std::max(best, contrastRatio(c, background));
    return best;
}

// On a light and on a dark desktop palette a value just read shows in the
// green of its state on a field of the palette's lightness, readable, and
// the Connect picture stands out from the tool bar. The windows are saved as
// screenshot-light.png and screenshot-dark.png to look at.
TEST(Application, StateColoursAndPicturesStayReadableOnLightAndDarkPalettes) {
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? QPalette(QColor(53, 53, 53)) : light);
        AppRig rig("ZEL-HART");
        ASSERT_TRUE(rig.app->buildMainWindow(0));
        rig.read();
        const FieldRecord& tag = rig.field("TagID");
        ASSERT_EQ(tag.GadStatus, "read");
        const QPalette shown = rig.gadgets.widget(boundControl(tag))->palette();
        const QColor text = shown.color(QPalette::Text), field = shown.color(QPalette::Base);
        EXPECT_GE(contrastRatio(text, field), 4.5) << dark;
        EXPECT_EQ(field.lightness() < 128, dark);
        EXPECT_GT(text.green(), std::max(text.red(), text.blue()) + 40) << dark;
        const QAction* connect = rig.app->menus()->action(menu::kToolConnect);
        ASSERT_NE(connect, nullptr);
        EXPECT_GE(pictureContrast(connect->icon(), QApplication::palette().color(QPalette::Button)),
                  3.0)
            << dark;
        rig.window().grab().save(dark ? "screenshot-dark.png" : "screenshot-light.png");
    }
    QApplication::setPalette(light);
}

// "?" > "Manual" (and F1) shows the README's guide and every section of the
// three manual pages, the markup turned into text.
TEST(Application, ManualShowsTheGuideAndEveryManualPage) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.app->command(menu::kManual);
    QApplication::processEvents();
    auto* manual = manualOf(&rig.window());
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    EXPECT_EQ(manual->windowTitle(), "Manual");
    const QString shown = manual->browser()->toPlainText();
    QStringList expected = {
        "Tools that come with it", "ZEL-HART(1)",     "hartsim(1)", "hartcmd(1)",
        "hartsim --pty",           "\u00b0C, \u00b0F"};
    for (const char* page : {"ZEL-HART.1", "hartsim.1", "hartcmd.1"}) {
        QFile f(QStringLiteral(ZH_SOURCE_DIR "/packaging/man/") + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (const QString& line : QString::fromUtf8(f.readAll()).split('\n'))
            if (line.startsWith(".SH ")) expected << line.mid(4).remove('"');
    }
    for (const QString& text : expected) EXPECT_TRUE(shown.contains(text)) << qPrintable(text);
    for (const char* markup : {"\\f", "\\-", "\n.TP", "\n.B ", "src/ui/application"})
        EXPECT_FALSE(shown.contains(QLatin1String(markup))) << markup;
}

// The program as main() builds it without a window: in-memory controls and
// scripted dialogs over the shared core, the simulated device behind "Sim"
// keeping its memories in `state`.
struct HeadlessApp {
    HeadlessApp() {
        qputenv("HARTSIM_OPTIONS", options());
        startRigProgram(program, link, dir, "ZEL-HART", {});
        core = std::make_unique<DeviceCore>(program, link, probe);
        app = std::make_unique<Application>(*core, gadgets, dialogs, link);
    }
    ~HeadlessApp() {
        app.reset();
        qunsetenv("HARTSIM_OPTIONS");
    }
    QByteArray options() const {
        return "presence=both,hold=50,displayunit=mbar,state=" + state.toUtf8();
    }
    const FieldRecord& field(const char* name) const {
        return core->model.fields.at(core->model.fields.find(QLatin1String(name)));
    }

    QTemporaryDir dir;
    const QString state = dir.filePath("device.state");
    test::ManualClock eventClock;
    test::ScriptedDialogs dialogs;
    test::MemoryGadgets gadgets{eventClock};
    SteadyClock clock;
    Program program{dialogs, gadgets, clock};
    LinkLibrary link{program.log};
    test::EndingProbe probe;
    std::unique_ptr<DeviceCore> core;
    std::unique_ptr<Application> app;
};

// The command dispatch without a window: Read module fills the field table
// from the device, and Write changes after one edit sends that field's
// block. The block write's answer is lost: the device took it, and the
// message says it may have reached the device rather than "not written".
TEST(Application, CommandsRunWithoutAWindowOnTheSharedCore) {
    HeadlessApp h;
    Application& app = *h.app;
    ASSERT_TRUE(app.buildMainWindow(0));
    EXPECT_EQ(app.window(), nullptr);

    app.command(menu::kReadAll);
    EXPECT_EQ(h.program.state.DataTrigger, 0);
    EXPECT_FALSE(h.field("SetPoint1").Content.isEmpty());
    EXPECT_TRUE(h.dialogs.boxes.empty());
    qputenv("HARTSIM_OPTIONS", h.options() + ",fault=lost*12@190");
    const hartsim::Memory before = deviceMemory(h.state);
    ASSERT_EQ(app.applicationCheck().updateApplicationField(0, "SetPoint1", "9000").value(),
              "9000");
    app.command(menu::kWriteChanges);
    EXPECT_EQ(QString::fromStdString(hartsim::describeDifferences(hartsim::configurationDifferences(
                                         before, deviceMemory(h.state))))
                  .remove(QRegularExpression("@[0-9,]+"))
                  .toStdString(),
              "display.ram.10");
    ASSERT_EQ(h.dialogs.boxes.size(), 1u);
    EXPECT_EQ(h.dialogs.boxes.front().text,
              "The write was not completed. May have reached the device (no usable answer): "
              "C190_010. Not written: everything after it.");
    EXPECT_EQ(app.data().file.moduleState, 0);
}

// Two readings kept of the simulated device with Damping edited between
// them: the history window lists both, newest first, and the two chosen (or
// the newer alone) show the change in its unit. The kept files are compared
// beside the data shown: the person's data, an edit not yet written among
// them, stay as they were.
TEST(Application, DeviceHistoryShowsWhatChangedAndLeavesTheDataShownAlone) {
    HeadlessApp h;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", h.dir.filePath("data").toUtf8());
    Application& app = *h.app;
    ASSERT_TRUE(app.buildMainWindow(0));
    QWidget parent;
    showDeviceHistory(&parent, *h.core);
    QDialog* window = deviceHistoryOf(&parent);
    ASSERT_NE(window, nullptr);
    auto* state = window->findChild<QLabel*>("historyState");
    auto* readings = window->findChild<QTreeWidget*>("historyReadings");
    auto* changes = window->findChild<QTreeWidget*>("historyChanges");
    ASSERT_TRUE(state && readings && changes);
    EXPECT_TRUE(state->text().startsWith("No device has been connected yet"))
        << qPrintable(state->text());

    // The window keeps its read; a write is kept as the window keeps one.
    app.command(menu::kReadAll);
    ASSERT_EQ(h.program.state.DataTrigger, 0);
    ASSERT_EQ(app.applicationCheck().updateApplicationField(0, "Damping", "2.0").value(), "2.0");
    ASSERT_EQ(keepDataReading(*h.core, "write", "Sim"), "");
    ASSERT_EQ(app.applicationCheck().updateApplicationField(0, "TagID", "EDITED").value(),
              "EDITED");
    const auto shownData = [&h] {
        QStringList values{h.core->model.cal.Measurand, h.core->data.file.currentFile,
                           QString::number(h.program.state.DataChanged)};
        for (int i = 1; i <= h.core->model.fields.count(); ++i)
            values << h.core->model.fields.at(i).Name + '=' + h.core->model.fields.at(i).Content;
        return values;
    };
    const QStringList before = shownData();

    showDeviceHistory(&parent, *h.core);
    EXPECT_EQ(deviceHistoryOf(&parent), window);
    EXPECT_TRUE(window->windowTitle().startsWith("Device history - 94-7E-"))
        << qPrintable(window->windowTitle());
    ASSERT_EQ(readings->topLevelItemCount(), 2);
    EXPECT_EQ(readings->topLevelItem(0)->text(0), "2");
    EXPECT_EQ(readings->topLevelItem(0)->text(2), "write");
    EXPECT_EQ(readings->topLevelItem(1)->text(2), "read");
    EXPECT_FALSE(readings->accessibleName().isEmpty());
    EXPECT_FALSE(changes->accessibleName().isEmpty());
    const auto changed = [&] {
        QStringList rows;
        for (int i = 0; i < changes->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = changes->topLevelItem(i);
            rows << row->text(0) + ": " + row->text(1) + " -> " + row->text(2);
        }
        return rows.join('|');
    };
    for (const bool both : {true, false}) {
        readings->clearSelection();
        readings->topLevelItem(0)->setSelected(true);
        readings->topLevelItem(1)->setSelected(both);
        EXPECT_EQ(changed(), "Damping: 0.0 s -> 2.0 s") << both;
    }
    EXPECT_EQ(shownData(), before);
    EXPECT_TRUE(h.dialogs.boxes.empty());
    if (dataHome.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", dataHome);
}

// A user types into the tag field of the window and moves on: the field
// takes the text, its control shows the "changed" colour, and a bad entry
// in a number field is refused while it is typed.
TEST(Application, AnEntryTypedIntoTheWindowLandsInItsField) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=customizer"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    qputenv("HARTSIM_OPTIONS",
            "presence=both,config=20");  // a temperature device has a HART address field
    rig.read();
    const auto pump = [&] {
        QApplication::processEvents();
        while (rig.gadgets.pendingEvents() > 0) {
            const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0);
            if (!e) break;
            rig.app->dispatch(*e);
            QApplication::processEvents();
        }
    };
    auto* tag = qobject_cast<QLineEdit*>(rig.gadgets.widget(boundControl(rig.field("TagID"))));
    auto* address =
        qobject_cast<QLineEdit*>(rig.gadgets.widget(boundControl(rig.field("HartAddress"))));
    ASSERT_TRUE(tag && address);
    ASSERT_TRUE(tag->isEnabled());
    rig.window().activateWindow();
    QApplication::setActiveWindow(&rig.window());
    tag->setFocus();
    pump();
    tag->selectAll();
    for (const QChar c : QStringLiteral("AB-7")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(tag, &press);
        pump();
    }
    EXPECT_EQ(rig.field("TagID").GadStatus, "infocus");
    address->setFocus();
    pump();
    EXPECT_EQ(rig.field("TagID").Content, "AB-7");
    EXPECT_EQ(rig.field("TagID").GadStatus, "changed");
    EXPECT_EQ(tag->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(rig.program.state.DataChanged);

    address->selectAll();
    for (const QChar c : QStringLiteral("1x")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(address, &press);
        pump();
    }
    EXPECT_EQ(address->text(), "1");
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

// Connect keeps the port open between commands and the status line says
// so; Disconnect closes it.
TEST(Application, ConnectAndDisconnectShowInTheStatusLine) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.app->command(menu::kConnect);
    QApplication::processEvents();
    EXPECT_EQ(rig.program.state.ConnectionState, 1);
    EXPECT_TRUE(rig.window().statusText(0).contains("Online"))
        << qPrintable(rig.window().statusText(0));
    EXPECT_EQ(rig.program.state.DataTrigger, 0);  // Connect read the device
    EXPECT_TRUE(rig.program.state.DynamicDisplayOn);
    // A poll shows the module's read-out with its decimal point.
    rig.app->refreshLiveValues();
    const QString shown = rig.gadgets.text(boundControl(rig.field("Display")));
    EXPECT_TRUE(QRegularExpression("^-?[0-9]+\\.[0-9]+$").match(shown).hasMatch())
        << qPrintable(shown);
    const auto raw = [&](const char* name) {
        return rig.app->model().fields.at(rig.app->model().fields.find(name)).RawVal;
    };
    EXPECT_GT(raw("ADactRaw").toInt(), 0);
    // Clear: the module's high pointer starts again from the value now.
    rig.app->dispatch({EventGadget, 1, rig.control("BtnClearHiTrailing"), -1, GadgetSelect});
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_EQ(raw("HiTrail"), raw("ADactRaw"));
    rig.read();  // through the open port: it stays open
    EXPECT_EQ(rig.program.state.ConnectionState, 1);
    rig.app->command(menu::kDisconnect);
    EXPECT_EQ(rig.program.state.ConnectionState, 0);
    EXPECT_FALSE(rig.program.state.DynamicDisplayOn);
    EXPECT_EQ(rig.gadgets.text(boundControl(rig.field("Display"))), "");  // blanked
    EXPECT_TRUE(rig.window().statusText(0).contains("Offline"))
        << qPrintable(rig.window().statusText(0));
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

// With the device at wire speed, the window is served while a poll waits
// for its answers: a timer runs in the middle of the exchange, and the
// Disconnect clicked there waits until the poll has ended.
TEST(Application, WindowIsServedDuringAPollAndACommandClickedThereWaitsForIt) {
    AppRig rig("ZEL-HART", {{"Transmitter/Display=auto", "Transmitter/Display=display"}});
    qputenv("HARTSIM_OPTIONS", "presence=display,realtime");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.program.state.DataTrigger = 0;  // data are shown: Connect does not read the device
    rig.app->command(menu::kConnect);
    ASSERT_TRUE(rig.program.state.DynamicDisplayOn);
    bool servedInExchange = false;
    QTimer::singleShot(50, [&] {
        servedInExchange = rig.link.busy();
        rig.app->menus()->action(menu::kDisconnect)->trigger();
    });
    rig.app->refreshLiveValues();
    EXPECT_TRUE(servedInExchange);
    EXPECT_TRUE(rig.program.state.DynamicDisplayOn);
    EXPECT_FALSE(rig.gadgets.text(boundControl(rig.field("Display")))
                     .isEmpty());  // the poll ended with its value
    while (const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0)) rig.app->dispatch(*e);
    EXPECT_FALSE(rig.program.state.DynamicDisplayOn);
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

// Save as and Open go through the file requesters: what was read comes
// back from the file, and the file's name is in the window's title.
TEST(Application, SaveAsAndOpenThroughTheRequesters) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.read();
    const QString tag = rig.field("TagID").Content;
    const QString file = rig.dir.filePath("plant.cfp");
    QString answered;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        answered = dialog->windowTitle();
        // As a user does it: the name typed, then the accepting button.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        if (!name || !buttons) return;
        name->setText(file);
        for (QAbstractButton* b : buttons->buttons())
            if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) b->click();
    });
    chooser.start(20);
    rig.app->command(menu::kSaveAs);
    ASSERT_TRUE(QFile::exists(file)) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_FALSE(answered.isEmpty());
    EXPECT_EQ(rig.program.state.DataTrigger, 1);

    // The file's administrator copy is out of step with its original; the
    // data shown before has edited fields.
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    QByteArray text = saved.readAll();
    saved.close();
    const int at = text.indexOf("\nDampingAdm=");
    ASSERT_GE(at, 0);
    text.replace(at, text.indexOf('\n', at + 1) - at, "\nDampingAdm=7.5[s]");
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly | QIODevice::Truncate));
    saved.write(text);
    saved.close();
    FieldTable& fields = rig.app->model().fields;
    fields.at(fields.find("TagID")).Content = "OTHER";
    for (const char* name : {"Damping", "TagID", "TagIDAdm"})
        fields.at(fields.find(name)).setColourState(ColourChanged);

    rig.app->command(menu::kOpen);
    EXPECT_EQ(rig.field("TagID").Content, tag) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_EQ(rig.gadgets.text(boundControl(rig.field("TagID"))), tag);
    EXPECT_EQ(rig.field("DampingAdm").Content, rig.field("Damping").Content);
    EXPECT_EQ(rig.field("Damping").GadStatus, "read");
    for (const char* name : {"TagID", "TagIDAdm"}) {
        EXPECT_EQ(rig.field(name).GadStatus, "read") << name;
        EXPECT_EQ(
            rig.gadgets.widget(boundControl(rig.field(name)))->palette().color(QPalette::Text),
            QColor(0, 80, 0))
            << name;
    }
    EXPECT_TRUE(rig.window().windowTitle().contains("plant.cfp"))
        << qPrintable(rig.window().windowTitle());
}

// New: the equipment is chosen in a pop-up; the new data set has the
// measurand's defaults and no file yet.
TEST(Application, NewDataFromTheEquipmentPopup) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    bool offered = false;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        // As a user does it: down to the first entry and Return, which
        // opens a submenu or chooses the entry.
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup) return;
        offered = true;
        for (int key : {Qt::Key_Down, Qt::Key_Return}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(popup, &press);
        }
    });
    chooser.start(20);
    rig.app->command(menu::kNew);
    QApplication::processEvents();
    ASSERT_TRUE(offered);
    EXPECT_EQ(rig.program.state.DataTrigger, 0) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_FALSE(rig.program.state.DataChanged);
    EXPECT_EQ(rig.program.state.ConnectionState, 0);  // the connection test leaves the port closed
    EXPECT_TRUE(rig.window().isVisible());
}

// The captions of `window` drawn below the smallest readable size or cut
// off, on every tab (shown or not).
QStringList unreadableCaptions(const MainWindow& window) {
    QStringList found;
    const auto check = [&found](const QString& text, const CaptionFit& fit) {
        if (fit.font.pointSizeF() < kSmallestCaptionPoints || fit.elided) found << text;
    };
    // The fitting controls have no meta-object of their own, so findChildren
    // cannot tell them from plain labels and buttons; the C++ type can.
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (const auto* l = dynamic_cast<const FittingLabel*>(label))
            check(l->text(), l->drawnCaption());
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        if (const auto* b = dynamic_cast<const FittingButton*>(button))
            check(b->text(), b->drawnCaption());
    }
    return found;
}

TEST(Application, LanguageSwitchRebuildsInGermanAndBack) {
    AppRig rig("KALVERO_S", {{"UserMode=user", "UserMode=administrator"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    QApplication::processEvents();
    const QRect placed = rig.window().geometry();
    ASSERT_TRUE(rig.showsLabel("Unit"));

    const int deutsch = rig.languageEntry("Deutsch");
    ASSERT_GE(deutsch, 0);
    rig.app->command(deutsch);
    QApplication::processEvents();
    EXPECT_EQ(rig.menuTitles().value(0), "Datei");
    EXPECT_EQ(rig.menuTitles().value(1), "Datenübertragung");
    EXPECT_TRUE(rig.showsLabel("Einheit"));
    EXPECT_FALSE(rig.showsLabel("Unit"));
    EXPECT_EQ(unnamedOrSharedControls(rig), QStringList());
    EXPECT_EQ(unmarkedOrSharedKeys(rig.window().menuBar()), QStringList());
    EXPECT_EQ(rig.window().menuBar()->actions().value(1)->text(), "Daten&übertragung");
    EXPECT_TRUE(
        rig.gadgets.widget(rig.control("TempDamping"))->accessibleName().contains("Dämpfung"));
    EXPECT_TRUE(rig.app->menus()->action(rig.languageEntry("Deutsch"))->isChecked());
    // Qt's own buttons speak it too.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Ja");
    EXPECT_EQ(rig.window().geometry(), placed);
    EXPECT_EQ(rig.window().panel()->count(), 2);  // the mode's tabs again
    // Longer German captions take free room, a second line or a smaller
    // font, but stay readable.
    EXPECT_EQ(unreadableCaptions(rig.window()), QStringList());
    rig.app->command(rig.languageEntry("English"));
    QApplication::processEvents();
    EXPECT_EQ(rig.menuTitles(), QStringList({"File", "Data transfer", "Setup", "?"}));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Yes");
    EXPECT_TRUE(rig.showsLabel("Unit"));
    EXPECT_FALSE(rig.showsLabel("Einheit"));
    EXPECT_EQ(unreadableCaptions(rig.window()), QStringList());
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
}

// Ctrl+Q's field entry is a glance that never takes the window away:
// Escape, its Close button or a click into the main window end it, and the
// click still does what it does.
TEST(Application, FieldEntryClosesAndGivesTheWindowBack) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=administrator"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.window().show();
    QApplication::processEvents();
    QWidget* unit = rig.gadgets.widget(rig.control("CmbUnit"));
    QTabBar* tabs = rig.window().panel()->tabBar();
    ASSERT_TRUE(unit && tabs->count() > 1);
    const auto open = [&]() -> FieldEntryPopup* {
        QCursor::setPos(unit->mapToGlobal(unit->rect().center()));
        rig.app->command(menu::kKeyShowFieldEntry);
        QApplication::processEvents();
        return rig.window().findChild<FieldEntryPopup*>();
    };
    const auto closed = [](QPointer<FieldEntryPopup> popup) {
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return popup.isNull();
    };

    QPointer<FieldEntryPopup> popup = open();
    ASSERT_TRUE(popup && popup->isVisible());
    EXPECT_TRUE(popup->report().contains("GadKonst:#Gadget_ZELHart_CmbUnit"))
        << qPrintable(popup->report());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(popup->focusWidget() ? popup->focusWidget() : popup.data(), &escape);
    EXPECT_TRUE(closed(popup));

    popup = open();
    ASSERT_TRUE(popup);
    popup->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click();
    EXPECT_TRUE(closed(popup));

    popup = open();
    ASSERT_TRUE(popup);
    const QPoint second = tabs->tabRect(1).center();
    QMouseEvent press(QEvent::MouseButtonPress, second, tabs->mapToGlobal(second), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tabs, &press);
    EXPECT_TRUE(closed(popup));
    EXPECT_EQ(tabs->currentIndex(), 1);  // the click reached the window
    EXPECT_TRUE(rig.window().isEnabled());
}

TEST(Application, ExitAndTheCloseBoxEndTheLoopWithoutData) {
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Exit");
        AppRig rig("ZEL-HART");
        ASSERT_TRUE(rig.app->buildMainWindow(0));
        QApplication::processEvents();
        rig.program.state.DataChanged = true;  // edits without data loaded are nothing to lose
        if (closeBox) {
            EXPECT_FALSE(rig.window().close());
        } else {
            rig.gadgets.postMenuEvent(menu::kExit);
        }
        EXPECT_EQ(rig.app->run(), 0);
        EXPECT_TRUE(rig.program.state.QuitRequested);
        EXPECT_FALSE(rig.window().isVisible());
        EXPECT_TRUE(rig.boxes.texts.isEmpty());
    }
}

// With the live display on, the loop wakes up for its refreshes while no
// event comes; without it, it only waits.
TEST(Application, TheLoopRefreshesTheLiveValuesOnItsPeriodOnly) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    int refreshes = 0;
    rig.app->pollLiveValues = [&] {
        ++refreshes;
        return true;
    };
    rig.program.state.DynPollTime = 40;
    QTimer::singleShot(400, [&] { rig.gadgets.postMenuEvent(menu::kExit); });
    rig.app->run();
    EXPECT_EQ(refreshes, 0);

    rig.program.state.QuitRequested = false;
    rig.program.state.DynamicDisplayOn = true;
    QTimer::singleShot(400, [&] { rig.gadgets.postMenuEvent(menu::kExit); });
    rig.app->run();
    EXPECT_GE(refreshes, 4);   // 10 periods fit; a loaded machine may miss some
    EXPECT_LE(refreshes, 11);  // never more often than the period
}

TEST(Application, ExitAfterAReadAsksOnlyWhenSomethingWouldBeLost) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.read();
    ASSERT_EQ(rig.program.state.DataTrigger, 0);
    AppState& s = rig.program.state;

    // Nothing changed since the read.
    rig.app->command(menu::kExit);
    EXPECT_TRUE(s.QuitRequested);
    s.QuitRequested = false;

    // Changed, but the only target asked about (the module) is up to date.
    s.DataChanged = true;
    s.SaveRequestTargets = "module";
    rig.app->command(menu::kExit);
    EXPECT_TRUE(s.QuitRequested);
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    s.QuitRequested = false;

    // The file was never saved: one question, to save, discard or stay.
    s.SaveRequestTargets = "file;module";
    rig.boxes.answer = QMessageBox::Cancel;
    rig.app->command(menu::kExit);
    EXPECT_FALSE(s.QuitRequested);
    ASSERT_EQ(rig.boxes.texts.size(), 1);
    EXPECT_TRUE(rig.boxes.texts[0].endsWith("Save the changes before exiting?"))
        << qPrintable(rig.boxes.texts[0]);
    EXPECT_TRUE(rig.boxes.texts[0].contains(" - File not updated!"));
    EXPECT_TRUE(rig.window().isVisible());

    // Save: the program ends once the data are in their file, not before.
    const QString file = rig.dir.filePath("kept.cfp");
    rig.boxes.answer = QMessageBox::Save;
    {
        QTimer cancel;  // the file requester cancelled
        QObject::connect(&cancel, &QTimer::timeout, [] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
                d->reject();
        });
        cancel.start(20);
        rig.app->command(menu::kExit);
    }
    EXPECT_FALSE(s.QuitRequested);
    {
        FileAnswer name(file);
        rig.app->command(menu::kExit);
    }
    EXPECT_TRUE(s.QuitRequested);
    EXPECT_TRUE(QFileInfo(file).isFile());
    EXPECT_FALSE(s.DataChanged);
    s.QuitRequested = false;

    // Discard, here through the close box, which asks the same.
    s.DataChanged = true;
    rig.app->data().file.moduleState = 0;
    rig.boxes.answer = QMessageBox::Discard;
    const int asked = rig.boxes.texts.size();
    rig.window().close();
    EXPECT_EQ(rig.app->run(), 0);
    EXPECT_EQ(rig.boxes.texts.size(), asked + 1);
    EXPECT_TRUE(rig.boxes.texts.last().contains(" - Module not updated"));
    EXPECT_TRUE(s.QuitRequested);
}

// A data file dropped on the window, or named on the command line, opens as
// File -> Open opens the file chosen: the same save request and the same
// message for a file that cannot be opened. Every file opened heads the
// recent files of the File menu, which open it again.
TEST(Application, DroppedAndNamedFilesOpenAsOpenDoesAndAreListedAsRecent) {
    AppRig rig("ZEL-HART");
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    QApplication::processEvents();
    ASSERT_FALSE(rig.app->menus()->action(menu::kFirstRecentFile));
    const QString first = rig.dir.filePath("first.cfp");
    const QString second = rig.dir.filePath("second.cfp");
    for (const QString& copy : {first, second})
        ASSERT_TRUE(QFile::copy(ZH_SOURCE_DIR "/tests/files/golden/pressure_all.cfp", copy));
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&rig.window(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&rig.window(), &dropped);
        // Opened as the next command of the loop.
        while (const std::optional<WindowEvent> e = rig.gadgets.waitEvent(0)) rig.app->dispatch(*e);
        return dropped.isAccepted();
    };
    const auto opened = [&] { return rig.app->data().file.currentFile; };

    EXPECT_FALSE(drop({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/first.cfp"))}));
    ASSERT_TRUE(drop({QUrl::fromLocalFile(first)}));
    EXPECT_EQ(opened(), first);
    EXPECT_EQ(rig.program.state.DataTrigger, 0);
    EXPECT_TRUE(rig.window().windowTitle().startsWith("first.cfp - "))
        << qPrintable(rig.window().windowTitle());
    rig.app->openFile(second);
    EXPECT_EQ(opened(), second);
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));

    // A file that is not there: Open's message, and the data stay.
    rig.app->openFile(rig.dir.filePath("missing.cfp"));
    ASSERT_EQ(rig.boxes.texts.size(), 1);
    EXPECT_TRUE(rig.boxes.texts[0].contains("can't open file " + rig.dir.filePath("missing.cfp")))
        << qPrintable(rig.boxes.texts[0]);
    EXPECT_EQ(opened(), second);

    // Newest first; the list survives the program in its profile.
    QAction* recent = rig.app->menus()->action(menu::kFirstRecentFile + 1);
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->text(), "&2  first.cfp  (" + rig.dir.path() + ")");
    EXPECT_TRUE(rig.app->menus()->action(menu::kFirstRecentFile)->text().contains("second.cfp"));
    EXPECT_FALSE(rig.app->menus()->action(menu::kFirstRecentFile + 2));
    EXPECT_EQ(
        rig.program.profile.readProfile("RecentFiles", "File2", "", rig.program.state.ProfilePath),
        first);

    // With unsaved edits, the save request first: No keeps them.
    rig.program.state.DataChanged = true;
    rig.boxes.answer = QMessageBox::No;
    rig.app->command(menu::kFirstRecentFile + 1);
    EXPECT_EQ(rig.boxes.texts.size(), 2);
    EXPECT_EQ(opened(), second);
    rig.boxes.answer = QMessageBox::Yes;
    rig.app->command(menu::kFirstRecentFile + 1);
    EXPECT_EQ(opened(), first);
}

TEST(Application, UnusableMeasurandListsAreReportedAndTheProgramStaysWhole) {
    QByteArray eleven = "Measurands=";
    for (int i = 0; i < 11; ++i)
        eleven += "M" + QByteArray::number(i) + "=" + QByteArray::number(i) + ";";
    const struct {
        QByteArray list;
        const char* message;
    } cases[] = {{"Measurands=", "No measurands specified!"},
                 {eleven, "Too many measurands specified!"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        AppRig rig("KALVERO_S", {{"Measurands=Pressure=0;Temperature=1", c.list}});
        rig.app->buildMainWindow(0);
        QApplication::processEvents();
        EXPECT_TRUE(rig.boxes.texts.contains(c.message)) << qPrintable(rig.boxes.texts.join('|'));
        // No menu to choose from, but the window is there and can be closed.
        ASSERT_NE(rig.app->window(), nullptr);
        EXPECT_TRUE(rig.menuTitles().isEmpty());
        rig.window().close();
        EXPECT_EQ(rig.app->run(), 0);
    }
}

TEST(Application, AMissingLogoFileKeepsTheBuiltInLogo) {
    AppRig rig("ZEL-HART",
               {{"LogoFile=.\\Images\\maker_logo.png", "LogoFile=.\\Images\\gone.png"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    ASSERT_EQ(rig.boxes.texts.size(), 1);
    EXPECT_TRUE(rig.boxes.texts[0].contains("gone.png")) << qPrintable(rig.boxes.texts[0]);
    EXPECT_TRUE(rig.gadgets.isHidden(rig.control("LogoPlaceholder")));
    EXPECT_FALSE(rig.gadgets.isHidden(rig.control("ZELLogo")));
}

TEST(Application, ATinyWindowGivesBackEveryControlsPlace) {
    AppRig rig("KALVERO_S", {{"UserMode=user", "UserMode=customizer"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    QApplication::processEvents();
    MainWindow& w = rig.window();
    const QSize designed = w.size();
    EXPECT_EQ(w.canvas()->size(), QSize(kDesignWidth, kDesignHeight));
    std::vector<std::pair<int, QRect>> places;
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c)
        if (c->window == kMainWindow)
            places.emplace_back(c->number, rig.gadgets.widget(c->number)->geometry());

    // Smaller than the frame of menus and bars: the drawing area is not laid
    // out at all. Then small enough to scale everything down.
    w.resize(50, 40);
    QApplication::processEvents();
    w.resize(designed / 3);
    QApplication::processEvents();
    EXPECT_LT(w.canvas()->width(), kDesignWidth / 2);
    EXPECT_LT(rig.gadgets.widget(rig.control("FldSetPoint1"))->width(),
              findControl("FldSetPoint1")->width);
    w.resize(designed);
    QApplication::processEvents();
    EXPECT_EQ(w.canvas()->size(), QSize(kDesignWidth, kDesignHeight));
    for (const auto& [number, place] : places)
        EXPECT_EQ(rig.gadgets.widget(number)->geometry(), place) << findControl(number)->name;
}

}  // namespace
}  // namespace zh
