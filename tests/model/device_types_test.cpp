// Device types and the configuration catalogue: the device-type list per
// class, loading and storing configurations, copying configuration bytes
// into the option fields, and the adjustment table.

#include "model/device_types.h"

#include <gtest/gtest.h>

#include <QFile>

#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/list_text.h"
#include "support/test_program.h"

namespace zh {
namespace {

const char* const kLinear = "-25000;-20000;-15000;-10000;-5000;0;5000;10000;15000;20000;25000";
const char* const kSwitch = "0;0;-25000;25000;38;200;2000;50;250;0;0";

// 22 configuration bytes with class (16), calculation method (8) and key (20).
QString bytesText(int byte16, int byte8 = 0, int byte20 = 0x1A) {
    QStringList b;
    for (int n = 0; n < 22; ++n) {
        const int v = n == 16   ? byte16
                      : n == 8  ? byte8
                      : n == 20 ? byte20
                      : n == 0  ? 1
                      : n == 19 ? 0x94
                                : 0;
        b << QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper();
    }
    return b.join(';');
}

QString record(const QString& desc, const QString& range, const QString& bytes,
               const QString& table = kLinear) {
    return desc + "|" + range + "|" + bytes + "|" + table + "|" + kSwitch;
}

QByteArray profileWith(const QString& catalogue, const QString& types = "Gauge=1A;Switch=2B;") {
    return ("[Pressure]\nBaseUnit=[bar]\nUnits=bar=0;mbar=1;PSI=2;%=5;mA=6\nCalibrationUnits=bar=0;"
            "mbar=1;PSI=2;\n"
            "Conversion=bar;1.0;0.0|mbar;1000.0;0.0|PSI;14.5038;0.0\nLowerRangeValue=0."
            "0\nUpperRangeValue=10.0\n"
            "LowerNominalValue=0\nUpperNominalValue=10\nCalculationMethods=No linearisation=0;ADC "
            "Table=1;\n"
            "DeviceTypes=" +
            types + "\n[DeviceConfigurations]\n" + catalogue)
        .toUtf8();
}

const QString kCatalogue =
    "1A=" + record("Gauge 0...16 bar", "0;16;0;16;bar", bytesText(4)) +
    "\n2B=" + record("Switch 0...400 mbar", "0;400;0;400;mbar", bytesText(2, 0, 0x2B)) + "\n3=" +
    record("Table -1...25 bar", "-1;25;-1;25;bar", bytesText(4, 1, 3),
           "-25000;-19750;-14530;-9350;-4240;800;5760;10650;15470;20250;25000") +
    "\n";

struct FieldState {
    QString name, content, raw, base, unit, status;
    bool operator==(const FieldState& o) const {
        return name == o.name && content == o.content && raw == o.raw && base == o.base &&
               unit == o.unit && status == o.status;
    }
};
void PrintTo(const FieldState& s, std::ostream* os) {
    *os << qPrintable(s.name + "=" + s.content + "/" + s.raw);
}

class DeviceTypesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.program.state.WindowTitle = "ZELHart";
        // What a window would show of the fields the model announces.
        m.events.onText = [this](const QString& field, const QString& text) {
            shownText[field] = text;
        };
        m.events.onItems = [this](const QString& field, const QStringList& items) {
            shownItems[field] = items;
        };
        m.events.onSelection = [this](const QString& field, int position) {
            shownSelection[field] = position;
        };
    }
    void use(const QByteArray& profile, const QString& measurand = "Pressure",
             const QString& base = "[bar]", int intSerIO = 0) {
        t.program.ini.forget(t.writeFile("Config-125.ini", profile));
        define(measurand, base, intSerIO);
    }
    void define(const QString& measurand = "Pressure", const QString& base = "[bar]",
                int intSerIO = 0) {
        m.cal.Measurand = measurand;
        defineDataStructure(m, base, intSerIO, -11);
    }
    FieldRecord& f(const QString& name) { return m.fields.at(m.fields.find(name)); }
    std::vector<FieldState> snapshot(QStringList names = {}) {
        if (names.isEmpty())
            for (int i = 1; i <= m.fields.count(); ++i) names << m.fields.at(i).Name;
        std::vector<FieldState> s;
        for (const QString& n : names) {
            const FieldRecord& r = f(n);
            s.push_back({r.Name, r.Content, r.RawVal, r.BaseValue, r.GadUnit, r.GadStatus});
        }
        return s;
    }
    QString profile() const { return QString::fromUtf8(t.readFile("Config-125.ini")); }
    QString log() const { return t.program.log.viewText(); }

