// The display module's actions (command 192): teaching, trailing pointers,
// EEPROM and factory settings, rotation, switch tests, simulated keys,
// version and word queries, and what it does with codes it does not know.

#include <gtest/gtest.h>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

void fixCurrent(Simulator& sim, float mA) {
    ASSERT_EQ(transact(sim, longRequest(40, floatBytes(mA))).status1, 0);
}

int lastError(Simulator& sim) {
    return readBlock(sim, 60).data[19];
}

int powerOns(Simulator& sim) {
    return static_cast<int>(le32(readBlock(sim, 60).data, 9));
}

// Block 60: 1 while EEPROM holds what RAM holds, 2 while changes wait.
int consistency(Simulator& sim) {
    return le16(readBlock(sim, 60).data, 7);
}

TEST(SimModuleActions, TeachingTakesThePresentInputAsTheCalibrationPoint) {
    DeviceConfig config;
    config.teachMs = 1500;  // a slow module: teaching answers late
    Simulator sim(config);  // 0 ... 16 bar at 4000 ... 20000 counts
    fixCurrent(sim, 12.0f);
    EXPECT_EQ(action(sim, 0).status1, 9) << "12 mA is no 4 mA point";
    EXPECT_EQ(action(sim, 1).status1, 10) << "nor a 20 mA point";
    EXPECT_EQ(lastError(sim), 0x31);
    EXPECT_EQ(slotOf(sim, 13, 0), 4000);
    EXPECT_EQ(slotOf(sim, 13, 1), 20000);

    // The DAC is a little off: the module takes what it measures.
    fixCurrent(sim, 4.0f);
    const int at4 = readLive(sim).adc;
    EXPECT_NE(at4, 4000);
    const Bytes teach = longRequest(192, {0, 0});
    const std::vector<Reply> replies = sim.receive(teach.data(), teach.size());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].delayMs, 1520);
    EXPECT_EQ(readAnswer(replies[0].bytes)->data, Bytes({0, 0}));
    EXPECT_EQ(action(sim, 3).status1, 0);
    EXPECT_EQ(slotOf(sim, 13, 0), at4);
    EXPECT_EQ(readLive(sim).shown(), "0.00");

    fixCurrent(sim, 20.0f);
    const int at20 = readLive(sim).adc;
    ASSERT_EQ(action(sim, 1).status1, 0);
    EXPECT_EQ(slotOf(sim, 13, 1), at20);
    EXPECT_EQ(readLive(sim).shown(), "16.00");
    sim.powerCycle();  // taught points outlive the power
    EXPECT_EQ(slotOf(sim, 13, 0), at4);
    EXPECT_EQ(slotOf(sim, 13, 1), at20);
    fixCurrent(sim, 20.0f);
    fixCurrent(sim, 12.0f);
    EXPECT_EQ(readLive(sim).shown(), "8.00");

    // No teaching on an input the module cannot read.
    fixCurrent(sim, 3.6f);
    EXPECT_EQ(readLive(sim).text, "Er L");
    EXPECT_EQ(action(sim, 0).status1, 10);
    EXPECT_EQ(slotOf(sim, 13, 0), at4);
}

TEST(SimModuleActions, TeachLowerRangeMovesBothPointsAndKeepsTheSpan) {
    Simulator sim;
    sim.holdProcess(25);
    const int now = readLive(sim).adc;
    ASSERT_EQ(action(sim, 2).status1, 0);
    EXPECT_EQ(slotOf(sim, 13, 0), now);
    EXPECT_EQ(slotOf(sim, 13, 1), 20000 + now - 4000);
    EXPECT_EQ(readLive(sim).shown(), "0.00");
    // Near the top of the converter the span no longer fits: refused.
    changeSlots(sim, 13, {{0, 4000}, {1, 32000}});
    EXPECT_EQ(action(sim, 2).status1, 9);
    EXPECT_EQ(slotOf(sim, 13, 1), 32000);
}

