// The HART session against the real link library and its built-in device
// simulator ("Sim"), with the simulator's presence and faults chosen per
// test through HARTSIM_OPTIONS.

#include "hart/hart_session.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "hart/com_ports.h"
#include "hart/connection_probe.h"
#include "hart/link_library.h"
#include "hart/port_entry.h"
#include "support/ending_probe.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

class HartSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")))
            << link.loadError().toStdString();
        t.program.state.ComPort = QStringLiteral("Sim");
        t.program.state.TransmitterDisplay = QStringLiteral("auto");
        t.program.log.setThreshold(6);
        simOptions("");
    }
    void TearDown() override { qunsetenv("HARTSIM_OPTIONS"); }
    static void simOptions(const char* options) { qputenv("HARTSIM_OPTIONS", options); }
    QString log() const { return t.program.log.viewText(); }
    bool progressShows(const QString& text) const {
        for (const QString& line : t.dialogs.progress) {
            if (line.contains(text)) return true;
        }
        return false;
    }

    // The commands the simulated device received, in order, from its frame
    // log (options "log=" + framesPath()).
    QString framesPath() const { return t.path(QStringLiteral("frames.log")); }
    QList<int> commandsReceived() const {
        QFile f(framesPath());
        QList<int> commands;
        if (!f.open(QIODevice::ReadOnly)) return commands;
        static const QRegularExpression rx(QStringLiteral("RX command=(\\d+)"));
        for (auto m = rx.globalMatch(QString::fromLatin1(f.readAll())); m.hasNext();)
            commands << m.next().captured(1).toInt();
        return commands;
    }

    TestProgram t;
    LinkLibrary link{t.program.log};
    test::EndingProbe probe;
    HartSession session{t.program, link, probe};
};

TEST_F(HartSessionTest, DetectsWhichDevicesAnswer) {
    struct Case {
        const char* options;
        const char* found;
        int display, transmitter;
    } cases[] = {{"presence=both", "all", 1, 1},
                 {"presence=display", "display", 1, 0},
                 {"presence=transmitter", "transmitter", 0, 1}};
    for (const Case& c : cases) {
        simOptions(c.options);
        session.LinkOpen = 0;
        ASSERT_EQ(session.connectDevice(), 1) << c.options << "\n" << log().toStdString();
        EXPECT_EQ(t.program.state.TransmDisplay, c.found);
        EXPECT_EQ(session.DisplayPresent, c.display);
        EXPECT_EQ(session.TransmitterPresent, c.transmitter);
        EXPECT_TRUE(t.dialogs.progressIsOpen());  // stays open for the caller
        session.disconnectDevice();
        EXPECT_FALSE(t.dialogs.progressIsOpen());
        EXPECT_TRUE(log().contains(
            QStringLiteral("HartConnect: Disp=%1 Transm=%2").arg(c.display).arg(c.transmitter)));
    }
    EXPECT_EQ(probe.ports, QStringList({"Sim", "Sim", "Sim"}));
}

TEST_F(HartSessionTest, ExpectedDevicesMustBeTheOnesFound) {
    simOptions("presence=display");
    t.program.state.TransmitterDisplay = QStringLiteral("all");
    EXPECT_EQ(session.connectDevice(), 0);
    ASSERT_FALSE(t.dialogs.boxes.empty());
    EXPECT_EQ(t.dialogs.boxes.back().text, "Invalid device connected (display)!");
    EXPECT_EQ(session.LinkOpen, 0);
    EXPECT_EQ(t.program.state.ConnectionState, 0);
    // The port was closed again: a second attempt can open it.
    t.program.state.TransmitterDisplay = QStringLiteral("auto");
    EXPECT_EQ(session.connectDevice(), 1);
    session.disconnectDevice();
}

// The tag a row's simulator options give ("tag=PT-101"), or "".
QString tagOf(const char* options) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("tag=([^,]*)")).match(QLatin1String(options));
    return m.hasMatch() ? m.captured(1) : QString();
}

