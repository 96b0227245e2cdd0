// Command-0 answers of the three universal revisions, byte by byte, and the
// text that names the device.

#include "hart/device_identity.h"

#include <gtest/gtest.h>

#include "hart/response_codes.h"

namespace zh {
namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(static_cast<char>(v));
    return out;
}

TEST(DeviceIdentity, DecodesEachRevisionAndNamesTheDevice) {
    struct Row {
        const char* what;
        QByteArray data;
        bool valid;
        int manufacturer, deviceType, preambles, revision, software, hardware, signalling;
        quint32 deviceId;
        int responsePreambles, variables, changes, extended, privateLabel, profile;
        const char* text;
    };
    const Row rows[] = {
        {"HART 5, 12 bytes", bytes({254, 0x26, 0x06, 5, 5, 3, 9, 0x21, 0, 0x12, 0x34, 0x56}), true,
         0x26, 0x06, 5, 5, 9, 4, 1, 0x123456u, -1, -1, -1, -1, -1, -1,
         "manufacturer 0x26, device type 0x06, HART 5, tag PT-101"},
        {"HART 5 with bytes after the identity",
         bytes({254, 0x94, 0x7E, 20, 5, 1, 2, 0x08, 0, 0, 0, 1, 0xAA}), true, 0x94, 0x7E, 20, 5, 2,
         1, 0, 1u, -1, -1, -1, -1, -1, -1,
         "manufacturer 0x94, device type 0x7E, HART 5, tag PT-101"},
        {"HART 6, 17 bytes",
         bytes({254, 0x11, 0x22, 5, 6, 2, 4, 0x0A, 1, 0xAB, 0xCD, 0xEF, 8, 4, 0x01, 0x02, 0x40}),
         true, 0x11, 0x22, 5, 6, 4, 1, 2, 0xABCDEFu, 8, 4, 0x0102, 0x40, -1, -1,
         "manufacturer 0x11, device type 0x22, HART 6, tag PT-101"},
        {"HART 7, 22 bytes: expanded device type and 16-bit manufacturer",
         bytes({254,  0xE1, 0xA5, 5,    7,    1,    3,    0x11, 0,    0x00, 0x00,
                0x2A, 5,    4,    0x00, 0x07, 0x00, 0x60, 0x13, 0x00, 0x26, 1}),
         true, 0x6013, 0xE1A5, 5, 7, 3, 2, 1, 0x2Au, 5, 4, 7, 0, 0x26, 1,
         "manufacturer 0x6013, device type 0xE1A5, HART 7, tag PT-101"},
        {"too short", bytes({254, 0x26, 0x06, 5, 5, 3, 9, 0x21, 0, 0x12, 0x34}), false, 0, 0, 0, 0,
         0, 0, 0, 0u, -1, -1, -1, -1, -1, -1,
         "manufacturer 0x00, device type 0x00, HART 0, tag PT-101"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        DeviceIdentity id;
        id.valid = !r.valid;
        EXPECT_EQ(decodeIdentity(r.data, &id), r.valid);
        EXPECT_EQ(id.valid, r.valid);
        EXPECT_EQ(id.raw, r.data);
        EXPECT_EQ(id.manufacturer, r.manufacturer);
        EXPECT_EQ(id.deviceType, r.deviceType);
        EXPECT_EQ(id.requestPreambles, r.preambles);
        EXPECT_EQ(id.universalRevision, r.revision);
        EXPECT_EQ(id.softwareRevision, r.software);
        EXPECT_EQ(id.hardwareRevision, r.hardware);
        EXPECT_EQ(id.signalling, r.signalling);
        EXPECT_EQ(id.deviceId, r.deviceId);
        EXPECT_EQ(id.responsePreambles, r.responsePreambles);
        EXPECT_EQ(id.maxDeviceVariables, r.variables);
        EXPECT_EQ(id.configChangeCounter, r.changes);
        EXPECT_EQ(id.extendedStatus, r.extended);
        EXPECT_EQ(id.privateLabel, r.privateLabel);
        EXPECT_EQ(id.deviceProfile, r.profile);
        EXPECT_EQ(identityText(id, QStringLiteral(" PT-101  ")), QString::fromUtf8(r.text));
    }
    DeviceIdentity hart5;
    decodeIdentity(rows[0].data, &hart5);
    EXPECT_EQ(identityText(hart5, QStringLiteral("        ")),
              QStringLiteral("manufacturer 0x26, device type 0x06, HART 5"));
}

TEST(DeviceStatus, BitsInWordsMostSeriousFirst) {
    EXPECT_EQ(deviceStatusText(0), QString());
    EXPECT_EQ(deviceStatusText(0xA0), QStringLiteral("malfunction, cold start"));
    EXPECT_EQ(deviceStatusText(0x11),
              QStringLiteral("more status available, primary variable out of limits"));
    EXPECT_EQ(responseCodeText(64), QStringLiteral("command not implemented (64)"));
}

}  // namespace
}  // namespace zh
