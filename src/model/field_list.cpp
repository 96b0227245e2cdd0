// The field list: every field of the program, one row each, in the fixed
// order the window, the data files and the device sequences rely on. A row
// says whether the field is shown (and so part of the packed record); its
// texts may name values of the definition pass in braces
// ("{upperRange}{unit}", see field_pass_values.h). Adding a field means
// adding its row here and, when the window shows it, its controls to the
// window's list of field controls.

#include <QStringList>

#include "app/program.h"
#include "device_model.h"
#include "field_definitions.h"
#include "field_pass_values.h"
#include "scaling.h"

namespace zh {
namespace {

// Which display interface a row belongs to; most rows belong to both.
enum class Only { Always, AdcValue, SerialValue };

struct FieldRow {
    const char* name;
    bool shown;  // the window shows it, and the packed record holds it
    const char* type;
    const char* def;  // default value, with its unit in brackets
    const char* params;
    const char* attributes;
    Conversion conversion = Conversion::None;
    Only only = Only::Always;
};

constexpr bool kShown = true;
constexpr bool kUnshown = false;
constexpr Conversion kF10 = Conversion::ConvertF10;
constexpr Conversion kF1000 = Conversion::ConvertF1000;
constexpr Conversion kAD = Conversion::ADToMeasurand;
constexpr Conversion kHex = Conversion::NumToHex;
constexpr Conversion kBin = Conversion::NumToBin;
constexpr Conversion kTransm = Conversion::TransmVal;
constexpr Conversion kULR = Conversion::ULRVal;
constexpr Conversion kV1 = Conversion::Version1;
constexpr Conversion kV2 = Conversion::Version2;
constexpr Only kAdc = Only::AdcValue;
constexpr Only kSio = Only::SerialValue;

// Name, shown, type, default, parameters, attributes[, conversion,
// interface].
// clang-format off
constexpr FieldRow kFields[] = {
    // The live value and the display range.
    {"VersCheck", kUnshown, "Number", "0", "", "nodisplay;"},
    {"Key", kUnshown, "String", "00000000", "", "nodisplay;"},
    {"UnitType", kUnshown, "Combobox", "{measurandIndex}", "{measurands}", "nodisplay;"},
    {"Display", kShown, "String", "---", "", "CURRENT;displayonly;ColorIndex=16"},
    {"ADactRaw", kShown, "Number", "{adMiddle}", "", "CURRENT;displayonly;readonly;"},
    {"Unit", kShown, "Combobox", "{unitIndex}", "{units}", "COMMON;"},
    {"HiTrail", kShown, "Float", "{unit}", "{fmt}", "blankvalid;displayonly;readonly;{unit};COMMON;", kAD},
    {"LoTrail", kShown, "Float", "{unit}", "{fmt}", "blankvalid;displayonly;readonly;{unit};COMMON;", kAD},
    {"DspMBE", kShown, "Float", "{upperRange}{unit}", "{fmt}", "disabled;{unit};PRESSURE;"},
    {"DspMBA", kShown, "Float", "{lowerRange}{unit}", "{fmt}", "disabled;{unit};PRESSURE;"},
    {"TempUpper", kShown, "Float", "{upperRange}{unit}", "{fmt};-99999;99999", "{unit};TEMPERATURE;"},
    {"TempLower", kShown, "Float", "{lowerRange}{unit}", "{fmt};-99999;99999", "{unit};TEMPERATURE;"},
    // Display settings.
    {"Damping", kShown, "Float", "1.0", "2.1;{dampingStep};{dampingMax}", "TEMPERATURE;[s];COMMON;"},
    {"HartAddress", kShown, "Number", "0", "2;0;15", "TEMPERATURE;"},
    {"AddUnit", kShown, "Combobox", "0", "{addUnits}", "COMMON;"},
    {"TimeUnit", kShown, "Float", "{timeUnit}", "2.1;{timeUnitMin};{timeUnitMax}", "[s];COMMON;", kF10},
    {"TimeData", kShown, "Float", "{timeData}", "2.1;{timeDataMin};{timeDataMax}", "[s];COMMON;", kF10},
    {"Rotate", kShown, "Combobox", "0", "{rotations}", "COMMON;"},
    {"DecimalPoint", kShown, "Combobox", "{displayDecimalPoint}", "{decimalPoints}", "COMMON;"},
    {"DispDamp_UNUSED", kUnshown, "Number", "0", "", "nodisplay;"},
    // Switch output 1: function, set and frame points, delays.
    {"OutputFunction1", kShown, "Combobox", "0", "{outputFunctions}", "COMMON;"},
    {"SetPoint1", kShown, "Float", "{setPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"FrameHi1", kShown, "Float", "{frameHigh}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"ResetPoint1", kShown, "Float", "{resetPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"FrameLow1", kShown, "Float", "{frameLow}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"DelaySwitch1", kShown, "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10},
    {"ResDelaySwitch1", kShown, "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10},
    // Switch output 2: function, set and frame points, delays.
    {"OutputFunction2", kShown, "Combobox", "0", "{outputFunctions}", "COMMON;"},
    {"SetPoint2", kShown, "Float", "{setPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"FrameHi2", kShown, "Float", "{frameHigh}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"ResetPoint2", kShown, "Float", "{resetPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"FrameLow2", kShown, "Float", "{frameLow}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD},
    {"DelaySwitch2", kShown, "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10},
    {"ResDelaySwitch2", kShown, "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10},
    // Identity and versions.
    {"TagID", kShown, "String", "", "16", "COMMON;"},
    {"HWVersion1", kShown, "String", "00.00", "5", "disabled;", kV1},
    {"SWVersion1", kShown, "String", "00.00", "5", "disabled;", kV1},
    {"HWVersion2", kShown, "String", "00.00", "5", "disabled;", kV2},
    {"SWVersion2", kShown, "String", "00.00", "5", "disabled;", kV2},
    {"SerialNo1", kShown, "Hexadecimal", "0000", "4", "disabled;", kHex},
    {"SerialNo2", kShown, "Hexadecimal", "0000", "4", "disabled;", kHex},
    {"ValLoopTest", kShown, "Float", "12.0", "2.3;0.0;99.0", "COMMON;"},
    // Values mirrored from the display module's parameter blocks.
    {"FW_YYYY", kUnshown, "Number", "0", "", "nodisplay;"},
    {"FW_DDMM", kUnshown, "Number", "0", "", "nodisplay;"},
    {"FW_HHMM", kUnshown, "Number", "0", "", "nodisplay;"},
    {"mp_Offset_UNUSED", kUnshown, "Number", "0", "", "nodisplay;"},
    {"fs_ShowAddUnit", kUnshown, "Number", "0", "", "nodisplay;"},
    {"fs_ShowOrHideMenus", kUnshown, "Number", "0", "", "nodisplay;"},
    {"RES_CHK_13_IDX_09", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_SegmentAdaptiveBrightMode", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_CurrentAdaptiveBrightMode", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_NonMuxLEDsAdaptActiveDiv", kUnshown, "Number", "0", "", "nodisplay;"},
    {"RESERVED_IDX_04_", kUnshown, "Number", "0", "", "nodisplay;"},
    {"RESERVED_IDX_05_", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_en_RxD1_Pullup", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_disable_stepdown", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_startup_delay_LS_TP", kUnshown, "Number", "0", "5;0;30000", "nodisplay;"},
    {"bLogDataStoreFailureCount", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui32PowerOnCount", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui32OPseconds", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui16TotalEcCount", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui8LastEC", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui8LastEC_index", kUnshown, "Number", "0", "", "nodisplay;"},
    {"Val4mAu", kShown, "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"Val20mAu", kShown, "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"fs_CalibDone", kUnshown, "Number", "0", "", "nodisplay;"},
    // Nominal and measuring ranges, their calibration unit, trim and damping.
    {"NominalRangeHigh", kShown, "Float", "{upperNominal}{unit}", "{fmt};-99999;99999", "{unit};readonly;ADMIN;", kULR, kAdc},
    {"NominalRangeLow", kShown, "Float", "{lowerNominal}{unit}", "{fmt};-99999;99999", "{unit};readonly;ADMIN;", kULR, kAdc},
    {"NominalRangeHigh", kShown, "Number", "{upperNominal}{unit}", "6;-99999;99999", "{unit};disabled;ADMIN;", kTransm, kSio},
    {"NominalRangeLow", kShown, "Number", "{lowerNominal}{unit}", "6;-99999;99999", "{unit};disabled;ADMIN;", kTransm, kSio},
    {"UpperRangeVal", kShown, "Float", "{upperRange}{unit}", "{fmt};-99999;99999", "{unit};disabled;ADMIN;", kULR},
    {"LowerRangeVal", kShown, "Float", "{lowerRange}{unit}", "{fmt};-99999;99999", "{unit};disabled;ADMIN;", kULR},
    {"LowerRangeADVal", kShown, "Number", "{lowerRangeAD}", "", "TEST;disabled;"},
    {"UpperRangeADVal", kShown, "Number", "{upperRangeAD}", "", "TEST;disabled;"},
    {"UnitULRV", kShown, "Combobox", "{calUnitIndex}", "{calUnits}", "SYSTEM;"},
    {"CalDecimalPoint", kShown, "Combobox", "{calDecimalPoint}", "0000=0;000.0=1;00.00=2;0.000=3", "TEST;"},
    {"DampingAdm", kShown, "Float", "1.0", "2.1;{dampingStep};{dampingMax}", "TEMPERATURE;[s];COMMON;"},
    {"Val4mA", kShown, "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"Val20mA", kShown, "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"UnitAdm", kShown, "Combobox", "{unitIndex}", "{units}", "SYSTEM;nodisplay;"},
    // Administration: equipment, identity, device type, hall switch, currents.
    {"SelectEquip", kShown, "Combobox", "3", "{equipment}", "SYSTEM;disabled;"},
    {"SerialNoZEL", kShown, "String", "", "24", "disabled;SYSTEM;"},
    {"SerialNoZEL2", kUnshown, "String", "", "20", "nodisplay;"},
    {"pc_CHK001_IDX5_res", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui32_GUID.uint32_t", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_ui32ProdAutoID.uint32_t", kUnshown, "Number", "0", "", "nodisplay;"},
    {"CmbManufact", kShown, "Combobox", "{manufacturer}", "{manufacturers}", "readonly;ADMIN;"},
    {"DevConfig", kShown, "String", "{notInitialized}", "30", "readonly;ADMIN;"},
    {"DevType", kShown, "Combobox", "0", "{deviceTypes}", "ADMIN;"},
    {"CalcMethod", kShown, "Combobox", "0", "{calcMethods}", "ADMIN;"},
    {"HallSwitch", kShown, "Combobox", "2", "{yesOrNo}", "ADMIN;"},
    {"Hysteresis", kShown, "Float", "{hysteresis}{unit}", "4.1;-9999;9999", "{unit};COMMON;", kF10},
    {"SwitchDelay", kShown, "Float", "0.0[s]", "4.1;-9999;9999", "[s];COMMON;", kF1000},
    {"SwitchPoint", kShown, "Float", "{switchPoint}{unit}", "4.1;-9999;9999", "{unit};COMMON;", kF10},
    {"CmbFlashErrorYN", kShown, "Combobox", "1", "{noOrYes}", "COMMON;"},
    {"CmbFlashTeachYN", kShown, "Combobox", "1", "{noOrYes}", "COMMON;"},
    {"HartDevYN", kShown, "Combobox", "0", "{noOrYes}", "COMMON;"},
    {"CurrentOn", kShown, "Float", "4.0[mA]", "2.1;3.5;21.8", "ADMIN;", kF10},
    {"CurrentOff", kShown, "Float", "20.0[mA]", "2.1;3.5;21.8", "ADMIN;", kF10},
    {"pc_SPrPspace100th", kUnshown, "Number", "0", "", "nodisplay;"},
    {"mp_LED1", kUnshown, "Number", "0", "", "nodisplay;"},
    {"LEDmodeVisible", kUnshown, "Number", "0", "", "nodisplay;"},
    {"mp_LED2", kUnshown, "Number", "0", "", "nodisplay;"},
    {"pc_SlrSurSpace100th", kUnshown, "Number", "0", "", "nodisplay;"},
    // The adjustment table: measured value and converter value per point.
    {"MW0", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC0", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW1", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC1", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW2", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC2", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW3", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC3", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW4", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC4", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW5", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC5", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW6", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC6", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW7", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC7", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW8", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC8", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW9", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC9", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW10", kShown, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC10", kShown, "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    // The administration tab's copies of identity and versions.
    {"HWVersion1Adm", kShown, "String", "00.00", "5", "disabled;", kV1},
    {"HWVersion2Adm", kShown, "String", "00.00", "5", "disabled;", kV2},
    {"SWVersion1Adm", kShown, "String", "00.00", "5", "disabled;", kV1},
    {"SWVersion2Adm", kShown, "String", "00.00", "5", "disabled;", kV2},
    {"SerialNo1Adm", kShown, "Hexadecimal", "0000", "4", "ADMIN;", kHex},
    {"SerialNo2Adm", kShown, "Hexadecimal", "0000", "4", "ADMIN;", kHex},
    {"TagIDAdm", kShown, "String", "", "16", "COMMON;"},
    {"ValLoopTestAdm", kShown, "Float", "12.0", "2.3;0.0;99.0", "TEMPERATURE;"},
    {"bIntSerIO", kShown, "Combobox", "{intSerIO}", "{interfaces}", "SYSTEM;readonly;"},
    {"TaraPulseLen", kShown, "Number", "0", "3;0;999", "disabled;"},
    {"ConfigYN", kShown, "Combobox", "1", "{noOrYes}", "ADMIN;nodisplay;"},
    {"CmbSelCmdAdm", kShown, "Combobox", "201", "{displayCommands}", "SYSTEM;displayonly;"},
    // The transmitter's own configuration: converter bytes, ranges, limit table.
    {"ADCByte0", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte1", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte2", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte3", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte4", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte5", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte6", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte7", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte8", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte9", kShown, "Binary", "0000", "4", "SYSTEM;TRANSMITTER;readonly;", kBin},
    {"ADCByte10", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte11", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte12", kShown, "Binary", "0000", "4", "SYSTEM;TRANSMITTER;readonly;", kBin},
    {"ADCByte13", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte14", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte15", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte16", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte17", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte18", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte19", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte20", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte21", kShown, "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"TMeasRangeHigh", kShown, "Float", "{upperRange}{unit}", "6.1;-99999.;99999.", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TMeasRangeLow", kShown, "Float", "{lowerRange}{unit}", "6.1;-99999.;99999.", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TNomRangeHigh", kShown, "Number", "{upperNominal}{unit}", "6.0;-99999;99999", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TNomRangeLow", kShown, "Number", "{lowerNominal}{unit}", "6.0;-99999;99999", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"AGW0", kShown, "Number", "-25000", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW1", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW2", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW3", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW4", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW5", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW6", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW7", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW8", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW9", kShown, "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW10", kShown, "Number", "25000", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"CmbSelCmd", kShown, "Combobox", "201", "{displayCommands}", "SYSTEM;TRANSMITTER;displayonly;"},
};
// clang-format on

void defineRow(PassContext& c, const FieldRow& row) {
    if (row.only == Only::AdcValue && c.intSerIO != 0) return;
    if (row.only == Only::SerialValue && c.intSerIO == 0) return;
    defineField(c.m, row.shown, QLatin1String(row.name), QLatin1String(row.type),
                expandPassValues(c, row.def), expandPassValues(c, row.params),
                expandPassValues(c, row.attributes), QString(), row.conversion);
}

bool hasProfileSection(Program& p, const QString& section) {
    const QStringList sections = p.ini.sectionNames(p.profile.resolve(p.state.ProfilePath));
    for (const QString& s : sections) {
        if (s.compare(section, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

QStringList fieldListProblems() {
    QStringList problems;
    for (const FieldRow& row : kFields) {
        for (const char* text : {row.def, row.params, row.attributes}) {
            for (const QString& name : unknownPassValues(text))
                problems << QLatin1String(row.name) + QStringLiteral(": no value {") + name +
                                QLatin1Char('}');
        }
    }
    return problems;
}

QStringList shownFieldNames() {
    QStringList names;
    for (const FieldRow& row : kFields) {
        if (row.shown && !names.contains(QLatin1String(row.name))) names << QLatin1String(row.name);
    }
    return names;
}

void defineDataStructure(DeviceModel& m, const QString& actBaseUnit, int intSerIO,
                         int dispDecPoint) {
    Program& p = m.program;
    p.log.debugLog(QStringLiteral(">> DefDataStruc() - actbaseunit=") + actBaseUnit +
                       QStringLiteral(", bIntSerIOp=") + QString::number(intSerIO) +
                       QStringLiteral(", DispDecPp=") + QString::number(dispDecPoint),
                   4);
    const int serIO = intSerIO == -1 ? 1 : intSerIO;
    if (m.cal.Measurand.isEmpty()) {
        m.cal.Measurand = p.state.MeasurandList.empty() ? QStringLiteral("Pressure")
                                                        : p.state.MeasurandList.front().Name;
    }
    loadCalibrationState(m, m.cal.Measurand, actBaseUnit, serIO, dispDecPoint);

    PassContext c{m, p, m.cal.actBaseUnit, QString(), hasProfileSection(p, m.cal.Measurand), serIO};
    c.fmt = m.cal.DispDecP >= 0 && m.cal.DispDecP <= 3
                ? QStringLiteral("6.") + QString::number(m.cal.DispDecP)
                : QStringLiteral("6.3");
    m.measurandFields =
        serIO == 0
            ? QStringLiteral(
                  "HiTrail;LoTrail;DspMBE;DspMBA;FrameHi1;FrameLow1;FrameHi2;FrameLow2;SetPoint1;"
                  "SetPoint2;ResetPoint1;ResetPoint2;SwitchPoint;")
            : QStringLiteral(
                  "HiTrail;LoTrail;TempLower;TempUpper;FrameHi1;FrameLow1;FrameHi2;FrameLow2;"
                  "SetPoint1;SetPoint2;ResetPoint1;ResetPoint2;SwitchPoint;");

    beginFieldPass(m);
    for (const FieldRow& row : kFields) defineRow(c, row);
    endFieldPass(m);
}

}  // namespace zh
