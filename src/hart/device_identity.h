#pragma once
// Who answered command 0: the identity every HART device gives first, for
// the universal revisions 5, 6 and 7 (12 data bytes and more), and the
// short text that names a device to the person at the tool.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace zh {

struct DeviceIdentity {
    bool valid = false;
    int manufacturer = 0;       // HART 5/6: byte 1; HART 7: bytes 17-18 (16 bits)
    int deviceType = 0;         // HART 5/6: byte 2; HART 7: expanded device type, bytes 1-2
    int requestPreambles = 0;   // byte 3
    int universalRevision = 0;  // byte 4 (5, 6, 7)
    int deviceRevision = 0, softwareRevision = 0, hardwareRevision = 0,
        signalling = 0;    // 5, 6, 7 bits 7-3 / 2-0
    int flags = 0;         // byte 8
    quint32 deviceId = 0;  // bytes 9-11
    int responsePreambles = -1, maxDeviceVariables = -1, configChangeCounter = -1,
        extendedStatus = -1;                    // HART 6+: bytes 12, 13, 14-15, 16
    int privateLabel = -1, deviceProfile = -1;  // HART 7: bytes 19-20, 21
    QByteArray raw;                             // the command-0 data as received
};

// False (and `valid` false) for fewer than 12 bytes.
bool decodeIdentity(const QByteArray& data, DeviceIdentity* identity);

// Whether `a` and `b` are one and the same device (manufacturer, device
// type and device ID); false when either is not valid.
bool sameDevice(const DeviceIdentity& a, const DeviceIdentity& b);

// "manufacturer 0x26, device type 0x06, HART 5" (+ ", tag XYZ" when tag is not empty)
QString identityText(const DeviceIdentity& identity, const QString& tag = QString());

// Whether `identity` is one of `list`: entries "manufacturer:device type"
// in hexadecimal ("94:7E", "0x6013:0xE1A5" for a HART 7 expanded device
// type), separated by semicolons, commas or blanks.
bool identityListed(const DeviceIdentity& identity, const QString& list);

}  // namespace zh
