// The field table: stable indices, definitions and their overrides, the
// complete field list in its order, and the checked reads.

#include <gtest/gtest.h>

#include "model/device_model.h"
#include "model/field_definitions.h"
#include "support/test_program.h"

namespace zh {
namespace {

using test::TestProgram;

// The field list as the data files, the window and the device sequences
// expect it, name by name.
QStringList expectedNames(int intSerIO) {
    QStringList n = {"VersCheck",
                     "Key",
                     "UnitType",
                     "Display",
                     "ADactRaw",
                     "Unit",
                     "HiTrail",
                     "LoTrail",
                     "DspMBE",
                     "DspMBA",
                     "TempUpper",
                     "TempLower",
                     "Damping",
                     "HartAddress",
                     "AddUnit",
                     "TimeUnit",
                     "TimeData",
                     "Rotate",
                     "DecimalPoint",
                     "DispDamp_UNUSED",
                     "OutputFunction1",
                     "SetPoint1",
                     "FrameHi1",
                     "ResetPoint1",
                     "FrameLow1",
                     "DelaySwitch1",
                     "ResDelaySwitch1",
                     "OutputFunction2",
                     "SetPoint2",
                     "FrameHi2",
                     "ResetPoint2",
                     "FrameLow2",
                     "DelaySwitch2",
                     "ResDelaySwitch2",
                     "TagID",
                     "HWVersion1",
                     "SWVersion1",
                     "HWVersion2",
                     "SWVersion2",
                     "SerialNo1",
                     "SerialNo2",
                     "ValLoopTest",
                     "FW_YYYY",
                     "FW_DDMM",
                     "FW_HHMM",
                     "mp_Offset_UNUSED",
                     "fs_ShowAddUnit",
                     "fs_ShowOrHideMenus",
                     "RES_CHK_13_IDX_09",
                     "pc_SegmentAdaptiveBrightMode",
                     "pc_CurrentAdaptiveBrightMode",
                     "pc_NonMuxLEDsAdaptActiveDiv",
                     "RESERVED_IDX_04_",
                     "RESERVED_IDX_05_",
                     "pc_en_RxD1_Pullup",
                     "pc_disable_stepdown",
                     "pc_startup_delay_LS_TP",
                     "bLogDataStoreFailureCount",
                     "pc_ui32PowerOnCount",
                     "pc_ui32OPseconds",
                     "pc_ui16TotalEcCount",
                     "pc_ui8LastEC",
                     "pc_ui8LastEC_index",
                     "Val4mAu",
                     "Val20mAu",
                     "fs_CalibDone",
                     "NominalRangeHigh",
                     "NominalRangeLow",
                     "UpperRangeVal",
                     "LowerRangeVal",
                     "LowerRangeADVal",
                     "UpperRangeADVal",
                     "UnitULRV",
                     "CalDecimalPoint",
                     "DampingAdm",
                     "Val4mA",
                     "Val20mA",
                     "UnitAdm",
                     "SelectEquip",
                     "SerialNoZEL",
                     "SerialNoZEL2",
                     "pc_CHK001_IDX5_res",
                     "pc_ui32_GUID.uint32_t",
                     "pc_ui32ProdAutoID.uint32_t",
                     "CmbManufact",
                     "DevConfig",
                     "DevType",
                     "CalcMethod",
                     "HallSwitch",
                     "Hysteresis",
                     "SwitchDelay",
                     "SwitchPoint",
                     "CmbFlashErrorYN",
                     "CmbFlashTeachYN",
                     "HartDevYN",
                     "CurrentOn",
                     "CurrentOff",
                     "pc_SPrPspace100th",
                     "mp_LED1",
                     "LEDmodeVisible",
                     "mp_LED2",
                     "pc_SlrSurSpace100th"};
    for (int i = 0; i <= 10; ++i)
        n << QStringLiteral("MW%1").arg(i) << QStringLiteral("ADC%1").arg(i);
    n << "HWVersion1Adm"
      << "HWVersion2Adm"
      << "SWVersion1Adm"
      << "SWVersion2Adm"
      << "SerialNo1Adm"
      << "SerialNo2Adm"
      << "TagIDAdm"
      << "ValLoopTestAdm"
      << "bIntSerIO"
      << "TaraPulseLen"
      << "ConfigYN"
      << "CmbSelCmdAdm";
    for (int i = 0; i <= 21; ++i) n << QStringLiteral("ADCByte%1").arg(i);
    n << "TMeasRangeHigh"
      << "TMeasRangeLow"
      << "TNomRangeHigh"
      << "TNomRangeLow";
    for (int i = 0; i <= 10; ++i) n << QStringLiteral("AGW%1").arg(i);
    n << "CmbSelCmd";
    (void)intSerIO;  // the same names in both forms; only types and conversions differ
    return n;
}

class FieldTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.usePressureProfile();
        m.cal.Measurand = QStringLiteral("Pressure");
    }
    FieldRecord& field(const char* name) { return m.fields.at(m.fields.find(QLatin1String(name))); }
    TestProgram t;
    DeviceModel m{t.program};
};

TEST_F(FieldTableTest, DefinitionPassDefinesEveryFieldInOrder) {
    for (int serIO : {0, 1}) {
        defineDataStructure(m, "[bar]", serIO, -11);
        QStringList names = m.fields.definedNames().split(QLatin1Char(';'));
        ASSERT_EQ(names.takeLast(), "");
        EXPECT_EQ(names, expectedNames(serIO)) << "IntSerIO " << serIO;
        EXPECT_EQ(field("NominalRangeHigh").Type, serIO == 0 ? "Float" : "Number");
        EXPECT_EQ(field("NominalRangeHigh").CheckProc,
                  serIO == 0 ? Conversion::ULRVal : Conversion::TransmVal);
        EXPECT_EQ(m.measurandFields.contains("DspMBE"), serIO == 0);
    }
    // Every shown field is in the packed record once, in definition order.
    int previous = 0;
    for (const PackedEntry& e : m.fields.packedEntries()) {
        EXPECT_EQ(field(e.Name.toLatin1().constData()).RecordPos, e.Position);
        EXPECT_GT(e.Position, previous);
        previous = e.Position;
    }
    // Every value the list names is one a pass works out.
    EXPECT_EQ(fieldListProblems().join('\n'), "");
}

