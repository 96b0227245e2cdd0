// The switch test against the simulated device: while it runs the module
// reports the output under test switching on and off; afterwards the
// outputs follow the input again, the message time is as it was, and no
// byte of the device's memory has changed.

#include <gtest/gtest.h>

#include <QList>
#include <algorithm>

#include "app/program.h"
#include "files/device_core.h"
#include "hart/link_library.h"
#include "sim/memory_file.h"
#include "support/ending_probe.h"
#include "support/test_program.h"
#include "ui/service/switch_test.h"

namespace zh {
namespace {

constexpr int kSwitchByte = 10;  // block 89: bit 0 output 1, bit 2 output 2
constexpr int kModeByte = 13;    // block 89: 0 measuring, 2 switch test
constexpr int kMessageTime = 5000;

class SwitchTestOnDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        state = t.path(QStringLiteral("device.state"));
        qputenv("HARTSIM_OPTIONS", ("presence=both,hold=50,state=" + state).toUtf8());
        t.program.state.ComPort = QStringLiteral("Sim");
        t.program.state.MessageDisplayTime = kMessageTime;
    }
    void TearDown() override { qunsetenv("HARTSIM_OPTIONS"); }

    QByteArray liveBlock() {
        EXPECT_EQ(core.sequences.blocks().readBlock(89, 1), 0);
        return core.sequences.blocks().image(89);
    }
    static int outputs(const QByteArray& live) { return live.at(kSwitchByte) & 0x05; }
    // The live block with a connection of its own.
    QByteArray liveBlockNow() {
        EXPECT_EQ(core.session.connectDevice(), 1);
        const QByteArray live = liveBlock();
        core.session.disconnectDevice();
        return live;
    }
    hartsim::Memory memory() const {
        hartsim::Memory m;
        EXPECT_TRUE(hartsim::loadMemoryFile(state.toStdString(), &m));
        return m;
    }

    test::TestProgram t;
    LinkLibrary link{t.program.log};
    test::EndingProbe probe;
    DeviceCore core{t.program, link, probe};
    QString state;
};

TEST_F(SwitchTestOnDevice, TheModuleSwitchesTheOutputAndFollowsTheInputAfterwards) {
    const QByteArray idle = liveBlockNow();
    const hartsim::Memory before = memory();
    SwitchTest test(t.program, core.session, core.sequences.actions());
    QList<int> seen;
    test.showOutputs = [&] {
        const QByteArray live = liveBlock();
        EXPECT_EQ(live.at(kModeByte), 2);
        seen << outputs(live);
    };
    for (const int output : {1, 2}) {
        seen.clear();
        EXPECT_EQ(test.run(output), SwitchTest::Outcome::Done)
            << t.program.log.viewText().toStdString();
        const int on = output == 1 ? 0x01 : 0x04;
        QList<int> expected{on};
        for (int pass = 0; pass < 10; ++pass) expected << 0 << on;
        EXPECT_EQ(seen, expected) << output;
        EXPECT_EQ(t.program.state.ConnectionState, 0);  // closed, as it opened it
        EXPECT_EQ(t.program.state.MessageDisplayTime, kMessageTime);
    }
    EXPECT_EQ(std::count(t.dialogs.sleeps.begin(), t.dialogs.sleeps.end(), SwitchTest::kHoldMs),
              2 * 21);
    const QByteArray after = liveBlockNow();
    EXPECT_EQ(after.at(kModeByte), 0);
    EXPECT_EQ(outputs(after), outputs(idle));
    EXPECT_EQ(hartsim::describeDifferences(hartsim::configurationDifferences(before, memory())),
              "");
}

TEST_F(SwitchTestOnDevice, CancelAndAFailedConnectLeaveTheOutputsAndTheMessageTimeAsBefore) {
    SwitchTest test(t.program, core.session, core.sequences.actions());
    int shown = 0;
    test.showOutputs = [&] {
        if (++shown == 3) t.dialogs.cancelOnNextServe = true;
    };
    EXPECT_EQ(test.run(2), SwitchTest::Outcome::Cancelled);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(t.program.state.MessageDisplayTime, kMessageTime);
    EXPECT_EQ(liveBlockNow().at(kModeByte), 0);  // the test was ended

    probe.outcome = ConnectionProbe::Outcome::TimedOut;
    shown = 0;
    EXPECT_EQ(test.run(1), SwitchTest::Outcome::NotConnected);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(t.program.state.MessageDisplayTime, kMessageTime);
    EXPECT_EQ(t.program.state.ConnectionState, 0);
}

}  // namespace
}  // namespace zh
