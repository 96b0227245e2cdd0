// Scaling between raw device numbers and measurands: interpolation, unit
// conversion, number formatting, the per-field conversions (round trips
// over their whole ranges) and the whole-table conversion.

#include "model/scaling.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/device_model.h"
#include "model/live_display.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

class ScalingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.program.state.WindowTitle = QStringLiteral("ZEL-HART V 0.9.129");
        CalibrationState& c = m.cal;
        c.actBaseUnit = c.CalUnit = c.DispUnit = QStringLiteral("[°C]");
        c.UnitsList = QStringLiteral("°C=0;°F=1;°K=2;%=3;mA=4");
        c.CalibrationUnitsList = QStringLiteral("°C=0;°F=1;°K=2;");
        c.Conversions =
            parseConversionTable(QStringLiteral("°C;1.0;0.0|°F;1.8;32.0|°K;1.0;273.0;"));
        c.DispUnitIndex = c.CalUnitIndex = 0;
        calibrate(4000, 20000, 0, 10);
    }
    void calibrate(float adLow, float adHigh, float low, float high) {
        m.cal.CalADlow = adLow;
        m.cal.CalADhi = adHigh;
        m.cal.CalDPlow = m.cal.CalNomLow = low;
        m.cal.CalDPhi = m.cal.CalNomHi = high;
    }
    void display(const QString& unit, int index, int decimals) {
        m.cal.DispUnit = unit;
        m.cal.DispUnitIndex = index;
        m.cal.DispDecP = static_cast<short>(decimals);
    }
    FieldRecord& field(const QString& name, const QString& type, Conversion proc,
                       const QString& unit = QString()) {
        FieldRecord& f = m.fields[name];
        f.Name = name;
        f.Type = type;
        f.CheckProc = proc;
        f.GadUnit = f.BaseUnit = unit;
        return f;
    }
    QString conv(Conversion proc, const QString& value, const QString& name, int direction) {
        return applyConversion(m, proc, value, name, static_cast<ConvertTo>(direction));
    }
    // raw -> content -> raw for every raw in [from, to] (stepping by `step`);
    // returns the first raw value that does not come back, or "" when all do.
    std::string firstBrokenRoundTrip(Conversion proc, const QString& name, double from, double to,
                                     double step, int rawDecimals = 0) {
        for (double r = from; r <= to + step / 2; r += step) {
            const QString raw = QString::number(r, 'f', rawDecimals);
            QString content = conv(proc, raw, name, 1);
            content =
                content.left(content.indexOf('[') < 0 ? content.size() : content.indexOf('['));
            const QString back = conv(proc, content, name, 2);
            if (back.toDouble() != raw.toDouble() || back.isEmpty())
                return (raw + " -> " + content + " -> " + back).toStdString();
        }
        return {};
    }

    TestProgram t;
    DeviceModel m{t.program};
};

TEST_F(ScalingTest, InterpolationAndItsDegenerateInterval) {
    EXPECT_FLOAT_EQ(yggx(m, 5, 0, 10, 0, 100, "caller", 0.5f), 50.0f);
    EXPECT_EQ(m.cal.CalcError, 0);
    EXPECT_TRUE(t.dialogs.boxes.empty());

    EXPECT_FLOAT_EQ(yggx(m, 2, 10, 0, 0, 100, "SetPoint1", 0.5f), 50.0f);  // descending: error path
    EXPECT_EQ(m.cal.CalcError, 1);
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "ZEL-HART V 0.9.129");
    EXPECT_EQ(
        t.dialogs.boxes[0].text,
        "Calculation error: Division by zero [ SetPoint1=yggx(x=2, x1=10, x2=0, y1=0, y2=100) ]");
    EXPECT_FLOAT_EQ(yggx(m, 1, 3, 3, 10, 20, QString(), 0.0f), 10.0f);
    EXPECT_TRUE(t.dialogs.boxes.back().text.endsWith(" [ yggx(x=1, x1=3, x2=3, y1=10, y2=20) ]"));
    EXPECT_FLOAT_EQ(yggx(m, 1, 0, 2, 0, 4), 2.0f);
    EXPECT_EQ(m.cal.CalcError, 0);
}

