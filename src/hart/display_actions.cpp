#include "display_actions.h"

#include <algorithm>
#include <iterator>

#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/presence.h"
#include "app/program.h"
#include "display_blocks.h"
#include "hart_session.h"
#include "link_library.h"
#include "raw_values.h"
#include "response_codes.h"
#include "wire_values.h"

namespace zh {
namespace {

constexpr int kBlue = rgb(0, 0, 255);
constexpr int kGreen = rgb(0, 185, 0);
constexpr int kOrange = rgb(230, 120, 0);
constexpr std::uint8_t kProbeCommand = 81;
constexpr int kProbeBufferSize = 1024;
// A teach action is answered only once the module has taken its reading.
constexpr int kTeachAnswerMs = 6000;

struct ActionEntry {
    int code;
    const char* text;
};

const ActionEntry kActions[] = {
    {0, "Teach 4 mA"},
    {1, "Teach 20 mA"},
    {2, "Teach lower range"},
    {3, "Clear low trailing Pointer"},
    {4, "Clear high trailing Pointer"},
    {5, "Copy to EEPROM"},
    {6, "Current data as factory setting"},
    {7, "Restore factory setting"},
    {8, "rotate display by 180°"},
    {9, "rotate display by 0°"},
    {10, "toggle display rotation/orientation"},
    {11, "show MCU type ID, Firmware build date and time"},
    {12, "Restart und fact-setting"},
    {13, "re-read config from Transmitter And re-init display"},
    {14, "set 'Done=1' and do post setup"},
    {20, "re-init Interrupt controlled limit switch"},
    {21, "re-init Interrupt controlled limit switch"},
    {22, "Read VersCheck configuration"},
    {23, "Read any int16 word from configuration"},
    {24, "quick Read display Firmware version"},
    {25, "load custom Unit from EEPROM To RAM IO buffer"},
    {26, "save custom Unit table entry from RAM buffer To EEPROM"},
    {30, "SP1 and SP2 off"},
    {31, "SP1 on"},
    {32, "SP2 on"},
    {34, "End SP test"},
    {201, "Simulate display button 1"},
    {202, "Simulate display button 2"},
    {203, "Simulate display button 3"},
    {204, "Simulate display button 1 + 3"},
    {205, "Simulate display button 1 + 3 > 1 < 2 sec"},
    {206, "Simulate display button 2 > 1 sec"},
    {255, "Copy EEPROM to RAM"},
};

struct DescriptionEntry {
    CommandId id;
    const char* text;
};

const DescriptionEntry kDescriptions[] = {
    {CommandId::Com0, "Read Unique Identifier"},
    {CommandId::Com1, ""},
    {CommandId::Com35, "Write range values"},
    {CommandId::Com36, "Set upper range"},
    {CommandId::Com37, "Set lower lange"},
    {CommandId::Com40, "Enter/Exit fixed current mode"},
    {CommandId::Com45, "Trim DAC zero"},
    {CommandId::Com46, "Trim DAC gain"},
    {CommandId::Com142, "Read Display configuration"},
    {CommandId::Com192, "Function: {Action}"},
    {CommandId::Com200, "Generate copy of EEPROM"},
    {CommandId::Com201, "Restore copy of EEPROM"},
    {CommandId::ReadBlock0, "Transfer production specific data"},
    {CommandId::ReadBlock1, "Read display admin data"},
    {CommandId::WriteBlock1, "Write display admin data"},
    {CommandId::ReadBlock12, "Transfer ADC calibration & display scaling"},
    {CommandId::ReadBlock12Logged, "Transfer ADC calibration & display scaling"},
    {CommandId::ReadBlock60, "Read trailing pointer"},
    {CommandId::ReadBlock89, "Read display data"},
};

// The command a routine sends, for the words of its response codes; -1
// for the block routines and for none.
int commandOf(CommandId id) {
    switch (id) {
        case CommandId::Com35:
            return 35;
        case CommandId::Com36:
            return 36;
        case CommandId::Com37:
            return 37;
        case CommandId::Com40:
            return 40;
        case CommandId::Com45:
            return 45;
        case CommandId::Com46:
            return 46;
        case CommandId::Com192:
            return 192;
        default:
            return -1;
    }
}

// The range and loop-current writes: their warning codes come with the
// command carried out.
bool warnsWhenDone(int command) {
    return command >= 35 && command <= 46;
}

bool knownAction(int code) {
    for (const ActionEntry& a : kActions) {
        if (a.code == code) return true;
    }
    return false;
}

QString hexByte(int value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

DisplayActions::DisplayActions(Program& program, HartSession& session, RequestSender& sender,
                               DisplayBlocks& blocks, RawValues& values, LinkLibrary& link)
    : p_(program),
      session_(session),
      sender_(sender),
      blocks_(blocks),
      values_(values),
      link_(link) {}

QString DisplayActions::tr(const QString& text) {
    return p_.messages.lookupMessage(text, QStringLiteral("SerialIO"));
}

QString DisplayActions::actionText(int code) {
    for (const ActionEntry& a : kActions) {
        if (a.code == code) return QString::fromUtf8(a.text);
    }
    return QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
}

bool DisplayActions::changesConfiguration(int code) {
    static constexpr int kChanging[] = {0, 1, 2, 8, 9, 10, 12, 255};
    return std::find(std::begin(kChanging), std::end(kChanging), code) != std::end(kChanging);
}

QString DisplayActions::stepDescription(CommandId id, int override) {
    for (const DescriptionEntry& d : kDescriptions) {
        if (d.id != id) continue;
        const QString text = QString::fromUtf8(d.text);
        if (id != CommandId::Com192) return text.isEmpty() ? text : tr(text);
        return p_.messages.lookupMessage(text + QLatin1Char('\t') + currentActionText(),
                                         QStringLiteral("SerialIO"));
    }
    return QLatin1Char('*') + QString::number(override);
}

QString DisplayActions::currentActionText() {
    // An unknown code has no text to translate: it shows as "(code)".
    return knownAction(Aktion) ? tr(actionText(Aktion)) : actionText(Aktion);
}

// ---- The command executor ----------------------------------------------------

void DisplayActions::disconnect() {
    if (connectedBefore_ || p_.state.ConnectionState == 0) return;
    session_.disconnectDevice();
    p_.state.ConnectionState = 0;
}

QString toLogWord(CommandStep step) {
    switch (step) {
        case CommandStep::Single:
            return QString();
        case CommandStep::Start:
            return QStringLiteral("start");
        case CommandStep::Continue:
            return QStringLiteral("continue");
        case CommandStep::Stop:
            return QStringLiteral("stop");
        case CommandStep::NoConfirm:
            return QStringLiteral("noconfirm");
        case CommandStep::Quiet:
            break;
    }
    return QStringLiteral("none");
}

int DisplayActions::runCommand(const CommandRoutine& routine, CommandStep step,
                               const QString& stepText, int tries, int override) {
    Dialogs& d = p_.dialogs;
    if (tries == -1) tries = p_.state.RequestTries;
    const bool none = step == CommandStep::Quiet;

    if (routine.run) {
        QString description;
        if (stepText.isEmpty()) {
            description = stepDescription(routine.id, override);
        } else {
            description =
                p_.messages.fillPlaceholders(stepText + QLatin1Char('\t') + currentActionText());
        }
        p_.log.debugLog(QStringLiteral(">> HartCommand(") + toLogWord(step) + QLatin1Char(')'), 4);

        if (step == CommandStep::Single || step == CommandStep::Start) {
            connectedBefore_ = p_.state.ConnectionState != 0;
            warnings_.clear();
            d.progressOpen(tr(QStringLiteral("HART")));
            if (p_.state.ConnectionState == 0) {
                if (session_.connectDevice(QString(), override) != 1) {
                    d.progressClose();
                    return 0;
                }
                p_.state.ConnectionState = 1;
            }
        }

        int result = kResultCancelled;
        bool refusedByDevice = false;
        const int command = commandOf(routine.id);
        session_.forgetRequestFate();  // what became of an earlier request is not this one's
        if (!session_.progress().showStep(tr(QStringLiteral("Data transfer ...")), description,
                                          QString(), 0, 0)) {
            session_.ResCode1 = 0;  // a code left from an earlier answer is no refusal of this one
            result = routine.run(tries);
            const int code = sender_.resCode1();
            // A warning code comes with the command carried out: the device
            // did it, and the person learns what it added.
            if (result == 0 && code != 0 && warnsWhenDone(command) && isWarningCode(code)) {
                warnings_ << description + QStringLiteral(": ") + responseCodeText(code, command);
                p_.log.debugLog(QStringLiteral("   Warning of the device: ") + warnings_.last(), 1);
            } else {
                // The exchange worked but the device refused the command.
                refusedByDevice =
                    (result == 0 || result == kResultUnusableAnswer || result == kResultRefused) &&
                    code != 0;
                if (refusedByDevice) result = kResultUnusableAnswer;
            }
        }
        if (result != 0) {
            if (none) return 0;
            const QString text = result == kResultCancelled
                                     ? tr(QStringLiteral("Data transfer interrupted"))
                                     : tr(QStringLiteral("Function failed!"));
            // The person learns which command failed and why: the device's
            // own reason, or what went wrong on the line.
            QString detail =
                result == kResultValueRefused && routine.refusal ? routine.refusal() : QString();
            if (refusedByDevice) {
                detail = description + QStringLiteral(": ") +
                         responseCodeText(sender_.resCode1(), command);
            } else if (detail.isEmpty() && result != kResultCancelled &&
                       !writesSwitchedOff(p_.state.NoWrite)) {
                detail = description + QStringLiteral(": ") +
                         session_.progress().errorText(result,
                                                       QStringLiteral("BaTinHrtCPr_SendRequest"));
            }
            session_.progress().checkStep(result, 0, text, detail, -1);
            d.progressClose();
            if (!connectedBefore_ && p_.state.ConnectionState != 0) session_.LinkOpen = 0;
            disconnect();
            return 0;
        }
    }

    if (step == CommandStep::Single || step == CommandStep::Stop ||
        step == CommandStep::NoConfirm) {
        // A finishing call after a failure finds the window already closed:
        // there is nothing to confirm then.
        if (step != CommandStep::NoConfirm && d.progressIsOpen()) {
            d.progressSetBar(100, kGreen);
            if (warnings_.isEmpty()) {
                d.progressSetStatus(tr(QStringLiteral("Data transmitted")), kGreen);
            } else {
                d.progressSetStatus(tr(QStringLiteral("Data transmitted")) + QStringLiteral(" (") +
                                        warnings_.join(QStringLiteral("; ")) + QLatin1Char(')'),
                                    kOrange);
            }
            d.progressSetButton(QStringLiteral("OK"));
            d.progressWaitButton(p_.state.MessageDisplayTime);
        }
        d.progressClose();
        disconnect();
    }
    return 1;
}

int DisplayActions::runAction(int code, CommandStep step, int tries, int override) {
    Aktion = static_cast<std::uint8_t>(code);
    return runCommand(com192(), step, QString(), tries, override);
}

int DisplayActions::runDisplayAction(int code, int tries) {
    p_.log.debugLog(
        QStringLiteral(">> HartCommand192(Aktion.C=") + QString::number(code) + QLatin1Char(')'),
        4);
    return runAction(code, CommandStep::Single, tries, -1);
}

// ---- Command routines ------------------------------------------------------------

int DisplayActions::sendWrite(std::uint8_t command, const QByteArray& request, int expectedLength,
                              QByteArray* response, int tries) {
    if (writesSwitchedOff(p_.state.NoWrite)) return kResultNotSent;
    const int result = sender_.sendRequest(command, request, expectedLength, response, tries);
    if (result != 0) return result;
    return sender_.resCode1() == 0 ? 0 : kResultUnusableAnswer;
}

int DisplayActions::Com192(int tries) {
    Logger& log = p_.log;
    QByteArray request(2, '\0');  // action code, filler
    request[0] = static_cast<char>(Aktion);
    log.debugLog(QStringLiteral("--> Write Com192"), -1);
    log.debugLog(QStringLiteral("   Aktion=") + hexByte(Aktion), 1);
    log.debugLog(QStringLiteral("   Filler=") + hexByte(0), 1);
    QByteArray answer;
    const int result = sendWrite(192, request, 2, &answer, tries);
    if (result == 0 && !answer.isEmpty()) reply_ = static_cast<std::uint8_t>(answer.at(0));
    return result;
}

int DisplayActions::Com200(int tries) {
    p_.log.debugLog(QStringLiteral("--> Write Com200"), -1);
    p_.log.debugLog(QStringLiteral("   dummy=") + hexByte(0), 1);
    return sendWrite(200, QByteArray(1, '\0'), 0, nullptr, tries);
}

int DisplayActions::Com201(int tries) {
    p_.log.debugLog(QStringLiteral("--> Write Com201"), -1);
    p_.log.debugLog(QStringLiteral("   dummy=") + hexByte(0), 1);
    return sendWrite(201, QByteArray(1, '\0'), 0, nullptr, tries);
}

CommandRoutine DisplayActions::com192() {
    return {CommandId::Com192, [this](int tries) { return Com192(tries); }, {}};
}
CommandRoutine DisplayActions::com200() {
    return {CommandId::Com200, [this](int tries) { return Com200(tries); }, {}};
}
CommandRoutine DisplayActions::com201() {
    return {CommandId::Com201, [this](int tries) { return Com201(tries); }, {}};
}

CommandRoutine DisplayActions::readBlock(int number) {
    CommandId id = CommandId::Other;
    switch (number) {
        case 0:
            id = CommandId::ReadBlock0;
            break;
        case 1:
            id = CommandId::ReadBlock1;
            break;
        case 12:
            id = CommandId::ReadBlock12;
            break;
        case 60:
            id = CommandId::ReadBlock60;
            break;
        case 89:
            id = CommandId::ReadBlock89;
            break;
        default:
            break;
    }
    return {id, [this, number](int tries) { return blocks_.readBlock(number, tries); }, {}};
}

CommandRoutine DisplayActions::readBlock12Logged() {
    return {CommandId::ReadBlock12Logged,
            [this](int tries) { return blocks_.readBlock12Logged(tries); },
            {}};
}

CommandRoutine DisplayActions::writeBlock(int number) {
    return {number == 1 ? CommandId::WriteBlock1 : CommandId::Other,
            [this, number](int tries) { return blocks_.writeBlock(number, tries); },
            [this] { return blocks_.lastRefusal().message(); }};
}

// ---- The command lists -------------------------------------------------------------

int DisplayActions::sendListCommand(int code, const QString& selected) {
    p_.log.debugLog(QStringLiteral("> #  Gadget_ZELHart_BtnSendCmd ;-- Send Command ") + selected,
                    6);
    if (p_.messages.showMessageBox(selected, QStringLiteral("Please confirm function! "),
                                   mb::OkCancel | mb::IconQuestion) != QLatin1String("ok")) {
        return 0;
    }
    switch (code) {
        case 99:
            return rawProbe() == 0 ? 1 : 0;
        case action::kFactorySetting:
        case action::kRestoreFactorySetting:
            return factorySetting(code);
        case 14:
        case 114: {
            if (!runCommand(readBlock(1), CommandStep::Start)) {
                runCommand(CommandRoutine{}, CommandStep::Stop);
                return 0;
            }
            values_.setRawValue(QStringLiteral("fs_CalibDone"),
                                code == 14 ? QStringLiteral("1") : QStringLiteral("0"),
                                QStringLiteral("fs_CalibDone"));
            if (!runCommand(writeBlock(1), CommandStep::Continue)) {
                runCommand(CommandRoutine{}, CommandStep::Stop);
                return 0;
            }
            return runAction(action::kCopyToEeprom, CommandStep::Stop);
        }
        default:
            return runDisplayAction(code);
    }
}

int DisplayActions::factorySetting(int code) {
    const Presence configuration = parsePresence(p_.state.TransmDisplay);
    const CommandRoutine eeprom = code == action::kFactorySetting ? com200() : com201();
    int done = 0;
    if (configuration == Presence::Display) {
        done = runAction(code, CommandStep::Single);
    } else if (configuration == Presence::Transmitter) {
        done = runCommand(eeprom, CommandStep::Single);
    } else {
        done = runAction(code, CommandStep::Start);
        if (done) done = runCommand(eeprom, CommandStep::Stop);
    }
    // After a restore the program's picture of the device is stale,
    // whatever part of the restore went through.
    if (code == action::kRestoreFactorySetting && readDevice) readDevice();
    return done;
}

int DisplayActions::teach(int code) {
    p_.log.debugLog(
        QStringLiteral(">> HartCommand192(Aktion.C=") + QString::number(code) + QLatin1Char(')'),
        4);
    return runAction(code, CommandStep::Single, -1, kTeachAnswerMs);
}

int DisplayActions::rawProbe() {
    Logger& log = p_.log;
    Dialogs& d = p_.dialogs;
    log.debugLog(
        QStringLiteral(">>> RawProbe(Com") + QString::number(kProbeCommand) + QLatin1Char(')'), 4);
    if (writesSwitchedOff(p_.state.NoWrite)) return kResultNotSent;

    const bool ownWindow = !d.progressIsOpen();
    if (ownWindow) d.progressOpen(tr(QStringLiteral("HART")));
    std::uint8_t buffer[kProbeBufferSize] = {};
    int result = 0;
    const int tries = std::max(1, p_.state.RequestTries);
    for (int attempt = 1; attempt <= tries; ++attempt) {
        log.debugLog(QStringLiteral("---> BaTinHrtCPr_SendRequest: i=") + QString::number(attempt),
                     1);
        std::uint8_t length = 0;  // any length
        std::uint8_t status1 = 0;
        std::uint8_t status2 = 0;
        result = link_.sendRequest(kProbeCommand, 0, nullptr, &length, buffer, &status1, &status2);
        d.progressSetBar(attempt * 100 / tries, kBlue);
        if (result == 0) {
            probeResponse_ = QByteArray(reinterpret_cast<const char*>(buffer), length);
            log.debugLog(QStringLiteral("    Response: (Len=") + QString::number(length) +
                             QStringLiteral("): ") + hexText(probeResponse_) +
                             QStringLiteral("    ResCode1=") + QString::number(status1) +
                             QStringLiteral(" ResCode2=") + QString::number(status2),
                         1);
            break;
        }
        if (attempt < tries && d.servePendingEvents()) {
            result = kResultCancelled;
            break;
        }
    }
    if (result != 0)
        session_.progress().showErrorMessage(result,
                                             QStringLiteral("BaTinHrtCPr_SendRequest(Com0)"));
    if (ownWindow) d.progressClose();
    return result;
}

// ---- After a block write -----------------------------------------------------------

int DisplayActions::storeWrittenBlocks(bool block10Written, bool block11Written, QList<int>* done) {
    const int tries = p_.state.RequestTries;
    // Mode "none" leaves the failure to us: without this check the blocks
    // would count as stored although they live only in the display's RAM.
    auto failed = [this](int code) {
        session_.progress().checkStep(1, 0, tr(QStringLiteral("Function failed!")),
                                      tr(actionText(code)), -1);
        return 0;
    };
    auto run = [&](int code) {
        if (!runAction(code, CommandStep::Quiet, tries)) return false;
        if (done) *done << code;
        return true;
    };
    if (!run(action::kCopyToEeprom)) return failed(action::kCopyToEeprom);
    p_.dialogs.sleep(action::kAfterCopyMs);
    if (block10Written || block11Written) {
        p_.dialogs.progressSetStatus(tr(QStringLiteral("Please wait ...")), kBlue);
        p_.dialogs.sleep(action::kBeforeReinitMs);
        if (block10Written && !run(action::kReinitLimitSwitch1))
            return failed(action::kReinitLimitSwitch1);
        if (block11Written && !run(action::kReinitLimitSwitch2))
            return failed(action::kReinitLimitSwitch2);
    }
    return 1;
}

}  // namespace zh
