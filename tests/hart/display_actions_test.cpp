// The command executor and the display actions. The link is the link
// library's simulator ("Sim"); the commands under test mostly go through a
// scripted request sender, so their bytes and answers are the test's.

#include "hart/display_actions.h"

#include <gtest/gtest.h>

#include <deque>

#include "app/dialogs.h"
#include "hart/connection_probe.h"
#include "hart/display_blocks.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "hart/raw_values.h"
#include "support/test_program.h"

namespace zh {
namespace {

struct ScriptedSender final : RequestSender {
    struct Answer {
        int result = 0;
        std::uint8_t code = 0;
        QByteArray data = {};
    };
    int sendRequest(std::uint8_t command, const QByteArray& request, int expected,
                    QByteArray* response, int) override {
        sent.push_back({command, request, expected});
        Answer a{0, 0, QByteArray(expected, '\0')};
        if (command == 191) a.data[0] = request.at(0);
        if (!answers.empty()) a = answers.front(), answers.pop_front();
        code = a.code;
        if (a.result == 0 && response)
            *response = a.data.isEmpty() ? QByteArray(expected, '\0') : a.data;
        return a.result;
    }
    std::uint8_t resCode1() const override { return code; }
    std::uint8_t resCode2() const override { return 0; }
    // "192/5" for an action, else the command number.
    QString commands() const {
        QStringList out;
        for (const auto& [command, request, expected] : sent) {
            out << (command == 192 ? QStringLiteral("192/%1").arg(quint8(request.at(0)))
                                   : QString::number(command));
        }
        return out.join(',');
    }
    std::vector<std::tuple<std::uint8_t, QByteArray, int>> sent;
    std::deque<Answer> answers;
    std::uint8_t code = 0;
};

struct CountingProbe final : ConnectionProbe {
    Outcome run(const QString&, int) override { return ++runs, Outcome::Ended; }
    int runs = 0;
};

const QString kRed = QString::number(255);
const QString kGreen = QString::number(185 << 8);

class DisplayActionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        qputenv("HARTSIM_OPTIONS", "presence=both");
        t.program.state.ComPort = QStringLiteral("Sim");
        t.program.log.setThreshold(6);
    }
    void TearDown() override {
        if (t.program.state.ConnectionState) session.disconnectDevice();
        qunsetenv("HARTSIM_OPTIONS");
    }
    bool shows(const QString& text) const {
        return std::any_of(t.dialogs.progress.begin(), t.dialogs.progress.end(),
                           [&](const QString& line) { return line.contains(text); });
    }
    bool logged(const char* line) const { return t.program.log.viewText().contains(line); }
    static CommandRoutine returning(int result, int* runs = nullptr) {
        return {CommandId::Other, [=](int) { return runs && ++*runs, result; }, {}};
    }
    int connected() const { return t.program.state.ConnectionState; }

    test::TestProgram t;
    LinkLibrary link{t.program.log};
    CountingProbe probe;
    HartSession session{t.program, link, probe};
    ScriptedSender sender;
    RawValueMap values;
    DisplayBlocks blocks{t.program, values, sender};
    DisplayActions actions{t.program, session, sender, blocks, values, link};
};

TEST_F(DisplayActionsTest, ActionAndEepromRequestsByteForByte) {
    actions.Aktion = 19;
    sender.answers.push_back({0, 0, QByteArray("\x07\x00", 2)});
    EXPECT_EQ(actions.Com192(2), 0);
    EXPECT_EQ(actions.reply(), 7);
    EXPECT_EQ(actions.Com200(1), 0);
    EXPECT_EQ(actions.Com201(1), 0);
    EXPECT_EQ(sender.sent.at(0), std::make_tuple(quint8(192), QByteArray("\x13\x00", 2), 2));
    EXPECT_EQ(sender.sent.at(1), std::make_tuple(quint8(200), QByteArray(1, '\0'), 0));
    EXPECT_EQ(sender.sent.at(2), std::make_tuple(quint8(201), QByteArray(1, '\0'), 0));
    EXPECT_TRUE(logged("   Aktion=0x13") && logged("   Filler=0x00") && logged("--> Write Com201"));
    sender.answers.push_back({0, 64});
    EXPECT_EQ(actions.Com192(1), 3);  // refused by the device

    t.program.state.NoWrite = QStringLiteral("ON");
    for (int result : {actions.Com192(1), actions.Com200(1), actions.Com201(1)})
        EXPECT_EQ(result, kResultNotSent);
    EXPECT_EQ(sender.sent.size(), 4u);
}

