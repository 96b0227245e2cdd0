// The transmitter's commands: live values (1, 2, 142's reading), range and
// damping (15, 34, 35, 36, 37), loop current and trims (40, 45, 46), the
// ADC configuration and table (141/181, 142/182), versions (151), the raw
// probe (81), the EEPROM copy (200/201) and write protection.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim/simulator.h"
#include "sim_test_support.h"

namespace hartsim::test {
namespace {

Answer command(Simulator& sim, std::uint8_t number, const Bytes& data = {}) {
    return transact(sim, longRequest(number, data));
}

Bytes rangeRequest(std::uint8_t unit, float upper, float lower) {
    Bytes data = {unit};
    for (float v : {upper, lower}) {
        const Bytes f = floatBytes(v);
        data.insert(data.end(), f.begin(), f.end());
    }
    return data;
}

struct Output {
    int unit;
    float upper, lower, damping;
    int alarm, protect, label;
};

Output outputInformation(Simulator& sim) {
    const Bytes b = command(sim, 15).data;
    return {b[2], floatAt(b, 3), floatAt(b, 7), floatAt(b, 11), b[0], b[15], b[16]};
}

float pv(Simulator& sim) {
    return floatAt(command(sim, 1).data, 1);
}

Simulator withKey(int key) {
    DeviceConfig config;
    config.configurationKey = key;
    return Simulator(config);
}

TEST(SimTransmitter, PrimaryValueCurrentAndPercentInEveryRangeUnit) {
    struct Case {
        int key;
        std::uint8_t unit;
        double factor, offset;  // from the catalogue unit
    };
    const Case cases[] = {
        {0x01, 7, 1.0, 0.0},    {0x01, 6, 14.5038, 0.0}, {0x01, 8, 1000.0, 0.0},
        {0x01, 12, 100.0, 0.0}, {0x01, 237, 0.1, 0.0},   {0x20, 32, 1.0, 0.0},
        {0x20, 33, 1.8, 32.0},  {0x20, 35, 1.0, 273.15}, {0x20, 34, 1.8, 491.67},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " unit " << int(c.unit));
        Simulator sim = withKey(c.key);
        const Output factory = outputInformation(sim);
        const double low = factory.lower, high = factory.upper;
        auto inUnit = [&](double v) { return v * c.factor + c.offset; };
        ASSERT_EQ(
            command(sim, 35, rangeRequest(c.unit, float(inUnit(high)), float(inUnit(low)))).status1,
            0);
        const Output o = outputInformation(sim);
        EXPECT_EQ(o.unit, c.unit);
        EXPECT_FLOAT_EQ(o.upper, float(inUnit(high)));
        for (double percent : {0.0, 25.0, 50.0, 100.0}) {
            sim.holdProcess(percent);
            const Answer a = command(sim, 1);
            EXPECT_EQ(a.data[0], c.unit);
            EXPECT_NEAR(floatAt(a.data, 1), inUnit(low + percent / 100 * (high - low)),
                        1e-3 * std::fabs(c.factor * high) + 1e-3);
            const Bytes two = command(sim, 2).data;
            EXPECT_NEAR(floatAt(two, 0), 4 + 16 * percent / 100, 1e-3);
            EXPECT_NEAR(floatAt(two, 4), percent, 1e-3);
        }
    }
}

TEST(SimTransmitter, LoopCurrentSaturatesAndTheDisplayMeasuresWhatFlows) {
    Simulator sim;  // 0 ... 16 bar; range 4 ... 12 bar puts 0 and 16 bar far outside
    ASSERT_EQ(command(sim, 35, rangeRequest(7, 12.0f, 4.0f)).status1, 0);
    for (const auto& [percent, mA] : {std::pair{0.0, 3.8f}, {50.0, 12.0f}, {100.0, 20.5f}}) {
        sim.holdProcess(percent);
        const Answer a = command(sim, 2);
        EXPECT_NEAR(floatAt(a.data, 0), mA, 1e-4) << percent;
        EXPECT_EQ((a.status2 & 0x04) != 0, percent != 50.0) << "saturated";
        EXPECT_NEAR(sim.loopCurrentMa(), mA, 0.02)
            << "the DAC is close, not exact, before trimming";
        EXPECT_EQ(readLive(sim).adc, std::lround(sim.loopCurrentMa() * 1000));
    }
    // A process beyond the sensor's nominal range shows in the status.
    sim.holdProcess(130);
    EXPECT_EQ(command(sim, 1).status2 & 0x01, 0x01);
}

TEST(SimTransmitter, DampingWritesReadBackAndSmoothTheValue) {
    Simulator sim;
    for (float seconds : {0.0f, 0.1f, 1.5f, 42.0f, 99.9f}) {
        const Answer a = command(sim, 34, floatBytes(seconds));
        ASSERT_EQ(a.status1, 0) << seconds;
        EXPECT_FLOAT_EQ(floatAt(a.data, 0), seconds);
        EXPECT_FLOAT_EQ(outputInformation(sim).damping, seconds);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const auto& [seconds, code] : {std::pair{-0.1f, 4}, {100.0f, 3}, {nan, 2}}) {
        EXPECT_EQ(command(sim, 34, floatBytes(seconds)).status1, code) << seconds;
    }
    EXPECT_FLOAT_EQ(outputInformation(sim).damping, 99.9f);

    // With 2 s damping a jump from 4 to 12 bar takes its time.
    command(sim, 34, floatBytes(0.0f));
    sim.holdProcess(25);
    EXPECT_NEAR(pv(sim), 4.0, 1e-4);
    command(sim, 34, floatBytes(2.0f));
    sim.holdProcess(75);
    const float first = pv(sim);
    EXPECT_GT(first, 4.1f);
    EXPECT_LT(first, 6.0f);
    float later = first;
    for (int i = 0; i < 60; ++i) later = pv(sim);  // 15 s
    EXPECT_NEAR(later, 12.0, 0.01);
}

TEST(SimTransmitter, RangeWritesAreCheckedAgainstUnitAndSensorLimits) {
    struct Case {
        std::uint8_t unit;
        float upper, lower;
        int code;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {7, 16, 0, 0},    {7, 10, 2, 0},      {7, 0, 16, 0},  // falling range
        {8, 16000, 0, 0}, {6, 232.06f, 0, 0}, {7, 17, 0, 11},  {7, -1, 0, 12},
        {7, 16, -1, 10},  {7, 16, 17, 9},     {7, 20, -5, 13}, {7, 5, 5, 29},
        {32, 16, 0, 2},   {99, 16, 0, 2},     {7, nan, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.unit) << " " << c.upper << " " << c.lower);
        Simulator sim;
        const Output before = outputInformation(sim);
        const Answer a = command(sim, 35, rangeRequest(c.unit, c.upper, c.lower));
        EXPECT_EQ(a.status1, c.code);
        const Output after = outputInformation(sim);
        if (c.code == 0) {
            EXPECT_EQ(a.data, rangeRequest(c.unit, c.upper, c.lower)) << "echoed";
            EXPECT_EQ(after.unit, c.unit);
            EXPECT_FLOAT_EQ(after.upper, c.upper);
            EXPECT_FLOAT_EQ(after.lower, c.lower);
        } else {
            EXPECT_EQ(after.unit, before.unit);
            EXPECT_FLOAT_EQ(after.upper, before.upper);
            EXPECT_FLOAT_EQ(after.lower, before.lower);
        }
    }
    // A falling range turns the current round.
    Simulator sim;
    command(sim, 35, rangeRequest(7, 0, 16));
    sim.holdProcess(25);
    EXPECT_NEAR(floatAt(command(sim, 2).data, 0), 16.0, 1e-3);
}