// Action 13 has the module read its configuration from the transmitter:
// a range the transmitter was given is taken over (as counts over the
// nominal range), so the read-out shows what the loop carries.
TEST(SimModuleActions, ReinitialisingFromTheTransmitterTakesItsRange) {
    Simulator sim;  // 0 ... 16 bar on a nominal range of 0 ... 16 bar
    sim.holdProcess(50);
    ASSERT_EQ(transact(sim, longRequest(36)).status1, 0);  // 0 ... 8 bar
    EXPECT_EQ(slotOf(sim, 12, 6), 20000);
    ASSERT_EQ(action(sim, 13).status1, 0);
    EXPECT_EQ(slotOf(sim, 12, 5), 4000);
    EXPECT_EQ(slotOf(sim, 12, 6), 12000);
    EXPECT_EQ(readLive(sim).shown(), "8.01");  // the DAC untrimmed
}

TEST(SimModuleActions, TrailingPointersFollowTheInputAndClear) {
    Simulator sim;
    sim.holdProcess(10);
    const int low = readLive(sim).adc;
    sim.holdProcess(90);
    const int high = readLive(sim).adc;
    sim.holdProcess(50);
    const int middle = readLive(sim).adc;
    Bytes log = readBlock(sim, 60).data;
    EXPECT_LE(le16(log, 3), low);
    EXPECT_GE(le16(log, 5), high);

    ASSERT_EQ(action(sim, 3).status1, 0);
    log = readBlock(sim, 60).data;
    EXPECT_EQ(le16(log, 3), middle);
    EXPECT_GE(le16(log, 5), high);
    ASSERT_EQ(action(sim, 4).status1, 0);
    EXPECT_EQ(le16(readBlock(sim, 60).data, 5), middle);

    // They follow real readings only, not the module's error words.
    fixCurrent(sim, 3.6f);
    fixCurrent(sim, 21.5f);
    EXPECT_EQ(readLive(sim).text, "Er H");
    log = readBlock(sim, 60).data;
    EXPECT_EQ(le16(log, 3), middle);
    EXPECT_EQ(le16(log, 5), middle);
    fixCurrent(sim, 8.0f);
    const int at8 = readLive(sim).adc;
    log = readBlock(sim, 60).data;
    EXPECT_EQ(le16(log, 3), at8);
    EXPECT_EQ(le16(log, 5), middle);
}

TEST(SimModuleActions, CopyToEepromDecidesWhatSurvivesThePower) {
    Simulator sim;
    EXPECT_EQ(consistency(sim), 1);
    const int poweredOn = powerOns(sim);
    changeSlots(sim, 10, {{2, 15000}});
    EXPECT_EQ(consistency(sim), 2);
    ASSERT_EQ(action(sim, 5).status1, 0);
    EXPECT_EQ(consistency(sim), 1);
    changeSlots(sim, 10, {{2, 15500}});
    EXPECT_EQ(consistency(sim), 2);

    sim.powerCycle();
    EXPECT_EQ(slotOf(sim, 10, 2), 15000) << "RAM was not copied";
    EXPECT_EQ(consistency(sim), 1);
    EXPECT_EQ(powerOns(sim), poweredOn + 1);

    // 255 takes the EEPROM copy back into RAM without a power cycle.
    changeSlots(sim, 12, {{4, 0}});
    changeSlots(sim, 2, {{0, 0x4141}});
    ASSERT_EQ(action(sim, 255).status1, 0);
    EXPECT_EQ(slotOf(sim, 12, 4), 2);
    EXPECT_NE(slotOf(sim, 2, 0), 0x4141);
    EXPECT_EQ(consistency(sim), 1);
}

