// The ADC configuration and AGW table commands: their little-endian layouts
// byte for byte, refusals of values that do not fit, and round trips through
// the link library's simulator.

#include "hart/adc_commands.h"

#include <gtest/gtest.h>

#include "command_test_support.h"
#include "hart/raw_values.h"

namespace zh {
namespace {

using test::bytes;

// Field values with a colour state each, as the field table has them.
class ColouredValues final : public RawValues {
  public:
    QString rawValue(const QString& field) const override { return values.value(field); }
    void setRawValue(const QString& field, const QString& value, const QString& wire) override {
        values.insert(field, value);
        wireNames.insert(field, wire);
    }
    int colourIndex(const QString& field) const override { return colours.value(field, -1); }

    QHash<QString, QString> values, wireNames;
    QHash<QString, int> colours;
};

QString name(const char* stem, int n) {
    return QLatin1String(stem) + QString::number(n);
}

// ADCByte n = 12 n, nominal range 10000 ... -10000, AGW k = 100 k.
QHash<QString, QString> deviceFields() {
    QHash<QString, QString> fields{{"TNomRangeHigh", "10000"}, {"TNomRangeLow", "-10000"}};
    for (int n = 0; n < 22; ++n) fields.insert(name("ADCByte", n), QString::number(12 * n));
    for (int k = 0; k < 11; ++k) fields.insert(name("AGW", k), QString::number(100 * k));
    return fields;
}
const char* const kConfiguration = "000C1824303C4854606C7884909CA8B4C0CCD8E4F0FC1027F0D8";

class AdcCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.program.log.onViewAppend = [this](const QString& line, int colour) {
            colours.insert(line, colour);
        };
    }
    test::TestProgram t;
    test::FakeRequestSender sender;
    ColouredValues values;
    AdcCommands commands{t.program, sender, values};
    QHash<QString, int> colours;  // every line logged, with its colour
};

TEST_F(AdcCommandsTest, ReadsDecodeLittleEndianValues) {
    sender.reply = bytes(kConfiguration);
    ASSERT_EQ(commands.Com1410(3), 0);
    sender.reply = bytes("589EFF7F0080 0000000000000000000000000000 2C01 3930");
    ASSERT_EQ(commands.Com1420(3), 0);
    EXPECT_EQ(sender.sent, QStringList({"141/26//3", "142/24//3"}));

    QHash<QString, QString> expected = deviceFields();
    expected.insert("AGW0", "-25000");
    expected.insert("AGW1", "32767");
    expected.insert("AGW2", "-32768");
    for (int k = 3; k < 10; ++k) expected.insert(name("AGW", k), "0");
    expected.insert("AGW10", "300");
    EXPECT_EQ(values.values, expected);  // the ADC reading goes into no field
    EXPECT_EQ(values.wireNames.value("ADCByte21"), "ADCByte21");
    EXPECT_EQ(values.wireNames.value("TNomRangeHigh"), "iMBE");
    EXPECT_EQ(values.wireNames.value("TNomRangeLow"), "iMBA");
    EXPECT_EQ(values.wireNames.value("AGW10"), "AGW10");
    for (const char* line : {"<-- Read Com1410", "    ADCByte1=0x0C; ", "    iMBA=-10000; ",
                             "<-- Read Com1420", "    AGW0=-25000; ", "    ActADC=12345; "}) {
        EXPECT_TRUE(colours.contains(line)) << line;
    }

    // A failed read, or an answer with an error code, changes no field.
    sender.reply = QByteArray(26, '\x7F');
    for (auto [result, code] : {std::pair{3, 0}, {4, 0}, {0, 64}}) {
        sender.result = result;
        sender.code1 = static_cast<std::uint8_t>(code);
        EXPECT_EQ(commands.Com1410(3), result);
        EXPECT_EQ(commands.Com1420(3), result);
        EXPECT_EQ(values.values, expected);
    }
}

