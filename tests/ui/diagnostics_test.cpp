// The diagnostics report: the error table in the module's order, the
// identity line, and the whole report read from the simulated device's log
// and saved from the window.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileDialog>
#include <QTimer>

#include "sim/error_log.h"
#include "ui/app_rig.h"
#include "ui/log/diagnostic_log.h"

namespace zh {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, int at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t(b.at(at + 3)) << 24;
}

QString tableLine(int entry, std::uint32_t time, std::uint32_t powerOn, int code) {
    return QString::asprintf("%3d\t%12u\t%12u\t%12d", entry, time, powerOn, code);
}

TEST(DiagnosticLog, TheTableStartsAfterTheNewestEntryAndTheIdKeepsEveryDigit) {
    DiagnosticLog log;
    for (int i = 0; i < DiagnosticLog::kEntries; ++i) {
        log.timeStamps[i] = 7200u + 10u * i;
        log.powerOnCounts[i] = 40u + i;
        log.errorCodes[i] = 0x20 + i;
    }
    struct Row {
        int newest;  // table index of the last error, as the module sends it
        int first;
        int last;
    };
    for (const Row& row :
         {Row{4, 5, 4}, Row{19, 0, 19}, Row{0, 1, 0}, Row{24, 5, 4}, Row{255, 16, 15}}) {
        log.lastErrorIndex = row.newest;
        const QStringList lines = errorTableLines(log);
        ASSERT_EQ(lines.size(), 21);
        EXPECT_EQ(lines.first(),
                  "\tTimeStamp(s)\tPower on count\tError code (Display hardware only");
        const auto line = [&](int n) { return tableLine(n, 7200u + 10u * n, 40u + n, 0x20 + n); };
        EXPECT_EQ(lines.at(1), line(row.first)) << row.newest;
        EXPECT_EQ(lines.at(20), line(row.last)) << row.newest;
    }
    const std::pair<std::uint32_t, const char*> ids[] = {
        {0, "0000"}, {0xAB, "00AB"}, {0x5A0012AB, "5A0012AB"}, {0xFFFFFFFF, "FFFFFFFF"}};
    for (const auto& [id, text] : ids) EXPECT_EQ(uniqueIdText(id), text);
}

// What the report must say, worked out from the device's memory.
QString expectedReport(const hartsim::Memory& m, std::uint32_t runtime) {
    hartsim::ErrorLog log;
    EXPECT_TRUE(log.unpack(m.at(hartsim::kErrorLogMemory)));
    const std::vector<std::uint8_t>& identity = m.at("display.ram.1");
    QStringList lines{
        ">>Chunk 1",
        QString::asprintf("Unique ID: %04X", le32(identity, 13)),
        QString::asprintf("Production Counter: %u", le32(identity, 17)),
        ">>Chunk 60",
        "Log Data Consistency (1=valid / 2=eeprom copy incomplete): 1",
        QString::asprintf("PowerOnCount: %u", le32(m.at(hartsim::kCountersMemory), 0)),
        QString::asprintf("Total Runtime (s): %u", runtime),
        QString::asprintf("Total errors Display: %u", log.total()),
        QString::asprintf("Last Error Code: %u", log.lastCode()),
        QString::asprintf(">>>Table Index of Last Error: %d", log.lastIndex()),
        "\tTimeStamp(s)\tPower on count\tError code (Display hardware only"};
    for (int i = 1; i <= 20; ++i) {
        const hartsim::ErrorEntry& e = log.table()[(log.lastIndex() + i) % 20];
        lines << tableLine((log.lastIndex() + i) % 20, e.time, e.powerOn, e.code);
    }
    return lines.join('\n');
}

TEST(DiagnosticsReport, ReadFromTheModuleAndSaved) {
    AppRig rig("ZEL-HART", {{"Diagnostics=OFF", "Diagnostics=ON"}});
    const QString state = rig.dir.filePath("device.state");
    qputenv("HARTSIM_OPTIONS", ("presence=both,hold=50,errorlog=4,state=" + state).toUtf8());
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    const QString status = rig.window().statusText(3);
    const auto readDiagnostics = [&] {
        rig.app->dispatch({EventGadget, 1, rig.control("BtnDiagRead"), -1, GadgetSelect});
        return rig.gadgets.text(rig.control("DiagReport"));
    };
    const QString report = readDiagnostics();
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_EQ(rig.program.state.ConnectionState, 0);  // closed again, as it was
    EXPECT_EQ(rig.window().statusText(3), status);
    // The runtime is the one thing that moved on since: the module counts
    // its operating time with every answer.
    const QString runtime = report.section("Total Runtime (s): ", 1).section('\n', 0, 0);
    const hartsim::Memory m = deviceMemory(state);
    const std::uint32_t seconds = le32(m.at(hartsim::kCountersMemory), 4);
    EXPECT_LE(runtime.toUInt(), seconds);
    EXPECT_GE(runtime.toUInt() + 10, seconds);
    EXPECT_EQ(report, expectedReport(m, runtime.toUInt()));
    EXPECT_TRUE(report.contains("\n  5\t")) << qPrintable(report);  // newest at 4: entry 5 first

    // Cancel saves nothing; then the report goes to the file as it stands.
    const QString file = rig.dir.filePath("plant diagnostics.log");
    QString proposed;
    bool cancel = true;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        proposed = dialog->windowTitle() + '|' + dialog->selectedFiles().value(0);
        if (std::exchange(cancel, false)) return dialog->reject();
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QPushButton* save = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
        ASSERT_TRUE(name && save);
        name->setText(file);
        save->click();
    });
    chooser.start(20);
    rig.app->dispatch({EventGadget, 1, rig.control("BtnDiagSave"), -1, GadgetSelect});
    EXPECT_TRUE(rig.boxes.texts.isEmpty()) << qPrintable(rig.boxes.texts.join('|'));
    EXPECT_TRUE(proposed.startsWith("ZEL-HART|" + rig.dir.path() + "/Diagnostics"))
        << qPrintable(proposed);
    rig.app->dispatch({EventGadget, 1, rig.control("BtnDiagSave"), -1, GadgetSelect});
    EXPECT_EQ(rig.boxes.texts, QStringList{"Logfile saved!"});
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), report);

    // With the live display on, the readout uses its link and leaves it open.
    rig.app->command(menu::kConnect);
    ASSERT_TRUE(rig.program.state.DynamicDisplayOn);
    EXPECT_EQ(readDiagnostics().section("\n\t", 1), report.section("\n\t", 1));  // the same table
    EXPECT_EQ(rig.program.state.ConnectionState, 1);
    rig.app->refreshLiveValues();
    EXPECT_FALSE(rig.gadgets.text(boundControl(rig.field("Display"))).isEmpty());
}

}  // namespace
}  // namespace zh