TEST_F(ScalingTest, TableLinearisationPicksSegmentsAndExtrapolates) {
    m.cal.LinAdc = {0, 100, 300};
    m.cal.LinMw = {0, 10, 50};
    EXPECT_FLOAT_EQ(calclin(m, 50), 5.0f);
    EXPECT_FLOAT_EQ(calclin(m, 200), 30.0f);
    EXPECT_FLOAT_EQ(calclin(m, 400), 70.0f);  // beyond the last point: last segment
    m.cal.LinAdc = {7};
    m.cal.LinMw = {3};
    EXPECT_FLOAT_EQ(calclin(m, 42), 42.0f);  // one point is no segment
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(ScalingTest, UnitConversionThroughTheTable) {
    EXPECT_FLOAT_EQ(convertUnit(m, 20, "[°C]", "[°F]", "x"), 68.0f);
    EXPECT_EQ(convertUnitText(m, "68", "[°F]", "[°C]", "x"), "20");
    EXPECT_FLOAT_EQ(convertUnit(m, 50, "[%]", "[°F]", "x"), 41.0f);  // 50 % of 0..10 °C
    EXPECT_FLOAT_EQ(convertUnit(m, 12, "[mA]", "[%]", "x"), 50.0f);
    EXPECT_TRUE(t.dialogs.boxes.empty());

    EXPECT_TRUE(std::isnan(convertUnit(m, 1.5f, "[°C]", "[psi]", "SetPoint1")));
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[0].text,
              "Cannot Convert value for 'SetPoint1'=1.500 from '[°C]' to '[psi]'!");

    // A zero factor would divide by zero: the unit counts as unknown.
    m.cal.Conversions = parseConversionTable("°C;1.0;0.0|°F;0;32.0");
    EXPECT_TRUE(std::isnan(convertUnit(m, 20, "[°F]", "[°C]", "x")));
    // Without an entry for the base unit "%" cannot be expressed.
    m.cal.Conversions = parseConversionTable("°F;1.8;32.0");
    EXPECT_EQ(convertUnitText(m, "50", "[%]", "[°F]", "x"), "");
    EXPECT_EQ(t.dialogs.boxes.size(), 3u);
    // Nothing to convert: no message, no value.
    EXPECT_EQ(convertUnitText(m, "abc", "[°C]", "[°F]", "x"), "");
    EXPECT_TRUE(std::isnan(convertUnit(m, NAN, "[°C]", "[°F]", "x")));
    EXPECT_EQ(t.dialogs.boxes.size(), 3u);

    EXPECT_EQ(parseConversionTable("bar;1,0;0|;2;3|x|mbar;abc;0|psi;14.5").size(),
              2u);  // malformed skipped
}

TEST_F(ScalingTest, DecimalFormatting) {
    FieldRecord& f = field("SetPoint1", "Float", Conversion::ADToMeasurand);
    f.Params = "6.3;-99999;99999";
    EXPECT_EQ(formatDecimals(m, "12.345678", "SetPoint1", -1), "12.34");
    EXPECT_EQ(f.Params, "6.2;-99999;99999");
    EXPECT_EQ(formatDecimals(m, "1234.5", "SetPoint1", -1), "1234");
    EXPECT_EQ(f.Params, "6.0;-99999;99999");
    EXPECT_EQ(formatDecimals(m, "-1.5", "SetPoint1", -1), "-1.500");
    EXPECT_EQ(formatDecimals(m, "0", "SetPoint1", -1), "0.000");  // log10(0) has no value
    EXPECT_EQ(formatDecimals(m, "2.26", "SetPoint1", 1), "2.3");
    EXPECT_EQ(f.Params, "6.1;-99999;99999");
    field("Count", "Number", Conversion::None);
    EXPECT_EQ(formatDecimals(m, "7.6", "Count", 3), "8");
    for (const char* bad : {"nan", "inf", "1e999", "abc", ""})
        EXPECT_EQ(formatDecimals(m, bad, "SetPoint1", -1), "");
}