    test::TestProgram t;
    DeviceModel m{t.program};
    QHash<QString, QString> shownText;
    QHash<QString, QStringList> shownItems;
    QHash<QString, int> shownSelection;
};

TEST_F(DeviceTypesTest, ColonsReadAsBarsAndKeysMatchByValue) {
    const QString bars = record("Switch", "0;400;0;400;mbar;", bytesText(2, 0, 5));
    const ConfigurationRecord r = ConfigurationRecord::fromText(bars);
    EXPECT_EQ(r.range,
              QStringList({"0", "400", "0", "400", "mbar"}));  // the closing ";" is no item
    EXPECT_EQ(r.bytes.size(), 22);
    EXPECT_EQ(r.agwSwitch.size(), 11);
    EXPECT_TRUE(ConfigurationRecord::fromText("Only|1;2").agw.isEmpty());

    QString colons = bars;
    colons.replace('|', ':');
    use(profileWith("1A=" + bars + "\n"));
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x1A));
    EXPECT_EQ(f("ADCByte20").Content, "1A");  // the selected key, not the record's byte 20
    const std::vector<FieldState> withBars = snapshot();
    use(profileWith("01a=" + colons + "\n"));  // and a key with a leading zero, in lower case
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x1A));
    EXPECT_EQ(snapshot(), withBars);
    EXPECT_TRUE(configurationRecordText(m, 0x1A).startsWith("Switch:"));
    EXPECT_TRUE(configurationRecordText(m, 0xA).isEmpty());
}

TEST_F(DeviceTypesTest, DeviceTypeListFollowsTheClass) {
    for (int byte16 : {1, 2, 4}) {
        use(profileWith(
            "1A=" + record("Hall 0...10 bar", "0;10;0;10;bar", bytesText(byte16)) + "\n",
            "Hall=1A;Unset=0;"));
        updateDeviceTypeSelection(m, 1);
        if (byte16 == 4) {
            EXPECT_EQ(shownItems["DevType"], QStringList({"No configuration", "Not initialized"}));
        } else {
            EXPECT_EQ(shownItems["DevType"],
                      QStringList({"No configuration", "Hall 0...10 bar", "Not initialized"}));
            // Decimal values: the DevType field holds byte 20 as a decimal number.
            EXPECT_EQ(f("DevType").Params,
                      "No configuration=0;Hall 0...10 bar=26;Not initialized=0;");
        }
    }
    use(profileWith(kCatalogue, "Gauge=1A;Gone=44;Switch=2B;Table=3;Broken;Late=1A;"));
    int refreshed = 0;
    m.hooks.refreshLiveDisplay = [&] { ++refreshed; };
    updateDeviceTypeSelection(m, 16);
    EXPECT_EQ(shownItems["DevType"],
              QStringList({"No configuration", "Gauge 0...16 bar", "Table -1...25 bar"}));
    EXPECT_EQ(refreshed, 1);
}

