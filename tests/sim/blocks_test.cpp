// The display module's configuration blocks over command 190/191: what a
// write stores (flagged slots only, never the module's own items, only
// values the module accepts), what reads back, and the interface version
// byte of every write.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

// Per slot of every writable block: which values the module takes. Keep:
// the module's own item, a write never changes it. Any: the whole 16 bits.
enum class Takes { Keep, Any, Range, DisplayUnit, CalibrationUnit };
struct SlotRule {
    int block;
    int slot;
    Takes takes;
    int minimum = 0;
    int maximum = 0;
};

// clang-format off
const SlotRule kRules[] = {
    {0, 0, Takes::Keep}, {0, 1, Takes::Range, 0, 1}, {0, 2, Takes::Any}, {0, 3, Takes::Keep},
    {0, 4, Takes::Keep}, {0, 5, Takes::Keep}, {0, 6, Takes::Keep}, {0, 7, Takes::Keep},
    {0, 8, Takes::Keep}, {0, 9, Takes::Keep},
    {1, 0, Takes::Range, 0, 1}, {1, 1, Takes::Any}, {1, 2, Takes::Any}, {1, 3, Takes::Keep},
    {1, 4, Takes::Keep}, {1, 5, Takes::Any}, {1, 6, Takes::Any}, {1, 7, Takes::Any},
    {1, 8, Takes::Any}, {1, 9, Takes::Any},
    {10, 0, Takes::Keep}, {10, 1, Takes::Range, 0, 10000}, {10, 2, Takes::Any}, {10, 3, Takes::Any},
    {10, 4, Takes::Any}, {10, 5, Takes::Any}, {10, 6, Takes::Range, 0, 9999},
    {10, 7, Takes::Range, 0, 9999}, {10, 8, Takes::Range, 0, 3}, {10, 9, Takes::Any},
    {11, 0, Takes::Range, 0, 3}, {11, 1, Takes::Keep}, {11, 2, Takes::Any}, {11, 3, Takes::Any},
    {11, 4, Takes::Any}, {11, 5, Takes::Any}, {11, 6, Takes::Range, 0, 9999},
    {11, 7, Takes::Range, 0, 9999}, {11, 8, Takes::Range, 0, 3}, {11, 9, Takes::Any},
    {12, 0, Takes::Range, 0, 1}, {12, 1, Takes::CalibrationUnit}, {12, 2, Takes::Range, 0, 3},
    {12, 3, Takes::DisplayUnit}, {12, 4, Takes::Range, -1, 3}, {12, 5, Takes::Any},
    {12, 6, Takes::Any}, {12, 7, Takes::Any}, {12, 8, Takes::Any}, {12, 9, Takes::Range, 0, 10000},
    {13, 0, Takes::Any}, {13, 1, Takes::Any}, {13, 2, Takes::Keep}, {13, 3, Takes::Range, 0, 999},
    {13, 4, Takes::Range, 0, 999}, {13, 5, Takes::Range, 0, 1}, {13, 6, Takes::Range, 0, 1},
    {13, 7, Takes::Range, 0, 1}, {13, 8, Takes::Any}, {13, 9, Takes::Any},
    {20, 0, Takes::Keep}, {20, 1, Takes::Any}, {20, 2, Takes::Any}, {20, 3, Takes::Any},
    {20, 4, Takes::Any}, {20, 5, Takes::Any}, {20, 6, Takes::Any}, {20, 7, Takes::Any},
    {20, 8, Takes::Range, 0, 30000}, {20, 9, Takes::Range, 0, 999},
};
// clang-format on

// Errors logged so far and the last code, from block 60.
std::pair<int, int> errorCount(Simulator& sim) {
    const Bytes b = readBlock(sim, 60).data;
    return {le16(b, 17) & 0xFFFF, b[19]};
}

