// Request frames byte for byte; every expected frame and check byte below
// was worked out by hand from the data-link layer's frame layout.

#include "hartlink/frame.h"

#include <gtest/gtest.h>

namespace hartlink {
namespace {

using Bytes = std::vector<std::uint8_t>;

Request request(int preambles, MasterKind master, DeviceAddress address, std::uint8_t command,
                Bytes data = {}) {
    Request r;
    r.preambles = preambles;
    r.master = master;
    r.address = address;
    r.command = command;
    r.data = std::move(data);
    return r;
}

Bytes preambles(std::size_t n, Bytes rest) {
    Bytes b(n, 0xFF);
    for (std::uint8_t x : rest) b.push_back(x);
    return b;
}

TEST(FrameEncoding, RequestsMatchHandWorkedFrames) {
    const auto primary = MasterKind::Primary;
    const auto secondary = MasterKind::Secondary;
    const struct {
        const char* name;
        Request request;
        Bytes expected;
    } cases[] = {
        // 02 ^ 83 ^ 00 ^ 00 = 81
        {"command 0, polling address 3, primary", request(5, primary, DeviceAddress::polling(3), 0),
         preambles(5, {0x02, 0x83, 0x00, 0x00, 0x81})},
        // master bit clear: 02 ^ 03 = 01
        {"command 0, polling address 3, secondary",
         request(5, secondary, DeviceAddress::polling(3), 0),
         preambles(5, {0x02, 0x03, 0x00, 0x00, 0x01})},
        // 02 ^ BF = BD
        {"polling address 63, 20 preambles", request(20, primary, DeviceAddress::polling(63), 0),
         preambles(20, {0x02, 0xBF, 0x00, 0x00, 0xBD})},
        // 82 ^ A6 ^ 06 ^ 01 ^ 02 ^ 03 ^ 01 ^ 00 = 23
        {"command 1, long address 26 06 01 02 03, primary",
         request(5, primary, DeviceAddress::longAddress({0x26, 0x06, 0x01, 0x02, 0x03}), 1),
         preambles(5, {0x82, 0xA6, 0x06, 0x01, 0x02, 0x03, 0x01, 0x00, 0x23})},
        // The master and burst bits of a learnt address byte never leak into
        // a request: E6 goes out as 26 from a secondary master.
        // 82 ^ 26 ^ 06 ^ 01 ^ 02 ^ 03 ^ 23 ^ 03 ^ 07 ^ 3F ^ 80 = 3A
        {"command 35 with 3 data bytes, secondary, 2 preambles",
         request(2, secondary, DeviceAddress::longAddress({0xE6, 0x06, 0x01, 0x02, 0x03}), 35,
                 {0x07, 0x3F, 0x80}),
         preambles(2, {0x82, 0x26, 0x06, 0x01, 0x02, 0x03, 0x23, 0x03, 0x07, 0x3F, 0x80, 0x3A})},
    };
    for (const auto& c : cases) EXPECT_EQ(encodeRequest(c.request), c.expected) << c.name;
}

TEST(FrameEncoding, LongestRequestCarriesItsByteCountAndAValidCheckByte) {
    const Bytes frame =
        encodeRequest(request(5, MasterKind::Primary, DeviceAddress::longAddress({1, 2, 3, 4, 5}),
                              0x80, Bytes(255, 0x5A)));
    ASSERT_EQ(frame.size(), 5u + 1 + 5 + 1 + 1 + 255 + 1);
    EXPECT_EQ(frame[12], 255);
    // The XOR of delimiter .. check byte is 0 for any valid frame.
    EXPECT_EQ(checkByte(frame.data() + 5, frame.size() - 5), 0);
}

}  // namespace
}  // namespace hartlink