TEST_F(DeviceTypesTest, LoadSetsRangeUnitsBytesAndTheSwitchTable) {
    use(profileWith(kCatalogue));
    QStringList synced;
    m.hooks.syncRangeFields = [&](const QString& mode) { synced << mode; };
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x2B));
    EXPECT_EQ(synced, QStringList({"noupdate"}));
    EXPECT_EQ(f("UpperRangeVal").Content, "400.0");  // three integer digits leave one decimal
    EXPECT_EQ(f("UpperRangeVal").GadUnit, "[mbar]");
    EXPECT_EQ(f("UpperRangeVal").BaseValue, "0.4");
    EXPECT_EQ(f("TNomRangeHigh").Content, "400");
    EXPECT_EQ(f("TMeasRangeHigh").Content, "400.0");
    EXPECT_EQ(f("Unit").Content, "1");
    EXPECT_EQ(f("UnitULRV").Content, "1");
    EXPECT_EQ(f("CalDecimalPoint").Content, "1");
    EXPECT_EQ(m.cal.CalUnit, "[mbar]");
    EXPECT_FLOAT_EQ(m.cal.CalDPhi, 400.0f);
    EXPECT_EQ(f("ADCByte16").Content, "02");
    EXPECT_EQ(f("ADCByte9").Content, "0000");  // a bit field shows in binary
    const QStringList table = QString(kSwitch).split(';');
    for (int k = 0; k <= 10; ++k)
        EXPECT_EQ(f(QStringLiteral("AGW%1").arg(k)).RawVal, table[k]) << k;
    EXPECT_EQ(f("AGW5").GadStatus, "changed");  // not what the device holds yet
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(DeviceTypesTest, ConfigurationZeroKeepsTheRangeAndClearsBytesAndTables) {
    const QStringList transmitter = {"-25000", "", "", "", "", "", "", "", "", "0", "25000"};
    const QStringList switches = {"0", "0", "-25000", "25000", "380", "2000",
                                  "0", "0", "0",      "",      ""};
    for (int devIndx : {4, 1}) {
        use(profileWith(kCatalogue));
        ASSERT_TRUE(updateTransmitterConfig(m, devIndx, 0x1A));
        f("UpperRangeVal").Content = "12.5";
        EXPECT_TRUE(
            configurationRecordText(m, 0).startsWith("---|0.00;12.5;0.00;16.00;bar;|00;00;"));
        ASSERT_TRUE(updateTransmitterConfig(m, devIndx, 0));
        EXPECT_EQ(f("UpperRangeVal").Content, "12.5");
        for (int n = 0; n <= 21; ++n)
            EXPECT_EQ(f(QStringLiteral("ADCByte%1").arg(n)).RawVal, "0") << n;
        for (int k = 0; k <= 10; ++k)
            EXPECT_EQ(f(QStringLiteral("AGW%1").arg(k)).RawVal,
                      (devIndx == 1 ? switches : transmitter)[k])
                << k;
    }
}

