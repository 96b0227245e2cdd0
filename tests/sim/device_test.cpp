// The device behind the frames: which part answers which command, the
// display-module blocks, the live read-out and fixed-current mode.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "sim/catalogue.h"
#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

Bytes floatBytes(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

TEST(SimDevice, EachCommandAnswersOnlyWhenItsPartIsPresent) {
    struct Case {
        Presence presence;
        std::uint8_t command;
        Bytes data;
        std::uint8_t responseCode;
        std::size_t dataSize;
    };
    const Bytes block10Write = [] {
        Bytes b(24, 0);
        b[0] = 10;
        return b;
    }();
    const Case cases[] = {
        {Presence::Both, 0, {}, 0, 12},
        {Presence::Both, 141, {}, 0, 26},
        {Presence::Both, 191, {12}, 0, 24},
        {Presence::Both, 190, block10Write, 0, 24},
        {Presence::TransmitterOnly, 0, {}, 0, 12},
        {Presence::TransmitterOnly, 141, {}, 0, 26},
        {Presence::TransmitterOnly, 191, {12}, 64, 0},
        {Presence::TransmitterOnly, 190, block10Write, 64, 0},
        {Presence::DisplayOnly, 0, {}, 0, 12},  // the display carries the interface then
        {Presence::DisplayOnly, 141, {}, 64, 0},
        {Presence::DisplayOnly, 191, {89}, 0, 24},
        {Presence::DisplayOnly, 40, floatBytes(0.0f), 0, 4},
        {Presence::Both, 3, {}, 64, 0},     // not (yet) implemented
        {Presence::Both, 191, {99}, 2, 0},  // no such block
        {Presence::Both, 191, {}, 5, 0},    // block number missing
        {Presence::Both, 190, {10, 1, 2}, 5, 0},
        {Presence::Both, 190,
         [] {
             Bytes b(24, 0);
             b[0] = 89;
             return b;
         }(),
         2, 0},  // read only
        {Presence::Both, 40, {0x41, 0x40}, 5, 0},
        {Presence::Both, 40, floatBytes(2.0f), 4, 0},
        {Presence::Both, 40, floatBytes(25.0f), 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "presence " << static_cast<int>(c.presence)
                                        << " command " << int(c.command));
        DeviceConfig config;
        config.presence = c.presence;
        Simulator sim(config);
        const Answer a = transact(sim, longRequest(c.command, c.data));
        EXPECT_EQ(a.command, c.command);
        EXPECT_EQ(a.status1, c.responseCode);
        EXPECT_EQ(a.data.size(), c.dataSize);
    }
    // Presence can change while running.
    Simulator sim;
    sim.setPresence(Presence::DisplayOnly);
    EXPECT_EQ(transact(sim, longRequest(141)).status1, 64);
}

TEST(SimDevice, Block12DescribesTheCatalogueRange) {
    Simulator sim;  // key 1: 0 ... 16 bar, two decimals
    const Answer a = readBlock(sim, 12);
    // clang-format off
    const Bytes expected = {12,                                 // block number
                            0x00, 0x00, 0x00, 0x00, 0x02, 0x00,  // pressure, bar, 2 decimals
                            0x00, 0x00, 0x02, 0x00,              // live unit bar, 2 decimals
                            0x00, 0x00, 0x40, 0x06,              // range 0 ... 16.00
                            0x00, 0x00, 0x40, 0x06,              // nominal 0 ... 16.00
                            0x64, 0x00,                          // range space 1.00 %
                            0x00, 0x00,                          // change flags
                            0x05};                               // interface version
    // clang-format on
    EXPECT_EQ(a.data, expected);

    DeviceConfig config;
    config.configurationKey = 0x20;  // Pt100 -50 ... 250 °C
    config.displayInterfaceVersion = 3;
    Simulator pt100(config);
    const Bytes b = readBlock(pt100, 12).data;
    EXPECT_EQ(le16(b, 1), 1);  // temperature
    EXPECT_EQ(le16(b, 5), 1);  // one decimal
    EXPECT_EQ(le16(b, 11), -500);
    EXPECT_EQ(le16(b, 13), 2500);
    EXPECT_EQ(b[23], 3);
    const Bytes c141 = transact(pt100, longRequest(141)).data;
    EXPECT_EQ(c141[20], 0x20);
    EXPECT_EQ(le16(c141, 22), 250);
    EXPECT_EQ(le16(c141, 24), -50);

    for (int block : {0, 1, 2, 3, 10, 11, 12, 13, 20, 60, 89}) {
        SCOPED_TRACE(block);
        const Answer r = readBlock(pt100, block);
        ASSERT_EQ(r.data.size(), 24u);
        EXPECT_EQ(r.data[0], block);
        EXPECT_EQ(r.data[23], 3);
    }
}

TEST(SimDevice, WrittenBlockReadsBackWhereTheChangeFlagsAllow) {
    Simulator sim;
    Bytes image = readBlock(sim, 10).data;
    for (int slot = 0; slot < 10; ++slot) {
        image[1 + 2 * slot] = static_cast<std::uint8_t>(0x10 + slot);
        image[2 + 2 * slot] = 0x01;
    }
    image[21] = 0xFE;  // 0000111111111110: every slot but SizeOf_cal
    image[22] = 0x0F;
    const Answer written = transact(sim, longRequest(190, image));
    ASSERT_EQ(written.status1, 0);

    const Bytes back = readBlock(sim, 10).data;
    EXPECT_EQ(written.data, back);
    EXPECT_EQ(le16(back, 1), 44);  // unflagged slot kept
    for (int slot = 1; slot < 10; ++slot) EXPECT_EQ(le16(back, 1 + 2 * slot), 0x0110 + slot);
    EXPECT_EQ(back[21], 0);
    EXPECT_EQ(back[22], 0);

    // A text block, all flags set.
    Bytes tag = readBlock(sim, 2).data;
    std::memcpy(&tag[1], "NEW TAG 17      ", 16);
    tag[21] = 0xFF;
    tag[22] = 0x0F;
    transact(sim, longRequest(190, tag));
    const Bytes tagBack = readBlock(sim, 2).data;
    EXPECT_EQ(std::string(tagBack.begin() + 1, tagBack.begin() + 17), "NEW TAG 17      ");
}

// The value a block-89 read-out shows: digits, decimals and sign bit.
double shownValue(const Bytes& live) {
    const double digits = std::stod(std::string(live.begin() + 1, live.begin() + 5));
    const double value = digits / std::pow(10.0, live[7]);
    return (live[8] & 0x40) ? -value : value;
}

// What the display should show for its own ADC counts: the range ends sit
// at 4000 and 20000 counts.
double valueAt(int adc, double low, double high, double factor) {
    return (low + (adc - 4000) * (high - low) / 16000.0) * factor;
}

TEST(SimDevice, LiveBlockShowsTheMovingValueInTheDisplayUnit) {
    Simulator sim;
    std::map<int, int> seen;
    std::set<int> switchStates;
    for (int i = 0; i < 60; ++i) {
        const Bytes live = readBlock(sim, 89).data;
        const int adc = le16(live, 11);
        ++seen[adc];
        EXPECT_GE(adc, 4000);
        EXPECT_LE(adc, 20000);
        EXPECT_EQ(live[7], 2);     // two decimals
        EXPECT_EQ(live[8], 0x02);  // point after the second digit
        const double value = valueAt(adc, 0, 16, 1);
        EXPECT_NEAR(shownValue(live), value, 0.0051);
        EXPECT_NE(live[13], 5);  // not in fixed-current mode
        // Switch 1 sets at 9.6 and resets at 8.8 bar, switch 2 at 12.8 and 12.0.
        if (value >= 9.6 || value <= 8.8) {
            EXPECT_EQ(live[10] & 0x01, value >= 9.6 ? 0x01 : 0x00) << value;
        }
        if (value >= 12.8 || value <= 12.0) {
            EXPECT_EQ(live[10] & 0x04, value >= 12.8 ? 0x04 : 0x00) << value;
        }
        switchStates.insert(live[10]);
    }
    EXPECT_EQ(switchStates.size(), 3u) << "off, switch 1, both";
    EXPECT_GT(seen.size(), 40u) << "the value should move";

    // The display switched to kPa without decimals, then to mbar, where
    // values above 9999 do not fit four digits.
    Bytes b12 = readBlock(sim, 12).data;
    b12[7] = 3;  // live unit kPa
    b12[9] = 0;  // no decimals
    b12[21] = 0xFF;
    b12[22] = 0x0F;
    transact(sim, longRequest(190, b12));
    Bytes live = readBlock(sim, 89).data;
    EXPECT_EQ(live[7], 0);
    EXPECT_EQ(live[8], 0);
    EXPECT_NEAR(shownValue(live), valueAt(le16(live, 11), 0, 16, 100), 0.51);

    b12[7] = 1;  // mbar
    transact(sim, longRequest(190, b12));
    int overflows = 0;
    for (int i = 0; i < 120; ++i) {
        live = readBlock(sim, 89).data;
        const double expected = valueAt(le16(live, 11), 0, 16, 1000);
        if (expected > 9999.5) {
            EXPECT_EQ(std::string(live.begin() + 1, live.begin() + 5), "OvEr");
            ++overflows;
        } else if (expected < 9998.5) {
            EXPECT_NEAR(shownValue(live), expected, 0.51);
        }
    }
    EXPECT_GT(overflows, 0);
    EXPECT_LT(overflows, 120);
}

TEST(SimDevice, NegativeValuesSetTheSignBit) {
    DeviceConfig config;
    config.configurationKey = 0x03;  // -1 ... 25 bar
    Simulator sim(config);
    Bytes b13 = readBlock(sim, 13).data;
    // Move the calibration so that every reading lies below zero.
    b13[1] = 0x20;  // lower range value at 20000 counts
    b13[2] = 0x4E;
    b13[3] = 0x30;  // upper range value at 30000 counts
    b13[4] = 0x75;
    b13[21] = 0x03;
    transact(sim, longRequest(190, b13));
    const Bytes live = readBlock(sim, 89).data;
    EXPECT_EQ(live[8] & 0x40, 0x40);
    EXPECT_NE(std::string(live.begin() + 1, live.begin() + 5), "    ");
}

TEST(SimDevice, SameConfigurationSameCourseUnlessSeeded) {
    auto course = [](std::uint32_t seed) {
        DeviceConfig config;
        config.seed = seed;
        Simulator sim(config);
        std::vector<int> values;
        for (int i = 0; i < 40; ++i) values.push_back(le16(readBlock(sim, 89).data, 11));
        return values;
    };
    EXPECT_EQ(course(0), course(0));
    EXPECT_EQ(course(42), course(42));
    EXPECT_NE(course(0), course(42));
}

TEST(SimDevice, FixedCurrentModeShowsInDispModeAndDeviceStatus) {
    Simulator sim;
    const Answer enter = transact(sim, longRequest(40, floatBytes(12.0f)));
    EXPECT_EQ(enter.status1, 0);
    EXPECT_EQ(enter.data, floatBytes(12.0f));
    EXPECT_EQ(enter.status2 & 0x08, 0x08);  // loop current fixed
    EXPECT_EQ(readBlock(sim, 89).data[13], 5);

    const Answer leave = transact(sim, longRequest(40, floatBytes(0.0f)));
    EXPECT_EQ(leave.data, floatBytes(0.0f));
    EXPECT_EQ(leave.status2 & 0x08, 0);
    EXPECT_NE(readBlock(sim, 89).data[13], 5);

    DeviceConfig config;
    config.fixedCurrentMa = 4.0f;
    Simulator stuck(config);
    EXPECT_EQ(readBlock(stuck, 89).data[13], 5);
}

TEST(SimDevice, LogBlockTracksTrailingPointersAndCheckByteErrors) {
    Simulator sim;
    int low = 100000, high = -100000;
    for (int i = 0; i < 20; ++i) {
        const int adc = le16(readBlock(sim, 89).data, 11);
        low = std::min(low, adc);
        high = std::max(high, adc);
    }
    const Bytes before = readBlock(sim, 60).data;
    EXPECT_LE(le16(before, 3), low);
    EXPECT_GE(le16(before, 5), high);

    const Bytes bad = {0xFF, 0xFF, 0xFF, 0x02, 0x80, 0x00, 0x00, 0x00};
    sim.receive(bad.data(), bad.size());
    const Bytes after = readBlock(sim, 60).data;
    EXPECT_EQ(le16(after, 17), le16(before, 17) + 1);  // total error count
    EXPECT_EQ(after[19], 0x08);                        // last error: check byte
}

// The built-in catalogue is the one the shipped profile carries.
TEST(SimDevice, CatalogueMatchesTheShippedProfile) {
    std::ifstream in(std::string(ZH_SOURCE_DIR) + "/resources/Config-125.ini");
    ASSERT_TRUE(in.good());
    std::map<int, std::string> profile;
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[DeviceConfigurations]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || line.empty() || line[0] == ';' || eq == std::string::npos) continue;
        profile[static_cast<int>(std::stol(line.substr(0, eq), nullptr, 16))] = line.substr(eq + 1);
    }
    ASSERT_EQ(profile.size(), catalogueTexts().size());
    for (const CatalogueText& entry : catalogueTexts()) {
        SCOPED_TRACE(entry.key);
        EXPECT_EQ(profile[entry.key], entry.record);
        const std::optional<CatalogueRecord> record = parseCatalogueRecord(entry.key, entry.record);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->configurationBytes[20], entry.key);
    }
    EXPECT_FALSE(parseCatalogueRecord(1, "P|0;16;0;16;bar|01;02|1;2"));
}

}  // namespace
}  // namespace hartsim::test
