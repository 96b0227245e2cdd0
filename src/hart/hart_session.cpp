#include "hart_session.h"

#include <QFileInfo>

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "connection_probe.h"
#include "link_library.h"

namespace zh {
namespace {

constexpr int kBlue = rgb(0, 0, 255);
constexpr int kSteps = 7;
constexpr int kConnectCalls = 3;
constexpr int kServeEveryMs = 10;

QString hexBytes(const QByteArray& bytes) {
    QString s;
    for (char c : bytes) s += QStringLiteral("%1 ").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0')).toUpper();
    return s;
}

}  // namespace

HartSession::HartSession(Program& program, LinkLibrary& link, ConnectionProbe& probe)
    : p_(program), link_(link), probe_(probe), progress_(program) {
    // An answer takes 100 to 300 ms at 1200 bit/s; the window is served
    // every few milliseconds meanwhile, so it answers at once.
    link_.setWaitHook([this] { p_.dialogs.serveWhileWaiting(p_.state.DynamicDisplayOn); }, kServeEveryMs);
}

HartSession::~HartSession() { link_.setWaitHook(nullptr, 0); }

int HartSession::SendRequest(std::uint8_t command, const QByteArray& request, int expectedLength,
                             QByteArray* response, int tries) {
    Logger& log = p_.log;
    const int expected = std::clamp(expectedLength, 0, 255);
    log.DebugLog(QStringLiteral("    Request (Com=") + QString::number(command) + QStringLiteral(", Len=") +
                     QString::number(request.size()) + QLatin1Char('/') + QString::number(expected) +
                     QStringLiteral("): ") + hexBytes(request),
                 1);
    std::uint8_t buffer[1024] = {};
    std::uint8_t received = 0;
    int result = 0;
    for (int attempt = 1; attempt <= std::max(1, tries); ++attempt) {
        log.DebugLog(QStringLiteral("---> BaTinHrtCPr_SendRequest: i=") + QString::number(attempt), 1);
        // The length byte comes back with the received length, so every
        // try starts again from the expected one.
        received = static_cast<std::uint8_t>(expected);
        std::uint8_t r1 = 0;
        std::uint8_t r2 = 0;
        result = link_.SendRequest(command, static_cast<std::uint8_t>(request.size()),
                                   reinterpret_cast<const std::uint8_t*>(request.constData()), &received, buffer, &r1,
                                   &r2);
        if (result == 0) {
            ResCode1 = r1;
            ResCode2 = r2;
            if (expected == 0 || received == expected) break;
        }
        if (attempt < tries &&
            progress_.ShowRetry(p_.messages.LookupMessage(QStringLiteral("Retrying ..."), QStringLiteral("SerialIO")),
                                attempt + 1, tries)) {
            return kResultCancelled;
        }
    }
    if (result != 0) {
        log.DebugLog(QStringLiteral("+++1 SendRequest: res <> ERR_OK!"), -1);
        return result;
    }
    if (expected != 0 && received != expected) {
        log.DebugLog(QStringLiteral("+++2 SendRequest: Invalid length of data!"), -1);
        return 3;
    }
    const QByteArray data(reinterpret_cast<const char*>(buffer), expected == 0 ? 0 : expected);
    if (response) *response = data;
    log.DebugLog(QStringLiteral("    Response: (Len=") + QString::number(received) + QStringLiteral("): ") +
                     hexBytes(QByteArray(reinterpret_cast<const char*>(buffer), received)) +
                     QStringLiteral("    ResCode1=") + QString::number(ResCode1) + QStringLiteral(" ResCode2=") +
                     QString::number(ResCode2),
                 1);
    return 0;
}

int HartSession::fail(bool portOpened) {
    // A port that was opened is closed again: left open, the next Open of
    // the same port would fail until the program ends.
    if (portOpened) {
        link_.Disconnect();
        link_.Close();
    }
    p_.dialogs.progressClose();
    LinkOpen = 0;
    p_.state.ConnectionState = 0;
    p_.log.DebugLog(QStringLiteral(">>> Connecting ComPort") + p_.state.ComPort + QStringLiteral(" failed!)"), 1);
    return 0;
}

int HartSession::HartConnect(const QString& port, int override, ConnectScope scope) {
    AppState& s = p_.state;
    Dialogs& d = p_.dialogs;
    auto tr = [this](const char* text) {
        return p_.messages.LookupMessage(QString::fromUtf8(text), QStringLiteral("SerialIO"));
    };

    d.progressOpen(tr("HART"));
    d.progressSetBar(0, kBlue);
    d.progressSetStep(tr("Opening serial port ..."));
    if (!port.isEmpty()) s.ComPort = port;
    if (s.ComPort.isEmpty()) {
        s.ComPort = p_.profile.ReadProfile(QStringLiteral("Serial_IO"), QStringLiteral("ComPort"), QStringLiteral("Com4"),
                                           s.ProfilePath);
    }
    progress_.setPort(s.ComPort);
    p_.log.DebugLog(QStringLiteral(">>> HartConnect(ComPort=") + s.ComPort + QLatin1Char(')'), 1);
    p_.log.DebugLog(QStringLiteral("+++ setting windowtimer 200"), 6);

    if (LinkOpen == 0) {
        const QString expected = s.TransmitterDisplay.toLower();
        DisplayPresent = expected == QLatin1String("transmitter") ? 0 : 1;
        TransmitterPresent = expected == QLatin1String("display") ? 0 : 1;
        s.TransmDisplay = expected == QLatin1String("transmitter") ? QStringLiteral("transmitter")
                          : expected == QLatin1String("display")   ? QStringLiteral("display")
                                                                   : QStringLiteral("all");
    }

    if (progress_.ShowStep(QStringLiteral("BaTinCPr_Configure"), tr("Configure HART interface"), QString(), 1, kSteps)) {
        return fail(false);
    }
    const int configured = link_.Configure(static_cast<std::uint8_t>(s.HartAddress), 2, 20, 2, 1, 0,
                                           static_cast<std::uint16_t>(override == -1 ? 0 : override), 10, 0);
    if (progress_.CheckStep(configured, 0, tr("Function failed!"), link_.lastErrorText())) return fail(false);

    // The probe: a hanging modem hangs a second process, not this one.
    d.progressSetBar(100, kBlue);
    d.sleep(200);
    bool probed = false;
    for (int attempt = 1; attempt <= s.ConnectRetry && !probed; ++attempt) {
        switch (probe_.run(s.ComPort, s.ConnectTimeout)) {
            case ConnectionProbe::Outcome::Ended:
                probed = true;
                break;
            case ConnectionProbe::Outcome::NotStarted:
                progress_.ErrMessage(-1, QStringLiteral("cant run ") + QFileInfo(s.ExecutableName).fileName());
                return fail(false);
            case ConnectionProbe::Outcome::Cancelled:
                progress_.ErrMessage(kResultCancelled, QStringLiteral("Connection probe"));
                return fail(false);
            case ConnectionProbe::Outcome::TimedOut:
                p_.log.DebugLog(QStringLiteral("+++ Retrying HartConnect!"), 1);
                d.progressSetBar(std::max(0, 100 - 33 * attempt), kBlue);
                break;
        }
    }
    if (!probed) {
        LinkOpen = 0;
        s.ConnectionState = 0;
        progress_.ErrMessage(-1, tr("Cannot connect To HART Interface!"));
        return fail(false);
    }

    if (progress_.ShowStep(QStringLiteral("BaTinCPr_Open"), tr("Opening serial port ..."), QString(), 2, kSteps)) {
        return fail(false);
    }
    const int opened = link_.Open(link_.preparePort(s.ComPort));
    if (opened != 0 && link_.GetComPortStatus() == 0) link_.Close();
    if (progress_.CheckStep(opened, 0, progress_.errorText(opened, QStringLiteral("BaTinHrtCPr_Open")),
                            link_.lastErrorText())) {
        return fail(false);
    }

    if (progress_.ShowStep(QStringLiteral("BaTinCPr_Connect"), tr("Connecting serial port ..."), QString(), 3, kSteps)) {
        return fail(true);
    }
    int connected = 0;
    for (int call = 1; call <= kConnectCalls; ++call) {
        std::uint8_t arg = 0;
        connected = link_.Connect(&arg);
        if (connected == 0) break;
        p_.log.DebugLog(QStringLiteral("+++ reconnecting (") + QString::number(connected) + QLatin1Char(')'), 1);
        if (call < kConnectCalls) d.sleep(200);
    }
    if (progress_.CheckStep(connected, 0, progress_.errorText(connected, QStringLiteral("BaTinHrtCPr_Connect")),
                            link_.lastErrorText())) {
        return fail(true);
    }

    // The identity comes with the connection; no frame of its own.
    decodeIdentity(link_.identityAnswer(), &identity_);
    if (identity_.valid) p_.log.DebugLog(QStringLiteral(">>> Connected to ") + identityText(identity_), 1);

    if (LinkOpen == 1) return 1;

    if (scope == ConnectScope::Universal) {
        LinkOpen = 1;
        return 1;
    }

    if (s.TransmDisplay != QLatin1String("transmitter")) {
        if (!detectDisplay()) return fail(true);
    } else {
        DisplayPresent = 0;
    }
    if (s.TransmDisplay != QLatin1String("display")) {
        if (!detectTransmitter()) return fail(true);
    } else {
        TransmitterPresent = 0;
    }

    LinkOpen = 1;
    const QString found = DisplayPresent && TransmitterPresent ? QStringLiteral("all")
                          : DisplayPresent                     ? QStringLiteral("display")
                          : TransmitterPresent                 ? QStringLiteral("transmitter")
                                                               : QString();
    p_.log.DebugLog(QStringLiteral("HartConnect: Disp=") + QString::number(DisplayPresent) + QStringLiteral(" Transm=") +
                        QString::number(TransmitterPresent) + QStringLiteral(" TransmDisplay=") + s.TransmDisplay,
                    6);
    if (found.isEmpty()) return fail(true);

    const QString configured2 = s.TransmitterDisplay.toLower();
    if (configured2 != QLatin1String("auto") && configured2 != found) {
        p_.messages.MsgBox(QStringLiteral("Error"), QStringLiteral("Invalid device connected ({device})!\t") + found,
                           mb::Ok | mb::IconError);
        s.TransmDisplay = configured2;
        return fail(true);
    }
    s.TransmDisplay = found;
    return 1;
}

void HartSession::HartDisConnect() {
    link_.Disconnect();
    link_.Close();
    p_.log.DebugLog(QStringLiteral(">>> HartDisConnect: Disconnected ") + p_.state.ComPort + QLatin1Char('!'), 1);
    p_.dialogs.progressClose();
}

}  // namespace zh