TEST_F(DeviceTypesTest, DamagedRecordsAreLoggedAndChangeNothing) {
    const QString good = bytesText(4);
    const QString cases[][2] = {
        {"Gauge|0;16;0;16;bar|" + good + "|" + kLinear, "missing fields"},
        {record("Gauge", "0;16;0;16;furlong", good), ": furlong"},
        {record("Gauge", "0;16;0;16;%", good), ": %"},  // a display unit only, no calibration unit
        {record("Gauge", "0;16;0;16;bar", "0G" + good.mid(2)), "byte 0 '0G' is not hexadecimal"},
        {record("Gauge", "0;16;0;16;bar", "01;02;03"), "only 3 of 22 bytes"},
        {record("Gauge", "0;16;0;16;bar", good, "-25000;0;25000"), "AGW table has 3 of 11 entries"},
        {record("Gauge", "zero;16;0;16;bar", good), "'zero' is no number"},
    };
    for (const auto& c : cases) {
        use(profileWith("1A=" + c[0] + "\n"));
        const std::vector<FieldState> before = snapshot();
        const QString calUnit = m.cal.CalUnit;
        t.program.log.clearView();
        EXPECT_FALSE(updateTransmitterConfig(m, 4, 0x1A)) << qPrintable(c[0]);
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(m.cal.CalUnit, calUnit);
        EXPECT_TRUE(log().contains("\t[DeviceConfigurations] 1A=" + c[0] + ": ") &&
                    log().contains(c[1]))
            << qPrintable(log());
    }
    EXPECT_FALSE(updateTransmitterConfig(m, 4, 0x77));  // not in the catalogue
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(DeviceTypesTest, StoredConfigurationReloadsToTheSameFields) {
    use(profileWith(kCatalogue, "Gauge=1A;Switch=2B;Old name=01A;"));
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x2B));
    const char* edits[][3] = {{"ADCByte20", "26", "1A"},
                              {"ADCByte3", "200", "C8"},
                              {"ADCByte12", "5", "0101"},
                              {"AGW6", "1500", "1500"}};
    for (const auto& e : edits) {
        f(e[0]).RawVal = f(e[0]).BaseValue = e[1];
        f(e[0]).Content = e[2];
    }
    t.dialogs.boxAnswers = {mb::ResultYes};
    ASSERT_TRUE(storeConfiguration(m, "Switch 0...400 mbar, fast"));
    // The question named the entry the configuration replaces and its range.
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ((t.dialogs.boxes[0].title + ": " + t.dialogs.boxes[0].text).toStdString(),
              "Store Config: Replace the stored configuration 1A (Gauge 0...16 bar) by (Switch "
              "0...400 mbar, fast)?\nStored range: 0 ... 16 bar\nNew range: 0.0 ... 400.0 mbar");
    const QString text = profile();
    EXPECT_TRUE(text.contains(
        "\n1A=Switch 0...400 mbar, fast|0.0;400.0;0;400;mbar|01;00;00;C8;00;00;00;00;00;00;00;00;"
        "05;00;00;00;02;00;00;94;1A;00|0;0;-25000;25000;38;200;1500;50;250;0;0|"
        "0;0;-25000;25000;38;200;1500;50;250;0;0\n"))
        << qPrintable(text);
    const QString record = text.section("\n1A=", 1).section('\n', 0, 0);
    EXPECT_EQ(ConfigurationRecord::fromText(record).toText(), record);  // reads back as stored
    EXPECT_TRUE(text.contains(
        "\nDeviceTypes=Switch 0...400 mbar, fast=1A;Switch=2B;\n"));  // replaced, not added
    EXPECT_TRUE(text.contains("\nCalculationMethods=No linearisation=0;ADC Table=1;\n"));

    QStringList names = {"LowerRangeVal", "UpperRangeVal",  "NominalRangeLow", "NominalRangeHigh",
                         "TMeasRangeLow", "TMeasRangeHigh", "TNomRangeLow",    "TNomRangeHigh",
                         "Unit",          "UnitULRV",       "CalDecimalPoint"};
    for (int n = 0; n <= 21; ++n) names << QStringLiteral("ADCByte%1").arg(n);
    for (int k = 0; k <= 10; ++k) names << QStringLiteral("AGW%1").arg(k);
    std::vector<FieldState> stored = snapshot(names);
    define();  // every value back to its default
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x1A));
    std::vector<FieldState> reloaded = snapshot(names);
    for (auto* s : {&stored, &reloaded})
        for (FieldState& v : *s) v.status.clear();
    EXPECT_EQ(reloaded, stored);
}

TEST_F(DeviceTypesTest, StoringKeepsTheSpellingOfAnExistingKey) {
    use(profileWith("0A=" + record("Ten", "0;16;0;16;bar", bytesText(4, 0, 10)) + "\n", "Ten=0A;"));
    ASSERT_TRUE(updateTransmitterConfig(m, 4, 10));
    t.dialogs.boxAnswers = {mb::ResultYes, mb::ResultYes};
    ASSERT_TRUE(storeConfiguration(m, "Ten again"));
    f("ADCByte20").RawVal = "171";
    ASSERT_TRUE(storeConfiguration(m, "New"));
    ASSERT_EQ(t.dialogs.boxes.size(), 2u);
    EXPECT_EQ(t.dialogs.boxes[1].text, "Store the configuration as AB (New)?");
    const QString text = profile();
    EXPECT_TRUE(text.contains("\n0A=Ten again|") && !text.contains("\nA="));
    EXPECT_TRUE(text.contains("\nAB=New|"));
    EXPECT_TRUE(text.contains("\nDeviceTypes=Ten again=0A;New=AB;\n"));
}

