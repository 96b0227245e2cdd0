// The display module's block codec: byte-exact images against a scripted
// request sender, and round trips through the link library's simulator.

#include "hart/display_blocks.h"

#include <gtest/gtest.h>

#include <deque>

#include "hart/connection_probe.h"
#include "hart/hart_session.h"
#include "hart/link_library.h"
#include "hart/raw_values.h"
#include "support/test_program.h"

namespace zh {
namespace {

// Records requests; answers from a queue, else a success with zero data
// (a block read answered as its own block).
struct ScriptedSender final : RequestSender {
    struct Answer {
        int result = 0;
        QByteArray data;
        std::uint8_t code = 0;
    };
    int sendRequest(std::uint8_t command, const QByteArray& request, int expected,
                    QByteArray* response, int) override {
        sent.push_back(request);
        Answer a{0, QByteArray(expected, '\0'), 0};
        if (command == 191) a.data[0] = request.at(0);
        if (!answers.empty()) a = answers.front(), answers.pop_front();
        code = a.code;
        if (a.result == 0 && a.data.size() != expected) return 3;
        if (a.result == 0 && response) *response = a.data;
        return a.result;
    }
    std::uint8_t resCode1() const override { return code; }
    std::uint8_t resCode2() const override { return 0; }
    std::vector<QByteArray> sent;
    std::deque<Answer> answers;
    std::uint8_t code = 0;
};

QByteArray hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

class DisplayBlocksTest : public ::testing::Test {
  protected:
    void SetUp() override { t.program.log.setThreshold(6); }
    bool logged(const char* line) const { return t.program.log.viewText().contains(line); }
    void setAll(int block, const QString& value) {
        for (const QString& f : blockFields(block)) values.values[f] = value;
        values.values["VersCheck"] = "5";
    }
    test::TestProgram t;
    RawValueMap values;
    ScriptedSender sender;
    DisplayBlocks blocks{t.program, values, sender};
};

TEST(BlockLayouts, ItemsFitTheirSlotsWithoutOverlap) {
    for (const BlockLayout& layout : blockLayouts()) {
        std::vector<int> owner(block::kSize, 0);
        for (const BlockItem& item : layout.items) {
            ASSERT_TRUE(item.offset >= 1 && item.offset + item.width <= block::kFlagsOffset)
                << item.wireName;
            for (int i = item.offset; i < item.offset + item.width; ++i)
                EXPECT_EQ(owner[i]++, 0) << item.wireName;
        }
    }
    EXPECT_EQ(writableBlocks(), (std::vector<int>{0, 1, 2, 3, 10, 11, 12, 13, 20}));
}

TEST_F(DisplayBlocksTest, EveryBlockWritesItsChangeFlags) {
    // Block 0 keeps everything, block 1 slots 5..9, block 10 slot 0, block 13 slot 9.
    const std::map<int, const char*> flags = {{0, "0000"},  {1, "1F0C"},  {2, "FF0F"},
                                              {3, "FF0F"},  {10, "FE0F"}, {11, "FF0F"},
                                              {12, "FF0F"}, {13, "FF0D"}, {20, "FF0F"}};
    for (int number : writableBlocks()) {
        setAll(number, "0");
        ASSERT_EQ(blocks.writeBlock(number, 1), 0) << number;
        const QByteArray& r = sender.sent.back();
        EXPECT_EQ(r.at(0), char(number));
        EXPECT_EQ(r.mid(21, 2), hex(flags.at(number))) << number;
        EXPECT_EQ(r.at(23), char(5));
    }
    EXPECT_TRUE(logged("   ChangeFlags=0000110111111111; "));
}

TEST_F(DisplayBlocksTest, SwitchPointBlockByteForByte) {
    setAll(10, "0");
    values.values.insert({{"pc_SPrPspace100th", "50"},
                          {"SetPoint1", "300"},
                          {"ResetPoint1", "-2"},
                          {"FrameHi1", "$7FFF"},
                          {"FrameLow1", "-32768"},
                          {"DelaySwitch1", "12.9"},
                          {"OutputFunction1", "%11"}});
    ASSERT_EQ(blocks.writeBlock(10, 3), 0);
    EXPECT_EQ(sender.sent.at(0),
              hex("0A 2C00 3200 2C01 FEFF FF7F 0080 0C00 0000 0300 0000 FE0F 05"));
    EXPECT_TRUE(logged("--> Write Com190_010") && logged("   Blocknummer=0x0A") &&
                logged("   VersCheck=0x05; "));
}

TEST_F(DisplayBlocksTest, ReadStoresFieldsAndKeptBytesGoBackUnchanged) {
    const QByteArray image = hex("01 0100 3412 CDAB 1122 3344 0700 78563412 FFFFFFFF 0000 03");
    sender.answers.push_back({0, image, 0});
    ASSERT_EQ(blocks.readBlock(1, 1), 0);
    EXPECT_EQ(sender.sent.at(0), hex("01"));
    EXPECT_EQ(values.values["SerialNo1"], "4660");
    EXPECT_EQ(values.values["SerialNo2"], "-21555");
    // The 32-bit numbers land in the records the field list declares.
    EXPECT_EQ(values.values["pc_ui32_GUID.uint32_t"], "305419896");
    EXPECT_EQ(values.values["pc_ui32ProdAutoID.uint32_t"], "-1");
    EXPECT_FALSE(values.values.contains("pc_ui32_GUID"));
    EXPECT_EQ(values.wireNames["pc_ui32_GUID.uint32_t"], "pc_ui32_GUID");
    EXPECT_EQ(values.values["VersCheck"], "3");
    EXPECT_TRUE(logged("<-- Read Com190_001") && logged("    pc_SN3_DISP=8721; "));

    // Serial numbers are 16-bit patterns: typed as ABCD (43981) they fit.
    values.values.insert({{"fs_CalibDone", "0"},
                          {"SerialNo1", "43981"},
                          {"VersCheck", "5"},
                          {"pc_ui32_GUID.uint32_t", "4294967295"}});
    ASSERT_EQ(blocks.writeBlock(1, 1), 0);
    EXPECT_EQ(sender.sent.at(1), hex("01 0000 CDAB CDAB 1122 3344 0700 FFFFFFFF FFFFFFFF 1F0C 05"));
}

TEST_F(DisplayBlocksTest, ValuesThatDoNotFitRefuseTheWrite) {
    const std::vector<std::tuple<int, const char*, const char*>> cases = {
        {10, "SetPoint1", "40000"}, {0, "SWVersion1", "-1"},
        {1, "SerialNo2", "65536"},  {1, "pc_ui32_GUID.uint32_t", "4294967296"},
        {13, "TimeData", ""},       {20, "VersCheck", "256"},
        {2, "TagID", "Grün"}};
    for (const auto& [block, field, value] : cases) {
        setAll(block, block == 2 ? "" : "0");
        values.values[field] = value;
        EXPECT_EQ(blocks.writeBlock(block, 1), kResultValueRefused) << field << " " << value;
        EXPECT_EQ(blocks.lastRefusal().name, field);
        EXPECT_TRUE(logged(blocks.lastRefusal().message().toUtf8().constData())) << field;
    }
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(blocks.image(20), hex("14") + QByteArray(23, '\0'));  // untouched
    EXPECT_EQ(blocks.writeBlock(60, 1), kResultValueRefused);       // read-only
}

TEST_F(DisplayBlocksTest, TextsArePaddedWithBlanksAndTheSerialNumberIsSplit) {
    values.values.insert(
        {{"TagID", "PT-101"}, {"SerialNoZEL", "ABC DEFGHIJKLMNOPQRSTUVWXYZ"}, {"VersCheck", "5"}});
    ASSERT_EQ(blocks.writeBlock(2, 1), 0);
    ASSERT_EQ(blocks.writeBlock(3, 1), 0);
    EXPECT_EQ(sender.sent.at(0).mid(1, 20), QByteArray("PT-101          ABC "));
    EXPECT_EQ(sender.sent.at(1).mid(1, 20),
              QByteArray("DEFGHIJKLMNOPQRSTUVW"));  // cut at 24 in all

    // Padding is not text, and the two pieces join again.
    values.values.clear();
    sender.answers = {{0, sender.sent.at(0), 0}, {0, sender.sent.at(1), 0}};
    ASSERT_EQ(blocks.readBlock(2, 1), 0);
    EXPECT_EQ(values.values["TagID"], "PT-101");
    ASSERT_EQ(blocks.readBlock(3, 1), 0);
    EXPECT_EQ(values.values["SerialNoZEL"], "ABC DEFGHIJKLMNOPQRSTUVW");

    values.values["SerialNoZEL"] = "AB";
    ASSERT_EQ(blocks.writeBlock(3, 1), 0);
    EXPECT_EQ(sender.sent.back().mid(1, 20), QByteArray(20, ' '));
    joinSerialNoZEL(values);
    EXPECT_EQ(values.values["SerialNoZEL"], "AB");
}

TEST_F(DisplayBlocksTest, NoWriteBuildsAndLogsButSendsNothing) {
    t.program.state.NoWrite = "ON";
    setAll(12, "1");
    EXPECT_EQ(blocks.writeBlock(12, 3), kResultNotSent);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(logged("   mp_LiveUnit=1; "));
    EXPECT_EQ(blocks.readBlock(12, 1), 0);  // reads still go out
}

TEST_F(DisplayBlocksTest, AFailedReadChangesNothing) {
    const QByteArray good = hex("0C 0000 0100 0200 0300 0400 0500 0600 0700 0800 0900 0000 05");
    sender.answers.push_back({0, good, 0});
    ASSERT_EQ(blocks.readBlock(12, 1), 0);
    const auto before = values.values;
    const std::vector<std::tuple<ScriptedSender::Answer, int, const char*>> cases = {
        {{0, hex("0B") + good.mid(1), 0}, 3, "+++ Read Com190_012: answer is block 11"},
        {{0, good.left(20), 0}, 3, ""},
        {{0, good, 64}, 3, "+++ Read Com190_012: response code 64"},
        {{4, {}, 0}, 4, ""},
        {{kResultCancelled, {}, 0}, kResultCancelled, ""}};
    for (const auto& [answer, result, line] : cases) {
        sender.answers.push_back(answer);
        EXPECT_EQ(blocks.readBlock(12, 1), result) << line;
        EXPECT_EQ(values.values, before) << line;
        EXPECT_EQ(blocks.image(12), good) << line;
        EXPECT_TRUE(logged(line)) << line;
    }
}

TEST_F(DisplayBlocksTest, TheLoggingReadOfBlock12StoresOnlyVersCheck) {
    sender.answers = {{0, hex("0C 0100 0200 0300 0400 0500 0600 0700 0800 0900 0A00 0000 04"), 0}};
    ASSERT_EQ(blocks.readBlock12Logged(1), 0);
    EXPECT_EQ(values.values, (QHash<QString, QString>{{"VersCheck", "4"}}));
    EXPECT_EQ(blocks.image(12), hex("0C") + QByteArray(23, '\0'));  // its own buffers
    EXPECT_TRUE(logged("<-- Read Com190_01201"));
    EXPECT_TRUE(logged("    pc_SlrSurSpace100th=10; "));
}

// ---- Round trips through the simulator ------------------------------------------

struct EndingProbe final : ConnectionProbe {
    Outcome run(const QString&, int) override { return Outcome::Ended; }
};

class BlockRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(link.load(QStringLiteral(ZH_PROGRAM_DIR "/libhartlink.so")));
        qputenv("HARTSIM_OPTIONS", "presence=both");
        t.program.state.ComPort = QStringLiteral("Sim");
        ASSERT_EQ(session.connectDevice(), 1);
    }
    void TearDown() override { session.disconnectDevice(), qunsetenv("HARTSIM_OPTIONS"); }
    test::TestProgram t;
    LinkLibrary link{t.program.log};
    EndingProbe probe;
    HartSession session{t.program, link, probe};
    RawValueMap values;
    DisplayBlocks blocks{t.program, values, session};
};