TEST(SimTransmitter, SetUpperAndLowerRangeToThePresentValue) {
    Simulator sim;  // 0 ... 16 bar, nominal 0 ... 16
    sim.holdProcess(75);
    ASSERT_EQ(command(sim, 36).status1, 0);
    EXPECT_NEAR(outputInformation(sim).upper, 12.0, 1e-4);
    EXPECT_NEAR(floatAt(command(sim, 2).data, 4), 100.0, 1e-3);

    // The lower range value moves to 4 bar and the span of 12 bar stays.
    sim.holdProcess(25);
    ASSERT_EQ(command(sim, 37).status1, 0);
    Output o = outputInformation(sim);
    EXPECT_NEAR(o.lower, 4.0, 1e-4);
    EXPECT_NEAR(o.upper, 16.0, 1e-4);

    // At 8 bar the span would end at 20 bar: the upper value stops at the
    // sensor limit and the answer says so.
    sim.holdProcess(50);
    EXPECT_EQ(command(sim, 37).status1, 14);
    o = outputInformation(sim);
    EXPECT_NEAR(o.lower, 8.0, 1e-4);
    EXPECT_NEAR(o.upper, 16.0, 1e-4);

    // The upper value on the lower one: no span, refused.
    EXPECT_EQ(command(sim, 36).status1, 29);
    EXPECT_NEAR(outputInformation(sim).upper, 16.0, 1e-4);
    // Below the minimum span (0.16 bar) the value is set with a warning.
    sim.holdProcess(50.5);
    EXPECT_EQ(command(sim, 36).status1, 14);
    EXPECT_NEAR(outputInformation(sim).upper, 8.08, 1e-4);
    // The lower value at the sensor limit: no span left after the push, refused.
    sim.holdProcess(100);
    EXPECT_EQ(command(sim, 37).status1, 29);
    EXPECT_NEAR(outputInformation(sim).lower, 8.0, 1e-4);
    ASSERT_EQ(command(sim, 35, rangeRequest(7, 16, 8)).status1, 0);

    // A process beyond the sensor limits cannot become a range end.
    sim.holdProcess(150);
    EXPECT_EQ(command(sim, 36).status1, 9);
    sim.holdProcess(-50);
    EXPECT_EQ(command(sim, 37).status1, 10);
    o = outputInformation(sim);
    EXPECT_NEAR(o.lower, 8.0, 1e-4);
    EXPECT_NEAR(o.upper, 16.0, 1e-4);
}