TEST_F(DeviceTypesTest, RefusedStoresLeaveTheProfileAlone) {
    use(profileWith(kCatalogue));
    ASSERT_TRUE(updateTransmitterConfig(m, 4, 0x1A));
    const QByteArray before = t.readFile("Config-125.ini");
    for (const char* desc : {"", "  ", "With: colon", "A|B", "a=b", "x;y"})
        EXPECT_FALSE(storeConfiguration(m, desc));
    f("ADCByte20").RawVal = "0";
    EXPECT_FALSE(storeConfiguration(m, "Fine"));
    ASSERT_EQ(t.dialogs.boxes.size(), 7u);
    EXPECT_EQ(t.dialogs.boxes[6].title, "Error");
    EXPECT_EQ(t.dialogs.boxes[6].text, "Key (Byte 20) And/or description invalid!");
    // The person who says no to replacing an entry keeps it.
    f("ADCByte20").RawVal = "26";
    t.dialogs.boxAnswers = {mb::ResultNo};
    EXPECT_FALSE(storeConfiguration(m, "Fine"));
    ASSERT_EQ(t.dialogs.boxes.size(), 8u);
    EXPECT_TRUE(t.dialogs.boxes[7].text.startsWith(
        "Replace the stored configuration 1A (Gauge 0...16 bar)"));
    EXPECT_EQ(t.readFile("Config-125.ini"), before);

    // A list that filled the read buffer was cut: writing it back would lose its tail.
    QString types = "Gauge=1A;";
    while (types.size() < 1100)
        types += QStringLiteral("Variant %1=%2;").arg(types.size()).arg(types.size() + 4096, 0, 16);
    use(profileWith(kCatalogue, types));
    ASSERT_TRUE(updateTransmitterConfig(m, 4, 0x1A));
    const QByteArray cut = t.readFile("Config-125.ini");
    EXPECT_FALSE(storeConfiguration(m, "Gauge, renamed"));
    ASSERT_EQ(t.dialogs.boxes.size(), 9u);
    EXPECT_TRUE(t.dialogs.boxes[8].text.contains("DeviceTypes"));
    EXPECT_EQ(t.readFile("Config-125.ini"), cut);
}

TEST_F(DeviceTypesTest, SyncReportsUnknownNamesAndCopiesByDestinationType) {
    use(profileWith(kCatalogue));
    ASSERT_TRUE(updateTransmitterConfig(m, 2, 0x2B));
    const int records = m.fields.count();
    syncTransmitterConfigFields(m, "Nope=ADCByte8;CalcMethod=Missing;HallSwitch=ADCByte16;",
                                TypeUpdate::Keep);
    ASSERT_EQ(t.dialogs.boxes.size(), 2u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "SyncGadgets");
    EXPECT_EQ(t.dialogs.boxes[0].text, "Invalid Src/Dest: ADCByte8/Nope");
    EXPECT_EQ(t.dialogs.boxes[1].text, "Invalid Src/Dest: Missing/CalcMethod");
    EXPECT_EQ(m.fields.count(), records);  // no record made up for the wrong names
    EXPECT_EQ(f("HallSwitch").Content, "2");

    f("AGW5").setColourState(ColourRead);
    syncTransmitterConfigFields(m, "CurrentOn=AGW5;", TypeUpdate::Keep);
    EXPECT_EQ(f("CurrentOn").RawVal, "200");
    EXPECT_EQ(f("CurrentOn").Content, "20.0");
    EXPECT_EQ(f("CurrentOn").GadStatus, "read");
    int refreshed = 0;
    m.hooks.refreshAllControls = [&] { ++refreshed; };
    syncTransmitterConfigFields(m, kSwitchAgwMap, TypeUpdate::Catalogue);
    EXPECT_EQ(refreshed, 1);
    EXPECT_EQ(f("CurrentOn").Content, "20.0");
    EXPECT_EQ(f("SwitchPoint").Content, "200.0");
    EXPECT_EQ(f("SwitchDelay").Content, "0.250");
    EXPECT_EQ(t.dialogs.boxes.size(), 2u);
}