TEST_F(AdcCommandsTest, WritesUseTheReadLayouts) {
    values.values = deviceFields();
    values.values.insert("AGW0", "-25000");
    values.values.insert("AGW1", "32767");
    values.colours = {{"ADCByte2", 1}, {"TNomRangeHigh", 3}, {"AGW0", 2}};
    ASSERT_EQ(commands.Com1810(3), 0);
    ASSERT_EQ(commands.Com1820(3), 0);
    // -25000 is 58 9E; the ActADC word stays 0.
    EXPECT_EQ(sender.sent,
              QStringList({QStringLiteral("181/0/%1/3").arg(kConfiguration),
                           "182/0/589EFF7FC8002C019001F4015802BC0220038403E8030000/3"}));
    // Lines carry their field's colour state.
    EXPECT_EQ(colours.value("   ADCByte2=0x18; "), 1);
    EXPECT_EQ(colours.value("   ADCByte3=0x24; "), -1);
    EXPECT_EQ(colours.value("   iMBE=10000; "), 3);
    EXPECT_EQ(colours.value("   AGW0=-25000; "), 2);
    EXPECT_TRUE(colours.contains("   ActADC=0; "));

    t.program.state.NoWrite = QStringLiteral("ON");
    colours.clear();
    EXPECT_EQ(commands.Com1810(3), kResultNotSent);
    EXPECT_EQ(commands.Com1820(3), kResultNotSent);
    EXPECT_EQ(sender.sent.size(), 2);
    EXPECT_TRUE(colours.contains("   iMBA=-10000; "));  // built and logged in full
    EXPECT_TRUE(colours.contains("   ActADC=0; "));
}

TEST_F(AdcCommandsTest, ValuesThatDoNotFitStopTheWrite) {
    const std::tuple<const char*, const char*, WireError> cases[] = {
        {"ADCByte5", "256", WireError::OutOfRange},
        {"ADCByte0", "-1", WireError::OutOfRange},
        {"ADCByte9", "x", WireError::NotANumber},
        {"TNomRangeLow", "-40000", WireError::OutOfRange},
        {"AGW3", "40000", WireError::OutOfRange},
        {"AGW8", "99999000", WireError::OutOfRange},
        {"AGW7", "", WireError::Empty}};
    for (const char* noWrite : {"OFF", "ON"}) {
        t.program.state.NoWrite = noWrite;
        for (auto [field, raw, error] : cases) {
            values.values = deviceFields();
            values.values.insert(field, raw);
            const bool agw = QString(field).startsWith("AGW");
            EXPECT_EQ(agw ? commands.Com1820(3) : commands.Com1810(3), kResultValueRefused)
                << field;
            EXPECT_EQ(commands.lastRefusal().name, field);
            EXPECT_EQ(commands.lastRefusal().error, error) << field << "=" << raw;
        }
    }
    EXPECT_TRUE(sender.sent.isEmpty());
    EXPECT_TRUE(colours.contains(
        "+++ Com182: Value 40000 for AGW3 out of range (-32768 ... 32767), nothing sent"));
}

class AdcCommandsOnSimulator : public test::SimulatorSession {
  protected:
    // Writes the fields with `write`, reads them back with `read`.
    void roundTrip(int (AdcCommands::*write)(int), int (AdcCommands::*read)(int)) {
        const QHash<QString, QString> written = values.values;
        ASSERT_EQ((commands.*write)(3), 0);
        EXPECT_EQ(session.ResCode1, 0);
        values.values.clear();
        ASSERT_EQ((commands.*read)(3), 0);
        EXPECT_EQ(values.values, written);
    }
    RawValueMap values;
    AdcCommands commands{t.program, session, values};
};

TEST_F(AdcCommandsOnSimulator, ConfigurationReadsBackAsWritten) {
    ASSERT_EQ(commands.Com1410(3), 0);
    // The device's own configuration bytes with the nominal range at its
    // extremes, then byte values spread over 0 ... 255.
    values.values.insert("TNomRangeHigh", "32767");
    values.values.insert("TNomRangeLow", "-32768");
    roundTrip(&AdcCommands::Com1810, &AdcCommands::Com1410);
    for (int base : {0, 200}) {
        for (int n = 0; n < 22; ++n)
            values.values.insert(name("ADCByte", n), QString::number((base + 37 * n) % 256));
        values.values.insert("TNomRangeHigh", QString::number(base));
        values.values.insert("TNomRangeLow", QString::number(-base));
        roundTrip(&AdcCommands::Com1810, &AdcCommands::Com1410);
    }
}

TEST_F(AdcCommandsOnSimulator, AgwTableReadsBackAsWritten) {
    // As a switch (configuration byte 16): its table holds currents and
    // switch settings, any values; a transmitter takes only a rising table.
    ASSERT_EQ(commands.Com1410(3), 0);
    values.values.insert("ADCByte16", "1");
    ASSERT_EQ(commands.Com1810(3), 0);
    values.values.clear();
    const int patterns[][11] = {{-32768, 32767, 0, -1, 1, -25000, 25000, 255, 256, -256, 12345},
                                {32767, -32768, 1, 0, -1, 25000, -25000, -255, 32766, -32767, 0}};
    for (const auto& pattern : patterns) {
        for (int k = 0; k < 11; ++k)
            values.values.insert(name("AGW", k), QString::number(pattern[k]));
        roundTrip(&AdcCommands::Com1820, &AdcCommands::Com1420);
    }
}

}  // namespace
}  // namespace zh