// A device the profile does not list gets the reads that look for our parts
// and nothing else of ours; it is ours only when it answers them as ours.
TEST_F(HartSessionTest, IdentityFirstAndOnlyTheDetectionReadsForAnUnlistedDevice) {
    struct Row {
        const char* options;
        const char* ownDevices;  // the profile's list
        int connected, foreign;
        QList<int> commands;  // what reached the device
    } rows[] = {
        {"", "94:7E", 1, 0, {0, 191, 191, 141}},
        {"manufacturer=0x26,devicetype=0x06",
         "94:7E",
         1,
         0,
         {0, 191, 191, 141}},  // answers as ours
        {"manufacturer=0x26,devicetype=0x06,fault=error:64*9@191,fault=error:64*9@141,tag=P-1",
         "94:7E",
         0,
         1,
         {0, 191, 141, 13}},
        {"manufacturer=0x26,devicetype=0x06,fault=error:6*9@191,fault=wronglength*9@141,tag=P-2",
         "94:7E",
         0,
         1,
         {0, 191, 141, 13}},
        {"fault=error:64*9@191,fault=error:64*9@141",
         "26:06, 0x94:0x7E",
         0,
         0,
         {0, 191, 191, 141, 141}},
        {"fault=error:64*9@191", "26:06", 1, 0, {0, 191, 141}},  // its transmitter answers as ours
        {"address=5", "94:7E", 1, 0, {0, 191, 191, 141}},        // probe and session ask address 5
        {"burst=40", "94:7E", 1, 0, {0, 191, 191, 141}},         // its burst frames pass by
        {"identity=hart5,tag=PT-101", "94:7E", 0, 1, {0, 191, 141, 13}},
        {"identity=hart7,foreign=layout,tag=TT-7", "94:7E", 0, 1, {0, 191, 141, 13}},
        {"identity=hart5,foreign=error,tag=P-3", "94:7E", 0, 1, {0, 191, 141, 13}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.options);
        QFile::remove(framesPath());
        simOptions(
            (QByteArray(r.options) + (*r.options ? "," : "") + "log=" + framesPath().toLocal8Bit())
                .constData());
        t.program.profile.writeData(QStringLiteral("Serial_IO"), QStringLiteral("OwnDevices"),
                                    QString::fromLatin1(r.ownDevices), t.program.state.ProfilePath);
        t.dialogs.boxes.clear();
        t.program.state.HartAddress = QByteArray(r.options).startsWith("address=5") ? 5 : 0;
        session.LinkOpen = 0;
        EXPECT_EQ(session.connectDevice(), r.connected) << log().toStdString();
        EXPECT_EQ(probe.pollingAddress(), t.program.state.HartAddress);
        EXPECT_EQ(session.ForeignDevice, r.foreign);
        EXPECT_EQ(commandsReceived(), r.commands);
        if (r.foreign) {
            ASSERT_EQ(t.dialogs.boxes.size(), 1u);
            EXPECT_EQ(t.dialogs.boxes.back().text.toStdString(),
                      (identityText(session.identity(), tagOf(r.options)) +
                       ": not a device of this program; universal data only")
                          .toStdString());
            EXPECT_EQ(session.identity().deviceType,
                      session.identity().universalRevision == 7 ? 0xE1A5 : 0x06);
            EXPECT_FALSE(t.dialogs.progressIsOpen());
            // The universal view connects to it; no command of ours goes out.
            ASSERT_EQ(session.connectDevice(QString(), -1, ConnectScope::Universal), 1);
            EXPECT_EQ(session.ForeignDevice, 1);
            EXPECT_EQ(session.sendRequest(191, QByteArray(1, char(2)), 24, nullptr, 3),
                      kResultWithheld);
            EXPECT_EQ(session.sendRequest(190, QByteArray(24, char(0)), 24, nullptr, 3),
                      kResultWithheld);
            EXPECT_EQ(commandsReceived().mid(r.commands.size()), QList<int>{0});
        } else {
            EXPECT_TRUE(t.dialogs.boxes.empty());
        }
        session.disconnectDevice();
    }
}

TEST_F(HartSessionTest, SimulatedDeviceKeepsWhatWasWrittenAcrossConnections) {
    simOptions("seed=4711");  // a device of its own
    ASSERT_EQ(session.connectDevice(), 1);
    QByteArray image;
    ASSERT_EQ(session.sendRequest(191, QByteArray(1, char(2)), 24, &image, 2), 0);
    image.replace(1, 6, "PT-777");
    image[21] = char(0xFF);  // every slot flagged as changed
    image[22] = char(0x0F);
    ASSERT_EQ(session.sendRequest(190, image, 24, nullptr, 2), 0);
    session.disconnectDevice();

    session.LinkOpen = 0;
    ASSERT_EQ(session.connectDevice(), 1);
    QByteArray again;
    ASSERT_EQ(session.sendRequest(191, QByteArray(1, char(2)), 24, &again, 2), 0);
    EXPECT_EQ(again.mid(1, 6), QByteArray("PT-777"));
    session.disconnectDevice();
}

