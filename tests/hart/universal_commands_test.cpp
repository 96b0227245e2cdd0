// The universal and common-practice commands: request bytes and response
// decoding against hand-written bytes, and a round trip through the link
// library's simulator.

#include "hart/universal_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "command_test_support.h"
#include "hart/raw_values.h"

namespace zh {
namespace {

using test::bytes;

// Range 100 ... -50, damping 0.5.
const QByteArray kCom15 = bytes("000107 42C80000 C2480000 3F000000 00FA");

class UniversalCommandsTest : public ::testing::Test {
  protected:
    bool logged(const QString& line) const { return test::logged(t.program, line); }

    test::TestProgram t;
    test::FakeRequestSender sender;
    RawValueMap values;
    UniversalCommands commands{t.program, sender, values};
};

TEST_F(UniversalCommandsTest, ReadsDecodeTheirResponses) {
    sender.reply = bytes("FE1122050501031000 0A0B0C");
    ASSERT_EQ(commands.Com0(3), 0);
    sender.reply = kCom15;
    ASSERT_EQ(commands.Com15(3), 0);
    sender.reply = bytes("41400000 42480000");  // 12 mA, 50 %
    ASSERT_EQ(commands.Com2(3), 0);
    sender.reply = bytes("0302");
    ASSERT_EQ(commands.Com151(3), 0);

    EXPECT_EQ(sender.sent, QStringList({"0/12//3", "15/17//3", "2/8//3", "151/2//3"}));
    const QHash<QString, QString> stored{{"CmbManufact", "17"},
                                         {"DevType", "34"},
                                         {"TMeasRangeHigh", "100.0"},
                                         {"TMeasRangeLow", "-50.0"},
                                         {"Damping", "0.5"}};
    EXPECT_EQ(values.values, stored);
    const QHash<QString, QString> wireNames{{"CmbManufact", "ManufakturerID"},
                                            {"DevType", "ManufakturerDeviveTypeCode"},
                                            {"TMeasRangeHigh", "UpperRangeValue"},
                                            {"TMeasRangeLow", "LowerRangeValue"},
                                            {"Damping", "DampingValue"}};
    EXPECT_EQ(values.wireNames, wireNames);
    for (const char* line :
         {"<-- Read Com0", "    ManufakturerID=0x11; ", "    DeviceID=0x0A0B0C; ",
          "    PVRangeUnitCode=0x07; ", "    UpperRangeValue=100.0; ", "    PercentRange=50.0; ",
          "    HardwareVersion=0x02; "}) {
        EXPECT_TRUE(logged(line)) << line;
    }
    // Later readers of a buffer find native floats where the wire bytes were.
    EXPECT_EQ(nativeFloatAt(commands.buffers(15).response, 7), -50.0f);
    EXPECT_EQ(commands.buffers(15).response.right(2), bytes("00FA"));
    EXPECT_EQ(nativeFloatAt(commands.buffers(2).response, 0), 12.0f);
}

TEST_F(UniversalCommandsTest, FailedReadsChangeNothing) {
    sender.reply = kCom15;
    ASSERT_EQ(commands.Com15(3), 0);
    const QHash<QString, QString> before = values.values;
    const QByteArray buffer = commands.buffers(15).response;
    sender.reply = QByteArray(17, '\x3F');
    // Wrong length, no answer, Cancel, then answers with "not implemented"
    // and "busy": these are returned as 0 with the code in resCode1().
    const std::pair<int, int> cases[] = {{3, 0}, {4, 0}, {80, 0}, {0, 64}, {0, 32}};
    for (auto [result, code] : cases) {
        sender.result = result;
        sender.code1 = static_cast<std::uint8_t>(code);
        EXPECT_EQ(commands.Com15(3), result);
        EXPECT_EQ(values.values, before) << result << "/" << code;
        EXPECT_EQ(commands.buffers(15).response, buffer) << result << "/" << code;
    }
    EXPECT_TRUE(logged("+++ Com15: ResCode1=64, nothing stored"));
}

TEST_F(UniversalCommandsTest, WritesSendTheirRequests) {
    values.values = {{"Damping", "2.5"}, {"TMeasRangeHigh", "100.0"}, {"TMeasRangeLow", "-50"}};
    commands.inputs = {4.0f, 20.0f, 7};
    const std::tuple<std::function<int()>, const char*, const char*> cases[] = {
        {[&] { return commands.Com34(2); }, "34/0/40200000/2", "   DampingValue=2.5; "},
        {[&] { return commands.Com35(2); }, "35/0/0742C80000C2480000/2",
         "   RangeUnitsCode=0x07; "},
        {[&] { return commands.Com36(2); }, "36/0//2", "--> Write Com36"},
        {[&] { return commands.Com37(2); }, "37/0//2", "--> Write Com37"},
        {[&] { return commands.Com40(2); }, "40/4/40800000/2", "   Current=4.0; "},
        {[&] { return commands.Com45(2); }, "45/4/41A00000/2", "   measuredCurrent=20.0; "},
        {[&] { return commands.Com46(2); }, "46/4/41A00000/2", "--> Write Com46"},
    };
    for (const auto& [run, sent, line] : cases) {
        sender.sent.clear();
        EXPECT_EQ(run(), 0) << sent;
        EXPECT_EQ(sender.sent, QStringList(sent));
        EXPECT_TRUE(logged(line)) << line;
    }
    EXPECT_TRUE(logged("   LowerRangeValue=-50.0; "));

    // NoWrite: built and logged, nothing sent; reads still run.
    t.program.state.NoWrite = QStringLiteral("ON");
    sender.sent.clear();
    for (const auto& c : cases) EXPECT_EQ(std::get<0>(c)(), kResultNotSent) << std::get<1>(c);
    EXPECT_TRUE(sender.sent.isEmpty());
    sender.reply = bytes("0302");
    EXPECT_EQ(commands.Com151(1), 0);
    EXPECT_EQ(sender.sent.size(), 1);
}

TEST_F(UniversalCommandsTest, ValuesThatAreNoNumbersStopTheWrite) {
    const std::pair<const char*, const char*> cases[] = {
        {"Damping", ""}, {"Damping", "NaN"}, {"TMeasRangeLow", "-"}, {"TMeasRangeHigh", "1e40"}};
    for (auto [field, raw] : cases) {
        values.values = {{"Damping", "1"}, {"TMeasRangeHigh", "10"}, {"TMeasRangeLow", "0"}};
        values.values.insert(field, raw);
        const int result = QString(field) == "Damping" ? commands.Com34(3) : commands.Com35(3);
        EXPECT_EQ(result, kResultValueRefused) << field << "=" << raw;
        EXPECT_EQ(commands.lastRefusal().name, field);
    }
    commands.inputs.fixedCurrent = std::nanf("");
    EXPECT_EQ(commands.Com40(3), kResultValueRefused);
    EXPECT_EQ(commands.lastRefusal().name, "Current");
    EXPECT_TRUE(sender.sent.isEmpty());
    EXPECT_TRUE(logged("+++ Com34: No value for Damping, nothing sent"));
}

class UniversalCommandsOnSimulator : public test::SimulatorSession {
  protected:
    RawValueMap values;
    UniversalCommands commands{t.program, session, values};
};

TEST_F(UniversalCommandsOnSimulator, DampingAndRangeReadBackAsWritten) {
    ASSERT_EQ(commands.Com15(3), 0);
    commands.inputs.rangeUnitsCode = static_cast<std::uint8_t>(commands.buffers(15).response[2]);
    // The device's range lies within its nominal range: write it as it is,
    // reversed and halved, with damping from 0 to near its 99.9 s limit.
    const QString upper = values.values.value("TMeasRangeHigh");
    const QString lower = values.values.value("TMeasRangeLow");
    const QString middle = floatText((upper.toFloat() + lower.toFloat()) / 2);
    const QString cases[][3] = {
        {"0.0", upper, lower}, {"0.25", lower, upper}, {"99.5", middle, lower}};
    for (const auto& c : cases) {
        const QHash<QString, QString> written{
            {"Damping", c[0]}, {"TMeasRangeHigh", c[1]}, {"TMeasRangeLow", c[2]}};
        values.values = written;
        ASSERT_EQ(commands.Com34(3), 0);
        EXPECT_EQ(session.ResCode1, 0) << c[0].toStdString();
        ASSERT_EQ(commands.Com35(3), 0);
        EXPECT_EQ(session.ResCode1, 0) << c[1].toStdString() << " " << c[2].toStdString();
        values.values.clear();
        ASSERT_EQ(commands.Com15(3), 0);
        EXPECT_EQ(values.values, written);
    }
}

}  // namespace
}  // namespace zh
