#include "address_scan.h"

#include <algorithm>
#include <cstdint>

#include "app/logger.h"
#include "link_library.h"
#include "packed_ascii.h"
#include "results.h"

namespace zh {
namespace {

// What every address is asked with: primary master, 5 preambles, no
// retries (a silent address is silent), the device's preamble count once it
// has answered, RTS keyed, the standard response time-out, gap time-out 10.
int configureFor(LinkLibrary& link, int address) {
    return link.configure(static_cast<std::uint8_t>(address), 2, 5, 0, 1, 0, 0, 10, 0);
}

// One universal command without request data; the data of a successful
// answer (response code 0), else an empty array.
QByteArray ask(LinkLibrary& link, std::uint8_t command) {
    std::uint8_t response[255] = {};
    std::uint8_t length = 0;
    std::uint8_t code = 0;
    std::uint8_t status = 0;
    const int result = link.sendRequest(command, 0, nullptr, &length, response, &code, &status);
    if (result != HARTLINK_ERR_OK || code != 0) return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(response), length);
}

QString trimmedLatin1(const QByteArray& bytes) {
    QByteArray text = bytes;
    const int end = text.indexOf('\0');
    if (end >= 0) text.truncate(end);
    return QString::fromLatin1(text).trimmed();
}

// The device that answered at the current address, named.
ScanEntry describe(LinkLibrary& link, int address) {
    ScanEntry entry;
    entry.address = address;
    // A library that cannot hand over its command-0 answer is asked again.
    QByteArray identity = link.identityAnswer();
    if (identity.isEmpty()) identity = ask(link, 0);
    decodeIdentity(identity, &entry.identity);
    // Command 13: tag (6 bytes packed = 8 characters), descriptor, date.
    const QByteArray tagAnswer = ask(link, 13);
    if (tagAnswer.size() >= 6) entry.tag = unpackAscii(tagAnswer.left(6));
    if (entry.identity.universalRevision >= 6) {
        const QByteArray longTag = ask(link, 20);
        if (longTag.size() >= 32) entry.longTag = trimmedLatin1(longTag.left(32));
    }
    return entry;
}

QString hex(quint32 value, int digits) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QList<ScanEntry> scanAddresses(LinkLibrary& link, Logger& log, const QString& port, int from,
                               int to, const std::function<bool(int address)>& progress,
                               QString* failure) {
    const int last = std::clamp(to, 0, kLastAddress);
    const int first = std::clamp(from, 0, kLastAddress);
    log.debugLog(QStringLiteral(">>> scanAddresses(port=") + port + QStringLiteral(", from=") +
                     QString::number(first) + QStringLiteral(", to=") + QString::number(last) +
                     QLatin1Char(')'),
                 4);
    QList<ScanEntry> found;
    const auto fail = [&](int result, const char* step) {
        const QString reason = link.lastErrorText();
        const QString text =
            reason.isEmpty()
                ? QStringLiteral("%1 failed (%2)").arg(QLatin1String(step), resultWithText(result))
                : reason;
        log.debugLog(QStringLiteral("scanAddresses: ") + text, 1);
        if (failure) *failure = text;
    };
    const int configured = configureFor(link, first);
    if (configured != HARTLINK_ERR_OK) {
        fail(configured, "Configure");
        return found;
    }
    const int opened = link.open(link.preparePort(port));
    if (opened != HARTLINK_ERR_OK) {
        fail(opened, "Open");
        return found;
    }
    for (int address = first; address <= last; ++address) {
        if (progress && !progress(address)) {
            log.debugLog(
                QStringLiteral("scanAddresses: stopped before address ") + QString::number(address),
                1);
            break;
        }
        configureFor(link, address);
        std::uint8_t arg = 0;
        const int connected = link.connect(&arg);
        if (connected == HARTLINK_ERR_RESOURCE) {
            fail(connected, "Connect");
            break;
        }
        if (connected != HARTLINK_ERR_OK) {
            // Silence is the usual case; a broken answer (two devices on one
            // address, noise) is worth a line in the log.
            if (connected != HARTLINK_ERR_NO_RESPONSE)
                log.debugLog(QStringLiteral("scanAddresses: address %1: %2")
                                 .arg(address)
                                 .arg(link.lastErrorText()),
                             1);
            continue;
        }
        ScanEntry entry = describe(link, address);
        link.disconnect();
        log.debugLog(QStringLiteral("<-- ") + scanEntryText(entry), 4);
        found.append(entry);
    }
    link.close();
    return found;
}

QStringList scanEntryColumns(const ScanEntry& entry) {
    const DeviceIdentity& id = entry.identity;
    return {QString::number(entry.address),
            hex(static_cast<quint32>(id.manufacturer), id.manufacturer > 0xFF ? 4 : 2),
            hex(static_cast<quint32>(id.deviceType), id.deviceType > 0xFF ? 4 : 2),
            hex(id.deviceId, 6),
            QString::number(id.universalRevision),
            entry.tag,
            entry.longTag};
}

QString scanEntryText(const ScanEntry& entry) {
    const QStringList c = scanEntryColumns(entry);
    QString text =
        QStringLiteral("address %1: manufacturer %2, device type %3, device ID %4, HART %5, tag %6")
            .arg(c.at(0), c.at(1), c.at(2), c.at(3), c.at(4),
                 c.at(5).isEmpty() ? QStringLiteral("-") : c.at(5));
    if (!entry.longTag.isEmpty()) text += QStringLiteral(", long tag ") + entry.longTag;
    return text;
}

}  // namespace zh
