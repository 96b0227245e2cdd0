// The encodings between raw value texts and HART data bytes, byte for byte.

#include "hart/wire_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "command_test_support.h"
#include "hart/raw_values.h"

namespace zh {
namespace {

using test::bytes;

TEST(WireValues, ReadersAndPlacementKeepTheirByteOrder) {
    EXPECT_EQ(readUnsigned(bytes("0100"), 0, 2), 256u);
    EXPECT_EQ(readUnsigned(bytes("0A0B0C"), 0, 3), 0x0A0B0Cu);
    EXPECT_EQ(readHartFloat(bytes("3F800000"), 0), 1.0f);
    EXPECT_EQ(readHartFloat(bytes("0042C80000"), 1), 100.0f);
    EXPECT_EQ(getLE16Signed(bytes("1027"), 0), 10000);
    EXPECT_EQ(getLE16Signed(bytes("F0D8"), 0), -10000);
    EXPECT_EQ(getLE32(bytes("78563412"), 0), 0x12345678u);
    EXPECT_EQ(readText(QByteArray("TAG\0\0xyz", 8), 0, 8), "TAG");

    QByteArray data;
    putLE16(data, 0, static_cast<quint16>(qint16(-25000)));
    putLE32(data, 2, 0x12345678u);  // grows the buffer
    EXPECT_EQ(data, bytes("589E78563412"));
    putHartFloat(data, 1, 100.0f);
    EXPECT_EQ(data, bytes("5842C8000012"));
}

TEST(WireValues, WritersRefuseWhatDoesNotFit) {
    RawValueMap values;
    values.values.insert("ADCByte5", "256");
    QByteArray buffer(2, '\x55');
    EXPECT_TRUE(writeUnsigned(values, "#12", 1, buffer, 0).ok());
    EXPECT_TRUE(writeUnsigned(values, "#$FF", 1, buffer, 1).ok());
    EXPECT_EQ(buffer, bytes("0CFF"));
    EXPECT_EQ(writeUnsigned(values, "ADCByte5", 1, buffer, 0).message(),
              "Value 256 for ADCByte5 out of range (0 ... 255)");
    EXPECT_FALSE(writeUnsigned(values, "#-1", 1, buffer, 0).ok());
    EXPECT_EQ(buffer, bytes("0CFF"));  // untouched by refusals
    EXPECT_TRUE(writeUnsigned(values, "#%0000111111111111", 2, buffer, 0).ok());
    EXPECT_EQ(buffer, bytes("0FFF"));

    // Which literals fit signed 16, unsigned 16 and 32 bits.
    const std::tuple<const char*, bool, bool, bool> cases[] = {
        {"#-32768", true, false, true},       {"#32767", true, true, true},
        {"#-32769", false, false, true},      {"#65535", false, true, true},
        {"#65536", false, false, true},       {"#4294967295", false, false, true},
        {"#-2147483649", false, false, false}};
    for (auto [literal, s16, u16, i32] : cases) {
        EXPECT_EQ(takeSigned16(values, literal).ok(), s16) << literal;
        EXPECT_EQ(takeUnsigned16(values, literal).ok(), u16) << literal;
        EXPECT_EQ(takeInt32(values, literal).ok(), i32) << literal;
    }
    EXPECT_EQ(takeInt32(values, "#4294967295").value, -1);  // the same 32 bits as -1

    values.values.insert("TagID", "PT-101");
    EXPECT_EQ(takeText(values, "TagID", 8).value, QByteArray("PT-101\0\0", 8));
    EXPECT_EQ(takeText(values, "TagID", 4).value, QByteArray("PT-1"));
    values.values.insert("TagID", QStringLiteral("Zähler"));
    EXPECT_EQ(takeText(values, "TagID", 16).error, WireError::NotText);
}

TEST(WireValues, NumberTexts) {
    using E = WireError;
    const std::tuple<const char*, E, qint64, E> cases[] = {
        // text, as an integer, its value, as a float
        {"42", E::None, 42, E::None},
        {" -17 ", E::None, -17, E::None},
        {"$1f", E::None, 31, E::NotANumber},
        {"%101", E::None, 5, E::NotANumber},
        {"12.9", E::None, 12, E::None},  // the fraction is dropped
        {"-3,7", E::None, -3, E::None},
        {"", E::Empty, 0, E::Empty},
        {"-", E::Empty, 0, E::Empty},
        {"12abc", E::NotANumber, 0, E::NotANumber},
        {"1e3", E::NotANumber, 0, E::None},
        {"%102", E::NotANumber, 0, E::NotANumber},
        {"NaN", E::NotANumber, 0, E::NotFinite},
        {"+Infinity", E::NotANumber, 0, E::NotFinite},
        {"1e39", E::NotANumber, 0, E::OutOfRange},
        {"99999999999999999999", E::OutOfRange, 0, E::None},
    };
    for (auto [text, integer, value, real] : cases) {
        const WireValue<qint64> parsed = parseInteger(text);
        EXPECT_EQ(parsed.error, integer) << text;
        EXPECT_EQ(parsed.ok() ? parsed.value : 0, value) << text;
        EXPECT_EQ(parseFloat(text).error, real) << text;
    }
    EXPECT_EQ(parseFloat("-3,5").value, -3.5f);
}

TEST(WireValues, FloatAndHexTexts) {
    EXPECT_EQ(floatText(12.5f), "12.5");
    EXPECT_EQ(floatText(3.0f), "3.0");
    EXPECT_EQ(floatText(-0.25f), "-0.25");
    EXPECT_EQ(floatText(0.1f), "0.1000000015");  // single precision widened, 10 decimals
    EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), "+Infinity");
    EXPECT_EQ(floatText(-std::numeric_limits<float>::infinity()), "-Infinity");
    EXPECT_EQ(floatText(std::nanf("")), "NaN");

    EXPECT_EQ(hexTextValue(" 1aF "), 0x1AF);
    EXPECT_EQ(hexTextValue(""), 0);
    EXPECT_EQ(hexTextValue("FFFFFFFF"), 4294967295LL);
    EXPECT_EQ(hexTextValue("G1"), -1);
    EXPECT_EQ(hexTextValue("100000000"), -1);  // does not fit 32 bits
    EXPECT_EQ(unsigned32View(-1), 4294967295LL);
}

}  // namespace
}  // namespace zh