TEST_F(HartSessionTest, NoProbeMeansNoConnection) {
    t.program.state.ConnectRetry = 0;
    EXPECT_EQ(session.connectDevice(), 0);
    EXPECT_TRUE(probe.ports.isEmpty());
    EXPECT_TRUE(progressShows("Cannot connect To HART Interface!"));
    EXPECT_FALSE(t.dialogs.progressIsOpen());
}

TEST_F(HartSessionTest, MissingPortNamesThePort) {
    t.program.state.ComPort = QStringLiteral("/dev/zh-no-such-port");
    EXPECT_EQ(session.connectDevice(), 0);
    EXPECT_TRUE(progressShows("Invalid ComPort /dev/zh-no-such-port"))
        << t.dialogs.progress.join("\n").toStdString();
    EXPECT_TRUE(log().contains(">>> Connecting ComPort/dev/zh-no-such-port failed!)"));
}

class SendRequestTest : public HartSessionTest {
  protected:
    void SetUp() override {
        HartSessionTest::SetUp();
        ASSERT_EQ(session.connectDevice(), 1) << log().toStdString();
        t.dialogs.progress.clear();
    }
    void TearDown() override {
        session.disconnectDevice();
        HartSessionTest::TearDown();
    }
    int readBlock(int block, int expected, int tries, QByteArray* data = nullptr) {
        return session.sendRequest(191, QByteArray(1, char(block)), expected, data, tries);
    }
};

TEST_F(SendRequestTest, LengthRules) {
    QByteArray data;
    EXPECT_EQ(readBlock(12, 24, 1, &data), 0);
    EXPECT_EQ(data.size(), 24);
    EXPECT_EQ(static_cast<unsigned char>(data.at(0)), 12);
    EXPECT_TRUE(log().contains("    Request (Com=191, Len=1/24): 0C "));
    data = QByteArray("untouched");
    EXPECT_EQ(readBlock(12, 0, 1, &data), 0);  // any length accepted, all of it copied
    EXPECT_EQ(data.size(), 24);
    EXPECT_EQ(readBlock(12, 20, 1, &data), 3);
    EXPECT_TRUE(log().contains("+++2 SendRequest: Invalid length of data!"));
}

TEST_F(SendRequestTest, InjectedFaultsGiveTheirResults) {
    // Faults are set before the next Open, so reconnect with them.
    session.disconnectDevice();
    simOptions("fault=noanswer*50@191");  // more than any number of tries
    ASSERT_EQ(session.connectDevice(), 1) << log().toStdString();
    session.LinkOpen = 1;
    EXPECT_EQ(readBlock(0, 24, 1), 4);
    // It went out, and nothing came back: the device may have acted on it.
    EXPECT_EQ(session.requestFate(), RequestFate::Unanswered);
    EXPECT_TRUE(log().contains("+++1 SendRequest: res <> ERR_OK!"));
    EXPECT_EQ(session.progress().errorText(4, "BaTinHrtCPr_SendRequest"),
              "No Device Response, not Connected!!");
}

