// The live block 89: the read-out in the display's unit and decimal point,
// the switch outputs following set/reset points and windows in each output
// function, their delays, the error words and the additional unit.

#include <gtest/gtest.h>

#include <cmath>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

struct UnitCase {
    int unit;
    double factor, offset;  // from the calibration unit
    bool percent, milliamp;
};

// What the read-out should be for `value` with `wanted` decimals (-1:
// automatic): the decimals that fit four digits.
void expectShown(const Live& live, double value, int wanted) {
    int decimals = wanted < 0 ? 3 : wanted;
    while (decimals > 0 && std::llround(std::fabs(value) * std::pow(10.0, decimals)) > 9999)
        --decimals;
    if (std::llround(std::fabs(value) * std::pow(10.0, decimals)) > 9999) {
        EXPECT_EQ(live.text, "OvEr") << value;
        return;
    }
    EXPECT_EQ(live.decimals, decimals) << value;
    EXPECT_NEAR(live.value(), value, 0.5 * std::pow(10.0, -decimals) + 1e-9) << live.shown();
}

TEST(SimLive, ReadOutInEveryUnitAndDecimalPoint) {
    struct Device {
        int key;
        int measurand;
        double low, high;  // range in the calibration unit
        std::vector<UnitCase> units;
    };
    const Device devices[] = {
        {0x01,
         0,
         0,
         16,
         {{0, 1, 0, false, false},
          {1, 1000, 0, false, false},
          {2, 14.5038, 0, false, false},
          {3, 100, 0, false, false},
          {4, 0.1, 0, false, false},
          {5, 1, 0, true, false},
          {6, 1, 0, false, true}}},
        {0x20,
         1,
         -50,
         250,
         {{0, 1, 0, false, false},
          {1, 1.8, 32, false, false},
          {2, 1, 273.15, false, false},
          {3, 1, 0, true, false},
          {4, 1, 0, false, true}}},
    };
    for (const Device& d : devices) {
        DeviceConfig config;
        config.configurationKey = d.key;
        Simulator sim(config);
        for (double percent : {3.0, 37.0, 91.0}) {
            sim.holdProcess(percent);
            for (const UnitCase& u : d.units) {
                for (int decimals = -1; decimals <= 3; ++decimals) {
                    SCOPED_TRACE(testing::Message()
                                 << "key " << d.key << " unit " << u.unit << " decimals "
                                 << decimals << " at " << percent << " %");
                    ASSERT_EQ(changeSlots(sim, 12, {{3, u.unit}, {4, decimals}}).status1, 0);
                    const Live live = readLive(sim);
                    const double fraction = (live.adc - 4000) / 16000.0;
                    const double base = d.low + fraction * (d.high - d.low);
                    const double value = u.percent    ? 100 * fraction
                                         : u.milliamp ? 4 + 16 * fraction
                                                      : base * u.factor + u.offset;
                    expectShown(live, value, decimals);
                }
            }
        }
    }
}

TEST(SimLive, CalibrationPointsAndRangeValuesScaleTheReadOut) {
    DeviceConfig alone;  // a module on its own keeps its range scaled by its decimals
    alone.presence = Presence::DisplayOnly;
    Simulator sim(alone);
    sim.holdProcess(50);
    const int adc = readLive(sim).adc;
    // Range -1.000 ... 2.500 (three decimals) between 6000 and 18000 counts.
    ASSERT_EQ(changeSlots(sim, 12, {{2, 3}, {4, 3}, {5, -1000}, {6, 2500}}).status1, 0);
    ASSERT_EQ(changeSlots(sim, 13, {{0, 6000}, {1, 18000}}).status1, 0);
    const double expected = -1.0 + (adc - 6000) * 3.5 / 12000.0;
    const Live live = readLive(sim);
    EXPECT_NEAR(live.value(), expected, 0.0005);
    // A falling scale: high counts, low values.
    changeSlots(sim, 13, {{0, 18000}, {1, 6000}});
    EXPECT_NEAR(readLive(sim).value(), -1.0 + (18000 - adc) * 3.5 / 12000.0, 0.0005);
    // Both points on one count: no value to show.
    changeSlots(sim, 13, {{0, 9000}, {1, 9000}});
    EXPECT_EQ(readLive(sim).text, "----");
}

// Sets switch output `n` (1 or 2) to function `function` with the points
// 14000 (set point / window high) and 10000 (reset point / window low).
void configure(Simulator& sim, int n, int function, int setPoint = 14000, int resetPoint = 10000) {
    ASSERT_EQ(changeSlots(sim, 9 + n,
                          {{2, setPoint},
                           {3, resetPoint},
                           {4, setPoint},
                           {5, resetPoint},
                           {6, 0},
                           {7, 0},
                           {8, function}})
                  .status1,
              0);
}

