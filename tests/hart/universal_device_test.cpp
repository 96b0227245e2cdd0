// Any HART device's universal data: packed ASCII, the decoding of every
// read by revision, what a refusal or a failure leaves, and the request
// bytes of the writes.

#include "hart/universal_device.h"

#include <gtest/gtest.h>

#include <QMap>

#include "command_test_support.h"
#include "hart/packed_ascii.h"
#include "hart/progress_steps.h"
#include "hart/wire_values.h"

namespace zh {
namespace {

using test::bytes;

// Answers each command from a table: response code and data; a command not
// in the table is "not implemented" (64). As the session does, an error code
// comes back as kResultRefused, a warning with the data. `linkFailure` fails
// the transfer of one command as the library would.
class ScriptedDevice final : public RequestSender {
  public:
    int sendRequest(std::uint8_t command, const QByteArray& request, int, QByteArray* response,
                    int) override {
        sent << QStringLiteral("%1:%2").arg(command).arg(
            QString::fromLatin1(request.toHex().toUpper()));
        if (command == failCommand) return linkFailure;
        const auto it = answers.constFind(command);
        code_ = it == answers.constEnd() ? 64 : it->first;
        if (response) *response = it == answers.constEnd() ? QByteArray() : it->second;
        return code_ == 0 || code_ == 8 ? 0 : kResultRefused;
    }
    std::uint8_t resCode1() const override { return code_; }
    std::uint8_t resCode2() const override { return 0x10; }

    QMap<int, std::pair<int, QByteArray>> answers;
    int failCommand = -1;
    int linkFailure = 4;
    QStringList sent;

  private:
    std::uint8_t code_ = 0;
};

TEST(PackedAscii, PacksFourCharactersInThreeBytesAndBack) {
    struct Row {
        const char* text;
        int chars;
        const char* packed;
        const char* unpacked;
    };
    const Row rows[] = {
        {"ABCD", 4, "0420C4", "ABCD"},
        {"", 4, "820820", ""},                    // blanks, dropped at the end
        {"pt-101", 8, "414B71C31820", "PT-101"},  // lower case folded, filled with blanks
        {"ABCDEFGH", 4, "0420C4", "ABCD"},        // cut to the size
        {"A\u00E4_@", 4, "07F7C0", "A?_@"},       // no packed form: '?'
    };
    for (const Row& r : rows) {
        const QByteArray packed = packAscii(QString::fromUtf8(r.text), r.chars);
        EXPECT_EQ(packed.toHex().toUpper(), QByteArray(r.packed)) << r.text;
        EXPECT_EQ(unpackAscii(packed), QString::fromUtf8(r.unpacked)) << r.text;
    }
    EXPECT_TRUE(isPackable(QStringLiteral("tank 7 [left]")));
    EXPECT_FALSE(isPackable(QStringLiteral("{x}")));
}

TEST(UniversalCodes, NameUnitsFunctionsAndStatusBits) {
    EXPECT_EQ(unitCodeName(7), "bar");
    EXPECT_EQ(unitCodeName(32), QString::fromUtf8("\u00B0C"));
    EXPECT_EQ(unitCodeName(199), "unit 199");
    EXPECT_EQ(unitCodeOf("MBAR"), 8);
    EXPECT_EQ(unitCodeOf("degC"), 32);
    EXPECT_EQ(unitCodeOf(" 12 "), 12);
    EXPECT_EQ(unitCodeOf("unit 199"), 199);
    EXPECT_EQ(unitCodeOf("furlong"), -1);
    EXPECT_EQ(unitCodeOf("256"), -1);
    EXPECT_EQ(transferFunctionName(1), "square root");
    EXPECT_EQ(transferFunctionName(251), "none");
    EXPECT_EQ(transferFunctionName(77), "transfer function 77");
    EXPECT_EQ(alarmSelectionName(239), "hold last output value");
    EXPECT_EQ(writeProtectName(1), "yes");
    EXPECT_EQ(
        additionalStatusWords(bytes("FFFFFFFFFFFF 09 00 42 00 02 00 00 01")),
        QStringList({"maintenance required", "failure", "non-volatile memory defect",
                     "electronic defect", "analog channel 2 saturated", "analog channel 1 fixed"}));
    EXPECT_TRUE(additionalStatusWords(bytes("FF")).isEmpty());
}

class UniversalDeviceTest : public ::testing::Test {
  protected:
    // A HART 5 device that answers everything but command 14.
    void answerAsHart5() {
        device.answers[1] = {0, bytes("07 41200000")};                       // 10 bar
        device.answers[2] = {0, bytes("41600000 42160000")};                 // 14 mA, 37.5 %
        device.answers[3] = {0, bytes("41600000 07 41200000 20 41C80000")};  // PV, SV 25 degC
        device.answers[12] = {0, packAscii(QStringLiteral("CHECKED 2026"), 32)};
        device.answers[13] = {0, packAscii(QStringLiteral("PT-101"), 8) +
                                     packAscii(QStringLiteral("FEED LINE"), 16) +
                                     bytes("08 0C 7E")};
        device.answers[15] = {0, bytes("00 01 07 42C80000 00000000 3F000000 00 FA")};
        device.answers[16] = {0, bytes("012345")};
        device.answers[48] = {0, bytes("000000000000 01")};
        data.identity.universalRevision = 5;
    }