TEST_F(FieldTableTest, RedefiningKeepsIndicesAndResetsValues) {
    defineDataStructure(m, "[bar]", 0, -11);
    const int tag = m.fields.find("TagID");
    const int count = m.fields.count();
    field("TagID").Content = QStringLiteral("PT-101");
    field("AGW3").RawVal = QStringLiteral("1234");
    defineDataStructure(m, "[bar]", 0, -11);
    EXPECT_EQ(m.fields.find("TagID"), tag);
    EXPECT_EQ(m.fields.count(), count);  // nothing new on the second pass
    EXPECT_EQ(field("TagID").Content, "");
    EXPECT_EQ(field("AGW3").RawVal, "0");
}

TEST_F(FieldTableTest, UnknownNamesCreateEmptyRecordsOnlyWhenAsked) {
    EXPECT_EQ(m.fields.find("NoSuchField"), -1);
    const int a = m.fields.fieldIndexOf("NoSuchField");
    EXPECT_EQ(m.fields.fieldIndexOf("NoSuchField"), a);
    EXPECT_TRUE(m.fields.at(a).Content.isEmpty());
    EXPECT_TRUE(m.fields.at(a).Type.isEmpty());
    // A name looked up before its definition keeps that record.
    const int early = m.fields.fieldIndexOf("TagID");
    defineDataStructure(m, "[bar]", 0, -11);
    EXPECT_EQ(m.fields.find("TagID"), early);
    EXPECT_GT(field("TagID").RecordPos, 0);
}

TEST_F(FieldTableTest, ProfileDefaultsOverrideExactlyTheirField) {
    t.program.ini.forget(
        t.writeFile("Config-125.ini", "[Defaults]\nVal4mA=4.5[mA]\nTagID=LINE-7\n"));
    defineDataStructure(m, "[bar]", 0, -11);
    EXPECT_EQ(field("Val4mA").Content, "4.5");
    EXPECT_EQ(field("Val4mA").GadUnit, "[mA]");
    EXPECT_EQ(field("Val4mAu").Content, "4.000");
    EXPECT_EQ(field("TagID").Content, "LINE-7");
}

TEST_F(FieldTableTest, AttributesGiveAccessVisibilityAndColour) {
    beginFieldPass(m);
    defineField(m, true, "Both", "String", "", "", "readonly;disabled;nodisplay;hidden;");
    defineField(m, true, "Live", "String", "", "", "CURRENT;ColorIndex=16");
    defineField(m, true, "Plain", "String", "", "", "COMMON;");
    defineField(m, true, "Hidden", "String", "", "", "disabled;hidden;");
    endFieldPass(m);
    EXPECT_EQ(field("Both").Access, "readonly");
    EXPECT_EQ(field("Both").Visibility, "nodisplay");
    EXPECT_EQ(field("Live").ColorIndx, 16);
    EXPECT_EQ(field("Live").GadStatus, "");
    EXPECT_EQ(field("Plain").ColorIndx, 2);
    EXPECT_EQ(field("Plain").GadStatus, "read");
    EXPECT_EQ(field("Plain").Access, "enabled");
    EXPECT_EQ(field("Hidden").Access, "disabled");
    EXPECT_EQ(field("Hidden").Visibility, "hidden");
    EXPECT_TRUE(field("Both").is(FlagReadOnly));
    EXPECT_FALSE(field("Plain").is(FlagReadOnly));
}

TEST_F(FieldTableTest, CheckedReadsReportUndeclaredNames) {
    defineDataStructure(m, "[bar]", 0, -11);
    field("TagID").Content = QStringLiteral("PT-101");
    EXPECT_EQ(readRecordData(m, QString(), "TagID"), "PT-101");
    EXPECT_EQ(readRecordData(m, QString(), "NoSuchField"), "");
    ASSERT_EQ(t.dialogs.boxes.size(), 1u);
    EXPECT_EQ(t.dialogs.boxes[0].title, "Internal");
    EXPECT_EQ(t.dialogs.boxes[0].text, "GetRecDat: NoSuchField Not declared!");
    EXPECT_EQ(m.fields.find("NoSuchField"), -1);  // the check did not create it
}

TEST_F(FieldTableTest, PackedRecordsKeepEscapedSeparators) {
    beginFieldPass(m);
    defineField(m, true, "Name", "String", "", "", "");
    defineField(m, true, "Count", "Number", "", "", "");
    defineField(m, true, "Note", "String", "", "", "");
    endFieldPass(m);
    m.recordMode = QStringLiteral("record");
    const QString record = QStringLiteral("a^;b;;c");
    EXPECT_EQ(readRecordData(m, record, "Name"), "a;b");
    EXPECT_EQ(readRecordData(m, record, "Note"), "c");
    EXPECT_TRUE(t.dialogs.boxes.empty());
    EXPECT_EQ(readRecordData(m, record, "Count"), "");
    EXPECT_EQ(t.dialogs.boxes.back().text, "GetRecDat: Count has no value!");
    readRecordData(m, record, "Status");  // allowed to be missing
    EXPECT_EQ(t.dialogs.boxes.size(), 1u);
}

}  // namespace
}  // namespace zh