TEST(SimModuleActions, FactorySettingIsTakenRestoredAndErased) {
    Simulator sim;
    const int factorySet = slotOf(sim, 10, 2);
    const int factorySet2 = slotOf(sim, 11, 2);
    changeSlots(sim, 10, {{2, 14000}});
    changeSlots(sim, 13, {{7, 1}});
    ASSERT_EQ(action(sim, 7).status1, 0) << "restore the factory setting";
    EXPECT_EQ(slotOf(sim, 10, 2), factorySet);
    EXPECT_EQ(slotOf(sim, 13, 7), 0);

    // The present settings become the factory setting; tag and serial
    // numbers are no part of it.
    changeSlots(sim, 10, {{2, 14000}});
    ASSERT_EQ(action(sim, 6).status1, 0);
    changeSlots(sim, 10, {{2, 14500}});
    changeSlots(sim, 2, {{0, 0x5858}});
    ASSERT_EQ(action(sim, 7).status1, 0);
    EXPECT_EQ(slotOf(sim, 10, 2), 14000);
    EXPECT_EQ(slotOf(sim, 2, 0), 0x5858);
    EXPECT_EQ(consistency(sim), 2) << "the tag still waits for its copy";
    sim.powerCycle();
    EXPECT_EQ(slotOf(sim, 10, 2), 14000) << "a restore is for good";

    // Erase all: factory setting, trailing pointers at the input, restart.
    const int poweredOn = powerOns(sim);
    changeSlots(sim, 11, {{2, 9000}});
    sim.holdProcess(90);
    sim.holdProcess(40);
    const int now = readLive(sim).adc;
    ASSERT_EQ(action(sim, 12).status1, 0);
    EXPECT_EQ(slotOf(sim, 11, 2), factorySet2);
    EXPECT_EQ(slotOf(sim, 10, 2), 14000);
    const Bytes log = readBlock(sim, 60).data;
    EXPECT_EQ(le16(log, 3), now);
    EXPECT_EQ(le16(log, 5), now);
    EXPECT_EQ(powerOns(sim), poweredOn + 1);
}

TEST(SimModuleActions, RotationTurnsTheRawDotPattern) {
    Simulator sim;
    changeSlots(sim, 12, {{4, 1}});  // one decimal: point after the third digit
    // Action, then mp_rot and the raw dots (the logical ones stay 0x04).
    const int steps[][3] = {{8, 1, 0x01}, {10, 0, 0x04}, {10, 1, 0x01}, {9, 0, 0x04}, {9, 0, 0x04}};
    for (const auto& step : steps) {
        ASSERT_EQ(action(sim, step[0]).status1, 0);
        EXPECT_EQ(slotOf(sim, 13, 7), step[1]) << step[0];
        const Bytes live = readBlock(sim, 89).data;
        EXPECT_EQ(live[8] & 0x0F, 0x04);
        EXPECT_EQ(live[9] & 0x0F, step[2]);
    }
}

TEST(SimModuleActions, SwitchTestForcesTheOutputsUntilItEnds) {
    Simulator sim;
    sim.holdProcess(10);  // below every reset point: both outputs open
    // Action, then the two outputs; the input (at 95 % from the fifth
    // step on) no longer decides until the test ends.
    const int steps[][3] = {{31, 1, 0}, {30, 0, 0}, {32, 0, 1}, {31, 1, 1}, {30, 0, 0}, {34, 1, 1}};
    for (int i = 0; i < 6; ++i) {
        if (i == 4) sim.holdProcess(95);
        ASSERT_EQ(action(sim, steps[i][0]).status1, 0);
        const Live live = readLive(sim);
        EXPECT_EQ(live.switch1, steps[i][1] == 1) << i;
        EXPECT_EQ(live.switch2, steps[i][2] == 1) << i;
        EXPECT_EQ(live.dispMode, steps[i][0] == 34 ? 0 : 2);
    }
}

TEST(SimModuleActions, SimulatedKeysShowPointersAndWalkTheMenu) {
    Simulator sim;
    sim.holdProcess(90);
    const std::string top = readLive(sim).shown();
    sim.holdProcess(10);
    const std::string bottom = readLive(sim).shown();
    sim.holdProcess(50);
    const std::string now = readLive(sim).shown();

    action(sim, 201);
    Bytes live = readBlock(sim, 89).data;
    EXPECT_EQ(live[14], 0x01);
    EXPECT_EQ(live[15], 1);
    EXPECT_EQ(readLive(sim).shown(), top);
    for (int i = 0; i < 8; ++i) readLive(sim);
    EXPECT_EQ(readLive(sim).shown(), now) << "back after two seconds";
    action(sim, 203);
    EXPECT_EQ(readLive(sim).shown(), bottom);
    EXPECT_EQ(readBlock(sim, 89).data[17], 1);

    // Buttons 1 + 3 together clear both pointers.
    action(sim, 204);
    const Bytes log = readBlock(sim, 60).data;
    EXPECT_EQ(le16(log, 3), le16(log, 5));

    // Held, they open the menu; button 2 walks it, held it closes it. The
    // factory item is there only while set-up is not done.
    auto menu = [&] {
        std::vector<std::string> items;
        action(sim, 205);
        EXPECT_EQ(readLive(sim).dispMode, 1);
        for (int i = 0; i < 12; ++i) {
            const std::string item = readLive(sim).text;
            if (!items.empty() && item == items.front()) break;
            items.push_back(item);
            action(sim, 202);
        }
        action(sim, 206);
        EXPECT_EQ(readLive(sim).dispMode, 0);
        return items;
    };
    const std::vector<std::string> done = menu();
    ASSERT_FALSE(done.empty());
    EXPECT_EQ(done.front(), "SP 1");
    EXPECT_EQ(std::count(done.begin(), done.end(), "FAct"), 0);
    ASSERT_EQ(action(sim, 114).status1, 0);
    EXPECT_EQ(slotOf(sim, 1, 0), 0);
    const std::vector<std::string> open = menu();
    EXPECT_EQ(open.size(), done.size() + 1);
    EXPECT_EQ(std::count(open.begin(), open.end(), "FAct"), 1);
    ASSERT_EQ(action(sim, 14).status1, 0);
    EXPECT_EQ(slotOf(sim, 1, 0), 1);
    EXPECT_EQ(menu(), done);
}

