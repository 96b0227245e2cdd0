// Finding out which devices answer on the link: the display module by its
// blocks 12 and 89, the transmitter by its configuration command 141.

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "app/dialogs.h"
#include "app/program.h"
#include "hart_session.h"
#include "identity_message.h"
#include "link_library.h"
#include "packed_ascii.h"
#include "request_sender.h"
#include "response_codes.h"

namespace zh {
namespace {

constexpr std::uint8_t kReadBlock = 191;
constexpr std::uint8_t kFixedCurrent = 40;
constexpr std::uint8_t kReadAdcConfiguration = 141;
constexpr std::uint8_t kReadTagDescriptorDate = 13;
constexpr int kDetectionBlock = 12;
constexpr int kModeBlock = 89;
constexpr int kPackedTagBytes = 6;
constexpr int kBlockSize = 24;
constexpr int kAdcConfigurationSize = 26;
constexpr int kDispModeOffset = 13;  // block 89: 5 = the loop current is held fixed
constexpr int kDispModeFixedCurrent = 5;

QByteArray hartFloat(float value) {
    // HART puts IEEE 754 single precision on the wire most significant byte first.
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray out(4, '\0');
    qToBigEndian(bits, reinterpret_cast<uchar*>(out.data()));
    return out;
}

}  // namespace

const char* missingPartMessage(Presence asked) {
    switch (asked) {
        case Presence::Display:
            return "The connected device has no display module!";
        case Presence::Transmitter:
            return "The connected device has no transmitter!";
        default:
            return "The connected device has no transmitter and no display module!";
    }
}

// Whether a part answers `command`: present on a proper answer; absent only
// on evidence (the device says it has no such command, or answers in a
// layout that is not ours); anything else, after the session's tries, is
// no evidence either way and fails the detection instead of passing for
// absence (a read would then leave out a part that is there). A device the
// profile does not list is asked once and taken at its word: any refusal
// or another layout says the part is not ours.
HartSession::PartAnswer HartSession::probePart(std::uint8_t command, const QByteArray& request,
                                               int expectedLength, QByteArray* answer) {
    const bool unlisted = ForeignDevice != 0;
    const int tries = unlisted ? 1 : std::max(1, p_.state.RequestTries);
    int result = 0;
    QByteArray got;
    // "Not implemented" counts from one of ours when it says it twice in a row.
    for (int said = 0; said < 2; ++said) {
        ResCode1 = 0;
        result = sendRequest(command, request, unlisted ? 0 : expectedLength, &got, tries);
        if (result == kResultCancelled) return PartAnswer::Cancelled;
        if (result != kResultRefused || ResCode1 != kResponseNotImplemented) break;
        if (said == 1 || unlisted) return PartAnswer::Absent;
    }
    if (unlisted && (result == kResultRefused || (result == 0 && got.size() != expectedLength))) {
        p_.log.debugLog(QStringLiteral(">>> Command ") + QString::number(command) +
                            QStringLiteral(" is not answered as ours"),
                        1);
        return PartAnswer::Absent;
    }
    if (result != 0) {
        progress_.checkStep(
            result, 0,
            p_.messages.lookupMessage(QStringLiteral("No reliable answer to command {command}\t") +
                                          QString::number(command),
                                      QStringLiteral("SerialIO")),
            result == kResultRefused ? progress_.errorText(result, QString())
            : progress_.linkFault().isEmpty()
                ? link_.lastErrorText()
                : resultText(result) + QStringLiteral(": ") + progress_.linkFault());
        return PartAnswer::Failed;
    }
    if (answer) *answer = got;
    return PartAnswer::Present;
}

bool HartSession::detectDisplay() {
    Logger& log = p_.log;
    auto tr = [this](const char* text) {
        return p_.messages.lookupMessage(QString::fromUtf8(text), QStringLiteral("SerialIO"));
    };
    DisplayPresent = 1;
    if (progress_.showStep(QStringLiteral("Read Data"), tr("Testing display ..."),
                           QStringLiteral("C190_012"), 4, 7)) {
        return false;
    }
    QByteArray block;
    const PartAnswer answer =
        probePart(kReadBlock, QByteArray(1, char(kDetectionBlock)), kBlockSize, &block);
    if (answer == PartAnswer::Cancelled || answer == PartAnswer::Failed) return false;
    if (answer == PartAnswer::Absent ||
        static_cast<unsigned char>(block.at(0)) != kDetectionBlock) {
        DisplayPresent = 0;
        log.debugLog(QStringLiteral(">>> No response from display!"), 1);
        return true;
    }

    if (progress_.showStep(QStringLiteral("Read Data"), tr("Testing display ..."),
                           QStringLiteral("C190_089"), 5, 7)) {
        return false;
    }
    int result = sendRequest(kReadBlock, QByteArray(1, char(kModeBlock)), kBlockSize, &block, 2);
    if (result != 0 || static_cast<unsigned char>(block.at(0)) != kModeBlock) {
        DisplayPresent = 0;
        log.debugLog(QStringLiteral(">>> Error reading C190_089_Response from display!"), 1);
        // A device not listed as ours that gets this far and then fails is
        // not ours either; one of ours that fails here fails the connection.
        const bool evidence =
            result == 0 || result == kResultUnusableAnswer || result == kResultRefused;
        return ForeignDevice != 0 && evidence;
    }
    // Both blocks as ours answers them: the device is one of ours.
    ForeignDevice = 0;
    if (static_cast<unsigned char>(block.at(kDispModeOffset)) == kDispModeFixedCurrent) {
        // Left in fixed-current mode by an earlier session: release the loop.
        if (progress_.showStep(QStringLiteral("Read Data"), tr("Reset display ..."),
                               QStringLiteral("C40"), 6, 7)) {
            return false;
        }
        result = sendRequest(kFixedCurrent, hartFloat(0.0f), 4, nullptr, 2);
        if (progress_.checkStep(
                result, 0, progress_.errorText(result, QStringLiteral("BaTinHrtCPr_SendRequest")),
                QStringLiteral("C40"))) {
            DisplayPresent = 0;
            log.debugLog(QStringLiteral(">>> Error resetting display!"), 1);
            return false;
        }
    }
    return true;
}

bool HartSession::detectTransmitter() {
    TransmitterPresent = 1;
    if (progress_.showStep(QStringLiteral("Read Data"),
                           p_.messages.lookupMessage(QStringLiteral("Testing transmitter ..."),
                                                     QStringLiteral("SerialIO")),
                           QString(), 7, 7)) {
        return false;
    }
    const PartAnswer answer =
        probePart(kReadAdcConfiguration, QByteArray(), kAdcConfigurationSize, nullptr);
    if (answer == PartAnswer::Cancelled || answer == PartAnswer::Failed) return false;
    if (answer == PartAnswer::Absent) {
        TransmitterPresent = 0;
        p_.log.debugLog(QStringLiteral(">>> No response from transmitter!"), 1);
    } else {
        ForeignDevice = 0;  // answered as ours
    }
    return true;
}

// The safety net: while the device is not known to be ours, no command of
// ours reaches it but the reads that look for our parts.
bool HartSession::withheld(std::uint8_t command, const QByteArray& request) const {
    if (!ForeignDevice || command < kFirstDeviceSpecificCommand) return false;
    const bool blockRead =
        command == kReadBlock && request.size() == 1 &&
        (request.at(0) == char(kDetectionBlock) || request.at(0) == char(kModeBlock));
    const bool adcRead = command == kReadAdcConfiguration && request.isEmpty();
    return !blockRead && !adcRead;
}

bool HartSession::identityListedAsOurs() {
    const QString list =
        p_.profile.readProfile(QStringLiteral("Serial_IO"), QStringLiteral("OwnDevices"),
                               QStringLiteral("94:7E"), p_.state.ProfilePath);
    const bool listed = identityListed(identity_, list);
    p_.log.debugLog(
        QStringLiteral(">>> ") + identityText(identity_) +
            (listed ? QStringLiteral(": listed as ours") : QStringLiteral(": not listed as ours")),
        1);
    return listed;
}

// Names the device by its identity and tag (command 13, universal): it is
// served by the universal view only.
void HartSession::nameForeignDevice() {
    QByteArray answer;
    QString tag;
    if (sendRequest(kReadTagDescriptorDate, QByteArray(), 0, &answer, 1) == 0 &&
        answer.size() >= kPackedTagBytes)
        tag = unpackAscii(answer.left(kPackedTagBytes));
    const QString rest = QStringLiteral(": not a device of this program; universal data only");
    p_.log.debugLog(QStringLiteral(">>> ") + identityText(identity_, tag) + rest, 1);
    // The pattern is translated, not the text with this device's numbers in it.
    p_.messages.showMessageBox(QStringLiteral("HART"),
                               p_.messages.lookupMessage(identityMessage(identity_, tag, rest),
                                                         QStringLiteral("SerialIO")),
                               mb::Ok | mb::IconInformation, MsgText::AsIs);
}

}  // namespace zh
