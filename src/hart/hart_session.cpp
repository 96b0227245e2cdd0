#include "hart_session.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/presence.h"
#include "app/program.h"
#include "connection_probe.h"
#include "link_library.h"
#include "response_codes.h"

namespace zh {
namespace {

constexpr int kBlue = rgb(0, 0, 255);
constexpr int kSteps = 7;
constexpr int kServeEveryMs = 10;
constexpr int kBusyPauseMs = 500;
constexpr int kDelayedPauseMs = 200;
constexpr int kDelayedTimeOutMs = 10000;

QString hexBytes(const QByteArray& bytes) {
    QString s;
    for (char c : bytes)
        s += QStringLiteral("%1 ")
                 .arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'))
                 .toUpper();
    return s;
}

void logResponse(Logger& log, const QByteArray& bytes, int status1, int status2,
                 const QString& note = QString()) {
    log.debugLog(QStringLiteral("    Response: (Len=") + QString::number(bytes.size()) +
                     QStringLiteral("): ") + hexBytes(bytes) + QStringLiteral("    ResCode1=") +
                     QString::number(status1) + QStringLiteral(" ResCode2=") +
                     QString::number(status2) + note,
                 1);
}

// The fault of the library's last try in its words ("no valid answer (bad
// check byte)"), without the result name and try number before it; "" when
// the text names no try.
QString lastTryFault(const QString& libraryText) {
    static const QRegularExpression lastTry(QStringLiteral(".*try \\d+: "));
    const QRegularExpressionMatch m = lastTry.match(libraryText);
    return m.hasMatch() ? libraryText.mid(m.capturedEnd()) : QString();
}

}  // namespace

HartSession::HartSession(Program& program, LinkLibrary& link, ConnectionProbe& probe)
    : p_(program), link_(link), probe_(probe), progress_(program) {
    // An answer takes 100 to 300 ms at 1200 bit/s; the window is served
    // every few milliseconds meanwhile, so it answers at once.
    link_.setWaitHook([this] { p_.dialogs.serveWhileWaiting(p_.state.DynamicDisplayOn); },
                      kServeEveryMs);
}

HartSession::~HartSession() {
    link_.setWaitHook(nullptr, 0);
}

// How the session goes on after one try of a request.
HartSession::TryOutcome HartSession::judge(int result, std::uint8_t command, int expected,
                                           int received) const {
    if (result != 0) return TryOutcome::Again;
    if (ResCode1 == kResponseBusy || ResCode1 == kResponseDelayedConflict) return TryOutcome::Busy;
    if (ResCode1 == kResponseDelayedInitiated || ResCode1 == kResponseDelayedRunning)
        return TryOutcome::Delayed;
    if (ResCode1 != 0 && !isWarningCode(ResCode1)) return TryOutcome::Refused;
    // The newer revisions add data at the end of universal and common-practice
    // answers; our own commands keep their exact layout.
    const bool fits = expected == 0 || received == expected ||
                      (command < kFirstDeviceSpecificCommand && received > expected);
    return fits ? TryOutcome::Done : TryOutcome::Again;
}

// Waits `ms` while serving the window; true when Cancel was pressed.
bool HartSession::pause(const QString& text, int ms) {
    p_.dialogs.progressSetStatus(text, rgb(255, 0, 0));
    p_.dialogs.sleep(ms);
    return p_.dialogs.servePendingEvents();
}

// True when this connection holds the answer already; it stands for the
// device's then.
bool HartSession::answerKept(std::uint8_t command, const QByteArray& request, int expected,
                             QByteArray* response) {
    const AnswerCache::Answer* kept = answers_.find(command, request, expected);
    if (!kept) return false;
    ResCode1 = kept->status1;
    ResCode2 = kept->status2;
    if (response) *response = kept->data;
    logResponse(p_.log, kept->data, ResCode1, ResCode2,
                QStringLiteral(" (answered from this connection)"));
    return true;
}

// The device's reason for the progress window and the log.
int HartSession::refuse(std::uint8_t command) {
    const QString text = refusalText(ResCode1, ResCode2);
    progress_.setRefusal(text);
    p_.log.debugLog(QStringLiteral("+++3 SendRequest: command ") + QString::number(command) +
                        QStringLiteral(" refused: ") + text,
                    -1);
    return kResultRefused;
}

// The port is closed at once: a modem plugged in again comes back on a new
// open, and the next connectDevice makes one.
int HartSession::modemGone() {
    p_.log.debugLog(QStringLiteral("+++ SendRequest: the modem on ") + p_.state.ComPort +
                        QStringLiteral(" was disconnected"),
                    -1);
    modemLost_ = true;
    answers_.clear();
    link_.disconnect();
    link_.close();
    LinkOpen = 0;
    p_.state.ConnectionState = 0;
    return kResultDisconnected;
}

int HartSession::sendRequest(std::uint8_t command, const QByteArray& request, int expectedLength,
                             QByteArray* response, int tries) {
    Logger& log = p_.log;
    fate_ = RequestFate::NotSent;
    if (modemLost_) return kResultDisconnected;
    const int expected = std::clamp(expectedLength, 0, 255);
    log.debugLog(QStringLiteral("    Request (Com=") + QString::number(command) +
                     QStringLiteral(", Len=") + QString::number(request.size()) + QLatin1Char('/') +
                     QString::number(expected) + QStringLiteral("): ") + hexBytes(request),
                 1);
    if (withheld(command, request)) {
        log.debugLog(QStringLiteral("+++ SendRequest: command ") + QString::number(command) +
                         QStringLiteral(" not sent, the device is not one of ours"),
                     -1);
        return kResultWithheld;
    }
    if (answerKept(command, request, expected, response)) {
        fate_ = RequestFate::Done;
        return 0;
    }
    answers_.sending(command);
    std::uint8_t buffer[1024] = {};
    std::uint8_t received = 0;
    int result = 0;
    TryOutcome outcome = TryOutcome::Again;
    QElapsedTimer delayed;
    // Once a try went out without a usable answer, or the device took the
    // request as a delayed response, the device may have carried it out,
    // whatever the later tries meet; only a usable answer settles it.
    bool unanswered = false;
    const auto ended = [&](int r) {
        fate_ = unanswered ? RequestFate::Unanswered : RequestFate::NotSent;
        return r;
    };
    progress_.setLinkFault(QString());
    for (int attempt = 1;;) {
        log.debugLog(QStringLiteral("---> BaTinHrtCPr_SendRequest: i=") + QString::number(attempt),
                     1);
        // The length byte comes back with the received length, so every
        // try starts again from the expected one.
        received = static_cast<std::uint8_t>(expected);
        std::uint8_t r1 = 0;
        std::uint8_t r2 = 0;
        result = link_.sendRequest(command, static_cast<std::uint8_t>(request.size()),
                                   reinterpret_cast<const std::uint8_t*>(request.constData()),
                                   &received, buffer, &r1, &r2);
        if (result == 0) {
            ResCode1 = r1;
            ResCode2 = r2;
            deviceStatus_ |= r2;
        }
        if (result == kResultDisconnected) return ended(modemGone());
        outcome = judge(result, command, expected, received);
        if (result != 0) {
            progress_.setLinkFault(lastTryFault(link_.lastErrorText()));
        } else if (outcome == TryOutcome::Again) {
            progress_.setLinkFault(QStringLiteral("answer with %1 data bytes, %2 expected")
                                       .arg(received)
                                       .arg(expected));
        }
        // The library returns these only after the request went out.
        if (result == kResultCommunication || result == kResultNoResponse ||
            outcome == TryOutcome::Delayed || (result == 0 && outcome == TryOutcome::Again)) {
            unanswered = true;
        }
        if (outcome == TryOutcome::Done || outcome == TryOutcome::Refused) break;
        if (outcome == TryOutcome::Delayed) {
            // The device works on it: the same request again until it says
            // how it ended, within a bound. Not counted as a try.
            if (!delayed.isValid()) delayed.start();
            if (delayed.elapsed() >= kDelayedTimeOutMs) break;
            if (pause(responseCodeText(ResCode1), kDelayedPauseMs)) return ended(kResultCancelled);
            continue;
        }
        if (attempt >= tries) break;
        ++attempt;
        if (progress_.showRetry(p_.messages.lookupMessage(QStringLiteral("Retrying ..."),
                                                          QStringLiteral("SerialIO")),
                                attempt, tries)) {
            return ended(kResultCancelled);
        }
        // The library has asked again already; busy needs a longer breath.
        if (outcome == TryOutcome::Busy && pause(responseCodeText(ResCode1), kBusyPauseMs))
            return ended(kResultCancelled);
    }
    if (result != 0) {
        log.debugLog(QStringLiteral("+++1 SendRequest: res <> ERR_OK!"), -1);
        return ended(result);
    }
    if (outcome == TryOutcome::Busy || outcome == TryOutcome::Delayed ||
        outcome == TryOutcome::Refused) {
        fate_ = unanswered ? RequestFate::Unanswered : RequestFate::NotDone;
        return refuse(command);
    }
    if (outcome != TryOutcome::Done) {
        log.debugLog(QStringLiteral("+++2 SendRequest: Invalid length of data!"), -1);
        return ended(kResultUnusableAnswer);
    }
    fate_ = RequestFate::Done;
    // With no length expected, the whole answer.
    const QByteArray data(reinterpret_cast<const char*>(buffer),
                          expected == 0 ? received : expected);
    if (response) *response = data;
    answers_.keep(command, request, {data, ResCode1, ResCode2});
    logResponse(log, QByteArray(reinterpret_cast<const char*>(buffer), received), ResCode1,
                ResCode2);
    return 0;
}

int HartSession::fail(bool portOpened) {
    // A port that was opened is closed again: left open, the next Open of
    // the same port would fail until the program ends.
    if (portOpened) {
        link_.disconnect();
        link_.close();
    }
    p_.dialogs.progressClose();
    LinkOpen = 0;
    p_.state.ConnectionState = 0;
    p_.log.debugLog(
        QStringLiteral(">>> Connecting ComPort") + p_.state.ComPort + QStringLiteral(" failed!)"),
        1);
    return 0;
}

// One step of connectDevice: the progress step it shows first (none when
// `name` is null), what it does, and whether a failure has the port to close.
struct HartSession::ConnectStep {
    const char* name;
    const char* text;
    int number;
    StepEnd (HartSession::*action)(const ConnectCall& call);
    bool portOpened;
};

int HartSession::connectDevice(const QString& port, int override, ConnectScope scope) {
    static const ConnectStep kConnectSteps[] = {
        {nullptr, nullptr, 0, &HartSession::beginConnect, false},
        {"BaTinCPr_Configure", "Configure HART interface", 1, &HartSession::configureInterface,
         false},
        {nullptr, nullptr, 0, &HartSession::probeInterface, false},
        {"BaTinCPr_Open", "Opening serial port ...", 2, &HartSession::openPort, false},
        {"BaTinCPr_Connect", "Connecting serial port ...", 3, &HartSession::connectPort, true},
        {nullptr, nullptr, 0, &HartSession::learnIdentity, true},
        {nullptr, nullptr, 0, &HartSession::detectParts, true},
        {nullptr, nullptr, 0, &HartSession::concludeParts, true},
    };
    const ConnectCall call{port, override, scope};
    for (const ConnectStep& step : kConnectSteps) {
        if (step.name && progress_.showStep(QString::fromLatin1(step.name), serialText(step.text),
                                            QString(), step.number, kSteps)) {
            return fail(step.portOpened);
        }
        switch ((this->*step.action)(call)) {
            case StepEnd::Next:
                break;
            case StepEnd::Connected:
                return 1;
            case StepEnd::Failed:
                return fail(step.portOpened);
        }
    }
    return 1;
}

QString HartSession::serialText(const char* text) const {
    return p_.messages.lookupMessage(QString::fromUtf8(text), QStringLiteral("SerialIO"));
}

// The progress window, the port, and what the connection looks for.
HartSession::StepEnd HartSession::beginConnect(const ConnectCall& call) {
    AppState& s = p_.state;
    Dialogs& d = p_.dialogs;
    d.progressOpen(serialText("HART"));
    d.progressSetBar(0, kBlue);
    d.progressSetStep(serialText("Opening serial port ..."));
    if (!call.port.isEmpty()) s.ComPort = call.port;
    if (s.ComPort.isEmpty()) {
        s.ComPort = p_.profile.readProfile(QStringLiteral("Serial_IO"), QStringLiteral("ComPort"),
                                           QStringLiteral("Com4"), s.ProfilePath);
    }
    progress_.setPort(s.ComPort);
    modemLost_ = false;
    deviceStatus_ = 0;
    p_.log.debugLog(QStringLiteral(">>> HartConnect(ComPort=") + s.ComPort + QLatin1Char(')'), 1);
    p_.log.debugLog(QStringLiteral("+++ setting windowtimer 200"), 6);

    if (LinkOpen == 0) lookForPartsAnew();
    return StepEnd::Next;
}

// The parts the profile asks for, not yet known to answer.
void HartSession::lookForPartsAnew() {
    AppState& s = p_.state;
    ForeignDevice = 0;
    const Presence asked = parsePresence(s.TransmitterDisplay.toLower());
    DisplayPresent = asked == Presence::Transmitter ? 0 : 1;
    TransmitterPresent = asked == Presence::Display ? 0 : 1;
    const bool one = asked == Presence::Transmitter || asked == Presence::Display;
    s.TransmDisplay = presenceText(one ? asked : Presence::All);
}

HartSession::StepEnd HartSession::configureInterface(const ConnectCall& call) {
    const int configured =
        link_.configure(static_cast<std::uint8_t>(p_.state.HartAddress), 2, 20, 0, 1, 0,
                        static_cast<std::uint16_t>(call.override == -1 ? 0 : call.override), 10, 0);
    return progress_.checkStep(configured, 0, serialText("Function failed!"), link_.lastErrorText())
               ? StepEnd::Failed
               : StepEnd::Next;
}

// The probe: a hanging modem hangs a second process, not this one.
HartSession::StepEnd HartSession::probeInterface(const ConnectCall&) {
    AppState& s = p_.state;
    Dialogs& d = p_.dialogs;
    d.progressSetBar(100, kBlue);
    d.sleep(200);
    probe_.setPollingAddress(s.HartAddress);
    for (int attempt = 1; attempt <= s.ConnectRetry; ++attempt) {
        switch (probe_.run(s.ComPort, s.ConnectTimeout)) {
            case ConnectionProbe::Outcome::Ended:
                return StepEnd::Next;
            case ConnectionProbe::Outcome::NotStarted:
                progress_.showErrorMessage(
                    -1, QStringLiteral("cant run ") + QFileInfo(s.ExecutableName).fileName());
                return StepEnd::Failed;
            case ConnectionProbe::Outcome::Cancelled:
                progress_.showErrorMessage(kResultCancelled, QStringLiteral("Connection probe"));
                return StepEnd::Failed;
            case ConnectionProbe::Outcome::TimedOut:
                p_.log.debugLog(QStringLiteral("+++ Retrying HartConnect!"), 1);
                d.progressSetBar(std::max(0, 100 - 33 * attempt), kBlue);
                break;
        }
    }
    LinkOpen = 0;
    s.ConnectionState = 0;
    progress_.showErrorMessage(-1, serialText("Cannot connect To HART Interface!"));
    return StepEnd::Failed;
}

HartSession::StepEnd HartSession::openPort(const ConnectCall&) {
    const int opened = link_.open(link_.preparePort(p_.state.ComPort));
    if (opened != 0 && link_.comPortStatus() == 0) link_.close();
    return progress_.checkStep(opened, 0,
                               progress_.errorText(opened, QStringLiteral("BaTinHrtCPr_Open")),
                               link_.lastErrorText())
               ? StepEnd::Failed
               : StepEnd::Next;
}

// The library makes one try per call: the tries are counted here, once
// (the line's quiet time before the next is the library's).
HartSession::StepEnd HartSession::connectPort(const ConnectCall&) {
    int connected = 0;
    progress_.setLinkFault(QString());
    const int tries = std::max(1, p_.state.RequestTries);
    for (int call = 1; call <= tries; ++call) {
        std::uint8_t arg = 0;
        connected = link_.connect(&arg);
        // Only silence and a garbled answer are worth another try.
        if (connected != kResultNoResponse && connected != kResultCommunication) break;
        p_.log.debugLog(
            QStringLiteral("+++ reconnecting (") + QString::number(connected) + QLatin1Char(')'),
            1);
    }
    return progress_.checkStep(
               connected, 0, progress_.errorText(connected, QStringLiteral("BaTinHrtCPr_Connect")),
               link_.lastErrorText())
               ? StepEnd::Failed
               : StepEnd::Next;
}

// The identity comes with the connection; no frame of its own. A link that
// was open already, and the universal view, need no more.
HartSession::StepEnd HartSession::learnIdentity(const ConnectCall& call) {
    decodeIdentity(link_.identityAnswer(), &identity_);
    answers_.clear();
    if (identity_.valid) answers_.keep(0, QByteArray(), {identity_.raw});
    if (identity_.valid)
        p_.log.debugLog(QStringLiteral(">>> Connected to ") + identityText(identity_), 1);

    if (LinkOpen == 1) {
        // What the link found holds for the device it was found on, and for
        // the parts the profile asked for then: another device on the line
        // (swapped since) or another choice is looked into anew, before any
        // command of ours reaches it.
        if (sameDevice(identity_, detected_) &&
            detectedChoice_ == p_.state.TransmitterDisplay.toLower())
            return StepEnd::Connected;
        p_.log.debugLog(QStringLiteral(">>> Not the device or parts found before: detecting anew"),
                        1);
        LinkOpen = 0;
        lookForPartsAnew();
    }
    detected_ = DeviceIdentity{};

    // Until it answers as ours, a device the profile does not list gets no
    // command of ours beyond the reads that look for our parts.
    ForeignDevice = identityListedAsOurs() ? 0 : 1;
    if (call.scope == ConnectScope::Universal) {
        LinkOpen = 1;
        return StepEnd::Connected;
    }
    return StepEnd::Next;
}

HartSession::StepEnd HartSession::detectParts(const ConnectCall&) {
    const Presence looked = parsePresence(p_.state.TransmDisplay);
    if (looked != Presence::Transmitter) {
        if (!detectDisplay()) return StepEnd::Failed;
    } else {
        DisplayPresent = 0;
    }
    if (looked != Presence::Display) {
        if (!detectTransmitter()) return StepEnd::Failed;
    } else {
        TransmitterPresent = 0;
    }
    if (ForeignDevice) {
        nameForeignDevice();
        return StepEnd::Failed;
    }
    return StepEnd::Next;
}

// What was found must be what the profile asks for, unless it asks "auto".
HartSession::StepEnd HartSession::concludeParts(const ConnectCall&) {
    AppState& s = p_.state;
    LinkOpen = 1;
    const Presence found = DisplayPresent && TransmitterPresent ? Presence::All
                           : DisplayPresent                     ? Presence::Display
                           : TransmitterPresent                 ? Presence::Transmitter
                                                                : Presence::Unknown;
    p_.log.debugLog(QStringLiteral("HartConnect: Disp=") + QString::number(DisplayPresent) +
                        QStringLiteral(" Transm=") + QString::number(TransmitterPresent) +
                        QStringLiteral(" TransmDisplay=") + s.TransmDisplay,
                    6);
    const QString asked = s.TransmitterDisplay.toLower();
    const Presence configured = parsePresence(asked);
    if (found == Presence::Unknown) {
        // None of the parts looked for answers: say which.
        progress_.checkStep(kResultPartMissing, 0, serialText(missingPartMessage(configured)),
                            QString());
        return StepEnd::Failed;
    }
    if (configured != Presence::Auto && configured != found) {
        p_.messages.showMessageBox(
            QStringLiteral("Error"),
            QStringLiteral("Invalid device connected ({device})!\t") + presenceText(found),
            mb::Ok | mb::IconError);
        s.TransmDisplay = asked;
        return StepEnd::Failed;
    }
    s.TransmDisplay = presenceText(found);
    detected_ = identity_;
    detectedChoice_ = asked;
    return StepEnd::Connected;
}

void HartSession::disconnectDevice() {
    answers_.clear();
    link_.disconnect();
    link_.close();
    p_.log.debugLog(
        QStringLiteral(">>> HartDisConnect: Disconnected ") + p_.state.ComPort + QLatin1Char('!'),
        1);
    p_.dialogs.progressClose();
}

}  // namespace zh