// What the device answers decides what is asked again: a refusal never,
// busy after a pause within the tries, a delayed response until it ends.
TEST_F(SendRequestTest, RefusalsBusyAndDelayedResponses) {
    struct Row {
        const char* faults;
        int tries, result, code, frames;
        const char* text;  // the error text of the result
        RequestFate fate;
    } rows[] = {
        {"fault=error:64*1@191", 3, kResultRefused, 64, 1, "command not implemented (64)",
         RequestFate::NotDone},
        {"fault=error:7*1@191", 3, kResultRefused, 7, 1, "write protected (7)",
         RequestFate::NotDone},
        {"fault=busy*2@191", 3, 0, 0, 3, "", RequestFate::Done},
        {"fault=busy*9@191", 2, kResultRefused, 32, 2, "busy (32)", RequestFate::NotDone},
        {"fault=error:33*1@191,fault=error:34*3@191", 1, 0, 0, 5, "", RequestFate::Done},
        {"fault=error:35*1@191", 3, kResultRefused, 35, 1, "delayed response dead (35)",
         RequestFate::NotDone},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.faults);
        session.disconnectDevice();
        QFile::remove(framesPath());
        simOptions((QByteArray(r.faults) + ",log=" + framesPath().toLocal8Bit()).constData());
        session.LinkOpen = 0;
        ASSERT_EQ(session.connectDevice(QString(), -1, ConnectScope::Universal), 1);
        const int before = commandsReceived().size();
        QByteArray data;
        EXPECT_EQ(readBlock(12, 24, r.tries, &data), r.result);
        EXPECT_EQ(session.ResCode1, r.code);
        EXPECT_EQ(session.requestFate(), r.fate);
        EXPECT_EQ(commandsReceived().size() - before, r.frames);
        if (r.result == 0) {
            EXPECT_EQ(static_cast<unsigned char>(data.at(0)), 12);
        }
        if (r.result != 0) {
            EXPECT_EQ(session.progress().errorText(r.result, "BaTinHrtCPr_SendRequest"),
                      QString::fromLatin1(r.text));
            EXPECT_TRUE(log().contains(QStringLiteral(" refused: ") + QString::fromLatin1(r.text)));
        }
    }
    // A universal command may answer with more than the oldest revision
    // had; the first bytes are taken. Our own commands keep their length.
    QByteArray identity;
    EXPECT_EQ(session.sendRequest(0, QByteArray(), 11, &identity, 1), 0);
    EXPECT_EQ(identity.size(), 11);
    EXPECT_EQ(readBlock(12, 23, 1), 3);
}

TEST_F(SendRequestTest, RetriesShowTheirProgressAndCancelStops) {
    session.disconnectDevice();
    // The library makes one try per call (the session counts the tries),
    // so two silent answers use up the session's first two tries.
    simOptions("fault=noanswer*2@191");
    ASSERT_EQ(session.connectDevice(), 1);
    t.dialogs.progress.clear();
    EXPECT_EQ(readBlock(12, 24, 3), 0);  // the session's third try answers
    EXPECT_TRUE(progressShows("status|Retrying ...|255"));
    EXPECT_TRUE(progressShows("bar|50|255"));
    EXPECT_TRUE(progressShows("bar|0|255"));

    session.disconnectDevice();
    simOptions("fault=noanswer*15@191");
    ASSERT_EQ(session.connectDevice(), 1);
    t.dialogs.cancelOnNextServe = true;
    EXPECT_EQ(readBlock(12, 24, 3), kResultCancelled);

    // One try: no retry text and no Cancel check.
    t.dialogs.progress.clear();
    t.dialogs.cancelOnNextServe = true;
    EXPECT_EQ(readBlock(12, 24, 1), 4);
    EXPECT_FALSE(progressShows("Retrying"));
}

// While a sequence has serving on, what the connection already holds (the
// identity, detection's blocks 12 and 89 and command 141) comes again
// without a frame, until a command that may change the device; live values
// and other blocks always go out.
TEST_F(SendRequestTest, HeldAnswersComeAgainUntilTheDeviceMayHaveChanged) {
    session.disconnectDevice();
    const QString frames = t.path(QStringLiteral("frames.log"));
    simOptions(("log=" + frames).toLocal8Bit());
    session.LinkOpen = 0;
    ASSERT_EQ(session.connectDevice(), 1);
    const auto framesSent = [&] {
        QFile f(frames);
        return f.open(QIODevice::ReadOnly)
                   ? QString::fromLatin1(f.readAll()).count(QStringLiteral("RX command="))
                   : -1;
    };
    const QByteArray block12(1, char(12)), noCurrent(4, char(0));
    struct Row {
        std::uint8_t command;
        QByteArray request;
        int expected;
        bool goesOut;
    } rows[] = {{0, {}, 12, false},
                {191, block12, 24, false},
                {191, QByteArray(1, char(89)), 24, false},
                {141, {}, 26, false},
                {191, block12, 20, true},
                {191, QByteArray(1, char(1)), 24, true},
                {191, QByteArray(1, char(1)), 24, true},
                {1, {}, 5, true},
                {40, noCurrent, 4, true},
                {191, block12, 24, true},
                {191, block12, 24, false}};
    session.answers().setServing(true);
    QList<QByteArray> answers;
    for (const Row& row : rows) {
        const int before = framesSent();
        QByteArray data;
        session.sendRequest(row.command, row.request, row.expected, &data, 1);
        answers << data;
        EXPECT_EQ(framesSent() - before, row.goesOut ? 1 : 0) << "row " << answers.size();
    }
    EXPECT_EQ(answers[1], answers[9]);  // the held block is what the device says
    EXPECT_EQ(log().count(QStringLiteral("(answered from this connection)")), 5);
    session.answers().setServing(false);
    const int before = framesSent();
    EXPECT_EQ(readBlock(12, 24, 1), 0);
    EXPECT_EQ(framesSent() - before, 1);
}