TEST_F(ScalingTest, FixedConversionsHexBinaryAndVersions) {
    EXPECT_EQ(conv(Conversion::ConvertF10, "123", "x", 1), "12.3");
    EXPECT_EQ(conv(Conversion::ConvertF10, "12.34", "x", 2), "123");
    EXPECT_EQ(conv(Conversion::ConvertF10, "1", "x", 3), "");

    field("ADCByte0", "Hexadecimal", Conversion::NumToHex).Params = "2";
    field("ADCByte9", "Binary", Conversion::NumToBin).Params = "4";
    EXPECT_EQ(conv(Conversion::NumToHex, "10", "ADCByte0", 1), "0A");
    EXPECT_EQ(conv(Conversion::NumToHex, "0a", "ADCByte0", 2), "10");
    EXPECT_EQ(conv(Conversion::NumToBin, "5", "ADCByte9", 1), "0101");
    EXPECT_EQ(conv(Conversion::NumToBin, "0101", "ADCByte9", 2), "5");
    EXPECT_EQ(conv(Conversion::NumToHex, "XYZ", "ADCByte0", 2), "");
    EXPECT_EQ(conv(Conversion::NumToBin, "102", "ADCByte9", 2), "");

    EXPECT_EQ(conv(Conversion::Version2, "291", "x", 1), "01.23");
    EXPECT_EQ(conv(Conversion::Version2, "6699", "x", 1), "1a.2b");
    EXPECT_EQ(conv(Conversion::Version2, "1a.2b", "x", 2), "6699");
    m.cal.IntSerIO = 1;
    EXPECT_EQ(conv(Conversion::Version1, "123", "x", 1), "01.23");
    EXPECT_EQ(conv(Conversion::Version1, "01.23", "x", 2), "123");
    m.cal.IntSerIO = 0;
    EXPECT_EQ(conv(Conversion::Version1, "291", "x", 1), "01.23");
}

TEST_F(ScalingTest, CountsReadInCalibrationPercentAndMilliamp) {
    field("SetPoint1", "Float", Conversion::ADToMeasurand, "[°C]");
    display("[°C]", 0, -1);
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "12000", "SetPoint1", 1), "5.000[°C]");
    display("[%]", 3, 1);
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "12000", "SetPoint1", 1), "50.0[%]");
    display("[mA]", 4, 1);
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "12000", "SetPoint1", 1), "12.0[mA]");
    display("[°F]", 1, 1);
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "12000", "SetPoint1", 1), "41.0[°F]");
    EXPECT_TRUE(t.dialogs.boxes.empty());

    calibrate(4000, 4000, 0, 10);  // no ADC span: a dash, never a division
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "12000", "SetPoint1", 1), "-");
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "5", "SetPoint1", 2), "-");
    calibrate(4000, 20000, 3, 3);
    display("[%]", 3, 1);
    EXPECT_EQ(conv(Conversion::ADToMeasurand, "50", "SetPoint1", 2), "-");
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

