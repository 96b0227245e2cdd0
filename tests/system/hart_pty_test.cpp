// End to end over a pseudo-terminal: the device simulator serves a pty as
// a field device on a modem would, and the program's session talks to it
// through the link library's real serial transport.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include "files/device_core.h"
#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "support/ending_probe.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

// hartsim on a pty, ended with the test.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const QStringList& options) {
        process_.setProgram(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"));
        process_.setArguments(QStringList{QStringLiteral("--pty"), QStringLiteral("--seconds"),
                                          QStringLiteral("60")} +
                              options);
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine() && waited.elapsed() < 5000) process_.waitForReadyRead(100);
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimulatorProcess() { stop(); }
    // Ends the simulator, and with it the far end of its pty: what an
    // unplugged modem looks like to the program.
    void stop() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    const QString& path() const { return path_; }

  private:
    QProcess process_;
    QString path_;
};

class HartOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")))
            << link.loadError().toStdString();
        t.program.state.TransmitterDisplay = QStringLiteral("auto");
        t.program.state.ConnectTimeout = 10000;
        t.program.log.setThreshold(1);
    }
    int connect(const QString& path) {
        t.program.state.ComPort = path;
        return session.connectDevice();
    }

    TestProgram t;
    LinkLibrary link{t.program.log};
    // The real probe: the program itself, started as "ZEL-HART Connect <port>".
    ProcessProbe probe{t.dialogs, QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART")};
    HartSession session{t.program, link, probe};
};

TEST_F(HartOverPty, DetectsEachPresence) {
    struct Case {
        const char* option;
        const char* found;
    } cases[] = {{"--options=presence=both", "all"},
                 {"--display-only", "display"},
                 {"--transmitter-only", "transmitter"}};
    for (const Case& c : cases) {
        SimulatorProcess sim({QString::fromLatin1(c.option)});
        ASSERT_FALSE(sim.path().isEmpty()) << c.option;
        session.LinkOpen = 0;
        ASSERT_EQ(connect(sim.path()), 1) << c.option << "\n"
                                          << t.program.log.viewText().toStdString();
        EXPECT_EQ(t.program.state.TransmDisplay, c.found);
        QByteArray block;
        if (session.DisplayPresent) {
            EXPECT_EQ(session.sendRequest(191, QByteArray(1, char(89)), 24, &block, 2), 0);
            EXPECT_EQ(static_cast<unsigned char>(block.at(0)), 89);
        }
        session.disconnectDevice();
    }
}

TEST_F(HartOverPty, ProbeModeEndsByItself) {
    SimulatorProcess sim({});
    ASSERT_FALSE(sim.path().isEmpty());
    QProcess probe;
    probe.start(QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART"),
                {QStringLiteral("Connect"), sim.path()});
    ASSERT_TRUE(probe.waitForFinished(10000));
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
}

TEST_F(HartOverPty, SilentDeviceFailsInTheTimeTheRetriesTake) {
    SimulatorProcess sim({QStringLiteral("--fault=noanswer*1000")});
    ASSERT_FALSE(sim.path().isEmpty());
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(connect(sim.path()), 0);
    const qint64 took = timer.elapsed();
    EXPECT_EQ(session.LinkOpen, 0);
    EXPECT_FALSE(t.dialogs.progressIsOpen());
    // The probe's Connect and the session's three Connect calls each wait
    // out the library's bounded tries; nothing waits longer than that.
    EXPECT_LT(took, 15000) << took;
}

