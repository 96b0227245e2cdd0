#include "universal_device.h"

#include <algorithm>
#include <cmath>

#include "app/program.h"
#include "packed_ascii.h"
#include "progress_steps.h"
#include "request_sender.h"
#include "response_codes.h"
#include "wire_values.h"

namespace zh {
namespace {

// Busy and the delayed-response states: the device could not serve the
// command now, which says nothing about whether it has the data.
bool isBusy(int code) {
    return code >= 32 && code <= 36;
}

QString commandName(std::uint8_t command) {
    return QStringLiteral("command ") + QString::number(command);
}

// The command's data sizes (HART 5 minimum; later revisions may send more).
constexpr int kCom1Size = 5;
constexpr int kCom2Size = 8;
constexpr int kCom3MinSize = 9;  // loop current, then unit + value per variable
constexpr int kMessageSize = 24;
constexpr int kCom13Size = 21;
constexpr int kCom14Size = 16;
constexpr int kCom15Size = 17;
constexpr int kCom16Size = 3;
constexpr int kLongTagSize = 32;
constexpr int kMessageChars = 32;
constexpr int kTagChars = 8;
constexpr int kDescriptorChars = 16;

QByteArray hartFloatBytes(float value) {
    QByteArray data;
    putHartFloat(data, 0, value);
    return data;
}

// Command 20's long tag: Latin-1 up to the first 0 byte, blanks at the end
// dropped.
QString latin1Text(const QByteArray& data) {
    const int end = data.indexOf('\0');
    QString text = QString::fromLatin1(end < 0 ? data : data.left(end));
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

// The date as command 13 and 18 carry it: day, month, year - 1900.
QDate dateAt(const QByteArray& data, int at) {
    return QDate(1900 + quint8(data[at + 2]), quint8(data[at + 1]), quint8(data[at]));
}

// The universal commands readAll asks, in order, with the data each must
// carry and where the answer goes.
struct ReadStep {
    std::uint8_t command;
    int minimumLength;
    void (*decode)(const QByteArray&, UniversalData*);
};
const ReadStep kReadSteps[] = {
    {1, kCom1Size,
     [](const QByteArray& a, UniversalData* d) {
         d->pvUnit = quint8(a[0]);
         d->pv = readHartFloat(a, 1);
     }},
    {2, kCom2Size,
     [](const QByteArray& a, UniversalData* d) {
         d->loopCurrent = readHartFloat(a, 0);
         d->percentOfRange = readHartFloat(a, 4);
     }},
    {3, kCom3MinSize,
     [](const QByteArray& a, UniversalData* d) {
         d->loopCurrent = readHartFloat(a, 0);
         d->dynamicCount = std::min(4, (int(a.size()) - 4) / 5);
         int* units[] = {&d->pvUnit, &d->svUnit, &d->tvUnit, &d->qvUnit};
         float* values[] = {&d->pv, &d->sv, &d->tv, &d->qv};
         for (int i = 0; i < d->dynamicCount; ++i) {
             *units[i] = quint8(a[4 + 5 * i]);
             *values[i] = readHartFloat(a, 5 + 5 * i);
         }
     }},
    {12, kMessageSize,
     [](const QByteArray& a, UniversalData* d) { d->message = unpackAscii(a.left(kMessageSize)); }},
    {13, kCom13Size,
     [](const QByteArray& a, UniversalData* d) {
         d->tag = unpackAscii(a.left(6));
         d->descriptor = unpackAscii(a.mid(6, 12));
         d->date = dateAt(a, 18);
     }},
    {14, kCom14Size,
     [](const QByteArray& a, UniversalData* d) {
         d->sensorSerial = readUnsigned(a, 0, 3);
         d->sensorUnit = quint8(a[3]);
         d->sensorUpperLimit = readHartFloat(a, 4);
         d->sensorLowerLimit = readHartFloat(a, 8);
         d->minimumSpan = readHartFloat(a, 12);
     }},
    {15, kCom15Size,
     [](const QByteArray& a, UniversalData* d) {
         d->alarmSelection = quint8(a[0]);
         d->transferFunction = quint8(a[1]);
         d->rangeUnit = quint8(a[2]);
         d->upperRange = readHartFloat(a, 3);
         d->lowerRange = readHartFloat(a, 7);
         d->damping = readHartFloat(a, 11);
         d->writeProtect = quint8(a[15]);
         d->privateLabel = quint8(a[16]);
     }},
    {16, kCom16Size,
     [](const QByteArray& a, UniversalData* d) { d->finalAssemblyNumber = readUnsigned(a, 0, 3); }},
    {20, kLongTagSize,
     [](const QByteArray& a, UniversalData* d) { d->longTag = latin1Text(a.left(kLongTagSize)); }},
    {48, 1, [](const QByteArray& a, UniversalData* d) { d->additionalStatus = a; }},
};

}  // namespace

UniversalDevice::UniversalDevice(Program& program, RequestSender& sender)
    : p_(program), sender_(sender) {}

bool UniversalDevice::answered(int sent) {
    // The session reports a refusal as kResultRefused; the status bytes then
    // say which. Any other result but 0 means no answer came.
    if (sent != 0 && sent != kResultRefused) return false;
    responseCode_ = sender_.resCode1();
    deviceStatus_ = sender_.resCode2();
    return true;
}

int UniversalDevice::failWith(int result, const QString& reason) {
    failure_ = reason;
    warning_.clear();
    reached_ = false;
    p_.log.debugLog(QStringLiteral("+++ Universal: ") + reason, -1);
    return result;
}

UniversalDevice::Outcome UniversalDevice::read(std::uint8_t command, int minimumLength,
                                               QByteArray* answer, int* result) {
    p_.log.debugLog(QStringLiteral("<-- Read Com") + QString::number(command), -1);
    answer->clear();
    // Any length: later revisions answer some commands with more data.
    const int sent = sender_.sendRequest(command, QByteArray(), 0, answer, tries);
    if (!answered(sent)) {
        *result = failWith(sent, commandName(command) + QStringLiteral(": ") + resultText(sent));
        return Outcome::Failed;
    }
    if (isBusy(responseCode_)) {
        *result = failWith(kResultRefused, commandName(command) + QStringLiteral(": ") +
                                               responseCodeText(responseCode_));
        return Outcome::Failed;
    }
    if (sent == kResultRefused || (responseCode_ != 0 && !isWarningCode(responseCode_))) {
        p_.log.debugLog(QStringLiteral("    ") + commandName(command) +
                            QStringLiteral(" not available: ") + responseCodeText(responseCode_),
                        1);
        return Outcome::Refused;
    }
    if (answer->size() < minimumLength) {
        *result =
            failWith(kResultUnusableAnswer,
                     commandName(command) + QStringLiteral(": answer of %1 bytes, %2 expected")
                                                .arg(answer->size())
                                                .arg(minimumLength));
        return Outcome::Failed;
    }
    return Outcome::Data;
}

int UniversalDevice::readAll(UniversalData* data) {
    const DeviceIdentity identity = data->identity;
    *data = UniversalData();
    data->identity = identity;
    std::vector<std::uint8_t> all;
    for (const ReadStep& step : kReadSteps) all.push_back(step.command);
    return readCommands(all, data);
}

int UniversalDevice::readCommands(const std::vector<std::uint8_t>& commands, UniversalData* data) {
    if (commands.empty()) return 0;  // nothing to read keeps what `data` says
    failure_.clear();
    warning_.clear();
    const DeviceIdentity identity = data->identity;
    data->deviceStatus = 0;
    for (const ReadStep& step : kReadSteps) {
        if (std::find(commands.begin(), commands.end(), step.command) == commands.end()) continue;
        // The long tag came with HART 6; older devices do not know command 20.
        if (step.command == 20 && identity.universalRevision < 6) continue;
        QByteArray answer;
        int result = 0;
        const Outcome outcome = read(step.command, step.minimumLength, &answer, &result);
        if (outcome != Outcome::Failed) data->deviceStatus |= deviceStatus_;
        switch (outcome) {
            case Outcome::Failed:
                return result;
            case Outcome::Refused:
                data->refused.insert(step.command, responseCode_);
                data->answered.remove(step.command);
                break;
            case Outcome::Data:
                step.decode(answer, data);
                data->answered.insert(step.command);
                data->refused.remove(step.command);
                break;
        }
    }
    return 0;
}

std::vector<std::uint8_t> UniversalDevice::readBackAfter(std::uint8_t command) {
    switch (command) {
        case 17:
            return {12};
        case 18:
            return {13};
        case 22:
            return {20};
        case 34:
            return {15};
        case 35:
            return {2, 3, 15};
        case 44:
            return {1, 2, 3, 14, 15};
        default:
            return {};
    }
}

int UniversalDevice::write(std::uint8_t command, const QByteArray& request, const QString& what) {
    failure_.clear();
    warning_.clear();
    reached_ = false;
    p_.log.debugLog(QStringLiteral("--> Write Com") + QString::number(command) +
                        QStringLiteral(" (") + what + QStringLiteral("): ") + hexText(request),
                    -1);
    if (writesSwitchedOff(p_.state.NoWrite)) {
        return failWith(kResultNotSent,
                        what + QStringLiteral(": not sent, writing is switched off (NoWrite)"));
    }
    QByteArray answer;
    sender_.forgetRequestFate();
    const std::vector<std::uint8_t> shows = readBackAfter(command);
    readBack_.insert(readBack_.end(), shows.begin(), shows.end());
    const int sent = sender_.sendRequest(command, request, 0, &answer, tries);
    const bool reached = mayHaveReachedDevice(sent, sender_.requestFate());
    if (!answered(sent)) {
        const int failed = failWith(sent, what + QStringLiteral(": ") + resultText(sent));
        reached_ = reached;
        return failed;
    }
    if (sent == 0 && responseCode_ == 0) return 0;
    if (sent == 0 && isWarningCode(responseCode_)) {
        warning_ = what + QStringLiteral(": ") + responseCodeText(responseCode_);
        p_.log.debugLog(QStringLiteral("    ") + warning_, 1);
        return 0;
    }
    const int refused =
        failWith(kResultRefused, what + QStringLiteral(": ") + responseCodeText(responseCode_));
    reached_ = reached;
    return refused;
}

int UniversalDevice::writeMessage(const QString& message) {
    if (!isPackable(message) || message.size() > kMessageChars)
        return failWith(kResultValueRefused,
                        QStringLiteral("message: up to 32 of the characters A-Z, 0-9, blank and "
                                       "common signs"));
    return write(17, packAscii(message, kMessageChars), QStringLiteral("message"));
}

int UniversalDevice::writeTagDescriptorDate(const QString& tag, const QString& descriptor,
                                            const QDate& date) {
    if (!isPackable(tag) || tag.size() > kTagChars)
        return failWith(
            kResultValueRefused,
            QStringLiteral("tag: up to 8 of the characters A-Z, 0-9, blank and common signs"));
    if (!isPackable(descriptor) || descriptor.size() > kDescriptorChars)
        return failWith(
            kResultValueRefused,
            QStringLiteral(
                "descriptor: up to 16 of the characters A-Z, 0-9, blank and common signs"));
    if (!date.isValid() || date.year() < 1900 || date.year() > 2155)
        return failWith(kResultValueRefused,
                        QStringLiteral("date: a day from 1900-01-01 to 2155-12-31"));
    QByteArray request = packAscii(tag, kTagChars) + packAscii(descriptor, kDescriptorChars);
    request.append(char(date.day()));
    request.append(char(date.month()));
    request.append(char(date.year() - 1900));
    return write(18, request, QStringLiteral("tag, descriptor, date"));
}

int UniversalDevice::writeLongTag(const QString& longTag) {
    const QByteArray latin1 = longTag.toLatin1();
    if (longTag.size() > kLongTagSize || QString::fromLatin1(latin1) != longTag)
        return failWith(kResultValueRefused,
                        QStringLiteral("long tag: up to 32 Latin-1 characters"));
    return write(22, latin1.leftJustified(kLongTagSize, '\0'), QStringLiteral("long tag"));
}

int UniversalDevice::writeFloat(std::uint8_t command, float value, const QString& what) {
    if (!std::isfinite(value))
        return failWith(kResultValueRefused, what + QStringLiteral(": not a finite number"));
    return write(command, hartFloatBytes(value), what);
}

int UniversalDevice::writeDamping(float seconds) {
    return writeFloat(34, seconds, QStringLiteral("damping"));
}

int UniversalDevice::writeRange(int unitCode, float upper, float lower) {
    if (unitCode < 0 || unitCode > 255)
        return failWith(kResultValueRefused, QStringLiteral("range unit: a code 0 ... 255"));
    if (!std::isfinite(upper) || !std::isfinite(lower))
        return failWith(kResultValueRefused, QStringLiteral("range: not a finite number"));
    QByteArray request(1, char(unitCode));
    request += hartFloatBytes(upper) + hartFloatBytes(lower);
    return write(35, request, QStringLiteral("range"));
}

int UniversalDevice::writePvUnit(int unitCode) {
    if (unitCode < 0 || unitCode > 255)
        return failWith(kResultValueRefused, QStringLiteral("PV unit: a code 0 ... 255"));
    return write(44, QByteArray(1, char(unitCode)), QStringLiteral("PV unit"));
}

int UniversalDevice::setLoopCurrent(float milliamps) {
    return writeFloat(40, milliamps, QStringLiteral("loop current"));
}

int UniversalDevice::trimCurrentZero(float measuredMilliamps) {
    return writeFloat(45, measuredMilliamps, QStringLiteral("current zero trim"));
}

int UniversalDevice::trimCurrentGain(float measuredMilliamps) {
    return writeFloat(46, measuredMilliamps, QStringLiteral("current gain trim"));
}

}  // namespace zh