TEST(ErrorTexts, FollowTheFunctionAndResult) {
    TestProgram t;
    ProgressSteps steps(t.program);
    steps.setPort(QStringLiteral("Com5"));
    EXPECT_EQ(steps.errorText(1, "BaTinHrtCPr_Connect"), "Invalid Handle, Not Connected!!");
    EXPECT_EQ(steps.errorText(2, "BaTinHrtCPr_SendRequest(191)"),
              "Resource Error, not Connected!!");
    EXPECT_EQ(steps.errorText(3, "BaTinHrtCPr_Connect"), "Communication Error, not Connected!!");
    EXPECT_EQ(steps.errorText(6, "BaTinHrtCPr_Connect"), "Unexpected Error, not Connected!!");
    EXPECT_EQ(steps.errorText(kResultDisconnected, "BaTinHrtCPr_Connect"),
              "HART modem disconnected from Com5");
    EXPECT_EQ(steps.errorText(80, "BaTinHrtCPr_SendRequest"), "User Interrupt!");
    EXPECT_EQ(steps.errorText(4, "BaTinHrtCPr_Open"), "Invalid ComPort Com5");
    EXPECT_EQ(steps.errorText(-1, "cant run ZEL-HART"), "cant run ZEL-HART");
    EXPECT_EQ(steps.errorText(80, "Anything"), "User Interrupt!");
    EXPECT_EQ(steps.errorText(9, "Anything"), ": Unexpected Error # 9!");
    EXPECT_EQ(steps.errorText(kResultStoreFailed, "Anything"),
              ": Unexpected Error # 92! (written but not stored)");
    EXPECT_EQ(steps.errorText(kResultRefused, "BaTinHrtCPr_SendRequest"), "refused by the device");
    steps.setRefusal(QStringLiteral("write protected (7)"));
    EXPECT_EQ(steps.errorText(kResultRefused, "BaTinHrtCPr_SendRequest"), "write protected (7)");
    EXPECT_EQ(steps.errorText(kResultWithheld, "BaTinHrtCPr_SendRequest"),
              "not sent: not a device of this program");
    // Whichever step meets a lost modem says so, in place of its own detail.
    steps.checkStep(kResultDisconnected, 0, "Data transfer interrupted", "C141");
    EXPECT_TRUE(t.dialogs.progress.contains(
        "status|Data transfer interrupted (HART modem disconnected from Com5)|255"));
}

TEST(ProgressSteps, RetryBarAndCheckStepWaits) {
    TestProgram t;
    ProgressSteps steps(t.program);
    EXPECT_EQ(steps.showRetry("Retrying ...", 1, 1), 0);
    EXPECT_TRUE(t.dialogs.progress.isEmpty());
    EXPECT_EQ(steps.showRetry("Retrying ...", 3, 3), 0);
    EXPECT_TRUE(t.dialogs.progress.contains("bar|0|255"));
    EXPECT_EQ(t.dialogs.sleeps, std::vector<int>{250});  // a bar at 0 pauses briefly
    // An error waits for OK whatever time the caller or the profile gives.
    t.program.state.MessageDisplayTime = 2500;
    EXPECT_EQ(steps.checkStep(4, 0, "Function failed!", "C141"), 1);
    EXPECT_EQ(steps.checkStep(4, 0, "x", "", 3000), 1);
    steps.showErrorMessage(4, "BaTinHrtCPr_SendRequest");
    EXPECT_TRUE(t.dialogs.progress.contains("status|Function failed! (C141)|255"));
    EXPECT_TRUE(t.dialogs.progress.contains("button|OK"));
    EXPECT_EQ(t.dialogs.progress.filter("wait|").join(','), "wait|-1,wait|-1,wait|-1");
    EXPECT_EQ(steps.checkStep(0, 0, "x", ""), 0);
}