// Each fault the device can show, on the real serial path: the result the
// session reports, and that the very next request is answered properly,
// undisturbed by anything the fault left on the line.
TEST_F(HartOverPty, EveryFaultGivesItsResultAndLeavesTheLineClean) {
    struct Case {
        const char* fault;  // applied to block reads only; three answers use up the library's tries
        int result;
        int responseCode;
    } cases[] = {
        {"noanswer*3@191", 4, -1},
        {"badcheck*3@191", 3, -1},
        {"wronglength*1@191", 3,
         -1},  // a well-formed answer: taken at once, the session sees the length
        {"commerror:0x08*3@191", 3, -1},
        // Later than the request's wire time and the slave time-out: the
        // retry, RT1 after the request, is answered, and the late answer
        // meets the next request's wait for a quiet line and is dropped.
        {"late:500*1@191", 0, 0},
        // A well-formed answer without data: the device says why.
        {"busy*3@191", kResultRefused, 32},
        {"error:64*1@191", kResultRefused, 64},
        {"noise:16*1@191", 0, 0},
    };
    // Detection by command 141 only, so the faults meet the first block read.
    t.program.state.TransmitterDisplay = QStringLiteral("transmitter");
    for (const Case& c : cases) {
        SimulatorProcess sim({QStringLiteral("--fault=") + QLatin1String(c.fault)});
        ASSERT_FALSE(sim.path().isEmpty());
        session.LinkOpen = 0;
        ASSERT_EQ(connect(sim.path()), 1) << c.fault << "\n"
                                          << t.program.log.viewText().toStdString();
        QByteArray block;
        EXPECT_EQ(session.sendRequest(191, QByteArray(1, char(12)), 24, &block, 1), c.result)
            << c.fault;
        if (c.responseCode >= 0) {
            EXPECT_EQ(session.ResCode1, c.responseCode) << c.fault;
        }
        // The fault is used up: the next request gets a clean answer.
        EXPECT_EQ(session.sendRequest(191, QByteArray(1, char(89)), 24, &block, 1), 0) << c.fault;
        EXPECT_EQ(session.ResCode1, 0) << c.fault;
        EXPECT_EQ(static_cast<unsigned char>(block.at(0)), 89) << c.fault;
        session.disconnectDevice();
    }
    // After all that the port opens again at once: every session closed it.
    SimulatorProcess sim({});
    EXPECT_EQ(connect(sim.path()), 1);
    session.disconnectDevice();
}

// The modem unplugged while the live display polls it: the poll fails at
// once as disconnected, not after the retries' time-outs; the live display
// stops, closes the port and says why; the next connect tries the port again.
TEST(LiveDisplayOverPty, UnpluggedModemStopsItWithAMessageAndTheNextConnectTriesAgain) {
    TestProgram t;
    LinkLibrary link{t.program.log};
    ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
    test::EndingProbe probe;
    DeviceCore core{t.program, link, probe};
    AppState& s = t.program.state;
    s.TransmitterDisplay = QStringLiteral("auto");
    s.DataTrigger = 0;  // data are shown: connecting reads nothing
    SimulatorProcess sim({});
    s.ComPort = sim.path();
    ASSERT_TRUE(core.live.startDynDisplay(Presence::All)) << t.program.log.viewText().toStdString();
    core.live.updateLiveDisplay();
    EXPECT_FALSE(core.live.state.DisplayText.isEmpty());

    sim.stop();
    QElapsedTimer timer;
    timer.start();
    core.live.updateLiveDisplay();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(s.DynamicDisplayOn);
    EXPECT_EQ(s.ConnectionState, 0);
    EXPECT_EQ(core.session.LinkOpen, 0);
    EXPECT_TRUE(core.live.state.DisplayText.isEmpty());
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].text,
              QStringLiteral("HART modem disconnected from ") + sim.path());
    QByteArray block;
    EXPECT_EQ(core.session.sendRequest(191, QByteArray(1, char(89)), 24, &block, 1),
              kResultDisconnected);  // unsent while the modem is gone

    SimulatorProcess again({});
    s.ComPort = again.path();
    ASSERT_TRUE(core.live.startDynDisplay(Presence::All)) << t.program.log.viewText().toStdString();
    EXPECT_FALSE(core.session.modemLost());
    core.live.stopDynDisplay();
}

TEST_F(HartOverPty, HangingProbeIsKilledEveryTryAndTheConnectionFails) {
    SimulatorProcess sim({});
    ProcessProbe hanging(
        t.dialogs, QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("exec sleep 47.5"), QStringLiteral("sh")});
    HartSession withHangingProbe(t.program, link, hanging);
    t.program.state.ComPort = sim.path();
    t.program.state.ConnectRetry = 2;
    t.program.state.ConnectTimeout = 400;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(withHangingProbe.connectDevice(), 0);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(t.program.log.viewText().count(QStringLiteral("+++ Retrying HartConnect!")), 2);
    bool shown = false;
    for (const QString& line : t.dialogs.progress)
        shown |= line.contains(QStringLiteral("Cannot connect To HART Interface!"));
    EXPECT_TRUE(shown);
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("sleep 47.5")});
    pgrep.waitForFinished(5000);
    EXPECT_TRUE(pgrep.readAllStandardOutput().trimmed().isEmpty());  // no probe left behind
}

}  // namespace
}  // namespace zh
