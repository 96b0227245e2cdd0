// A piece of work recorded in the debug log and replayed from it against a
// device in the state the work began with leaves that device exactly as the
// work left the first one.

#include <QFile>

#include "app_rig.h"
#include "app/event_record.h"
#include "ui/replay.h"

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
    ASSERT_NE(hartsim::describeDifferences(hartsim::configurationDifferences(deviceMemory(replayed),
                                                                            deviceMemory(recorded))),
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
        EXPECT_TRUE(played.contains("TagID") && played.contains("FldSetPoint1")) << qPrintable(played.join(' '));
        EXPECT_EQ(rig.field("TagID").Content, "REPLAY-7");
    }
    EXPECT_EQ(hartsim::describeDifferences(hartsim::configurationDifferences(deviceMemory(recorded),
                                                                            deviceMemory(replayed))),
              "");
}

}  // namespace
}  // namespace zh