// Every slot outside `slot` as before.
void expectOthersUnchanged(const Bytes& before, const Bytes& after, int slot) {
    for (int other = 0; other < 10; ++other) {
        if (other == slot) continue;
        EXPECT_EQ(le16(after, static_cast<std::size_t>(1 + 2 * other)),
                  le16(before, static_cast<std::size_t>(1 + 2 * other)))
            << "slot " << other;
    }
}

TEST(SimBlocks, EverySlotTakesItsWholeRangeAndNothingBeyond) {
    Simulator sim;
    for (const SlotRule& rule : kRules) {
        if (rule.takes == Takes::DisplayUnit || rule.takes == Takes::CalibrationUnit) continue;
        SCOPED_TRACE(testing::Message() << "block " << rule.block << " slot " << rule.slot);
        const std::size_t at = static_cast<std::size_t>(1 + 2 * rule.slot);
        std::vector<int> good;
        if (rule.takes == Takes::Range) {
            for (int v = rule.minimum; v <= rule.maximum;
                 v += std::max(1, (rule.maximum - rule.minimum) / 7)) {
                good.push_back(v);
            }
            good.push_back(rule.maximum);
        } else {
            good = {-32768, -1, 0, 1, 0x1234, 32767};
        }
        for (int value : good) {
            const Bytes before = readBlock(sim, rule.block).data;
            const Answer written = changeSlots(sim, rule.block, {{rule.slot, value}});
            ASSERT_EQ(written.status1, 0) << value;
            const Bytes after = readBlock(sim, rule.block).data;
            EXPECT_EQ(written.data, after) << "the answer is the block as it reads back";
            EXPECT_EQ(le16(after, at), rule.takes == Takes::Keep ? le16(before, at) : value)
                << value;
            expectOthersUnchanged(before, after, rule.slot);
        }
        if (rule.takes != Takes::Range) continue;
        for (int bad : {rule.minimum - 1, rule.maximum + 1, -32768, 32767}) {
            if (bad >= rule.minimum && bad <= rule.maximum) continue;
            const Bytes before = readBlock(sim, rule.block).data;
            const int errors = errorCount(sim).first;
            const Answer refused = changeSlots(sim, rule.block, {{rule.slot, bad}});
            EXPECT_EQ(refused.status1, bad > rule.maximum ? 3 : 4) << bad;
            EXPECT_TRUE(refused.data.empty());
            EXPECT_EQ(readBlock(sim, rule.block).data, before) << bad;
            EXPECT_EQ(errorCount(sim), std::make_pair(errors + 1, 0x22));
        }
    }
}

TEST(SimBlocks, UnitSlotsFollowTheListsOfTheMeasurandWrittenWithThem) {
    struct Case {
        int measurand;
        int units;             // display units: bar ... mA or °C ... mA
        int calibrationUnits;  // the absolute ones
    };
    for (const Case c : {Case{0, 7, 5}, Case{1, 5, 3}}) {
        SCOPED_TRACE(c.measurand);
        Simulator sim;
        for (int unit = 0; unit < c.units; ++unit) {
            const int calibration = unit % c.calibrationUnits;
            ASSERT_EQ(changeSlots(sim, 12, {{0, c.measurand}, {1, calibration}, {3, unit}}).status1,
                      0);
            const Bytes b = readBlock(sim, 12).data;
            EXPECT_EQ(le16(b, 1), c.measurand);
            EXPECT_EQ(le16(b, 3), calibration);
            EXPECT_EQ(le16(b, 7), unit);
        }
        const Bytes before = readBlock(sim, 12).data;
        EXPECT_EQ(changeSlots(sim, 12, {{0, c.measurand}, {3, c.units}}).status1, 3);
        EXPECT_EQ(changeSlots(sim, 12, {{0, c.measurand}, {1, c.calibrationUnits}}).status1, 3);
        EXPECT_EQ(changeSlots(sim, 12, {{3, -1}}).status1, 4);
        EXPECT_EQ(readBlock(sim, 12).data, before);
    }
    // A unit written alone is checked against the measurand the block holds.
    Simulator sim;
    ASSERT_EQ(changeSlots(sim, 12, {{0, 1}, {1, 0}, {3, 0}}).status1, 0);
    EXPECT_EQ(changeSlots(sim, 12, {{3, 5}}).status1, 3) << "temperature has five units";
    EXPECT_EQ(changeSlots(sim, 12, {{3, 4}}).status1, 0);
}

