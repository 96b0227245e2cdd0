#include "device_identity.h"

#include <QRegularExpression>
#include <QStringList>

#include "app/message_text.h"
#include "identity_message.h"

namespace zh {
namespace {

int byteAt(const QByteArray& data, int index) {
    return static_cast<unsigned char>(data.at(index));
}

int wordAt(const QByteArray& data, int index) {
    return byteAt(data, index) << 8 | byteAt(data, index + 1);
}

// Two hex digits, four for the 16-bit numbers of revision 7.
QString hex(int value) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(value, value > 0xFF ? 4 : 2, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

bool decodeIdentity(const QByteArray& data, DeviceIdentity* identity) {
    DeviceIdentity id;
    id.raw = data;
    if (data.size() < 12) {
        *identity = id;
        return false;
    }
    id.valid = true;
    id.requestPreambles = byteAt(data, 3);
    id.universalRevision = byteAt(data, 4);
    id.deviceRevision = byteAt(data, 5);
    id.softwareRevision = byteAt(data, 6);
    id.hardwareRevision = byteAt(data, 7) >> 3;
    id.signalling = byteAt(data, 7) & 0x07;
    id.flags = byteAt(data, 8);
    id.deviceId = static_cast<quint32>(byteAt(data, 9)) << 16 |
                  static_cast<quint32>(byteAt(data, 10)) << 8 |
                  static_cast<quint32>(byteAt(data, 11));
    // From revision 7 on, bytes 1-2 are the expanded device type and the
    // manufacturer moves to bytes 17-18; a short answer of a device that
    // calls itself 7 keeps the old meaning of byte 1.
    const bool expanded = id.universalRevision >= 7 && data.size() >= 19;
    id.manufacturer = expanded ? wordAt(data, 17) : byteAt(data, 1);
    id.deviceType = expanded ? wordAt(data, 1) : byteAt(data, 2);
    if (id.universalRevision >= 6) {
        if (data.size() >= 13) id.responsePreambles = byteAt(data, 12);
        if (data.size() >= 14) id.maxDeviceVariables = byteAt(data, 13);
        if (data.size() >= 16) id.configChangeCounter = wordAt(data, 14);
        if (data.size() >= 17) id.extendedStatus = byteAt(data, 16);
    }
    if (expanded) {
        if (data.size() >= 21) id.privateLabel = wordAt(data, 19);
        if (data.size() >= 22) id.deviceProfile = byteAt(data, 21);
    }
    *identity = id;
    return true;
}

bool sameDevice(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.valid && b.valid && a.manufacturer == b.manufacturer && a.deviceType == b.deviceType &&
           a.deviceId == b.deviceId;
}

QString identityMessage(const DeviceIdentity& identity, const QString& tag, const QString& rest) {
    QString pattern =
        QStringLiteral("manufacturer {manufacturer}, device type {type}, HART {revision}");
    QStringList values{hex(identity.manufacturer), hex(identity.deviceType),
                       QString::number(identity.universalRevision)};
    const QString shownTag = tag.trimmed();
    if (!shownTag.isEmpty()) {
        pattern += QStringLiteral(", tag {tag}");
        values << shownTag;
    }
    return pattern + rest + QLatin1Char('\t') + values.join(QLatin1Char('\t'));
}

QString identityText(const DeviceIdentity& identity, const QString& tag) {
    const QStringList fields = identityMessage(identity, tag).split(QLatin1Char('\t'));
    return fillPositional(fields.first(), fields.mid(1), true);
}

bool identityListed(const DeviceIdentity& identity, const QString& list) {
    if (!identity.valid) return false;
    static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
    for (const QString& entry : list.split(separators, Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char(':'));
        if (parts.size() != 2) continue;
        bool manufacturerOk = false, typeOk = false;
        const int manufacturer = parts[0].toInt(&manufacturerOk, 16);
        const int type = parts[1].toInt(&typeOk, 16);
        if (manufacturerOk && typeOk && manufacturer == identity.manufacturer &&
            type == identity.deviceType)
            return true;
    }
    return false;
}

}  // namespace zh
