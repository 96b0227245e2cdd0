// The device behind the frames: which part answers which command, the
// display-module blocks, the live read-out and fixed-current mode.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "sim/catalogue.h"
#include "sim/simulator.h"
#include "sim/units.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

TEST(SimDevice, EachCommandAnswersOnlyWhenItsPartIsPresent) {
    struct Case {
        Presence presence;
        std::uint8_t command;
        Bytes data;
        std::uint8_t responseCode;
        std::size_t dataSize;
        Identity identity = Identity::Ours;
        ForeignAnswer foreign = ForeignAnswer::NotImplemented;
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
        {Presence::DisplayOnly, 1, {}, 64, 0},
        {Presence::DisplayOnly, 200, {0}, 64, 0},
        {Presence::TransmitterOnly, 192, {22, 0}, 64, 0},
        {Presence::Both, 1, {}, 0, 5},
        {Presence::Both, 2, {}, 0, 8},
        {Presence::Both, 15, {}, 0, 17},
        {Presence::Both, 81, {}, 0, 23},
        {Presence::Both, 142, {}, 0, 24},
        {Presence::Both, 151, {}, 0, 2},
        {Presence::Both, 192, {22, 0}, 0, 2},
        {Presence::Both, 200, {0}, 0, 0},
        {Presence::Both, 50, {}, 64, 0},  // a command we do not have
        // The universal commands: PV and the sensor temperature, message,
        // tag/descriptor/date, sensor, final assembly number, long tag, unit
        // (a temperature unit is no pressure unit), additional status.
        {Presence::Both, 3, {}, 0, 14},
        {Presence::Both, 12, {}, 0, 24},
        {Presence::Both, 13, {}, 0, 21},
        {Presence::Both, 14, {}, 0, 16},
        {Presence::Both, 16, {}, 0, 3},
        {Presence::Both, 17, Bytes(24, 0x82), 0, 24},
        {Presence::Both, 17, Bytes(23, 0x82), 5, 0},
        {Presence::Both, 18, Bytes(21, 0x82), 0, 21},
        {Presence::Both, 19, {1, 2, 3}, 0, 3},
        {Presence::Both, 20, {}, 0, 32},
        {Presence::Both, 22, Bytes(32, 'A'), 0, 32},
        {Presence::Both, 44, {8}, 0, 1},
        {Presence::Both, 44, {32}, 2, 0},
        {Presence::Both, 48, {}, 0, 8},
        {Presence::DisplayOnly, 3, {}, 64, 0},
        // Another maker's devices: longer identity, range and status answers
        // in HART 7, no long tag in HART 5, none of our own commands.
        {Presence::TransmitterOnly, 0, {}, 0, 12, Identity::Hart5},
        {Presence::TransmitterOnly, 3, {}, 0, 24, Identity::Hart5},
        {Presence::TransmitterOnly, 15, {}, 0, 17, Identity::Hart5},
        {Presence::TransmitterOnly, 20, {}, 64, 0, Identity::Hart5},
        {Presence::TransmitterOnly, 22, Bytes(32, 'A'), 64, 0, Identity::Hart5},
        {Presence::TransmitterOnly, 48, {}, 0, 8, Identity::Hart5},
        {Presence::TransmitterOnly, 141, {}, 64, 0, Identity::Hart5},
        {Presence::TransmitterOnly, 191, {12}, 64, 0, Identity::Hart5},
        {Presence::TransmitterOnly, 191, {12}, 6, 0, Identity::Hart5, ForeignAnswer::DeviceError},
        {Presence::TransmitterOnly, 191, {12}, 0, 10, Identity::Hart7, ForeignAnswer::OtherLayout},
        {Presence::TransmitterOnly, 190, block10Write, 6, 0, Identity::Hart7,
         ForeignAnswer::DeviceError},
        {Presence::TransmitterOnly, 0, {}, 0, 22, Identity::Hart7},
        {Presence::TransmitterOnly, 15, {}, 0, 18, Identity::Hart7},
        {Presence::TransmitterOnly, 20, {}, 0, 32, Identity::Hart7},
        {Presence::TransmitterOnly, 48, {}, 0, 14, Identity::Hart7},
        {Presence::TransmitterOnly, 200, {0}, 64, 0, Identity::Hart7},
        {Presence::Both, 200, {}, 5, 0},  // the dummy byte is missing
        {Presence::Both, 35, Bytes(8, 0), 5, 0},
        {Presence::Both, 181, Bytes(25, 0), 5, 0},
        {Presence::Both, 182, Bytes(22, 0), 5, 0},
        {Presence::Both, 192, {}, 5, 0},
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
        SCOPED_TRACE(testing::Message()
                     << "presence " << static_cast<int>(c.presence) << " command " << int(c.command)
                     << " identity " << static_cast<int>(c.identity));
        DeviceConfig config;
        std::vector<Fault> none;
        const char* identities[] = {"identity=ours", "identity=hart5", "identity=hart7"};
        ASSERT_TRUE(
            parseOptions(identities[static_cast<int>(c.identity)], &config, &none, nullptr));
        config.presence = c.presence;
        config.foreignAnswer = c.foreign;
        Simulator sim(config);
        const Answer a = transact(sim, longRequest(c.command, c.data, uniqueAddress(config)));
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
    DeviceConfig alone;
    alone.presence = Presence::DisplayOnly;
    Simulator sim(alone);  // key 1: 0 ... 16 bar, two decimals, scaled by them
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

    // On a transmitter the module takes counts over its serial interface:
    // the range ends are counts over the nominal range, the nominal range
    // whole numbers, no calibration decimals.
    Simulator plugged;
    const Bytes onTransmitter = readBlock(plugged, 12).data;
    EXPECT_EQ(le16(onTransmitter, 5), 0);
    EXPECT_EQ(le16(onTransmitter, 11), 4000);
    EXPECT_EQ(le16(onTransmitter, 13), 20000);
    EXPECT_EQ(le16(onTransmitter, 15), 0);
    EXPECT_EQ(le16(onTransmitter, 17), 16);
    EXPECT_EQ(le16(readBlock(plugged, 0).data, 3), 1);  // bIntSerIO

    DeviceConfig config;
    config.configurationKey = 0x20;  // Pt100 -50 ... 250 °C
    config.displayInterfaceVersion = 3;
    config.presence = Presence::DisplayOnly;
    Simulator pt100alone(config);
    const Bytes b = readBlock(pt100alone, 12).data;
    EXPECT_EQ(le16(b, 1), 1);  // temperature
    EXPECT_EQ(le16(b, 5), 1);  // one decimal
    EXPECT_EQ(le16(b, 11), -500);
    EXPECT_EQ(le16(b, 13), 2500);
    EXPECT_EQ(b[23], 3);
    config.presence = Presence::Both;
    Simulator pt100(config);
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

// A module set up to show another unit than its calibration unit, or with
// a calibration decimal point: block 12 as such a module stores it (range
// in the calibration unit, scaled by the calibration decimals unless they
// are counts) and the read-out in the unit shown. The transmitter keeps its
// own unit whatever the module shows.
TEST(SimDevice, Block12AndReadOutAsTheModuleWasSetUp) {
    struct Case {
        const char* options;
        std::vector<int> slots;      // block 12, slots 0 to 9 (empty: no module)
        double shownLow, shownHigh;  // the measuring range in the unit shown
        int decimals;                // of the read-out
        int rangeUnitCode;           // of command 15 (0: no transmitter)
    };
    // clang-format off
    const Case cases[] = {
        {"displayunit=mbar", {0, 0, 0, 1, 0, 4000, 20000, 0, 16, 100}, 0, 16000, 0, 7},
        {"caldecimals=2", {0, 0, 2, 0, 2, 4000, 20000, 0, 1600, 100}, 0, 16, 2, 7},
        {"presence=display,caldecimals=1", {0, 0, 1, 0, 2, 0, 160, 0, 160, 100}, 0, 16, 2, 0},
        {"presence=display,displayunit=psi",
         {0, 0, 2, 2, 1, 0, 1600, 0, 1600, 100}, 0, 232.06, 1, 0},
        {"config=20,displayunit=°F", {1, 0, 0, 1, 1, 4000, 20000, -50, 250, 100}, -58, 482, 1, 32},
        {"config=20,displayunit=K,caldecimals=2,presence=display",
         {1, 0, 2, 2, 1, -5000, 25000, -5000, 25000, 100}, 223.15, 523.15, 1, 0},
        {"config=20,displayunit=%,presence=display",
         {1, 0, 1, 3, 1, -500, 2500, -500, 2500, 100}, 0, 100, 1, 0},
        {"config=20,displayunit=°F,caldecimals=1,presence=transmitter", {}, 0, 0, 0, 32},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        DeviceConfig config;
        std::vector<Fault> faults;
        std::string error;
        ASSERT_TRUE(parseOptions(c.options, &config, &faults, &error)) << error;
        Simulator sim(config);
        sim.holdProcess(40);
        const Answer c15 = transact(sim, longRequest(15));
        EXPECT_EQ(c15.status1, c.rangeUnitCode == 0 ? 64 : 0);
        if (c.rangeUnitCode != 0) {
            EXPECT_EQ(c15.data.at(2), c.rangeUnitCode);
        }
        const Answer block = readBlock(sim, 12);
        if (c.slots.empty()) {
            EXPECT_EQ(block.status1, 64);
            continue;
        }
        std::vector<int> slots;
        for (std::size_t at = 1; at < 21; at += 2) slots.push_back(le16(block.data, at));
        EXPECT_EQ(slots, c.slots);
        const Live live = readLive(sim);
        const double shown = c.shownLow + (live.adc - 4000) / 16000.0 * (c.shownHigh - c.shownLow);
        EXPECT_EQ(live.decimals, c.decimals) << live.shown();
        EXPECT_NEAR(live.value(), shown, 0.52 * std::pow(10.0, -c.decimals)) << live.shown();
    }
}

TEST(SimDevice, LiveBlockShowsTheMovingValueAndSwitchesWithIt) {
    Simulator sim;  // 0 ... 16 bar between 4000 and 20000 counts
    std::set<int> seen, switchStates;
    for (int i = 0; i < 60; ++i) {
        const Live live = readLive(sim);
        seen.insert(live.adc);
        EXPECT_EQ(live.decimals, 2);
        EXPECT_NEAR(live.value(), (live.adc - 4000) * 16 / 16000.0, 0.0051);
        // Switch 1 sets at 13600 counts (60 %) and resets at 12800, switch 2
        // at 16800 and 16000; inside the hysteresis either state is right.
        if (live.adc >= 13600 || live.adc <= 12800) {
            EXPECT_EQ(live.switch1, live.adc >= 13600) << live.adc;
        }
        if (live.adc >= 16800 || live.adc <= 16000) {
            EXPECT_EQ(live.switch2, live.adc >= 16800) << live.adc;
        }
        switchStates.insert(live.switch1 + 2 * live.switch2);
    }
    EXPECT_EQ(switchStates.size(), 3u) << "off, switch 1, both";
    EXPECT_GT(seen.size(), 40u) << "the value should move";
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

// The built-in catalogue and display unit lists are the ones the shipped
// profile carries.
TEST(SimDevice, CatalogueAndUnitListsMatchTheShippedProfile) {
    std::ifstream in(std::string(ZH_SOURCE_DIR) + "/resources/Config-125.ini");
    ASSERT_TRUE(in.good());
    std::map<std::string, std::map<std::string, std::string>> sections;
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            section = line;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (line.empty() || line[0] == ';' || eq == std::string::npos) continue;
        sections[section].emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    for (const UnitListText& list : unitListTexts()) {
        const auto& keys =
            sections[list.measurand == kMeasurandTemperature ? "[Temperature]" : "[Pressure]"];
        EXPECT_EQ(keys.at("Units"), list.units);
        EXPECT_EQ(keys.at("Conversion"), list.conversion);
    }
    std::map<int, std::string> profile;
    for (const auto& [key, value] : sections["[DeviceConfigurations]"])
        profile[static_cast<int>(std::stol(key, nullptr, 16))] = value;
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