TEST(SimBlocks, WideItemsAndTextsRoundTrip) {
    Simulator sim;
    // The two 32-bit production numbers of block 1 over their whole range.
    for (std::uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        Bytes image = readBlock(sim, 1).data;
        for (int i = 0; i < 4; ++i) {
            image[static_cast<std::size_t>(13 + i)] = static_cast<std::uint8_t>(v >> (8 * i));
            image[static_cast<std::size_t>(17 + i)] = static_cast<std::uint8_t>(~v >> (8 * i));
        }
        ASSERT_EQ(writeBlock(sim, image, 0x03E0).status1, 0);
        const Bytes back = readBlock(sim, 1).data;
        EXPECT_EQ(le32(back, 13), v);
        EXPECT_EQ(le32(back, 17), ~v);
    }
    // Every printable character in every position of the three texts.
    for (int shift = 0; shift < 95; shift += 19) {
        Bytes tag = readBlock(sim, 2).data;
        Bytes serial = readBlock(sim, 3).data;
        for (std::size_t i = 1; i <= 20; ++i) {
            tag[i] = static_cast<std::uint8_t>(' ' + (shift + i) % 95);
            serial[i] = static_cast<std::uint8_t>(' ' + (shift + 7 * i) % 95);
        }
        ASSERT_EQ(writeBlock(sim, tag, 0x03FF).status1, 0);
        ASSERT_EQ(writeBlock(sim, serial, 0x03FF).status1, 0);
        const Bytes tagBack = readBlock(sim, 2).data;
        const Bytes serialBack = readBlock(sim, 3).data;
        EXPECT_EQ(Bytes(tagBack.begin() + 1, tagBack.begin() + 21),
                  Bytes(tag.begin() + 1, tag.begin() + 21));
        EXPECT_EQ(Bytes(serialBack.begin() + 1, serialBack.begin() + 21),
                  Bytes(serial.begin() + 1, serial.begin() + 21));
    }
    // Half a text: only the flagged slot's two characters change.
    Bytes tag = readBlock(sim, 2).data;
    const Bytes before = tag;
    tag[3] = 'X';
    tag[4] = 'Y';
    tag[5] = 'Z';
    writeBlock(sim, tag, 1u << 1);
    const Bytes back = readBlock(sim, 2).data;
    EXPECT_EQ(back[3], 'X');
    EXPECT_EQ(back[4], 'Y');
    EXPECT_EQ(back[5], before[5]);
}

// Tag and serial number texts fill their width with blanks, or with NUL
// bytes on a module set up so; a text written keeps its own padding.
TEST(SimBlocks, TextsArePaddedAsTheModuleWasSetUp) {
    for (const auto& [options, pad] : {std::pair<const char*, std::uint8_t>{"", ' '},
                                       {"textpad=blank", ' '},
                                       {"textpad=nul", 0},
                                       {"textpad=nul,presence=display,config=20", 0}}) {
        SCOPED_TRACE(options);
        DeviceConfig config;
        std::vector<Fault> faults;
        std::string error;
        ASSERT_TRUE(parseOptions(options, &config, &faults, &error)) << error;
        Simulator sim(config);
        const bool temperature = config.configurationKey == 0x20;
        const Bytes tag = readBlock(sim, 2).data;
        const Bytes serial = readBlock(sim, 3).data;
        const std::string pads(20, static_cast<char>(pad));
        EXPECT_EQ(std::string(tag.begin() + 1, tag.begin() + 21),
                  (temperature ? "TT-0012AB" : "PT-0012AB") + pads.substr(0, 7) + "2311");
        EXPECT_EQ(std::string(serial.begin() + 1, serial.begin() + 21),
                  "ZH0012AB-23" + pads.substr(0, 9));
        Bytes written = tag;
        written[9] = 'X';
        written[10] = ' ';
        ASSERT_EQ(writeBlock(sim, written, 1u << 4).status1, 0);
        EXPECT_EQ(readBlock(sim, 2).data, written);
    }
}

