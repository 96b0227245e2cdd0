// Another maker's HART device on the loop, seen through the window: a read
// of the module names it and offers its universal data, the window shows
// them and writes what was edited (the device's memory changes exactly
// there), a refusal is shown with its meaning, no device-specific command
// beyond the detection's reads reaches it, and the scan of the loop lists
// the devices and sets the polling address chosen.

#include "ui/dialogs/universal_window.h"

#include <QFile>
#include <QLocale>
#include <QTableWidget>

#include "app_rig.h"
#include "files/history_command.h"
#include "history/history_store.h"
#include "ui/dialogs/report_window.h"
#include "ui/dialogs/scan_list_dialog.h"

namespace zh {
namespace {

// The device-specific commands (128 and up) the frame log shows received.
QStringList deviceSpecificCommands(const QString& frameLog) {
    QFile f(frameLog);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList commands;
    static const QRegularExpression rx(QStringLiteral("RX command=(\\d+)"));
    for (auto it = rx.globalMatch(QString::fromLatin1(f.readAll())); it.hasNext();) {
        const QString c = it.next().captured(1);
        if (c.toInt() >= 128) commands << c;
    }
    return commands;
}

TEST(UniversalWindow, ForeignDeviceIsReadWrittenAndScannedThroughTheWindow) {
    AppRig rig("ZEL-HART");
    const QString state = rig.dir.filePath("hart7.state");
    const QString frames = rig.dir.filePath("frames.log");
    qputenv("HARTSIM_OPTIONS",
            ("identity=hart7,tag=FT-7,state=" + state + ",log=" + frames).toUtf8());
    ASSERT_TRUE(rig.app->buildMainWindow(0));

    // Read module: the device is named, not read as ours; its universal data show.
    rig.read();
    ASSERT_NE(rig.app->universalWindow(), nullptr) << qPrintable(rig.boxes.texts.join('|'));
    UniversalWindow& w = *rig.app->universalWindow();
    EXPECT_TRUE(rig.boxes.texts.join('|').contains("not a device of this program"))
        << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_TRUE(
        w.value("identity")->text().startsWith("manufacturer 0x60C3, device type 0xE1A5, HART 7"))
        << qPrintable(w.value("identity")->text());
    EXPECT_EQ(w.editor("tag")->text(), "FT-7");
    EXPECT_TRUE(w.editor("longTag")->isEnabled());
    EXPECT_TRUE(w.value("pv")->text().contains(QRegularExpression("\\d")))
        << qPrintable(w.value("pv")->text());

    // Tag and damping edited (the damping in the desktop's notation): the
    // device changes there and nowhere else, and shows them read back.
    rig.boxes.texts.clear();
    rig.boxes.over.clear();
    const hartsim::Memory before = deviceMemory(state);
    w.editor("tag")->setText("TT-42");
    w.editor("damping")->setText(QLocale().toString(2.5));
    EXPECT_EQ(w.write(), 0) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_EQ(rig.boxes.texts, QStringList{"Data transmitted: Tag, Damping [s]"});
    EXPECT_EQ(rig.boxes.over, QList<const QWidget*>{&w});  // over the window that asked
    const std::string changed = hartsim::describeDifferences(
        hartsim::configurationDifferences(before, deviceMemory(state)));
    // The tag among the device's records, the damping among the transmitter's settings.
    EXPECT_EQ(QString::fromStdString(changed).remove(QRegularExpression("@[0-9,]+")),
              "hart.records transmitter.ram")
        << changed;
    EXPECT_EQ(w.data().tag, "TT-42");
    EXPECT_FLOAT_EQ(w.data().damping, 2.5f);
    EXPECT_EQ(w.editor("damping")->text(), QLocale().toString(2.5));
    // Saved, edited away and opened again: the editors hold the device's
    // values once more, so a write has nothing to send.
    const QString saved = rig.dir.filePath("seven.hrt");
    ASSERT_EQ(w.save(saved), saved);
    w.editor("tag")->setText("XX");
    ASSERT_TRUE(w.openFile(saved));
    EXPECT_EQ(w.editor("tag")->text(), "TT-42");
    const std::size_t framesBefore = QFile(frames).size();
    EXPECT_EQ(w.write(), 0);
    EXPECT_EQ(static_cast<std::size_t>(QFile(frames).size()), framesBefore);
    // A number that is none is refused before anything is sent.
    w.editor("damping")->setText("2,5,1");
    EXPECT_EQ(w.write(), -1);
    EXPECT_EQ(static_cast<std::size_t>(QFile(frames).size()), framesBefore);
    EXPECT_TRUE(rig.boxes.texts.join('|').contains("Damping"))
        << qPrintable(rig.boxes.texts.join('|'));
    // Nothing beyond the detection's reads was device-specific.
    const QStringList specific = deviceSpecificCommands(frames);
    EXPECT_TRUE(std::all_of(specific.begin(), specific.end(), [](const QString& c) {
        return c == "191" || c == "141";
    })) << qPrintable(specific.join(' '));
    w.close();
    // The report holds the device as the first read found it and as the
    // write left it; both are kept in its history.
    rig.app->showServiceReport();
    ASSERT_TRUE(reportWindowOf(&rig.window()));
    QStringList marked;
    for (const ReportRow& r : reportWindowOf(&rig.window())->record().rows)
        if (r.changed) marked << r.name + ": " + r.asFound + " -> " + r.asLeft;
    EXPECT_EQ(marked.join(" | "), "Tag: FT-7 -> TT-42 | Damping: 0 -> 2.5");
    QStringList kept;
    for (const HistoryReading& r :
         DeviceHistory(historyRoot(rig.program.state) + "/" + historyFolderName(w.data().identity))
             .readings())
        kept << r.what;
    EXPECT_EQ(kept.join(' '), "read write");

    // A write-protected HART 5 device refuses the write, and says why.
    qputenv("HARTSIM_OPTIONS", "identity=hart5,writeprotect");
    rig.boxes.texts.clear();
    rig.app->command(menu::kHartDevice);
    ASSERT_EQ(w.editor("tag")->text(), "FT-205");
    EXPECT_FALSE(w.editor("longTag")->isEnabled());  // no long tag before HART 6
    w.editor("message")->setText("CHECKED");
    EXPECT_EQ(w.write(), 1);
    EXPECT_TRUE(rig.boxes.texts.join('|').contains("write protected"))
        << qPrintable(rig.boxes.texts.join('|'));
    w.close();

    // The scan lists both devices of a line; the one chosen is the address used from now on.
    qputenv("HARTSIM_OPTIONS",
            "identity=hart7,address=2;identity=hart7,address=40,deviceid=0x123456");
    QStringList rows;
    QTimer pick;
    QObject::connect(&pick, &QTimer::timeout, [&] {
        ScanListDialog* list = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* l = dynamic_cast<ScanListDialog*>(top); l && l->isVisible()) list = l;
        if (!list) return;
        pick.stop();
        for (int r = 0; r < list->table()->rowCount(); ++r)
            rows << list->table()->item(r, 0)->text();
        list->choose(list->table()->rowCount() - 1);
    });
    pick.start(20);
    rig.app->command(menu::kScanAll);
    EXPECT_EQ(rows, QStringList({"2", "40"}));
    EXPECT_EQ(rig.program.state.HartAddress, 40);
    EXPECT_EQ(
        rig.program.profile.readProfile("Common", "HartAddress", "", rig.program.state.ProfilePath),
        "40");
}

}  // namespace
}  // namespace zh