TEST_F(DisplayActionsTest, ModesConnectConfirmAndDisconnect) {
    int runs = 0;
    EXPECT_EQ(actions.runCommand(returning(0, &runs), CommandStep::Start), 1);
    EXPECT_TRUE(probe.runs == 1 && connected() && t.dialogs.progressIsOpen());
    EXPECT_EQ(actions.runCommand(returning(0, &runs), CommandStep::Continue), 1);
    EXPECT_TRUE(t.dialogs.progressIsOpen());
    EXPECT_FALSE(shows("Data transmitted"));
    EXPECT_EQ(actions.runCommand(returning(0, &runs), CommandStep::Stop), 1);
    EXPECT_EQ(runs, 3);
    EXPECT_TRUE(shows("status|Data transmitted|" + kGreen));
    EXPECT_TRUE(shows("wait|5000"));
    EXPECT_FALSE(t.dialogs.progressIsOpen() || connected());
    EXPECT_TRUE(logged(">>> HartDisConnect: Disconnected Sim!"));

    // The empty mode does it all in one call; an unknown action is still
    // sent, described by its number. "noconfirm" does not confirm.
    t.dialogs.progress.clear();
    EXPECT_EQ(actions.runDisplayAction(19), 1);
    EXPECT_TRUE(shows("step|Function: (19)") && shows("Data transmitted") && !connected());
    t.dialogs.progress.clear();
    EXPECT_EQ(actions.runCommand(returning(0), CommandStep::Start) +
                  actions.runCommand(returning(0), CommandStep::NoConfirm),
              2);
    EXPECT_FALSE(shows("Data transmitted") || connected());

    // A link that was open before is neither reopened nor closed.
    ASSERT_EQ(session.connectDevice(), 1);
    t.program.state.ConnectionState = 1;
    const int probes = probe.runs;
    EXPECT_EQ(actions.runCommand(returning(0), CommandStep::Start) +
                  actions.runCommand(returning(0), CommandStep::Stop),
              2);
    EXPECT_TRUE(probe.runs == probes && connected());
    EXPECT_EQ(session.sendRequest(191, QByteArray(1, char(12)), 24, nullptr, 1), 0);
}

TEST_F(DisplayActionsTest, FailuresAreShownExceptInModeNone) {
    ASSERT_EQ(actions.runCommand(returning(0), CommandStep::Start), 1);
    t.dialogs.progress.clear();
    EXPECT_EQ(actions.runCommand(returning(4), CommandStep::Quiet), 0);  // silent, all left open
    EXPECT_FALSE(shows("status|"));
    EXPECT_TRUE(t.dialogs.progressIsOpen() && connected());

    // A response code counts as failure even when the exchange worked.
    sender.answers.push_back({0, 64});
    EXPECT_EQ(actions.runCommand(actions.com192(), CommandStep::Continue), 0);
    EXPECT_TRUE(shows(
        "status|Function failed! (Function: Teach 4 mA: command not implemented (64))|" + kRed));
    EXPECT_FALSE(t.dialogs.progressIsOpen() || connected());

    int runs = 0;
    t.dialogs.cancelOnNextServe = true;  // at the step: the routine does not run
    EXPECT_EQ(actions.runCommand(returning(0, &runs), CommandStep::Continue), 0);
    EXPECT_TRUE(runs == 0 && shows("status|Data transfer interrupted|"));

    for (const QString& f : blockFields(10)) values.values[f] = "0";
    values.values.insert({{"SetPoint1", "40000"}, {"VersCheck", "5"}});
    EXPECT_EQ(actions.runCommand(actions.writeBlock(10), CommandStep::Single), 0);
    EXPECT_TRUE(shows("Function failed! (Value 40000 for SetPoint1 out of range"));
    EXPECT_EQ(sender.commands(), "192/0");  // nothing more sent

    // A warning code comes with the range command carried out: it succeeds
    // and its confirmation names the warning; another code refuses it, in
    // the words that command gives the code.
    const CommandRoutine setLower{
        CommandId::Com37,
        [this](int tries) { return sender.sendRequest(37, QByteArray(), 0, nullptr, tries); },
        {}};
    sender.answers.push_back({0, 14});
    EXPECT_EQ(actions.runCommand(setLower, CommandStep::Single), 1);
    EXPECT_EQ(
        actions.warnings(),
        QStringList{"Set lower lange: new lower range value pushed the upper range value (14)"});
    EXPECT_TRUE(
        shows("status|Data transmitted (Set lower lange: new lower range value pushed the "
              "upper range value (14))|" +
              QString::number(230 | 120 << 8)));
    sender.answers.push_back({0, 9});
    EXPECT_EQ(actions.runCommand(setLower, CommandStep::Single), 0);
    EXPECT_TRUE(shows("Function failed! (Set lower lange: applied process too high (9))"));

    t.program.state.ConnectRetry = 0;  // no connection: nothing runs
    EXPECT_EQ(actions.runCommand(returning(0, &runs), CommandStep::Single), 0);
    EXPECT_FALSE(runs || t.dialogs.progressIsOpen());
}