TEST(SimTransmitter, FixedCurrentAndTrimsMakeTheLoopCarryWhatIsAsked) {
    Simulator sim;
    // Trims need the loop held at their point.
    EXPECT_EQ(command(sim, 45, floatBytes(4.0f)).status1, 9);
    command(sim, 40, floatBytes(12.0f));
    EXPECT_EQ(command(sim, 45, floatBytes(12.0f)).status1, 9);
    EXPECT_EQ(command(sim, 46, floatBytes(12.0f)).status1, 9);

    Answer a = command(sim, 40, floatBytes(4.0f));
    ASSERT_EQ(a.status1, 0);
    EXPECT_EQ(a.status2 & 0x08, 0x08);
    EXPECT_NEAR(floatAt(command(sim, 2).data, 0), 4.0, 1e-6) << "what it drives";
    const double before = sim.loopCurrentMa();
    EXPECT_GT(std::fabs(before - 4.0), 1e-3) << "what flows, before the trim";
    EXPECT_EQ(command(sim, 45, floatBytes(5.5f)).status1, 3);
    EXPECT_EQ(command(sim, 45, floatBytes(2.5f)).status1, 4);
    a = command(sim, 45, floatBytes(float(before)));
    ASSERT_EQ(a.status1, 0);
    EXPECT_EQ(a.data, floatBytes(float(before)));
    EXPECT_NEAR(sim.loopCurrentMa(), 4.0, 1e-4);

    command(sim, 40, floatBytes(20.0f));
    EXPECT_EQ(command(sim, 46, floatBytes(21.5f)).status1, 3);
    ASSERT_EQ(command(sim, 46, floatBytes(float(sim.loopCurrentMa()))).status1, 0);
    EXPECT_NEAR(sim.loopCurrentMa(), 20.0, 1e-3);
    for (float mA : {4.0f, 12.0f, 20.0f}) {
        command(sim, 40, floatBytes(mA));
        EXPECT_NEAR(sim.loopCurrentMa(), mA, 1e-3);
        EXPECT_EQ(readLive(sim).adc, std::lround(mA * 1000));
    }
    // Leaving fixed-current mode: the loop follows the process again.
    a = command(sim, 40, floatBytes(0.0f));
    EXPECT_EQ(a.status2 & 0x08, 0);
    sim.holdProcess(50);
    EXPECT_NEAR(sim.loopCurrentMa(), 12.0, 1e-3);
}