// Every conversion must give back the raw value it was shown from. Raw
// values are integers (ADC counts, scaled values) or, for TransmVal floats,
// tenths; each set-up shows enough decimals that one raw step is at least
// twice the display resolution, so rounding the shown value cannot move the
// raw value by half a step.
TEST_F(ScalingTest, RawContentRawRoundTripsOverWholeRanges) {
    field("SetPoint1", "Float", Conversion::ADToMeasurand, "[°C]");
    field("LowerRangeVal", "Float", Conversion::ULRVal, "[°C]");
    struct Case {
        Conversion proc;
        short intSerIO;
        float adLow, adHigh, low, high;
        QString calUnit, dispUnit;
        int calIndex, dispIndex, decimals;
    };
    const Conversion AD = Conversion::ADToMeasurand, ULR = Conversion::ULRVal;
    const Case cases[] = {
        {AD, 0, 4000, 20000, 0, 10000, "[°C]", "[°C]", 0, 0, 1},  // 0.625 °C per count, 0.1 shown
        {AD, 0, 4000, 20000, 10000, 0, "[°C]", "[°C]", 0, 0, 1},  // falling range
        {AD, 0, 20000, 4000, -50, 250, "[°C]", "[°C]", 0, 0,
         2},  // falling ADC points, 0.019 °C per count
        {AD, 0, 4000, 20000, 0, 10000, "[°C]", "[°F]", 0, 1,
         1},                                                  // another unit: 1.125 °F per count
        {AD, 0, 4000, 20000, 0, 10, "[°C]", "[%]", 0, 3, 3},  // 0.00625 % per count
        {AD, 0, 4000, 20000, 10, 0, "[°C]", "[%]", 0, 3, 3},  // falling range in %
        {AD, 0, 4000, 8000, 0, 10, "[°C]", "[mA]", 0, 4, 3},  // 0.004 mA per count
        {ULR, 1, 4000, 20000, 0, 10000, "[°C]", "[°C]", 0, 0,
         1},  // 0.625 °C per count, 1 decimal shown
        {ULR, 1, 4000, 20000, 10000, 0, "[°C]", "[°C]", 0, 0, 1},  // falling nominal range
        {ULR, 1, 0, 500, 0, 10, "[%]", "[%]", 3, 3, 1},            // 0.2 % per count
        {ULR, 1, 0, 100, 0, 10, "[mA]", "[mA]", 4, 4, 1},          // 0.16 mA per count
        {ULR, 1, 0, 1000, 0, 1000, "[°C]", "[°F]", 0, 1, 1},       // 1.8 °F per count
    };
    for (const Case& c : cases) {
        m.cal.IntSerIO = c.intSerIO;
        calibrate(c.adLow, c.adHigh, c.low, c.high);
        m.cal.CalUnit = c.calUnit;
        m.cal.CalUnitIndex = c.calIndex;
        display(c.dispUnit, c.dispIndex, c.decimals);
        const float lo = std::min(c.adLow, c.adHigh), hi = std::max(c.adLow, c.adHigh);
        const QString name = c.proc == AD ? "SetPoint1" : "LowerRangeVal";
        EXPECT_EQ(firstBrokenRoundTrip(c.proc, name, lo, hi, std::max(1.0f, (hi - lo) / 4000)), "")
            << c.calUnit.toStdString() << "->" << c.dispUnit.toStdString() << " " << c.low << ".."
            << c.high;
    }
    m.cal.CalUnit = "[°C]";
    m.cal.CalUnitIndex = 0;
    m.cal.IntSerIO = 0;
    for (short decimals = 0; decimals <= 3; ++decimals) {
        m.cal.CalDecP = decimals;
        EXPECT_EQ(
            firstBrokenRoundTrip(Conversion::AnaRawToCalUnit, "LowerRangeVal", -99999, 99999, 37),
            "");
        EXPECT_EQ(firstBrokenRoundTrip(ULR, "LowerRangeVal", -99999, 99999, 53), "") << decimals;
    }
    field("TMeasRangeHigh", "Float", Conversion::TransmVal,
          "[°F]");  // tenths of °C shown in tenths of °F
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::TransmVal, "TMeasRangeHigh", -999.9, 999.9, 0.1, 1),
              "");
    field("TNomRangeHigh", "Number", Conversion::TransmVal, "[°F]");  // whole °C in whole °F
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::TransmVal, "TNomRangeHigh", -9999, 9999, 3), "");
    for (Conversion p : {Conversion::ConvertF10, Conversion::ConvertF100, Conversion::ConvertF1000})
        EXPECT_EQ(firstBrokenRoundTrip(p, "x", -999999, 999999, 211), "");
    field("SerialNo1", "Hexadecimal", Conversion::NumToHex).Params = "4";
    field("ADCByte12", "Binary", Conversion::NumToBin).Params = "4";
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::NumToHex, "SerialNo1", 0, 65535, 7), "");
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::NumToBin, "ADCByte12", 0, 65535, 7), "");
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::Version2, "x", 0, 70000, 7), "");
    m.cal.IntSerIO = 1;
    EXPECT_EQ(firstBrokenRoundTrip(Conversion::Version1, "x", 0, 9999, 1), "");
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(ScalingTest, CalibrationDecimalPointFollowsTheRange) {
    FieldRecord& dp = field("CalDecimalPoint", "Combobox", Conversion::None);
    FieldRecord& low = field("LowerRangeVal", "Float", Conversion::ULRVal, "[°C]");
    low.Content = "250";
    low.RawVal = "250";
    m.cal.CalDecP = 0;
    int shown = -1;
    m.events.onSelection = [&shown](const QString& name, int position) {
        if (name == "CalDecimalPoint") shown = position;
    };
    calibrate(4000, 20000, -1, 250);
    setCalibrationDecimals(m, -1);
    EXPECT_EQ(m.cal.CalDecP, 1);
    EXPECT_EQ(dp.Content + dp.RawVal, "11");
    EXPECT_EQ(shown, 1);  // the decimal point's list follows
    // The range keeps its value in the new raw scale.
    EXPECT_EQ(low.RawVal, "2500");
    EXPECT_EQ(low.Content, "250.0");

    calibrate(4000, 20000, 0, 16000);
    setCalibrationDecimals(m, -1);
    EXPECT_EQ(m.cal.CalDecP, 0);
    setCalibrationDecimals(m, 2);
    EXPECT_EQ(m.cal.CalDecP, 2);
    calibrate(4000, 20000, NAN, 1);
    setCalibrationDecimals(m, -1);
    EXPECT_EQ(m.cal.CalDecP, 0);
}

