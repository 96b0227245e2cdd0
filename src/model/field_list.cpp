// The field list: every field of the program, one row each, in the fixed
// order the window, the data files and the device sequences rely on. A row
// names its controls as the control table does ("FldSetPoint1"); its texts
// may name values of the definition pass in braces ("{upperRange}{unit}",
// see field_pass_values.h). Adding a field means adding its row here and,
// when the window shows it, its control to the control table.

#include <QStringList>

#include "app/control_registry.h"
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
    const char* control;  // the bound control; "" for a field the window does not show
    const char* type;
    const char* def;  // default value, with its unit in brackets
    const char* params;
    const char* attributes;
    Conversion conversion = Conversion::None;
    const char* label = "";  // the label that names the field; "" for none
    const char* unit = "";   // the label that shows its unit; "" for none
    Only only = Only::Always;
};

constexpr Conversion kNone = Conversion::None;
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

// Name, control, type, default, parameters, attributes[, conversion, label,
// unit, interface].
// clang-format off
constexpr FieldRow kFields[] = {
    // The live value and the display range.
    {"VersCheck", "", "Number", "0", "", "nodisplay;"},
    {"Key", "", "String", "00000000", "", "nodisplay;"},
    {"UnitType", "", "Combobox", "{measurandIndex}", "{measurands}", "nodisplay;"},
    {"Display", "FldDisplay", "String", "---", "", "CURRENT;displayonly;ColorIndex=16"},
    {"ADactRaw", "FldADact", "Number", "{adMiddle}", "", "CURRENT;displayonly;readonly;"},
    {"Unit", "CmbUnit", "Combobox", "{unitIndex}", "{units}", "COMMON;"},
    {"HiTrail", "FldHiTrailing", "Float", "{unit}", "{fmt}", "blankvalid;displayonly;readonly;{unit};COMMON;", kAD, "", "UnitHiTrailing"},
    {"LoTrail", "FldLowTrailing", "Float", "{unit}", "{fmt}", "blankvalid;displayonly;readonly;{unit};COMMON;", kAD, "", "UnitLowTrailing"},
    {"DspMBE", "DspMBE", "Float", "{upperRange}{unit}", "{fmt}", "disabled;{unit};PRESSURE;", kNone, "DscDspMBE", "UnitDspMBE"},
    {"DspMBA", "DspMBA", "Float", "{lowerRange}{unit}", "{fmt}", "disabled;{unit};PRESSURE;", kNone, "DscDspMBA", "UnitDspMBA"},
    {"TempUpper", "TempUpper", "Float", "{upperRange}{unit}", "{fmt};-99999;99999", "{unit};TEMPERATURE;", kNone, "", "UnitDspMBE"},
    {"TempLower", "TempLower", "Float", "{lowerRange}{unit}", "{fmt};-99999;99999", "{unit};TEMPERATURE;", kNone, "", "UnitDspMBA"},
    // Display settings.
    {"Damping", "TempDamping", "Float", "1.0", "2.1;{dampingStep};{dampingMax}", "TEMPERATURE;[s];COMMON;", kNone, "DscTempDamping", "UnitTempDamping"},
    {"HartAddress", "HartAddress", "Number", "0", "2;0;15", "TEMPERATURE;", kNone, "DscHartAddress"},
    {"AddUnit", "CmbAddUnit", "Combobox", "0", "{addUnits}", "COMMON;"},
    {"TimeUnit", "FldTimeUnit", "Float", "{timeUnit}", "2.1;{timeUnitMin};{timeUnitMax}", "[s];COMMON;", kF10, "DscTimeUnit", "UnitTimeUnit"},
    {"TimeData", "FldTimDisplay", "Float", "{timeData}", "2.1;{timeDataMin};{timeDataMax}", "[s];COMMON;", kF10, "DscTimDisplay", "UnitTimDisplay"},
    {"Rotate", "CmbRotate", "Combobox", "0", "{rotations}", "COMMON;"},
    {"DecimalPoint", "CmbDecPoint", "Combobox", "{displayDecimalPoint}", "{decimalPoints}", "COMMON;"},
    {"DispDamp_UNUSED", "", "Number", "0", "", "nodisplay;"},
    // Switch output 1: function, set and frame points, delays.
    {"OutputFunction1", "CmbOutFunc1", "Combobox", "0", "{outputFunctions}", "COMMON;"},
    {"SetPoint1", "FldSetPoint1", "Float", "{setPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscSetPoint1", "UnitSetPoint1"},
    {"FrameHi1", "FldFrameHi1", "Float", "{frameHigh}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscFrameHi1", "UnitFrameHi1"},
    {"ResetPoint1", "FldResetPoint1", "Float", "{resetPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscResetPoint1", "UnitResetPoint1"},
    {"FrameLow1", "FldFrameLow1", "Float", "{frameLow}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscFrameLow1", "UnitFrameLow1"},
    {"DelaySwitch1", "FldDelaySet1", "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10, "DscDelaySet1", "UnitDelaySet1"},
    {"ResDelaySwitch1", "FldDelayReset1", "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10, "DscDelayReset1", "UnitDelayReset1"},
    // Switch output 2: function, set and frame points, delays.
    {"OutputFunction2", "CmbOutFunc2", "Combobox", "0", "{outputFunctions}", "COMMON;"},
    {"SetPoint2", "FldSetPoint2", "Float", "{setPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscSetPoint2", "UnitSetPoint2"},
    {"FrameHi2", "FldFrameHi2", "Float", "{frameHigh}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscFrameHi2", "UnitFrameHi2"},
    {"ResetPoint2", "FldResetPoint2", "Float", "{resetPoint}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscResetPoint2", "UnitResetPoint2"},
    {"FrameLow2", "FldFrameLow2", "Float", "{frameLow}{unit}", "{fmt}", "{unit};COMMON;checklimits;", kAD, "DscFrameLow2", "UnitFrameLow2"},
    {"DelaySwitch2", "FldDelaySet2", "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10, "DscDelaySet2", "UnitDelaySet2"},
    {"ResDelaySwitch2", "FldDelayReset2", "Float", "0.0", "2.1;0.0;{switchDelayMax}", "[s];COMMON;", kF10, "DscDelayReset2", "UnitDelayReset2"},
    // Identity and versions.
    {"TagID", "TagID", "String", "", "16", "COMMON;"},
    {"HWVersion1", "FldHWVers1", "String", "00.00", "5", "disabled;", kV1},
    {"SWVersion1", "FldSWVers1", "String", "00.00", "5", "disabled;", kV1},
    {"HWVersion2", "FldHWVers2", "String", "00.00", "5", "disabled;", kV2},
    {"SWVersion2", "FldSWVers2", "String", "00.00", "5", "disabled;", kV2},
    {"SerialNo1", "FldDscSerialNo1", "Hexadecimal", "0000", "4", "disabled;", kHex},
    {"SerialNo2", "FldDscSerialNo2", "Hexadecimal", "0000", "4", "disabled;", kHex},
    {"ValLoopTest", "ValLoopTest", "Float", "12.0", "2.3;0.0;99.0", "COMMON;"},
    // Values mirrored from the display module's parameter blocks.
    {"FW_YYYY", "", "Number", "0", "", "nodisplay;"},
    {"FW_DDMM", "", "Number", "0", "", "nodisplay;"},
    {"FW_HHMM", "", "Number", "0", "", "nodisplay;"},
    {"mp_Offset_UNUSED", "", "Number", "0", "", "nodisplay;"},
    {"fs_ShowAddUnit", "", "Number", "0", "", "nodisplay;"},
    {"fs_ShowOrHideMenus", "", "Number", "0", "", "nodisplay;"},
    {"RES_CHK_13_IDX_09", "", "Number", "0", "", "nodisplay;"},
    {"pc_SegmentAdaptiveBrightMode", "", "Number", "0", "", "nodisplay;"},
    {"pc_CurrentAdaptiveBrightMode", "", "Number", "0", "", "nodisplay;"},
    {"pc_NonMuxLEDsAdaptActiveDiv", "", "Number", "0", "", "nodisplay;"},
    {"RESERVED_IDX_04_", "", "Number", "0", "", "nodisplay;"},
    {"RESERVED_IDX_05_", "", "Number", "0", "", "nodisplay;"},
    {"pc_en_RxD1_Pullup", "", "Number", "0", "", "nodisplay;"},
    {"pc_disable_stepdown", "", "Number", "0", "", "nodisplay;"},
    {"pc_startup_delay_LS_TP", "", "Number", "0", "5;0;30000", "nodisplay;"},
    {"bLogDataStoreFailureCount", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui32PowerOnCount", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui32OPseconds", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui16TotalEcCount", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui8LastEC", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui8LastEC_index", "", "Number", "0", "", "nodisplay;"},
    {"Val4mAu", "Val4mAu", "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"Val20mAu", "Val20mAu", "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"fs_CalibDone", "", "Number", "0", "", "nodisplay;"},
    // Nominal and measuring ranges, their calibration unit, trim and damping.
    {"NominalRangeHigh", "UpperNominalVal", "Float", "{upperNominal}{unit}", "{fmt};-99999;99999", "{unit};readonly;ADMIN;", kULR, "DscUpperNominalVal", "UnitUpperNominalVal", kAdc},
    {"NominalRangeLow", "LowerNominalVal", "Float", "{lowerNominal}{unit}", "{fmt};-99999;99999", "{unit};readonly;ADMIN;", kULR, "DscLowerNominalVal", "UnitLowerNominalVal", kAdc},
    {"NominalRangeHigh", "UpperNominalVal", "Number", "{upperNominal}{unit}", "6;-99999;99999", "{unit};disabled;ADMIN;", kTransm, "DscUpperNominalVal", "UnitUpperNominalVal", kSio},
    {"NominalRangeLow", "LowerNominalVal", "Number", "{lowerNominal}{unit}", "6;-99999;99999", "{unit};disabled;ADMIN;", kTransm, "DscLowerNominalVal", "UnitLowerNominalVal", kSio},
    {"UpperRangeVal", "FldUpperRangeVal", "Float", "{upperRange}{unit}", "{fmt};-99999;99999", "{unit};disabled;ADMIN;", kULR, "DscUpperRangeVal", "UnitUpperRangeVal"},
    {"LowerRangeVal", "FldLowerRangeVal", "Float", "{lowerRange}{unit}", "{fmt};-99999;99999", "{unit};disabled;ADMIN;", kULR, "DscLowerRangeVal", "UnitLowerRangeVal"},
    {"LowerRangeADVal", "FldADlow", "Number", "{lowerRangeAD}", "", "TEST;disabled;"},
    {"UpperRangeADVal", "FldADhigh", "Number", "{upperRangeAD}", "", "TEST;disabled;"},
    {"UnitULRV", "CmbUnitULRV", "Combobox", "{calUnitIndex}", "{calUnits}", "SYSTEM;"},
    {"CalDecimalPoint", "ComboDecPULRV", "Combobox", "{calDecimalPoint}", "0000=0;000.0=1;00.00=2;0.000=3", "TEST;"},
    {"DampingAdm", "DampingAdm", "Float", "1.0", "2.1;{dampingStep};{dampingMax}", "TEMPERATURE;[s];COMMON;", kNone, "DscDampingAdm", "UnitDampingAdm"},
    {"Val4mA", "Val4mA", "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"Val20mA", "Val20mA", "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;"},
    {"UnitAdm", "CmbUnitAdm", "Combobox", "{unitIndex}", "{units}", "SYSTEM;nodisplay;"},
    // Administration: equipment, identity, device type, hall switch, currents.
    {"SelectEquip", "CmbSelEquip", "Combobox", "3", "{equipment}", "SYSTEM;disabled;"},
    {"SerialNoZEL", "FldDscSerialNo3", "String", "", "24", "disabled;SYSTEM;"},
    {"SerialNoZEL2", "", "String", "", "20", "nodisplay;"},
    {"pc_CHK001_IDX5_res", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui32_GUID.uint32_t", "", "Number", "0", "", "nodisplay;"},
    {"pc_ui32ProdAutoID.uint32_t", "", "Number", "0", "", "nodisplay;"},
    {"CmbManufact", "CmbManufact", "Combobox", "{manufacturer}", "{manufacturers}", "readonly;ADMIN;"},
    {"DevConfig", "FldDevConfig", "String", "{notInitialized}", "30", "readonly;ADMIN;"},
    {"DevType", "CmbDevType", "Combobox", "0", "{deviceTypes}", "ADMIN;"},
    {"CalcMethod", "CmbCalcMethod", "Combobox", "0", "{calcMethods}", "ADMIN;"},
    {"HallSwitch", "CmbHallSwitch", "Combobox", "2", "{yesOrNo}", "ADMIN;"},
    {"Hysteresis", "Hysteresis", "Float", "{hysteresis}{unit}", "4.1;-9999;9999", "{unit};COMMON;", kF10, "DscHysteresis", "UnitHysteresis"},
    {"SwitchDelay", "SwitchDelay", "Float", "0.0[s]", "4.1;-9999;9999", "[s];COMMON;", kF1000, "DscSwitchDelay", "UnitSwitchDelay"},
    {"SwitchPoint", "SwitchPoint", "Float", "{switchPoint}{unit}", "4.1;-9999;9999", "{unit};COMMON;", kF10, "DscSwitchPoint", "UnitSwitchPoint"},
    {"CmbFlashErrorYN", "CmbFlashError", "Combobox", "1", "{noOrYes}", "COMMON;"},
    {"CmbFlashTeachYN", "CmbFlashTeach", "Combobox", "1", "{noOrYes}", "COMMON;"},
    {"HartDevYN", "CmbHartDev", "Combobox", "0", "{noOrYes}", "COMMON;"},
    {"CurrentOn", "CurrentOn", "Float", "4.0[mA]", "2.1;3.5;21.8", "ADMIN;", kF10},
    {"CurrentOff", "CurrentOff", "Float", "20.0[mA]", "2.1;3.5;21.8", "ADMIN;", kF10},
    {"pc_SPrPspace100th", "", "Number", "0", "", "nodisplay;"},
    {"mp_LED1", "", "Number", "0", "", "nodisplay;"},
    {"LEDmodeVisible", "", "Number", "0", "", "nodisplay;"},
    {"mp_LED2", "", "Number", "0", "", "nodisplay;"},
    {"pc_SlrSurSpace100th", "", "Number", "0", "", "nodisplay;"},
    // The adjustment table: measured value and converter value per point.
    {"MW0", "MW0", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC0", "ADC0", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW1", "MW1", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC1", "ADC1", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW2", "MW2", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC2", "ADC2", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW3", "MW3", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC3", "ADC3", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW4", "MW4", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC4", "ADC4", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW5", "MW5", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC5", "ADC5", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW6", "MW6", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC6", "ADC6", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW7", "MW7", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC7", "ADC7", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW8", "MW8", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC8", "ADC8", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW9", "MW9", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC9", "ADC9", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    {"MW10", "MW10", "Float", "0.0", "6.3;-99999.;99999", "ADMIN;"},
    {"ADC10", "ADC10", "Float", "00", "5;-99999.;99999", "ADMIN;blankvalid"},
    // The administration tab's copies of identity and versions.
    {"HWVersion1Adm", "FldHWVers1Adm", "String", "00.00", "5", "disabled;", kV1},
    {"HWVersion2Adm", "FldHWVers2Adm", "String", "00.00", "5", "disabled;", kV2},
    {"SWVersion1Adm", "FldSWVers1Adm", "String", "00.00", "5", "disabled;", kV1},
    {"SWVersion2Adm", "FldSWVers2Adm", "String", "00.00", "5", "disabled;", kV2},
    {"SerialNo1Adm", "FldDscSerialNo1Adm", "Hexadecimal", "0000", "4", "ADMIN;", kHex},
    {"SerialNo2Adm", "FldDscSerialNo2Adm", "Hexadecimal", "0000", "4", "ADMIN;", kHex},
    {"TagIDAdm", "TagIDAdm", "String", "", "16", "COMMON;"},
    {"ValLoopTestAdm", "ValLoopTestAdm", "Float", "12.0", "2.3;0.0;99.0", "TEMPERATURE;"},
    {"bIntSerIO", "CmbADCOpmode", "Combobox", "{intSerIO}", "{interfaces}", "SYSTEM;readonly;"},
    {"TaraPulseLen", "FldTaraPulseLen", "Number", "0", "3;0;999", "disabled;"},
    {"ConfigYN", "CmbConfig", "Combobox", "1", "{noOrYes}", "ADMIN;nodisplay;"},
    {"CmbSelCmdAdm", "CmbSelCmdAdm", "Combobox", "201", "{displayCommands}", "SYSTEM;displayonly;"},
    // The transmitter's own configuration: converter bytes, ranges, limit table.
    {"ADCByte0", "ADCByte0", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte1", "ADCByte1", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte2", "ADCByte2", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte3", "ADCByte3", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte4", "ADCByte4", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte5", "ADCByte5", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte6", "ADCByte6", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte7", "ADCByte7", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte8", "ADCByte8", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte9", "ADCByte9", "Binary", "0000", "4", "SYSTEM;TRANSMITTER;readonly;", kBin},
    {"ADCByte10", "ADCByte10", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte11", "ADCByte11", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte12", "ADCByte12", "Binary", "0000", "4", "SYSTEM;TRANSMITTER;readonly;", kBin},
    {"ADCByte13", "ADCByte13", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte14", "ADCByte14", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte15", "ADCByte15", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte16", "ADCByte16", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte17", "ADCByte17", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte18", "ADCByte18", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte19", "ADCByte19", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte20", "ADCByte20", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"ADCByte21", "ADCByte21", "Hexadecimal", "00", "2", "SYSTEM;TRANSMITTER;readonly;", kHex},
    {"TMeasRangeHigh", "MeasRangeHigh", "Float", "{upperRange}{unit}", "6.1;-99999.;99999.", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TMeasRangeLow", "MeasRangeLow", "Float", "{lowerRange}{unit}", "6.1;-99999.;99999.", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TNomRangeHigh", "NomRangeHigh", "Number", "{upperNominal}{unit}", "6.0;-99999;99999", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"TNomRangeLow", "NomRangeLow", "Number", "{lowerNominal}{unit}", "6.0;-99999;99999", "SYSTEM;TRANSMITTER;readonly;", kTransm},
    {"AGW0", "AGW0", "Number", "-25000", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW1", "AGW1", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW2", "AGW2", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW3", "AGW3", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW4", "AGW4", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW5", "AGW5", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW6", "AGW6", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW7", "AGW7", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW8", "AGW8", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW9", "AGW9", "Number", "0", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"AGW10", "AGW10", "Number", "25000", "6", "SYSTEM;TRANSMITTER;readonly;"},
    {"CmbSelCmd", "CmbSelCmd", "Combobox", "201", "{displayCommands}", "SYSTEM;TRANSMITTER;displayonly;"},
};
// clang-format on

// The number of a control the table names; `none` for "".
int controlOf(const char* name, int none) {
    if (*name == '\0') return none;
    return controlNumber(QLatin1String(name));
}

void defineRow(PassContext& c, const FieldRow& row) {
    if (row.only == Only::AdcValue && c.intSerIO != 0) return;
    if (row.only == Only::SerialValue && c.intSerIO == 0) return;
    defineField(c.m, controlOf(row.control, 0), QLatin1String(row.name), QLatin1String(row.type),
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
        for (const char* control : {row.control, row.label, row.unit}) {
            if (*control != '\0' && controlNumber(QLatin1String(control)) < 0)
                problems << QLatin1String(row.name) + QStringLiteral(": no control ") +
                                QLatin1String(control);
        }
        for (const char* text : {row.def, row.params, row.attributes}) {
            for (const QString& name : unknownPassValues(text))
                problems << QLatin1String(row.name) + QStringLiteral(": no value {") + name +
                                QLatin1Char('}');
        }
    }
    return problems;
}

std::vector<FieldControlNames> fieldListControls() {
    std::vector<FieldControlNames> rows;
    rows.reserve(std::size(kFields));
    for (const FieldRow& row : kFields)
        rows.push_back({QLatin1String(row.name), QLatin1String(row.control),
                        QLatin1String(row.label), QLatin1String(row.unit)});
    return rows;
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

    defineField(m, -1, QString(), QString(), QString(), QString(), QString());
    for (const FieldRow& row : kFields) defineRow(c, row);
    defineField(m, -2, QString(), QString(), QString(), QString(), QString());
}

}  // namespace zh