TEST(ConnectionProbeProcess, HangingProbeIsKilledAndReaped) {
    TestProgram t;
    ProcessProbe probe(
        t.dialogs, QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"), QStringLiteral("exec sleep 31.25"), QStringLiteral("sh")});
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(probe.run(QStringLiteral("Com5"), 300), ConnectionProbe::Outcome::TimedOut);
    EXPECT_LT(timer.elapsed(), 2000);
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("sleep 31.25")});
    pgrep.waitForFinished(5000);
    EXPECT_TRUE(pgrep.readAllStandardOutput().trimmed().isEmpty());  // nothing left behind

    ProcessProbe ends(t.dialogs, QStringLiteral("/bin/true"));
    EXPECT_EQ(ends.run(QStringLiteral("Com5"), 2000), ConnectionProbe::Outcome::Ended);
    ProcessProbe missing(t.dialogs, QStringLiteral("/nonexistent/zh-probe"));
    EXPECT_EQ(missing.run(QStringLiteral("Com5"), 2000), ConnectionProbe::Outcome::NotStarted);
}

}  // namespace
}  // namespace zh

namespace zh {
namespace {

TEST(ComPorts, SimulatorIsAlwaysOfferedLast) {
    test::TestProgram t;
    t.program.log.setThreshold(4);
    const std::vector<ComPortEntry> ports = availableComPorts(t.program.log);
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports.back().name, "Sim");
    for (std::size_t i = 0; i < ports.size(); ++i)
        EXPECT_EQ(ports[i].menuId, 5000 + static_cast<int>(i));
    EXPECT_TRUE(t.program.log.viewText().contains(">>> GetAvailableComPorts()"));
}

// A USB modem by maker, product and serial number, falling back to its ids;
// a port without USB data as before.
TEST(ComPorts, LabelNamesTheModemAsThePersonKnowsIt) {
    const auto usb = [](const char* maker, const char* product, const char* serial) {
        return PortFacts{"/dev/ttyUSB0", "ttyUSB0", maker, product, serial, true, 0x0403, 0x6001};
    };
    struct Row {
        PortFacts port;
        const char* label;
    } rows[] = {
        {usb("FTDI", "FT232R USB UART", "A50285BI"),
         "FTDI FT232R USB UART (serial A50285BI) - /dev/ttyUSB0"},
        {usb("Prolific", "Prolific USB-Serial Controller", ""),
         "Prolific USB-Serial Controller - /dev/ttyUSB0"},
        {usb("", "", ""), "USB 0403:6001 - /dev/ttyUSB0"},
        {PortFacts{"/dev/ttyS0", "ttyS0", "", "", "", false, 0, 0}, "ttyS0"},
        {PortFacts{"/dev/ttyS1", "ttyS1", "", "16550A UART", "", false, 0, 0},
         "ttyS1 (16550A UART)"},
    };
    for (const Row& r : rows) EXPECT_EQ(portLabel(r.port), QString::fromUtf8(r.label));
}

// "Port ...": a typed port is checked before it is stored, and a device
// with a stable link is stored by the link.
TEST(ComPorts, TypedPortIsCheckedAndStoredByItsStableName) {
    QTemporaryDir byId;
    const QString link = byId.filePath("usb-Maker_Modem_0001-if00-port0");
    ASSERT_TRUE(QFile::link("/dev/null", link));
    struct Row {
        const char* typed;
        QString stored;       // empty: nothing stored
        const char* message;  // part of the error shown; nullptr: none
    } rows[] = {
        {"/dev/null", link, nullptr},
        {" null ", link, nullptr},  // a name in /dev
        {"/dev/hartlink-no-such-port", {}, "No such port: /dev/hartlink-no-such-port"},
        {"/tmp", {}, "Not a serial port (no character device): /tmp"},
        {"Sim", "Sim", nullptr},
        {"Com3", "Com3", nullptr},
        {"", {}, nullptr},  // cancelled
    };
    for (const Row& r : rows) {
        TestProgram t;
        t.program.state.ComPort = "Com4";
        t.dialogs.inputAnswers = {QString::fromUtf8(r.typed)};
        EXPECT_EQ(enterComPort(t.program, byId.path()), !r.stored.isEmpty()) << r.typed;
        EXPECT_EQ(t.program.state.ComPort, r.stored.isEmpty() ? "Com4" : r.stored) << r.typed;
        ASSERT_EQ(t.dialogs.boxes.size(), r.message ? 1u : 0u) << r.typed;
        if (r.message) {
            EXPECT_EQ(t.dialogs.boxes[0].text, r.message);
        }
    }
    // The status line names the device behind the link.
    EXPECT_EQ(shownPortName(link, byId.path()), "/dev/null");
    EXPECT_EQ(shownPortName("Sim", byId.path()), "Sim");
}

}  // namespace
}  // namespace zh