TEST(SimTransmitter, ConfigurationAndTableWritesReadBackWholly) {
    Simulator sim;
    Bytes config = command(sim, 141).data;
    ASSERT_EQ(config.size(), 26u);
    for (std::size_t n = 0; n < 22; ++n) {
        for (std::uint8_t v : {0x00, 0x5A, 0xA5, 0xFF}) {
            Bytes written = config;
            written[n] = v;
            ASSERT_EQ(command(sim, 181, written).status1, 0);
            EXPECT_EQ(command(sim, 141).data, written) << n;
        }
    }
    for (int high : {-32768, -1, 0, 16, 32767}) {
        Bytes written = config;
        putLe16(written, 22, high);
        putLe16(written, 24, -high - 1);
        command(sim, 181, written);
        const Bytes back = command(sim, 141).data;
        EXPECT_EQ(le16(back, 22), high);
        EXPECT_EQ(le16(back, 24), -high - 1);
    }

    // A transmitter's table rises from its first value to its last.
    Simulator table;
    const Bytes original = command(table, 142).data;
    for (auto [first, step] : {std::pair{-32768, 6553}, {-25000, 5000}, {-5, 1}, {32757, 1}}) {
        Bytes written(24, 0);
        for (std::size_t k = 0; k < 11; ++k)
            putLe16(written, 2 * k, first + step * static_cast<int>(k));
        putLe16(written, 22, 0x7FFF);  // the reading is ours, not the master's
        ASSERT_EQ(command(table, 182, written).status1, 0);
        const Bytes back = command(table, 142).data;
        EXPECT_EQ(Bytes(back.begin(), back.begin() + 22),
                  Bytes(written.begin(), written.begin() + 22));
        EXPECT_NE(le16(back, 22), 0x7FFF);
    }
    // One that does not rise is refused and changes nothing.
    Bytes bent = original;
    putLe16(bent, 6, -5);  // AGW3 above AGW4
    const Bytes before = command(table, 142).data;
    EXPECT_EQ(command(table, 182, bent).status1, 2);
    const Bytes after = command(table, 142).data;
    EXPECT_EQ(Bytes(before.begin(), before.begin() + 22), Bytes(after.begin(), after.begin() + 22));
    command(table, 182, original);
    const Bytes back = command(table, 142).data;
    EXPECT_EQ(Bytes(back.begin(), back.begin() + 22),
              Bytes(original.begin(), original.begin() + 22));
}

TEST(SimTransmitter, TheConverterReadingFollowsTheTableAndTheTableMakesTheValue) {
    // Configuration 3 has a bent table: at each tenth of the nominal range
    // the converter reads the table's point.
    Simulator bent = withKey(0x03);
    const Bytes points = command(bent, 142).data;
    for (int tenth = 0; tenth <= 10; ++tenth) {
        bent.holdProcess(10.0 * tenth);
        const Bytes now = command(bent, 142).data;
        EXPECT_EQ(le16(now, 22), le16(points, static_cast<std::size_t>(2 * tenth))) << tenth;
        EXPECT_NEAR(pv(bent), -1.0 + 2.6 * tenth, 1e-3);
    }
    // A table moved by 5000 counts makes the same reading a lower value:
    // 50 % reads 0 counts, which the new table places at 40 %.
    Simulator sim;  // 0 ... 16 bar, table -25000 ... 25000
    sim.holdProcess(50);
    Bytes moved(24, 0);
    for (std::size_t k = 0; k < 11; ++k) putLe16(moved, 2 * k, -20000 + 5000 * static_cast<int>(k));
    command(sim, 182, moved);
    EXPECT_EQ(le16(command(sim, 142).data, 22), 0);
    EXPECT_NEAR(pv(sim), 6.4, 1e-3);
}

TEST(SimTransmitter, SwitchVariantsSwitchTheLoopCurrent) {
    // Configuration 10: off 3.8 mA, on 20.0 mA, switch point 6.0 bar,
    // hysteresis 0.5 bar, delay 100 ms.
    Simulator sim = withKey(0x10);
    auto current = [&] { return floatAt(command(sim, 2).data, 0); };
    // Polls (250 ms apart) until the current is `mA`.
    auto pollsUntil = [&](float mA) {
        int polls = 0;
        while (std::fabs(current() - mA) > 1e-4f && polls < 10) ++polls;
        return polls;
    };
    sim.holdProcess(70);
    const int on = pollsUntil(20.0f);
    EXPECT_GE(on, 1) << "the delay holds it a moment";
    EXPECT_LE(on, 2);
    sim.holdProcess(58);  // inside the hysteresis: stays on
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(current(), 20.0, 1e-4);
    sim.holdProcess(50);
    const int off = pollsUntil(3.8f);
    EXPECT_GE(off, 1);
    EXPECT_LE(off, 2);
    // Without delay the loop follows at once.
    Bytes table = command(sim, 142).data;
    putLe16(table, 16, 0);
    command(sim, 182, table);
    sim.holdProcess(70);
    EXPECT_NEAR(current(), 20.0, 1e-4);
}

