#include "frame_text.h"

#include <QStringList>

#include "response_codes.h"

namespace zh {

namespace {

constexpr std::uint8_t kPreamble = 0xFF;

QString hexByte(std::uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString hexValue(unsigned value, int digits) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// The names of the set bits, highest bit first; bits without a name are skipped.
QString bitNames(std::uint8_t bits, const char* const names[8]) {
    QStringList set;
    for (int bit = 7; bit >= 0; --bit)
        if ((bits & (1u << bit)) && names[bit]) set << QLatin1String(names[bit]);
    return set.join(QStringLiteral(", "));
}

QString frameKind(std::uint8_t delimiter) {
    QString kind = (delimiter & 0x80) ? QStringLiteral("long ") : QStringLiteral("short ");
    switch (delimiter & 0x07) {
        case 0x01:
            kind += QStringLiteral("burst");
            break;
        case 0x02:
            kind += QStringLiteral("request");
            break;
        case 0x06:
            kind += QStringLiteral("response");
            break;
        default:
            kind += QStringLiteral("frame type ") + QString::number(delimiter & 0x07);
            break;
    }
    return kind + QStringLiteral(" (0x") + hexByte(delimiter) + QLatin1Char(')');
}

QString addressText(bool toDevice, const std::uint8_t* a, bool isLong) {
    QString text = toDevice ? QStringLiteral("to ") : QStringLiteral("from ");
    if (isLong) {
        const unsigned id = (unsigned(a[2]) << 16) | (unsigned(a[3]) << 8) | a[4];
        text += QStringLiteral("manufacturer ") + hexValue(a[0] & 0x3F, 2) +
                QStringLiteral(" device type ") + hexValue(a[1], 2) +
                QStringLiteral(" device id ") + hexValue(id, 6);
    } else {
        text += QStringLiteral("polling address ") + QString::number(a[0] & 0x3F);
    }
    text +=
        (a[0] & 0x80) ? QStringLiteral(", primary master") : QStringLiteral(", secondary master");
    if (a[0] & 0x40) text += QStringLiteral(", burst mode");
    return text;
}

QString hexBytes(const std::uint8_t* bytes, std::size_t size) {
    QStringList out;
    for (std::size_t i = 0; i < size; ++i) out << hexByte(bytes[i]);
    return out.join(QLatin1Char(' '));
}

}  // namespace

QString responseStatusText(std::uint8_t status1) {
    if (status1 & 0x80) {
        static const char* const kCommErrors[8] = {nullptr,
                                                   "buffer overflow",
                                                   nullptr,
                                                   "longitudinal parity error",
                                                   "framing error",
                                                   "overrun error",
                                                   "vertical parity error",
                                                   nullptr};
        const QString bits = bitNames(status1, kCommErrors);
        return QStringLiteral("communication error (0x") + hexByte(status1) + QStringLiteral(")") +
               (bits.isEmpty() ? QString() : QStringLiteral(": ") + bits);
    }
    return status1 == 0 ? QStringLiteral("no error") : responseCodeText(status1);
}

QString deviceStatusText(std::uint8_t status2) {
    static const char* const kDeviceBits[8] = {
        "primary variable out of limits", "non-primary variable out of limits",
        "loop current saturated",         "loop current fixed",
        "more status available",          "cold start",
        "configuration changed",          "device malfunction"};
    return status2 == 0 ? QStringLiteral("device ok")
                        : QStringLiteral("device: ") + bitNames(status2, kDeviceBits);
}

QString frameText(bool sent, const std::uint8_t* bytes, std::size_t size, const QString& note) {
    QString text = sent ? QStringLiteral("--> ") : QStringLiteral("<-- ");
    const QString noted =
        note.isEmpty() ? QString() : QStringLiteral(" (") + note + QLatin1Char(')');
    std::size_t at = 0;
    while (at < size && bytes[at] == kPreamble) ++at;
    if (at >= size) return text + QStringLiteral("no frame") + noted;

    const std::uint8_t delimiter = bytes[at];
    const bool isLong = (delimiter & 0x80) != 0;
    const std::size_t addressSize = isLong ? 5 : 1;
    const std::size_t expansion = (delimiter >> 5) & 0x03;
    const std::size_t headerEnd = at + 1 + addressSize + expansion + 2;  // command and byte count
    text += frameKind(delimiter);
    if (headerEnd > size)
        return text + QStringLiteral(", frame incomplete: ") + hexBytes(bytes + at, size - at) +
               noted;

    const std::uint8_t* address = bytes + at + 1;
    const std::uint8_t frameType = delimiter & 0x07;
    text += QStringLiteral(", ") + addressText(frameType == 0x02, address, isLong);
    const std::uint8_t command = bytes[headerEnd - 2];
    const std::size_t count = bytes[headerEnd - 1];
    text += QStringLiteral(", command ") + QString::number(command) + QStringLiteral(", ") +
            QString::number(count) + QStringLiteral(" bytes");
    if (headerEnd + count + 1 > size) {
        return text + QStringLiteral(", frame incomplete (") + QString::number(size - headerEnd) +
               QStringLiteral(" of ") + QString::number(count + 1) +
               QStringLiteral(" bytes after the byte count)") + noted;
    }
    const std::uint8_t* body = bytes + headerEnd;
    std::size_t dataAt = 0;
    if (frameType != 0x02 && count >= 2) {
        text += QStringLiteral(", ") + responseStatusText(body[0]) + QStringLiteral(", ") +
                deviceStatusText(body[1]);
        dataAt = 2;
    }
    if (count > dataAt) text += QStringLiteral(", data ") + hexBytes(body + dataAt, count - dataAt);

    std::uint8_t check = 0;
    for (std::size_t i = at; i < headerEnd + count; ++i) check ^= bytes[i];
    text += check == body[count] ? QStringLiteral(", check byte ok")
                                 : QStringLiteral(", check byte wrong");
    if (headerEnd + count + 1 < size)
        text += QStringLiteral(", ") + QString::number(size - headerEnd - count - 1) +
                QStringLiteral(" bytes after it");
    return text + noted;
}

}  // namespace zh