TEST(SimBlocks, OnlyDataFlagsCountAndReadsCarryNoFlags) {
    Simulator sim;
    for (int block : {0, 1, 2, 3, 10, 11, 12, 13, 20}) {
        SCOPED_TRACE(block);
        const Bytes before = readBlock(sim, block).data;
        EXPECT_EQ(before[21], 0);
        EXPECT_EQ(before[22], 0);
        Bytes other = before;
        for (std::size_t i = 1; i <= 20; ++i) other[i] = static_cast<std::uint8_t>(other[i] ^ 0x01);
        // No flag, or only bits 10 to 15 (no data slot): nothing changes.
        for (unsigned flags : {0x0000u, 0xFC00u}) {
            ASSERT_EQ(writeBlock(sim, other, flags).status1, 0);
            EXPECT_EQ(readBlock(sim, block).data, before);
        }
    }
    // What the program writes to block 1 (flags 0000110000011111) keeps
    // the module's serial numbers, whatever the image says.
    Bytes image = readBlock(sim, 1).data;
    const Bytes own(image.begin() + 7, image.begin() + 11);
    putLe16(image, 7, 1111);
    putLe16(image, 9, 2222);
    putLe16(image, 1, 0);
    writeBlock(sim, image, 0x0C1F);
    const Bytes back = readBlock(sim, 1).data;
    EXPECT_EQ(Bytes(back.begin() + 7, back.begin() + 11), own);
    EXPECT_EQ(le16(back, 1), 0);
}

TEST(SimBlocks, TheInterfaceVersionOfEveryWriteIsKeptAndAStrangeOneLogged) {
    Simulator sim;
    EXPECT_FALSE(sim.lastWrittenVersCheck());
    const int errors = errorCount(sim).first;
    const Bytes image = readBlock(sim, 13).data;
    ASSERT_EQ(writeBlock(sim, image, 0x03FF, 5).status1, 0);
    EXPECT_EQ(sim.lastWrittenVersCheck(), 5);
    EXPECT_EQ(errorCount(sim).first, errors);
    for (std::uint8_t version : {3, 0, 255}) {
        ASSERT_EQ(writeBlock(sim, image, 0x03FF, version).status1, 0) << "written all the same";
        EXPECT_EQ(sim.lastWrittenVersCheck(), version);
        EXPECT_EQ(errorCount(sim).second, 0x21);
    }
    EXPECT_EQ(errorCount(sim).first, errors + 3);
    // Reads carry the module's own version, whatever was written.
    EXPECT_EQ(readBlock(sim, 13).data[23], 5);
    // A refused write still shows what it carried.
    Bytes live(24, 0);
    live[0] = 89;
    writeBlock(sim, live, 0, 7);
    EXPECT_EQ(sim.lastWrittenVersCheck(), 7);
}

TEST(SimBlocks, LogLiveAndUnknownBlocksTakeNoWrite) {
    Simulator sim;
    for (int block : {60, 61, 65, 69, 89, 4, 99, 255}) {
        SCOPED_TRACE(block);
        const auto errors = errorCount(sim).first;
        Bytes image(24, 0xA5);
        image[0] = static_cast<std::uint8_t>(block);
        EXPECT_EQ(writeBlock(sim, image, 0x03FF).status1, 2);
        EXPECT_EQ(errorCount(sim), std::make_pair(errors + 1, 0x20));
        const bool readable = (block >= 60 && block <= 69) || block == 89;
        EXPECT_EQ(readBlock(sim, block).status1, readable ? 0 : 2);
    }
}

}  // namespace
}  // namespace hartsim::test