QStringList wholeRange(BlockCoding coding, int width) {
    switch (coding) {
        case BlockCoding::S16:
            return {"-32768", "32767", "0", "1"};
        case BlockCoding::U16:
            return {"0", "65535", "1", "32768"};
        case BlockCoding::W16:
            return {"-32768", "65535", "0", "4660"};
        case BlockCoding::I32:
            return {"-2147483648", "4294967295", "0", "2147483647"};
        default:
            return {"", QString(width, '~'), "A b", QString(" !\"#$%&'()*+,-./0123").left(width)};
    }
}

QString readBack(BlockCoding coding, QString value) {
    if (coding == BlockCoding::W16) return QString::number(qint16(value.toLongLong()));
    if (coding == BlockCoding::I32) return QString::number(qint32(value.toLongLong()));
    while (value.endsWith(' ')) value.chop(1);
    return value;
}

// Each field, one at a time, over its whole range: it reads back as written
// (as the display had it in a slot without change flag), or the display
// refuses it as too large / too small, which is reported and changes nothing.
TEST_F(BlockRoundTrip, EveryWritableBlockOverTheWholeRangeOfItsFields) {
    for (int number : writableBlocks()) {
        const BlockLayout& layout = *blockLayout(number);
        for (const BlockItem& item : layout.items) {
            if (item.use != BlockUse::Field) continue;
            const QString name = item.field;
            const bool flagged = layout.changeFlags & (1 << ((item.offset - 1) / 2));
            int accepted = 0;
            for (const QString& v : wholeRange(item.coding, item.width)) {
                const std::string what =
                    QStringLiteral("%1 %2 '%3'").arg(number).arg(name, v).toStdString();
                ASSERT_EQ(blocks.readBlock(number, 3), 0) << what;
                const QByteArray before = blocks.image(number);
                const auto device = values.values;
                // Block 3 carries characters 5..24 of the whole serial number.
                values.values[name == "SerialNoZEL2" ? "SerialNoZEL" : name] =
                    name == "SerialNoZEL2" ? device["SerialNoZEL"].left(4).leftJustified(4) + v : v;
                values.values["VersCheck"] = "5";
                const int result = blocks.writeBlock(number, 3);
                const int code = session.ResCode1;
                values.values.clear();
                ASSERT_EQ(blocks.readBlock(number, 3), 0) << what;
                auto expected = device;
                if (result == 0 && flagged) expected[name] = readBack(item.coding, v);
                EXPECT_TRUE(result == 0 || (result == kResultRefused && (code == 3 || code == 4)))
                    << what << " " << result;
                accepted += result == 0;
                for (const QString& f : blockFields(number))
                    EXPECT_EQ(values.values[f], expected[f]) << what;
                for (const BlockItem& k : layout.items) {
                    const int width = k.use == BlockUse::Kept ? 2 : 0;  // the display's own bytes
                    EXPECT_EQ(blocks.image(number).mid(k.offset, width),
                              before.mid(k.offset, width))
                        << what;
                }
            }
            EXPECT_GE(accepted, 2)
                << number << " " << item.wireName;  // at least 0 and 1, or the texts
        }
    }
    ASSERT_EQ(blocks.readBlock(60, 3) + blocks.readBlock(89, 3), 0);
    EXPECT_EQ(values.values["Display"].size(), 4);
}

}  // namespace
}  // namespace zh
