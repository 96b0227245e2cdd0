// A piece of work recorded in the debug log and replayed from it against a
// device in the state the work began with leaves that device exactly as the
// work left the first one.

#include "ui/log/replay.h"

#include <sys/stat.h>

#include <QFile>
#include <QListWidget>

#include "app/event_record.h"
#include "app_rig.h"
#include "ui/log/replay_window.h"

namespace zh {
namespace {

void typeInto(AppRig& rig, const char* field, const QString& text) {
    const int gadget = boundControl(rig.field(field));
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetFocusGained});
    rig.gadgets.setText(gadget, text);
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetTextChanged});
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetFocusLost});
}

// Recorded with logging on from the start, or switched on only after the
// read: either way the replay starts from the data the recording began with.
TEST(Replay, ARecordedSessionReplayedLeavesTheDeviceAsTheSessionDid) {
    for (const bool loggingAfterRead : {false, true}) {
        SCOPED_TRACE(loggingAfterRead ? "logging switched on after the read"
                                      : "logging from the start");
        QTemporaryDir dir;
        const QString recorded = dir.filePath("recorded.state");
        const QString replayed = dir.filePath("replayed.state");
        const QString log = dir.filePath("debug.log");
        {
            AppRig rig("ZEL-HART");
            qputenv("HARTSIM_OPTIONS",
                    ("presence=both,displayunit=mbar,state=" + recorded).toUtf8());
            ASSERT_TRUE(rig.app->buildMainWindow(0));
            rig.program.log.setThreshold(loggingAfterRead ? 0 : 1);
            rig.program.log.setFile(log);
            rig.app->dispatch(WindowEvent{EventMenu, 1, -1, menu::kReadAll, -1});
            ASSERT_TRUE(QFile::copy(recorded, replayed));
            if (loggingAfterRead)
                rig.app->dispatch(WindowEvent{EventMenu, 1, -1, menu::kStartLog, -1});
            typeInto(rig, "TagID", "REPLAY-7");
            typeInto(rig, "SetPoint1", "10000");
            rig.app->dispatch(WindowEvent{EventMenu, 1, -1, menu::kWriteChanges, -1});
            ASSERT_EQ(rig.field("TagID").Content, "REPLAY-7");
        }
        ASSERT_NE(hartsim::describeDifferences(hartsim::configurationDifferences(
                      deviceMemory(replayed), deviceMemory(recorded))),
                  "");
        {
            AppRig rig("ZEL-HART");
            qputenv("HARTSIM_OPTIONS",
                    ("presence=both,displayunit=mbar,state=" + replayed).toUtf8());
            ASSERT_TRUE(rig.app->buildMainWindow(0));
            Replay& replay = rig.app->replay();
            replay.unattended = true;
            QStringList played;
            replay.hooks.played = [&](int, int, const QString& name, const QString& failure) {
                played << name;
                EXPECT_EQ(failure, "") << qPrintable(name);
            };
            ASSERT_TRUE(replay.start(log, 0, true)) << qPrintable(replay.refusalText());
            while (replay.active())
                if (const std::optional<WindowEvent> e = replay.pass()) rig.app->dispatch(*e);
            EXPECT_EQ(played.size(), replay.lines().size())
                << qPrintable(replay.lines().join('\n'));
            EXPECT_TRUE(played.contains("TagID") && played.contains("FldSetPoint1"))
                << qPrintable(played.join(' '));
            EXPECT_EQ(played.value(0) == "Start: device", loggingAfterRead)
                << qPrintable(played.join(' '));
            EXPECT_EQ(rig.field("TagID").Content, "REPLAY-7");
        }
        EXPECT_EQ(hartsim::describeDifferences(hartsim::configurationDifferences(
                      deviceMemory(recorded), deviceMemory(replayed))),
                  "");
    }
}