TEST_F(ScalingTest, CalibrationStateFromTheProfile) {
    t.writeFile(
        "Config-125.ini",
        "[pressure]\nUnits=bar=7;mbar=8;%=57;\nCalibrationUnits=bar=7;mbar=8;\n"
        "Conversion=bar;1.0;0.0|mbar;1000;0|psi;0;0\nLowerRangeValue=-1,5\nUpperRangeValue=16\n"
        "LowerNominalValue=-1\nUpperNominalValue=16\nLowerRangeADValue=4000\nUpperRangeADValue="
        "abc\n"
        "CalDecPoint=7\nDispDecPoint=2\n");
    t.program.log.setThreshold(5);
    loadCalibrationState(m, "Pressure", "[bar]", -1, -11);
    const CalibrationState& c = m.cal;
    EXPECT_EQ(c.CalUnit + c.DispUnit, "[bar][bar]");
    EXPECT_EQ(c.DispUnitIndex + c.CalUnitIndex, 14);
    EXPECT_FLOAT_EQ(c.CalDPlow, -1.5f);
    EXPECT_FLOAT_EQ(c.CalADhi, 20000.0f);  // not a number: the default
    EXPECT_EQ(c.CalDecP, 3);               // clamped to what the device knows
    EXPECT_EQ(c.DispDecP, 2);
    EXPECT_EQ(c.IntSerIO, 1);
    EXPECT_EQ(c.Conversions.size(), 3u);
    EXPECT_TRUE(t.program.log.viewText().contains("factor 0 for psi"));
    EXPECT_TRUE(std::isnan(convertUnit(m, 1, "[psi]", "[bar]", "x")));

    loadCalibrationState(m, "Level", "[m]", 0, 1);  // no section: the generic set
    EXPECT_EQ(c.CalUnit, "[-]");
    EXPECT_EQ(c.UnitsList, "-=0;%=1;mA=6;");
    EXPECT_FLOAT_EQ(c.CalDPhi, 100.0f);
    EXPECT_EQ(c.DispDecP, 1);
    EXPECT_EQ(c.IntSerIO, 0);
    EXPECT_FLOAT_EQ(convertUnit(m, 25, "[%]", "[-]", "x"), 25.0f);
}

