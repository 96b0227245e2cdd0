// Finding out which devices answer on the link: the display module by its
// blocks 12 and 89, the transmitter by its configuration command 141.

#include <QtEndian>
#include <cstring>

#include "app/program.h"
#include "hart_session.h"

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

}  // namespace

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
    int result = SendRequest(kReadBlock, QByteArray(1, char(12)), kBlockSize, &block, 1);
    if (result == kResultCancelled) return false;
    if (result != 0 || ResCode1 != 0 || static_cast<unsigned char>(block.at(0)) != 12) {
        DisplayPresent = 0;
        log.DebugLog(QStringLiteral(">>> No response from display!"), 1);
        return true;
    }

    if (progress_.ShowStep(QStringLiteral("Read Data"), tr("Testing display ..."), QStringLiteral("C190_089"), 5, 7)) {
        return false;
    }
    result = SendRequest(kReadBlock, QByteArray(1, char(89)), kBlockSize, &block, 2);
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
    const int result = SendRequest(kReadAdcConfiguration, QByteArray(), kAdcConfigurationSize, nullptr, 1);
    if (result == kResultCancelled) return false;
    if (result != 0 || ResCode1 != 0) {
        TransmitterPresent = 0;
        p_.log.DebugLog(QStringLiteral(">>> No response from transmitter!"), 1);
    }
    return true;
}

}  // namespace zh