    test::TestProgram t;
    ScriptedDevice device;
    UniversalDevice universal{t.program, device};
    UniversalData data;
};

TEST_F(UniversalDeviceTest, ReadAllDecodesEveryAnswerAndMarksRefusals) {
    answerAsHart5();
    ASSERT_EQ(universal.readAll(&data), 0) << universal.lastFailure().toStdString();

    // Command 0 is the connection's; command 20 is not asked of HART 5.
    EXPECT_EQ(device.sent,
              QStringList({"1:", "2:", "3:", "12:", "13:", "14:", "15:", "16:", "48:"}));
    EXPECT_EQ(data.answered, QSet<int>({1, 2, 3, 12, 13, 15, 16, 48}));
    EXPECT_EQ(data.refused, (QHash<int, int>{{14, 64}}));
    EXPECT_EQ(data.identity.universalRevision, 5);
    EXPECT_EQ(data.pvUnit, 7);
    EXPECT_FLOAT_EQ(data.pv, 10.0f);
    EXPECT_FLOAT_EQ(data.loopCurrent, 14.0f);
    EXPECT_FLOAT_EQ(data.percentOfRange, 37.5f);
    EXPECT_EQ(data.dynamicCount, 2);
    EXPECT_EQ(data.svUnit, 32);
    EXPECT_FLOAT_EQ(data.sv, 25.0f);
    EXPECT_EQ(data.message, "CHECKED 2026");
    EXPECT_EQ(data.tag, "PT-101");
    EXPECT_EQ(data.descriptor, "FEED LINE");
    EXPECT_EQ(data.date, QDate(2026, 12, 8));
    EXPECT_EQ(data.transferFunction, 1);
    EXPECT_EQ(data.rangeUnit, 7);
    EXPECT_FLOAT_EQ(data.upperRange, 100.0f);
    EXPECT_FLOAT_EQ(data.lowerRange, 0.0f);
    EXPECT_FLOAT_EQ(data.damping, 0.5f);
    EXPECT_EQ(data.privateLabel, 0xFA);
    EXPECT_EQ(data.finalAssemblyNumber, 0x012345u);
    EXPECT_EQ(data.additionalStatus, bytes("000000000000 01"));

    // HART 7 answers command 15 with more bytes and knows the long tag;
    // nothing of the last read stays behind.
    device.answers[15].second += bytes("01");
    device.answers[20] = {0, QByteArray("Feed line P\xE4rnu").leftJustified(32, '\0')};
    device.answers.remove(16);
    data.identity.universalRevision = 7;
    ASSERT_EQ(universal.readAll(&data), 0);
    EXPECT_EQ(data.longTag, QString::fromLatin1("Feed line P\xE4rnu"));
    EXPECT_FLOAT_EQ(data.damping, 0.5f);
    EXPECT_FALSE(data.has(16));
    EXPECT_EQ(data.finalAssemblyNumber, 0u);
    EXPECT_EQ(data.refused.keys().size(), 2);
}

TEST_F(UniversalDeviceTest, AFailedReadStopsWithItsReason) {
    answerAsHart5();
    device.answers[13].second.chop(1);
    EXPECT_EQ(universal.readAll(&data), kResultUnusableAnswer);
    EXPECT_EQ(universal.lastFailure(), "command 13: answer of 20 bytes, 21 expected");
    EXPECT_EQ(data.tag, "");
    EXPECT_EQ(data.message, "CHECKED 2026");  // read before the failure

    answerAsHart5();
    device.answers[12] = {32, {}};
    EXPECT_EQ(universal.readAll(&data), kResultRefused);
    EXPECT_EQ(universal.lastFailure(), "command 12: busy (32)");

    answerAsHart5();
    device.failCommand = 2;
    device.sent.clear();
    EXPECT_EQ(universal.readAll(&data), 4);
    EXPECT_EQ(universal.lastFailure(), "command 2: no answer from the device");
    EXPECT_EQ(device.sent, QStringList({"1:", "2:"}));
}

TEST_F(UniversalDeviceTest, WritesSendTheirBytesAndNameARefusal) {
    device.answers[17] = {0, {}};
    device.answers[18] = {0, {}};
    device.answers[22] = {0, {}};
    device.answers[34] = {8, {}};  // set to the nearest value: done, with a warning
    device.answers[35] = {0, {}};
    device.answers[40] = {0, {}};
    device.answers[44] = {7, {}};  // write protected
    device.answers[45] = {0, {}};
    device.answers[46] = {0, {}};
    EXPECT_EQ(universal.writeMessage(QStringLiteral("abcd")), 0);
    EXPECT_EQ(
        universal.writeTagDescriptorDate(QStringLiteral("ABCD"), QString(), QDate(2026, 12, 8)), 0);
    EXPECT_EQ(universal.writeLongTag(QStringLiteral("Tank 7")), 0);
    EXPECT_EQ(universal.writeDamping(2.0f), 0);
    EXPECT_EQ(universal.lastWarning(), "damping: update failure (8)");
    EXPECT_EQ(universal.writeRange(7, 100.0f, -1.0f), 0);
    EXPECT_EQ(universal.setLoopCurrent(4.0f), 0);
    EXPECT_EQ(universal.trimCurrentZero(4.01f), 0);
    EXPECT_EQ(universal.trimCurrentGain(20.0f), 0);
    EXPECT_EQ(universal.writePvUnit(8), kResultRefused);
    EXPECT_EQ(universal.lastFailure(), "PV unit: write protected (7)");
    EXPECT_EQ(device.sent,
              QStringList({"17:0420C4" + QStringLiteral("820820").repeated(7),
                           "18:0420C4820820" + QStringLiteral("820820").repeated(4) + "080C7E",
                           "22:54616E6B2037" + QStringLiteral("00").repeated(26), "34:40000000",
                           "35:0742C80000BF800000", "40:40800000", "45:408051EC", "46:41A00000",
                           "44:08"}));

    // Refused here, nothing sent; with NoWrite on, nothing sent either.
    device.sent.clear();
    EXPECT_EQ(universal.writeMessage(QStringLiteral("{curly}")), kResultValueRefused);
    EXPECT_EQ(universal.writeTagDescriptorDate(QStringLiteral("TAG"), QString(), QDate()),
              kResultValueRefused);
    EXPECT_EQ(universal.lastFailure(), "date: a day from 1900-01-01 to 2155-12-31");
    EXPECT_EQ(universal.writeLongTag(QString(33, QLatin1Char('x'))), kResultValueRefused);
    EXPECT_EQ(universal.writeDamping(std::nanf("")), kResultValueRefused);
    t.program.state.NoWrite = QStringLiteral("on");
    EXPECT_EQ(universal.writeDamping(1.0f), kResultNotSent);
    EXPECT_TRUE(device.sent.isEmpty());
}

}  // namespace
}  // namespace zh