TEST_F(DisplayActionsTest, ListCommandsFollowTheConfiguration) {
    // The configuration in use is the one the last connection found.
    const std::vector<
        std::tuple<int, const char*, std::deque<ScriptedSender::Answer>, const char*, int, int>>
        cases = {{6, "display", {}, "192/6", 1, 0}, {6, "transmitter", {}, "200", 1, 0},
                 {6, "all", {}, "192/6,200", 1, 0}, {6, "all", {{4}}, "192/6", 0, 0},
                 {7, "all", {}, "192/7,201", 1, 1}, {7, "transmitter", {{0, 64}}, "201", 0, 1},
                 {31, "all", {}, "192/31", 1, 0}};
    for (const auto& [code, configuration, answers, sent, result, reads] : cases) {
        t.program.state.TransmDisplay = configuration;
        session.LinkOpen = 1;  // no new detection
        sender.sent.clear();
        sender.answers = answers;
        int readAgain = 0;
        actions.readDevice = [&] { return ++readAgain; };
        t.dialogs.boxAnswers.push_back(mb::ResultOk);
        EXPECT_EQ(actions.sendListCommand(code, "Selected"), result) << code << configuration;
        EXPECT_EQ(sender.commands(), sent) << code << configuration;
        EXPECT_EQ(readAgain, reads) << code;
        EXPECT_FALSE(t.dialogs.progressIsOpen() || connected());
    }
    EXPECT_EQ(t.dialogs.boxes.back().title, "Selected");
    EXPECT_TRUE(t.dialogs.boxes.back().text.startsWith("Please confirm function!"));
    EXPECT_TRUE(logged("> #  Gadget_ZELHart_BtnSendCmd ;-- Send Command Selected"));

    sender.sent.clear();
    t.dialogs.boxAnswers.push_back(mb::ResultCancel);
    EXPECT_EQ(actions.sendListCommand(6, "Selected"), 0);
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(DisplayActionsTest, CalibrationDoneCodesRewriteBlock1AndCopyToEeprom) {
    const QByteArray block1 =
        QByteArray::fromHex("01000034121122334455667700785634 12FFFFFFFF000005");
    values.values["VersCheck"] = "5";
    for (int code : {14, 114}) {
        sender.sent.clear();
        sender.answers = {{0, 0, block1}};
        t.dialogs.boxAnswers.push_back(mb::ResultOk);
        EXPECT_EQ(actions.sendListCommand(code, "Hide factory setup menu"), 1);
        EXPECT_EQ(sender.commands(), "191,190,192/5");
        const QByteArray written = std::get<1>(sender.sent.at(1));
        EXPECT_EQ(written.mid(1, 2), code == 14 ? QByteArray("\x01\x00", 2) : QByteArray(2, '\0'));
        EXPECT_EQ(written.mid(7, 4), block1.mid(7, 4));  // the display's own bytes
    }
    // A failed read ends it: nothing written, no success shown.
    sender.sent.clear();
    sender.answers = {{4}};
    t.dialogs.progress.clear();
    t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(actions.sendListCommand(14, "Hide factory setup menu"), 0);
    EXPECT_EQ(sender.commands(), "191");
    EXPECT_TRUE(shows("status|Function failed!") && !shows("Data transmitted"));
    EXPECT_FALSE(t.dialogs.progressIsOpen() || connected());
}

TEST_F(DisplayActionsTest, RawProbeUsesTheLibraryDirectly) {
    EXPECT_NE(actions.rawProbe(), 0);  // no open port: three tries, the last result shown
    EXPECT_TRUE(shows("bar|33|") && shows("bar|66|") && shows("bar|100|"));
    EXPECT_TRUE(logged(",  func.s=BaTinHrtCPr_SendRequest(Com0))"));
    EXPECT_FALSE(t.dialogs.progressIsOpen());

    ASSERT_EQ(session.connectDevice(), 1);
    t.dialogs.progress.clear();
    t.dialogs.boxAnswers.push_back(mb::ResultOk);
    EXPECT_EQ(actions.sendListCommand(99, "Probe"), 1);  // the first answer ends it
    EXPECT_TRUE(shows("bar|33|") && !shows("bar|66|") && sender.sent.empty());

    t.program.state.NoWrite = QStringLiteral("ON");
    t.program.log.clearView();
    EXPECT_EQ(actions.rawProbe(), kResultNotSent);
    EXPECT_FALSE(logged("BaTinHrtCPr_SendRequest"));
    session.disconnectDevice();
}

TEST_F(DisplayActionsTest, StoringWrittenBlocksReportsEveryFailure) {
    const std::vector<
        std::tuple<bool, bool, std::deque<ScriptedSender::Answer>, const char*, const char*>>
        cases = {{true, true, {}, "192/5,192/20,192/21", nullptr},
                 {false, true, {}, "192/5,192/21", nullptr},
                 {false, false, {}, "192/5", nullptr},
                 {true, true, {{0, 64}}, "192/5", "Function failed! (Copy to EEPROM)"},
                 {true,
                  true,
                  {{}, {4}},
                  "192/5,192/20",
                  "Function failed! (re-init Interrupt controlled limit switch)"}};
    for (const auto& [block10, block11, answers, sent, failure] : cases) {
        sender.sent.clear();
        sender.answers = answers;
        t.dialogs.progress.clear();
        t.dialogs.sleeps.clear();
        EXPECT_EQ(actions.storeWrittenBlocks(block10, block11), failure ? 0 : 1) << sent;
        EXPECT_EQ(sender.commands(), sent);
        EXPECT_EQ(shows(QStringLiteral("status|%1|").arg(failure) + kRed), failure != nullptr)
            << sent;
        if (!failure) {
            EXPECT_EQ(t.dialogs.sleeps.front(), 250);
        }
    }
}

TEST_F(DisplayActionsTest, AgainstTheSimulatedDisplay) {
    DisplayBlocks live{t.program, values, session};
    DisplayActions onSim{t.program, session, session, live, values, link};
    EXPECT_EQ(onSim.runDisplayAction(action::kReadVersion), 1);
    EXPECT_EQ(onSim.reply(), 5);  // the display's interface version

    t.dialogs.boxAnswers.push_back(mb::ResultOk);
    values.values["VersCheck"] = "5";
    EXPECT_EQ(onSim.sendListCommand(14, "Hide factory setup menu"), 1);
    ASSERT_EQ(onSim.runCommand(onSim.readBlock(1), CommandStep::Start), 1);
    EXPECT_EQ(values.values["fs_CalibDone"], "1");
    ASSERT_EQ(live.readBlock(10, 3) + live.writeBlock(10, 3), 0);
    EXPECT_EQ(onSim.storeWrittenBlocks(true, false), 1);
    EXPECT_EQ(onSim.runCommand(CommandRoutine{}, CommandStep::Stop), 1);
    EXPECT_FALSE(connected());
}

}  // namespace
}  // namespace zh