TEST_F(DeviceTypesTest, ApplyingASelection) {
    use(profileWith(kCatalogue, "Gauge=1A;Switch=2B;Table=3;"));
    std::vector<int> groups;
    m.hooks.showOptionGroups = [&](int devIndx) { groups.push_back(devIndx); };
    updateDeviceType(m, -1, 0, 0,
                     TypeUpdate::New);  // not yet known: every group, as for a display module
    EXPECT_EQ(groups, std::vector<int>({3}));
    EXPECT_EQ(shownText["MeasElemConfigName"], "---");

    updateDeviceType(m, 4, 3, 1, TypeUpdate::Catalogue);
    EXPECT_EQ(shownText["MeasElemConfigName"], "Table -1...25 bar");
    EXPECT_EQ(f("DevType").Content, "3");
    EXPECT_EQ(f("CmbManufact").Content, "148");
    EXPECT_EQ(shownItems["CalcMethod"], QStringList({"No linearisation", "ADC Table"}));
    EXPECT_EQ(shownSelection["CalcMethod"], 1);
    EXPECT_EQ(f("ADC1").Content, "-19750");  // the ADC table of the configuration

    updateDeviceType(m, 2, 0x2B, 0, TypeUpdate::Catalogue);
    EXPECT_EQ(f("HallSwitch").Content, "2");
    EXPECT_EQ(f("SwitchPoint").Content, "200.0");
    f("AGW6").RawVal = "7";
    updateDeviceType(m, 2, 0x2B, 0, TypeUpdate::New);  // a new data set keeps its values
    EXPECT_EQ(f("SwitchPoint").Content, "0.7");
    EXPECT_TRUE(t.dialogs.boxes.empty());
}

TEST_F(DeviceTypesTest, AdjustmentTableClearAndFill) {
    use(profileWith(kCatalogue));
    clearAdcTable(m, AdcTable::Default, AdcShown::Controls);
    EXPECT_EQ(f("ADC0").Content, "-25000");
    EXPECT_EQ(f("ADC4").Content, "");
    for (int i = 0; i <= 10; ++i)
        f(QStringLiteral("MW%1").arg(i)).Content = QString::number(20 - 2 * i);  // falling
    f("ADC9").Content.clear();  // 0 in the default table
    f("ADC5").Content = "5000";
    ASSERT_TRUE(fillAdcTable(m));
    EXPECT_EQ(f("ADC2").Content, "-13000");
    EXPECT_EQ(f("ADC2").RawVal, "-13000");
    EXPECT_EQ(f("ADC2").GadStatus, "changed");
    EXPECT_EQ(f("ADC8").Content, "17000");
    EXPECT_EQ(m.cal.LinAdc.size(), 11u);
    EXPECT_FLOAT_EQ(m.cal.LinMw[5], 10.0f);

    m.selection.DevType = 3;
    clearAdcTable(m, AdcTable::Transmitter, AdcShown::NoUpdate);
    EXPECT_EQ(f("ADC4").Content, "-4240");
    EXPECT_EQ(f("ADC4").GadStatus, "default");
    for (int i = 1; i <= 10; ++i) f(QStringLiteral("ADC%1").arg(i)).Content.clear();
    const std::vector<FieldState> before = snapshot();
    EXPECT_FALSE(fillAdcTable(m));
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].text, "No second interpolation point!");
    EXPECT_EQ(snapshot(), before);

    // Clear: the stored table of the key, each row at its tenth of the
    // nominal range.
    f("NominalRangeLow").Content = "-1";
    f("NominalRangeHigh").Content = "25";
    clearAdjustmentTable(m);
    EXPECT_EQ(f("ADC1").Content + " " + f("ADC4").Content, "-19750 -4240");
    EXPECT_EQ(f("MW1").Content + " " + f("MW10").Content, "1.600 25.000");
    // Values left from before (0 and the stored counts) between the two
    // points set are no points: those rows take their share, the table rises.
    for (int i = 1; i <= 9; ++i) f(QStringLiteral("MW%1").arg(i)).Content = "0.000";
    f("MW0").Content = "0";
    f("ADC0").Content = "-9300";
    f("MW10").Content = "150";
    f("ADC10").Content = "25000";
    ASSERT_TRUE(fillAdcTable(m));
    QStringList rows;
    for (int i = 0; i <= 10; i += 5)
        rows << f(QStringLiteral("MW%1").arg(i)).Content + "/" +
                    f(QStringLiteral("ADC%1").arg(i)).Content;
    EXPECT_EQ(rows.join(' '), "0/-9300 75.000/7850 150/25000");
    EXPECT_EQ(f("MW1").ColorIndx, ColourChanged);
    EXPECT_EQ(t.dialogs.boxes.size(), 1u);
}

