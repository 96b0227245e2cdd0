// A piece of work recorded in the debug log and replayed from it against a
// device in the state the work began with leaves that device exactly as the
// work left the first one.

#include "ui/replay.h"

#include <QFile>
#include <QListWidget>

#include "app/event_record.h"
#include "app_rig.h"
#include "ui/replay_window.h"

namespace zh {
namespace {

void typeInto(AppRig& rig, const char* field, const QString& text) {
    const int gadget = rig.field(field).GadID;
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetFocusGained});
    rig.gadgets.setText(gadget, text);
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetTextChanged});
    rig.app->dispatch(WindowEvent{EventGadget, 1, gadget, -1, GadgetFocusLost});
}

TEST(Replay, ARecordedSessionReplayedLeavesTheDeviceAsTheSessionDid) {
    QTemporaryDir dir;
    const QString recorded = dir.filePath("recorded.state");
    const QString replayed = dir.filePath("replayed.state");
    const QString log = dir.filePath("debug.log");
    {
        AppRig rig("ZEL-HART");
        qputenv("HARTSIM_OPTIONS", ("presence=both,displayunit=mbar,state=" + recorded).toUtf8());
        ASSERT_TRUE(rig.app->VANTOMain(0));
        rig.program.log.setThreshold(1);
        rig.program.log.setFile(log);
        rig.app->dispatch(WindowEvent{EventMenu, 1, -1, menu::kReadAll, -1});
        ASSERT_TRUE(QFile::copy(recorded, replayed));
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
        qputenv("HARTSIM_OPTIONS", ("presence=both,displayunit=mbar,state=" + replayed).toUtf8());
        ASSERT_TRUE(rig.app->VANTOMain(0));
        Replay& replay = rig.app->replay();
        replay.unattended = true;
        QStringList played;
        replay.hooks.played = [&](int, int, const QString& name) { played << name; };
        ASSERT_TRUE(replay.start(log, 0, true));
        while (replay.active())
            if (const std::optional<WindowEvent> e = replay.pass()) rig.app->dispatch(*e);
        EXPECT_EQ(played.size(), replay.lines().size()) << qPrintable(replay.lines().join('\n'));
        EXPECT_TRUE(played.contains("TagID") && played.contains("FldSetPoint1"))
            << qPrintable(played.join(' '));
        EXPECT_EQ(rig.field("TagID").Content, "REPLAY-7");
    }
    EXPECT_EQ(hartsim::describeDifferences(hartsim::configurationDifferences(
                  deviceMemory(recorded), deviceMemory(replayed))),
              "");
}

// The person drives the replay from its window: Step plays one line (a
// refresh step follows at once), Continue runs until a comment from the
// third line on, a double click moves to a line, Exit ends it.
TEST(Replay, TheReplayWindowStepsRunsJumpsAndExits) {
    AppRig rig("ZEL-HART", {{"UserMode=user", "UserMode=customizer"}});
    ASSERT_TRUE(rig.app->VANTOMain(0));
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