// A log with a line that cannot be played as it was recorded is refused
// whole, naming the line and why; nothing of it is played, so the device
// is not written (the read before the bad line is not played either).
TEST(Replay, ALineThatCannotBePlayedAsRecordedRefusesTheReplay) {
    const QString setPoint = QString::number(controlNumber("FldSetPoint1"));
    const std::vector<std::pair<QString, QString>> rows{
        {"<<< #MenuAbout1\t|2|-1|-1|-1|2070|-1|13058|",
         "it names #MenuAbout1, but menu 2070 is #MenuWriteAll"},
        {"<<< #MenuWri", "the line is cut short or damaged, it holds no event"},
        {"<<< #MenuWriteAll\t|2|-1|-1|-1|2070|", "the line is cut short or damaged"},
        {"<<< FldNoSuch\tabc|1|19|1|9999|-1|14001|13100|",
         "there is no control 9999 (FldNoSuch) in the window"},
        {"<<< TagID\tX|1|19|0|" + setPoint + "|-1|14001|13100|",
         "it names TagID, but control " + setPoint + " is FldSetPoint1"},
        {"<<< MenuID-4711\t|2|-1|-1|-1|4711|-1|13058|", "menu 4711 is no command of this program"},
        {"<<< #MenuReadAll\t|2|-1|-1|-1|2069|-1|99|",
         "it is no event the window records (kind 99)"},
        {"<<< Start: file\t/zh-no-such/plant.cfp",
         "the recording began with the data of /zh-no-such/plant.cfp, which is not there"},
        {"<<< Start: yesterday", "the start of the recording is not one this program knows"},
    };
    AppRig rig("ZEL-HART");
    const QString state = rig.dir.filePath("device.state");
    qputenv("HARTSIM_OPTIONS", ("presence=both,state=" + state).toUtf8());
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    rig.app->dispatch(WindowEvent{EventMenu, 1, -1, menu::kReadAll, -1});
    const hartsim::Memory before = deviceMemory(state);
    Replay& replay = rig.app->replay();
    replay.unattended = true;
    int played = 0;
    replay.hooks.played = [&](int, int, const QString&, const QString&) { ++played; };
    const QString log = rig.dir.filePath("bad.log");
    for (const auto& [line, why] : rows) {
        QFile f(log);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("--> Com 1\n<<< #MenuReadAll\t|2|-1|-1|-1|2069|-1|13058|\n" + line.toUtf8() +
                "\n<<< #MenuWriteAll\t|2|-1|-1|-1|2070|-1|13058|\n");
        f.close();
        EXPECT_FALSE(replay.start(log, 0, true)) << qPrintable(line);
        EXPECT_FALSE(replay.active());
        ASSERT_EQ(replay.refused().size(), 1u) << qPrintable(line);
        EXPECT_EQ(replay.refused()[0].step, 2);
        EXPECT_EQ(replay.refused()[0].logLine, 3);
        EXPECT_TRUE(replay.refused()[0].why.startsWith(why)) << qPrintable(replay.refused()[0].why);
        EXPECT_TRUE(replay.refusalText().startsWith("line 3: " + QString(line).replace('\t', "  ")))
            << qPrintable(replay.refusalText());
    }
    // Neither is a pipe read: it would wait for a writer for ever.
    const QString pipe = rig.dir.filePath("pipe.log");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(replay.start(pipe, 0, true));
    EXPECT_EQ(replay.unreadable(), "it is not a regular file (a pipe or a device)");
    EXPECT_EQ(played, 0);
    EXPECT_EQ(hartsim::describeDifferences(
                  hartsim::configurationDifferences(before, deviceMemory(state))),
              "");
}

// The person drives the replay from its window: Step plays one line (a
// refresh step follows at once), Continue runs until a comment from the
// third line on, a double click moves to a line, Exit ends it.
TEST(Replay, TheReplayWindowStepsRunsJumpsAndExits) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=customizer"}});
    ASSERT_TRUE(rig.app->buildMainWindow(0));
    const QString log = rig.dir.filePath("steps.log");
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "<<< Comment: begin\n--> Com 1\n<-- Read Com190_089 (display)\n<<< "
        "tab1\t|4|19|1|19|-1|1|13100|\n"
        "<<< Comment: look at tab 1\n<<< tab0\t|4|19|0|19|-1|1|13100|\n");
    f.close();
    Replay& replay = rig.app->replay();
    ReplayWindow window(rig.gadgets);
    replay.setView(&window);
    ASSERT_TRUE(replay.start(log, 0));
    EXPECT_EQ(replay.lines().size(), 5);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.button(replay::kStop)->isEnabled());
    const auto click = [&](int button) { window.button(button)->click(); };
    // Passes of the main loop until `done`; events of the main window go to its dispatch.
    const auto passUntil = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 50 && !done(); ++i)
            if (const std::optional<WindowEvent> e = replay.pass()) rig.app->dispatch(*e);
    };
    AppState& s = rig.program.state;

    click(replay::kStep);
    passUntil([&] { return s.ReplayLine == 2; });  // the comment
    EXPECT_EQ(s.ReplayState, "step");
    passUntil([&] { return s.ReplayLine == 3; });  // the refresh step goes on by itself
    click(replay::kContinue);
    passUntil(
        [&] { return s.ReplayState == "pause"; });  // tab 1, then the comment on line 4 pauses
    EXPECT_EQ(s.ReplayLine, 5);
    EXPECT_EQ(rig.gadgets.state(kMainPanel), 1);
    EXPECT_EQ(window.list()->currentRow(), 3);  // the comment stays in view
    EXPECT_TRUE(window.button(replay::kExit)->isEnabled());

    emit window.list()->itemDoubleClicked(window.list()->item(0));
    passUntil([&] { return s.ReplayLine == 1; });
    EXPECT_EQ(window.list()->currentRow(), 0);
    click(replay::kExit);
    passUntil([&] { return !replay.active(); });
    EXPECT_FALSE(replay.active());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace zh