TEST_F(DeviceTypesTest, EveryShippedConfigurationLoadsCleanly) {
    QFile shipped(ZH_SOURCE_DIR "/resources/Config-125.ini");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    t.program.ini.forget(t.writeFile("Config-125.ini", shipped.readAll()));
    const QStringList keys = t.program.ini.keyNames(
        t.program.profile.resolve(t.program.state.ProfilePath), "DeviceConfigurations");
    ASSERT_GE(keys.size(), 6);
    int switches = 0, tables = 0;
    QStringList listed;
    for (const auto& [measurand, base] :
         {std::pair<QString, QString>{"Pressure", "[bar]"}, {"Temperature", "[°C]"}}) {
        const QString& file = t.program.state.ProfilePath;
        const QString methods =
            t.program.profile.readProfile(measurand, "CalculationMethods", "", file);
        for (const QString& item : t.program.profile.readProfile(measurand, "DeviceTypes", "", file)
                                       .split(';', Qt::SkipEmptyParts)) {
            const QString key = item.section('=', 1);
            listed << key;
            const int value = key.toInt(nullptr, 16);
            ASSERT_EQ(key, QString::number(value, 16).toUpper()) << qPrintable(item);
            const ConfigurationRecord r =
                ConfigurationRecord::fromText(configurationRecordText(m, value));
            ASSERT_EQ(r.bytes.size(), 22);
            ASSERT_EQ(r.agw.size(), 11);
            EXPECT_EQ(r.bytes[20].toInt(nullptr, 16), value) << qPrintable(item);
            const int cls = r.bytes[16].toInt(nullptr, 16), method = r.bytes[8].toInt(nullptr, 16);
            EXPECT_FALSE(listTextOf(methods, method).isEmpty()) << qPrintable(item);
            EXPECT_TRUE(r.bytes[9].toInt(nullptr, 16) <= 15 &&
                        r.bytes[12].toInt(nullptr, 16) <= 15);  // 4 bits
            tables += method == 1;
            EXPECT_TRUE(r.agw.first() == "-25000" && r.agw.last() == "25000") << qPrintable(item);
            for (int k = 1; k < 11; ++k)
                EXPECT_LT(r.agw[k - 1].toInt(), r.agw[k].toInt()) << qPrintable(item);
            const double low = r.range[0].toDouble(), high = r.range[1].toDouble();
            EXPECT_TRUE(low < high && r.range[2].toDouble() <= low &&
                        r.range[3].toDouble() >= high);
            if (deviceClassOf(cls) == DeviceClass::Switch) {
                ++switches;
                const QStringList& s = r.agwSwitch;
                ASSERT_EQ(s.size(), 11);
                EXPECT_TRUE(s[0] == "0" && s[1] == "0" && s[2].toInt() < s[3].toInt());
                for (int k : {4, 5})
                    EXPECT_TRUE(s[k].toInt() >= 35 && s[k].toInt() <= 218);  // 3.5..21.8 mA
                EXPECT_TRUE(s[6].toInt() / 10.0 > low && s[6].toInt() / 10.0 < high)
                    << qPrintable(item);
            }
            for (int serIO : {0, 1}) {
                define(measurand, base, serIO);
                t.program.log.clearView();
                ASSERT_TRUE(updateTransmitterConfig(m, cls, value)) << qPrintable(log());
                EXPECT_FALSE(log().contains("[DeviceConfigurations]")) << qPrintable(log());
                EXPECT_EQ(f("ADCByte20").RawVal.toInt(), value);
                updateDeviceTypeSelection(m, cls);
                EXPECT_TRUE(shownItems["DevType"].contains(r.description)) << qPrintable(item);
            }
        }
    }
    EXPECT_TRUE(t.dialogs.boxes.empty());
    EXPECT_TRUE(switches >= 2 && tables >= 2);
    for (const QString& k : keys) EXPECT_TRUE(listed.contains(k)) << "unlisted " << qPrintable(k);
}

}  // namespace
}  // namespace zh
