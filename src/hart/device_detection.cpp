// Finding out which devices answer on the link: the display module by its
// blocks 12 and 89, the transmitter by its configuration command 141.

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "app/program.h"
#include "hart_session.h"
#include "link_library.h"

namespace zh {
namespace {

constexpr std::uint8_t kReadBlock = 191;
constexpr std::uint8_t kFixedCurrent = 40;
constexpr std::uint8_t kReadAdcConfiguration = 141;
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

// The answer a device gives to a command it does not have: the part that
// would answer it is not there.
constexpr std::uint8_t kNotImplemented = 64;

}  // namespace

// Whether a part answers `command`: present on a proper answer; absent only
// on evidence (the device says it has no such command, or answers in a
// layout that is not ours); anything else, after the session's tries, is
// no evidence either way and fails the detection instead of passing for
// absence (a read would then leave out a part that is there).
HartSession::PartAnswer HartSession::probePart(std::uint8_t command, const QByteArray& request, int expectedLength,
                                               QByteArray* answer) {
    const int tries = std::max(1, p_.state.RequestTries);
    int result = 0;
    // "Not implemented" counts when the device says it twice in a row.
    for (int said = 0; said < 2; ++said) {
        ResCode1 = 0;
        result = SendRequest(command, request, expectedLength, answer, tries);
        if (result == kResultCancelled) return PartAnswer::Cancelled;
        if (ResCode1 != kNotImplemented || (result != 0 && result != 3)) break;
        if (said == 1) return PartAnswer::Absent;
    }
    if (result != 0 || ResCode1 != 0) {
        progress_.CheckStep(result != 0 ? result : 3, 0,
                            p_.messages.LookupMessage(QStringLiteral("No reliable answer to command {command}\t") +
                                                          QString::number(command),
                                                      QStringLiteral("SerialIO")),
                            link_.lastErrorText());
        return PartAnswer::Failed;
    }
    return PartAnswer::Present;
}

bool HartSession::detectDisplay() {
    Logger& log = p_.log;
    auto tr = [this](const char* text) {
        return p_.messages.LookupMessage(QString::fromUtf8(text), QStringLiteral("SerialIO"));
    };
    DisplayPresent = 1;
    if (progress_.ShowStep(QStringLiteral("Read Data"), tr("Testing display ..."), QStringLiteral("C190_012"), 4, 7)) {
        return false;
    }
    QByteArray block;
    const PartAnswer answer = probePart(kReadBlock, QByteArray(1, char(12)), kBlockSize, &block);
    if (answer == PartAnswer::Cancelled || answer == PartAnswer::Failed) return false;
    if (answer == PartAnswer::Absent || static_cast<unsigned char>(block.at(0)) != 12) {
        DisplayPresent = 0;
        log.DebugLog(QStringLiteral(">>> No response from display!"), 1);
        return true;
    }

    if (progress_.ShowStep(QStringLiteral("Read Data"), tr("Testing display ..."), QStringLiteral("C190_089"), 5, 7)) {
        return false;
    }
    int result = SendRequest(kReadBlock, QByteArray(1, char(89)), kBlockSize, &block, 2);
    if (result != 0 || ResCode1 != 0) {
        DisplayPresent = 0;
        log.DebugLog(QStringLiteral(">>> Error reading C190_089_Response from display!"), 1);
        return false;
    }
    if (static_cast<unsigned char>(block.at(kDispModeOffset)) == kDispModeFixedCurrent) {
        // Left in fixed-current mode by an earlier session: release the loop.
        if (progress_.ShowStep(QStringLiteral("Read Data"), tr("Reset display ..."), QStringLiteral("C40"), 6, 7)) {
            return false;
        }
        result = SendRequest(kFixedCurrent, hartFloat(0.0f), 4, nullptr, 2);
        if (progress_.CheckStep(result, 0, progress_.errorText(result, QStringLiteral("BaTinHrtCPr_SendRequest")),
                                QStringLiteral("C40"))) {
            DisplayPresent = 0;
            log.DebugLog(QStringLiteral(">>> Error resetting display!"), 1);
            return false;
        }
    }
    return true;
}

bool HartSession::detectTransmitter() {
    TransmitterPresent = 1;
    if (progress_.ShowStep(QStringLiteral("Read Data"),
                           p_.messages.LookupMessage(QStringLiteral("Testing transmitter ..."), QStringLiteral("SerialIO")),
                           QString(), 7, 7)) {
        return false;
    }
    const PartAnswer answer = probePart(kReadAdcConfiguration, QByteArray(), kAdcConfigurationSize, nullptr);
    if (answer == PartAnswer::Cancelled || answer == PartAnswer::Failed) return false;
    if (answer == PartAnswer::Absent) {
        TransmitterPresent = 0;
        p_.log.DebugLog(QStringLiteral(">>> No response from transmitter!"), 1);
    }
    return true;
}

}  // namespace zh