TEST(SimTransmitter, VersionsAndTheRawProbe) {
    Simulator sim;
    const Bytes identity = command(sim, 0).data;
    EXPECT_EQ(command(sim, 151).data,
              Bytes({identity[6], static_cast<std::uint8_t>(identity[7] >> 3)}));
    // Command 81: trim guidelines of the primary value (device variable 0,
    // also when the request names none): both points, in bar.
    for (const Bytes& request : {Bytes{}, Bytes{0}}) {
        const Bytes b = command(sim, 81, request).data;
        ASSERT_EQ(b.size(), 23u);
        EXPECT_EQ(Bytes(b.begin(), b.begin() + 3), Bytes({0, 3, 7}));
        const float expected[] = {0.0f, 1.6f, 14.4f, 16.0f, 1.6f};
        for (std::size_t i = 0; i < 5; ++i) EXPECT_NEAR(floatAt(b, 3 + 4 * i), expected[i], 1e-4);
    }
    EXPECT_EQ(command(sim, 81, {1}).status1, 2);
}

TEST(SimTransmitter, OutputBitsGiveAlarmAndWriteProtection) {
    Simulator sim;
    const Bytes config = command(sim, 141).data;
    struct Case {
        std::uint8_t bits;
        int alarm;
        int protect;
    };
    for (const Case c :
         {Case{0x05, 1, 0}, Case{0x02, 0, 0}, Case{0x00, 251, 0}, Case{0x0D, 1, 1}}) {
        Bytes written = config;
        written[12] = c.bits;
        command(sim, 181, written);
        const Output o = outputInformation(sim);
        EXPECT_EQ(o.alarm, c.alarm);
        EXPECT_EQ(o.protect, c.protect);
        EXPECT_EQ(o.label, 0x94);
    }
    // Protected: the standard writes are refused and change nothing.
    command(sim, 40, floatBytes(4.0f));
    const Output before = outputInformation(sim);
    for (const auto& [number, data] : {std::pair<std::uint8_t, Bytes>{34, floatBytes(1.0f)},
                                       {35, rangeRequest(7, 10, 0)},
                                       {36, {}},
                                       {37, {}},
                                       {45, floatBytes(4.0f)},
                                       {46, floatBytes(20.0f)}}) {
        EXPECT_EQ(command(sim, number, data).status1, 7) << int(number);
    }
    const Output after = outputInformation(sim);
    EXPECT_FLOAT_EQ(after.upper, before.upper);
    EXPECT_FLOAT_EQ(after.damping, before.damping);
    // The configuration command lifts it.
    command(sim, 181, config);
    EXPECT_EQ(command(sim, 34, floatBytes(1.0f)).status1, 0);
}

TEST(SimTransmitter, EepromCopyRestoreAndPowerCycle) {
    Simulator sim;
    auto damping = [&] { return outputInformation(sim).damping; };
    // Written to RAM only: lost when the power goes.
    command(sim, 34, floatBytes(5.0f));
    sim.powerCycle();
    EXPECT_FLOAT_EQ(damping(), 0.0f);

    // 200 copies RAM to EEPROM, 201 brings the copy back.
    command(sim, 34, floatBytes(5.0f));
    command(sim, 35, rangeRequest(8, 10000, 2000));
    ASSERT_EQ(command(sim, 200, {0}).status1, 0);
    command(sim, 34, floatBytes(7.0f));
    command(sim, 35, rangeRequest(7, 16, 0));
    ASSERT_EQ(command(sim, 201, {0}).status1, 0);
    Output o = outputInformation(sim);
    EXPECT_FLOAT_EQ(o.damping, 5.0f);
    EXPECT_EQ(o.unit, 8);
    EXPECT_FLOAT_EQ(o.lower, 2000.0f);

    // Configuration, table and trims are part of it; fixed current is not.
    Bytes config = command(sim, 141).data;
    config[9] = 0x0F;
    command(sim, 181, config);
    command(sim, 200, {0});
    command(sim, 40, floatBytes(4.0f));
    sim.powerCycle();
    EXPECT_EQ(command(sim, 141).data, config);
    EXPECT_FLOAT_EQ(damping(), 5.0f);
    EXPECT_EQ(command(sim, 1).status2 & 0x08, 0) << "fixed current ends with the power";
}

}  // namespace
}  // namespace hartsim::test