TEST_F(ScalingTest, WholeTableAfterReading) {
    t.program.log.setThreshold(5);
    display("[°C]", 0, 1);
    calibrate(4000, 20000, 0, 100);
    FieldRecord& sp = field("SetPoint1", "Float", Conversion::ADToMeasurand, "[°C]");
    sp.RawVal = "12000";
    FieldRecord& byte = field("ADCByte0", "Hexadecimal", Conversion::NumToHex);
    byte.Params = "2";
    byte.setAttributes("SYSTEM;TRANSMITTER;readonly;");
    byte.Default = "00";
    FieldRecord& agw = field("AGW0", "Number", Conversion::None);
    agw.RawVal = "-250.7";
    agw.setAttributes("SYSTEM;TRANSMITTER;readonly;");
    FieldRecord& cur = field("CurrentOn", "Float", Conversion::None);
    cur.Default = "4.0[mA]";
    const int before = m.fields.count();

    const RawTrace tr =
        convertAllRawToMeasurand(m, 1, "SetPoint1;ADCByte0;AGW0;CurrentOn;NoSuchField;");
    EXPECT_EQ(sp.Content, "50.0");
    EXPECT_EQ(sp.GadUnit, "[°C]");
    EXPECT_EQ(byte.Content, "00");
    EXPECT_EQ(agw.Content, "-251");
    EXPECT_EQ(cur.Content, "4.0");
    EXPECT_EQ(cur.GadUnit, "[mA]");
    EXPECT_EQ(tr.transmitter, "ADCByte0=00;AGW0=-250.7;");
    EXPECT_EQ(tr.switches, "SetPoint1=12000;");
    EXPECT_EQ(m.fields.count(), before);  // an unknown name creates nothing
    EXPECT_TRUE(t.program.log.viewText().contains(">>> AllRawToMeasurand(EnDeCode=1"));

    // Raw values that are no numbers never become "nan" or "inf".
    for (const char* bad : {"abc", "1e999", "nan", "inf"}) {
        sp.RawVal = agw.RawVal = bad;
        convertAllRawToMeasurand(m, 1, "SetPoint1;AGW0;");
        EXPECT_EQ(sp.Content, "") << bad;
        EXPECT_EQ(agw.Content, "") << bad;
    }
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(ScalingTest, WholeTableBeforeWriting) {
    display("[°F]", 1, 1);
    calibrate(4000, 20000, 0, 100);
    m.cal.IntSerIO = 0;
    m.cal.CalDecP = 3;
    field("CalDecimalPoint", "Combobox", Conversion::None);
    FieldRecord& sp = field("SetPoint1", "Float", Conversion::ADToMeasurand, "[°F]");
    sp.BaseUnit = "[°C]";
    sp.BaseValue = "50";
    sp.Content = "0";
    FieldRecord& delay = field("DelaySwitch1", "Float", Conversion::ConvertF10, "[s]");
    delay.Default = "1.5[s]";
    FieldRecord& tag = field("TagID", "String", Conversion::None);
    tag.Content = "TT-101";
    FieldRecord& bad = field("Hysteresis", "Float", Conversion::ConvertF10);
    bad.Content = "nan";

    convertAllRawToMeasurand(m, 2, "SetPoint1;DelaySwitch1;TagID;Hysteresis;");
    EXPECT_EQ(m.cal.CalDecP, 1);   // decimal point derived from the range first
    EXPECT_EQ(sp.Content, "122");  // re-derived from the base value
    EXPECT_EQ(sp.RawVal, "12000");
    EXPECT_EQ(delay.RawVal, "15");  // empty content: the default
    EXPECT_EQ(tag.RawVal, "TT-101");
    EXPECT_EQ(bad.RawVal, "");  // no number: no raw value for the device
}

TEST(LiveReadOut, DecimalPointSignAndTranslatedWords) {
    const auto translate = [](const QString& t) {
        return t == "Er" ? QStringLiteral("Error ") : t == "OvEr" ? QStringLiteral("over") : t;
    };
    const struct {
        const char* text;
        int pars;
        const char* shown;
    } rows[] = {{"1132", 2, "11.32"}, {" 1132 ", 0, "1132"},   {"132", -1, "-13.2"},
                {"9", 3, "9"},        {"Er12", 0, "Error 12"}, {"OvEr", 2, "over"},
                {"", 2, ""},          {"----", 0, "----"}};
    for (const auto& r : rows)
        EXPECT_EQ(formatReadOut(r.text, r.pars, translate), r.shown) << r.text;
}

TEST_F(ScalingTest, DisplayUnitChangeConvertsMeasurandFields) {
    int refreshed = 0;
    m.hooks.refreshLiveDisplay = [&] { ++refreshed; };
    m.measurandFields = "SetPoint1;HiTrail;Missing;";
    FieldRecord& sp = field("SetPoint1", "Float", Conversion::ADToMeasurand, "[°C]");
    sp.Content = "20";
    FieldRecord& hi = field("HiTrail", "Float", Conversion::ADToMeasurand, "[°C]");
    // Not in the list, yet shown in the old unit: follows, shown or hidden.
    FieldRecord& hysteresis = field("Hysteresis", "Float", Conversion::ConvertF10, "[°C]");
    hysteresis.Content = "10";
    FieldRecord& nominal = field("NominalRangeHigh", "Float", Conversion::None, "[°C]");
    nominal.Content = "100";  // the calibration's own unit stays
    changeUnit(m, 0, 1);
    EXPECT_EQ(hysteresis.Content + hysteresis.GadUnit, "50[°F]");
    EXPECT_EQ(nominal.Content + nominal.GadUnit, "100[°C]");
    EXPECT_EQ(m.cal.DispUnit, "[°F]");
    EXPECT_EQ(m.cal.DispUnitIndex, 1);
    EXPECT_EQ(sp.Content, "68");
    EXPECT_EQ(sp.GadUnit, "[°F]");
    EXPECT_EQ(hi.Content, "");
    EXPECT_EQ(hi.GadUnit, "[°F]");
    EXPECT_EQ(refreshed, 1);
    EXPECT_FALSE(m.fields.contains("Missing"));

    changeUnit(m, 1, 99);  // unknown code: nothing changes
    EXPECT_EQ(m.cal.DispUnit, "[°F]");
    EXPECT_EQ(sp.Content, "68");
}

}  // namespace
}  // namespace zh

namespace zh {
namespace {

TEST(WholeTableConversion, LargeWholeNumbersStayExact) {
    test::TestProgram t;
    DeviceModel m(t.program);
    FieldRecord& guid = m.fields[QStringLiteral("pc_ui32_GUID.uint32_t")];
    guid.Type = QStringLiteral("Number");
    guid.RawVal = QStringLiteral("1509954219");  // more digits than a float holds
    convertAllRawToMeasurand(m, 1, QStringLiteral("pc_ui32_GUID.uint32_t;"));
    EXPECT_EQ(guid.Content, "1509954219");
    guid.RawVal = QStringLiteral("12.6");
    convertAllRawToMeasurand(m, 1, QStringLiteral("pc_ui32_GUID.uint32_t;"));
    EXPECT_EQ(guid.Content, "13");
}

}  // namespace
}  // namespace zh