TEST(SimLive, SwitchOutputsFollowTheirPointsInEachOutputFunction) {
    // Holds in percent of the range: 20 % is below 10000 counts, 50 %
    // between the points, 80 % above 14000.
    struct Case {
        int function;
        bool falling;
        // Closed after each hold of 20, 50, 80, 50, 20 %.
        bool closed[5];
    };
    const Case cases[] = {
        {0, false, {false, false, true, true, false}},  // hysteresis, normally open
        {1, false, {true, true, false, false, true}},   // hysteresis, normally closed
        {2, false, {false, true, false, true, false}},  // window, normally open
        {3, false, {true, false, true, false, true}},   // window, normally closed
        {0, true, {true, true, false, false, true}},    // set point below reset point
    };
    const double holds[] = {20, 50, 80, 50, 20};
    for (int n : {1, 2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "output " << n << " function " << c.function
                                            << (c.falling ? " falling" : ""));
            Simulator sim;
            if (c.falling) {
                configure(sim, n, c.function, 10000, 14000);
            } else {
                configure(sim, n, c.function);
            }
            for (int i = 0; i < 5; ++i) {
                sim.holdProcess(holds[i]);
                const Live live = readLive(sim);
                EXPECT_EQ(n == 1 ? live.switch1 : live.switch2, c.closed[i])
                    << "hold " << i << " adc " << live.adc;
            }
        }
    }
}

TEST(SimLive, EquipmentSelectsTheOutputsThatSwitch) {
    Simulator sim;
    configure(sim, 1, 0);
    configure(sim, 2, 0);
    sim.holdProcess(80);
    for (int equipment = 0; equipment <= 3; ++equipment) {
        changeSlots(sim, 11, {{0, equipment}});
        const Live live = readLive(sim);
        EXPECT_EQ(live.switch1, (equipment & 1) != 0) << equipment;
        EXPECT_EQ(live.switch2, (equipment & 2) != 0) << equipment;
    }
}

TEST(SimLive, DelaysHoldTheOutputsForTheirTime) {
    Simulator sim;
    configure(sim, 1, 0);
    // 1.0 s to set, 0.5 s to reset: four and two polls of 250 ms.
    changeSlots(sim, 10, {{6, 10}, {7, 5}});
    auto pollsUntil = [&](bool closed) {
        int polls = 0;
        while (readLive(sim).switch1 != closed && polls < 20) ++polls;
        return polls;
    };
    sim.holdProcess(80);
    EXPECT_EQ(pollsUntil(true), 4);
    sim.holdProcess(20);
    EXPECT_EQ(pollsUntil(false), 2);
    // A condition that does not last its delay switches nothing.
    sim.holdProcess(80);
    readLive(sim);
    sim.holdProcess(20);
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(readLive(sim).switch1);
}

TEST(SimLive, ErrorWordsForAnInputBeyondTheLoopAndOneLogEntryEach) {
    Simulator sim;
    auto errors = [&] { return le16(readBlock(sim, 60).data, 17); };
    const int before = errors();
    transact(sim, longRequest(40, floatBytes(3.6f)));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(readLive(sim).text, "Er L");
    EXPECT_EQ(errors(), before + 1);
    EXPECT_EQ(readBlock(sim, 60).data[19], 0x01);
    transact(sim, longRequest(40, floatBytes(21.5f)));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(readLive(sim).text, "Er H");
    EXPECT_EQ(errors(), before + 2);
    EXPECT_EQ(readBlock(sim, 60).data[19], 0x02);
    // The loop held fixed shows in DispMode; leaving it ends both.
    EXPECT_EQ(readLive(sim).dispMode, 5);
    transact(sim, longRequest(40, floatBytes(0.0f)));
    const Live live = readLive(sim);
    EXPECT_EQ(live.dispMode, 0);
    EXPECT_NE(live.text.substr(0, 2), "Er");
}

TEST(SimLive, TheAdditionalUnitTakesItsTurnOnTheReadOut) {
    Simulator sim;
    sim.holdProcess(50);
    // Value for 1.0 s, unit for 0.5 s: of 24 polls (6 s) 8 show the unit.
    ASSERT_EQ(changeSlots(sim, 13, {{3, 10}, {4, 5}, {5, 1}}).status1, 0);
    int units = 0;
    for (int i = 0; i < 24; ++i) {
        const Live live = readLive(sim);
        if (live.text == "bAr ") {
            ++units;
            EXPECT_EQ(live.decimals, 0);
        } else {
            EXPECT_NEAR(live.value(), 8.0, 0.02);
        }
    }
    EXPECT_EQ(units, 8);
    changeSlots(sim, 13, {{5, 0}});
    for (int i = 0; i < 8; ++i) EXPECT_NE(readLive(sim).text, "bAr ");
}

}  // namespace
}  // namespace hartsim::test
