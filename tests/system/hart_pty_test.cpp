// End to end over a pseudo-terminal: the device simulator serves a pty as
// a field device on a modem would, and the program's session talks to it
// through the link library's real serial transport.

#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

// hartsim on a pty, ended with the test.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& options) {
        process_.setProgram(QStringLiteral(ZH_PROGRAM_DIR "/hartsim"));
        process_.setArguments(QStringList{QStringLiteral("--pty"), QStringLiteral("--seconds"), QStringLiteral("60")} +
                              options);
        process_.start();
        if (!process_.waitForStarted(5000)) return;
        QElapsedTimer waited;
        waited.start();
        while (!process_.canReadLine() && waited.elapsed() < 5000) process_.waitForReadyRead(100);
        path_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~SimulatorProcess() {
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
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so"))) << link.loadError().toStdString();
        t.program.state.TransmitterDisplay = QStringLiteral("auto");
        t.program.state.ConnectTimeout = 10000;
        t.program.log.setThreshold(1);
    }
    int connect(const QString& path) {
        t.program.state.ComPort = path;
        return session.HartConnect();
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
        ASSERT_EQ(connect(sim.path()), 1) << c.option << "\n" << t.program.log.viewText().toStdString();
        EXPECT_EQ(t.program.state.TransmDisplay, c.found);
        QByteArray block;
        if (session.DisplayPresent) {
            EXPECT_EQ(session.SendRequest(191, QByteArray(1, char(89)), 24, &block, 2), 0);
            EXPECT_EQ(static_cast<unsigned char>(block.at(0)), 89);
        }
        session.HartDisConnect();
    }
}

TEST_F(HartOverPty, ProbeModeEndsByItself) {
    SimulatorProcess sim({});
    ASSERT_FALSE(sim.path().isEmpty());
    QProcess probe;
    probe.start(QStringLiteral(ZH_PROGRAM_DIR "/ZEL-HART"), {QStringLiteral("Connect"), sim.path()});
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

}  // namespace
}  // namespace zh
