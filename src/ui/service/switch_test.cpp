#include "ui/service/switch_test.h"

#include "app/clock.h"
#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "hart/display_actions.h"
#include "hart/hart_session.h"

namespace zh {
namespace {

// The module's switch-test actions.
constexpr int kBothOff = 30;
constexpr int kOutput1On = 31;
constexpr int kOutput2On = 32;
constexpr int kEndOfTest = 34;

constexpr int kPasses = 10;
constexpr int kGreen = rgb(0, 185, 0);

// The message time as it was, back on every way out of the test.
class MessageTimeKept {
  public:
    explicit MessageTimeKept(AppState& s) : s_(s), kept_(s.MessageDisplayTime) {}
    ~MessageTimeKept() { s_.MessageDisplayTime = kept_; }
    MessageTimeKept(const MessageTimeKept&) = delete;
    MessageTimeKept& operator=(const MessageTimeKept&) = delete;

  private:
    AppState& s_;
    int kept_;
};

}  // namespace

SwitchTest::SwitchTest(Program& program, HartSession& session, DisplayActions& actions)
    : p_(program), session_(session), actions_(actions) {}

bool SwitchTest::send(int code, CommandStep step) {
    actions_.Aktion = static_cast<std::uint8_t>(code);
    return actions_.runCommand(actions_.com192(), step) == 1;
}

// Holds the state the module was just put in; the time the window takes to
// show the outputs counts towards it.
void SwitchTest::hold() {
    const std::int64_t start = p_.clock.nowMs();
    if (showOutputs) showOutputs();
    const std::int64_t left = kHoldMs - (p_.clock.nowMs() - start);
    if (left > 0) p_.dialogs.sleep(static_cast<int>(left));
}

SwitchTest::Outcome SwitchTest::run(int output) {
    AppState& s = p_.state;
    Dialogs& d = p_.dialogs;
    const int code = output == 2 ? kOutput2On : kOutput1On;
    p_.log.debugLog(QStringLiteral(">>> SwitchTest(") + QString::number(output) + QLatin1Char(')'),
                    3);

    const MessageTimeKept kept(s);
    s.MessageDisplayTime /= 1000;
    const bool connectedHere = s.ConnectionState == 0;
    if (connectedHere) {
        if (session_.connectDevice() != 1) return Outcome::NotConnected;
        s.ConnectionState = 1;
    } else {
        d.progressOpen(
            p_.messages.lookupMessage(QStringLiteral("HART"), QStringLiteral("SerialIO")));
    }

    Outcome outcome = Outcome::Done;
    d.progressSetBar(100, kGreen);
    if (!send(code, CommandStep::Start)) {
        outcome = Outcome::Failed;
    } else {
        hold();
        const CommandStep going = CommandStep::Continue;
        for (int n = 100; n > 100 - kPasses * 10 && outcome == Outcome::Done; n -= 10) {
            d.progressSetBar(n - 5, kGreen);
            if (!send(kBothOff, going)) {
                outcome = Outcome::Failed;
                break;
            }
            hold();
            if (d.servePendingEvents()) {
                outcome = Outcome::Cancelled;
                break;
            }
            d.progressSetBar(n - 10, kGreen);
            if (!send(code, going)) {
                outcome = Outcome::Failed;
                break;
            }
            hold();
            if (d.servePendingEvents()) outcome = Outcome::Cancelled;
        }
    }
    // The outputs follow the input again, whatever ended the passes.
    if (!send(kEndOfTest, CommandStep::NoConfirm)) outcome = Outcome::NotEnded;
    d.progressClose();
    if (connectedHere && s.ConnectionState != 0) {
        session_.disconnectDevice();
        s.ConnectionState = 0;
    }
    return outcome;
}

}  // namespace zh
