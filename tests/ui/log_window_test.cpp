// The "Logging IO" window on the assembled program: the colour rule in the
// view, logging switched by the menu and the Hide button, a comment and the
// view saved to a file.

#include "ui/log/log_window.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include "app/gadgets.h"
#include "app/menu_table.h"
#include "ui/app_rig.h"
#include "ui/dialogs/progress_window.h"
#include "ui/log/log_view_model.h"

namespace zh {
namespace {

TEST(LogWindow, ShowsTheColourRuleSwitchesLoggingAndSavesTheView) {
    // The one user mode whose Setup menu holds Logging On and Off.
    AppRig rig("ZEL-HART", {{"UserMode=user", QByteArray("UserMode=") + kLoggingMenuMode}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    LogWindow& w = *rig.app->logWindow();
    Logger& log = rig.program.log;
    // The shipped profile has DebugLevel 0: hidden and off.
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(log.threshold(), 0);
    EXPECT_EQ(log.viewLines().front(), "[Open_LogIO]: Test/Debug level is 0");

    rig.app->command(menu::kStartLog);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "Logging IO");
    EXPECT_EQ(log.threshold(), 1);
    EXPECT_TRUE(rig.app->menus()->action(menu::kStartLog)->isChecked());
    EXPECT_FALSE(rig.app->menus()->action(menu::kStopLog)->isChecked());

    const struct {
        const char* line;
        int callerColour;
        int colour;
        bool bold;
    } rows[] = {
        {"--> Write Com190_010", -1, rgb(0, 185, 0), true},
        {"<-- Read Com190_089", -1, rgb(0, 185, 0), true},
        {"<<< Comment: step 1", -1, rgb(0, 136, 0), true},
        {"<<< UpdateDisplay\t|11|19|1|-1|-1|0|0|", -1, rgb(100, 0, 100), true},
        {">>> VANTOMain(mcontrol=1)", -1, rgb(0, 0, 255), false},
        {">> Hart", -1, rgb(0, 0, 255), true},
        {"> #  2057", rgb(0, 0, 255), rgb(255, 0, 0), true},
        {"plain", -1, rgb(0, 0, 0), false},
        {"plain in the caller's colour", rgb(0, 0, 255), rgb(0, 0, 255), false},
    };
    for (const auto& r : rows) log.debugLog(r.line, 1, r.callerColour);
    for (int i = 0; i < 60; ++i) log.debugLog(QStringLiteral("line %1").arg(i), 1);
    // Appends reach the view in one batch, which scrolls to the end.
    QElapsedTimer waited;
    waited.start();
    while (w.model().rowCount() < static_cast<int>(log.viewLines().size()) &&
           waited.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_EQ(w.model().rowCount(), static_cast<int>(log.viewLines().size()));
    QApplication::processEvents();
    EXPECT_EQ(w.view()->verticalScrollBar()->value(), w.view()->verticalScrollBar()->maximum());
    EXPECT_GT(w.view()->verticalScrollBar()->maximum(), 0);
    const int first = w.model().rowCount() - 60 - static_cast<int>(std::size(rows));
    for (int i = 0; i < static_cast<int>(std::size(rows)); ++i) {
        const QModelIndex index = w.model().index(first + i);
        SCOPED_TRACE(rows[i].line);
        EXPECT_EQ(index.data().toString(), rows[i].line);
        EXPECT_EQ(index.data(Qt::ForegroundRole).value<QColor>(), colourOf(rows[i].colour));
        EXPECT_EQ(index.data(Qt::FontRole).value<QFont>().bold(), rows[i].bold);
    }

    // A comment is logged as a recorded event line.
    QString proposed;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&proposed] {
        if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            EXPECT_EQ(input->windowTitle() + '|' + input->labelText() + '|' + input->textValue(),
                      "Logging|Kommentar:|Schritt");
            input->setTextValue("valve open");
            input->accept();
        }
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            proposed = dialog->windowTitle() + '|' + dialog->selectedFiles().value(0);
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    answer.start(20);
    w.findChild<QPushButton*>("gadget1406")->click();
    EXPECT_EQ(log.viewLines().back(), "<<< Comment: valve open");

    // Save proposes a dated name and writes the view's text as it stands.
    w.findChild<QPushButton*>("gadget1404")->click();
    EXPECT_EQ(rig.boxes.texts, QStringList{"Logfile saved!"});
    const QRegularExpression dated(
        QStringLiteral("^ZEL-HART\\|.*/\\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.log$"));
    EXPECT_TRUE(dated.match(proposed).hasMatch()) << qPrintable(proposed);
    QFile saved(proposed.section('|', 1));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), log.viewText());

    // Hide switches logging off; nothing more reaches the view.
    w.findChild<QPushButton*>("gadget1400")->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(log.threshold(), 0);
    EXPECT_TRUE(rig.app->menus()->action(menu::kStopLog)->isChecked());
    const std::size_t lines = log.viewLines().size();
    log.debugLog("after", -1);
    EXPECT_EQ(log.viewLines().size(), lines);

    // Clear empties the view and the window's rows.
    w.findChild<QPushButton*>("gadget1401")->click();
    EXPECT_EQ(w.model().rowCount(), 0);
}

}  // namespace
}  // namespace zh