TEST(SimModuleActions, TheFactoryMenuFlagAlsoTravelsInBlockOne) {
    // As the program hides or shows the factory menu: block 1 read,
    // fs_CalibDone changed, written with its flags, copied to EEPROM.
    Simulator sim;
    for (int done : {0, 1, 0}) {
        Bytes image = readBlock(sim, 1).data;
        putLe16(image, 1, done);
        ASSERT_EQ(writeBlock(sim, image, 0x0C1F).status1, 0);
        ASSERT_EQ(action(sim, 5).status1, 0);
        sim.powerCycle();
        EXPECT_EQ(slotOf(sim, 1, 0), done);
    }
}

TEST(SimModuleActions, QueriesAnswerInTheReplyBytes) {
    DeviceConfig config;
    config.displayInterfaceVersion = 3;
    Simulator sim(config);
    EXPECT_EQ(action(sim, 22).data, Bytes({3, 0}));
    EXPECT_EQ(action(sim, 24).data, Bytes({0x01, 0x05})) << "firmware 01.05, as block 0 says";
    // Word n of the configuration: ten per block in the order 0, 1, 2, 3,
    // 10, 11, 12, 13, 20.
    const int blocks[] = {0, 1, 2, 3, 10, 11, 12, 13, 20};
    for (int n = 0; n < 90; n += 7) {
        const Answer a = action(sim, 23, n);
        ASSERT_EQ(a.status1, 0);
        EXPECT_EQ(le16(a.data, 0), slotOf(sim, blocks[n / 10], n % 10)) << n;
    }
    EXPECT_EQ(action(sim, 23, 90).status1, 2);
    for (int code : {13, 20, 21, 25, 26}) EXPECT_EQ(action(sim, code).status1, 0) << code;

    // Action 11 shows the firmware build date and time, then the value.
    ASSERT_EQ(action(sim, 11).status1, 0);
    std::vector<std::string> shown;
    for (Live live = readLive(sim); live.dispMode == 3 && shown.size() < 8; live = readLive(sim)) {
        if (shown.empty() || shown.back() != live.text) shown.push_back(live.text);
    }
    EXPECT_EQ(shown, std::vector<std::string>({"2023", "1403", "1127"}));
}

TEST(SimModuleActions, UnknownCodesAreRefusedAndLogged) {
    Simulator sim;
    for (int code : {15, 19, 33, 35, 99, 200, 207, 254}) {
        const int before = le16(readBlock(sim, 60).data, 17);
        EXPECT_EQ(action(sim, code).status1, 2) << code;
        const Bytes log = readBlock(sim, 60).data;
        EXPECT_EQ(le16(log, 17), before + 1);
        EXPECT_EQ(log[19], 0x30);
    }
}

TEST(SimModuleActions, ReinitialisingASwitchDropsItsDelay) {
    Simulator sim;
    changeSlots(sim, 10, {{6, 100}});  // 10 s before output 1 sets
    sim.holdProcess(90);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(readLive(sim).switch1);
    ASSERT_EQ(action(sim, 20).status1, 0);
    EXPECT_TRUE(readLive(sim).switch1);
}

}  // namespace
}  // namespace hartsim::test
