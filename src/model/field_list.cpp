// The field table's definition pass: every field of the program, in the
// fixed order the window, the data files and the device sequences rely on.

#include <QFileInfo>

#include "app/number_text.h"
#include "app/program.h"
#include "device_model.h"
#include "field_definitions.h"
#include "list_text.h"
#include "scaling.h"

namespace zh {
namespace {

constexpr Conversion kNone = Conversion::None;

// Everything a definition pass reads once before it defines the fields.
struct PassContext {
    DeviceModel& m;
    Program& p;
    QString unit;     // the measurand's base unit, "[bar]"
    QString fmt;      // float format of measurand values, "6.2"
    bool hasSection;  // the device type has its own profile section
    int intSerIO;

    QString profile(const char* section, const char* key, const char* def) const {
        return p.profile.ReadProfile(QLatin1String(section), QLatin1String(key),
                                     QString::fromUtf8(def), p.state.ProfilePath);
    }
    // A value of the device type's section, or the generic value when the
    // profile describes no such device type.
    QString dev(const char* key, const char* def, const char* generic) const {
        if (!hasSection) return QString::fromUtf8(generic);
        return p.profile.ReadProfile(m.cal.Measurand, QLatin1String(key), QString::fromUtf8(def),
                                     p.state.ProfilePath);
    }
    QString devWithUnit(const char* key, const char* def, const char* generic) const {
        return dev(key, def, generic) + unit;
    }
    // A [Config] value with its unit removed ("0,1s" -> "0.1").
    QString config(const char* key, const char* def) const {
        return QString::number(static_cast<double>(unitValue(profile("Config", key, def))));
    }
    // Combobox lists whose texts are shown translated; the values stay.
    QString translated(const QString& list,
                       const QString& section = QStringLiteral("Application")) const {
        QStringList out;
        for (const QString& item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const int eq = item.indexOf(QLatin1Char('='));
            const QString text = eq < 0 ? item : item.left(eq);
            const QString shown = p.messages.LookupMessage(text, section);
            out << (eq < 0 ? shown : shown + item.mid(eq));
        }
        return out.join(QLatin1Char(';'));
    }
};

QString displayCommandList(const PassContext& c) {
    QString list = QStringLiteral(
        "Display Button 1=201;Display Button 2=202;Display Button 3=203;"
        "Display Button 1+3=204;Display Button 1+3 (>1<2 sec)=205;Display Button 2 (>1 sec)=206;");
    const QString target = c.p.state.TransmDisplay;
    if (target == QLatin1String("display") || target == QLatin1String("all")) {
        list += QStringLiteral("4 mA Punkt setzten=0;20 mA Punkt setzten=1;");
        if (c.intSerIO == 0) list += QStringLiteral("Teach lower Range=2;");
        list += QStringLiteral(
            "Clear Low Trailing Pointer=3;Clear High Trailing Pointer=4;Copy To EEPROM=5;"
            "Current Data as factory setting=6;Restore factory setting=7;ERASE ALL, Display=12;"
            "Hide factory setup menu=14;Unhide factory setup menu=114;");
    }
    return c.translated(list);
}

QString manufacturerList(const PassContext& c, QString* def) {
    if (c.p.state.ExecutableName.toUpper().startsWith(QLatin1String("KALVERO"))) {
        *def = QStringLiteral("127");
        return c.translated(QStringLiteral(
            "Vanto Mess- & Regeltechnik=127;Unknown=148;Vanto Mess- & Regeltechnik=251"));
    }
    *def = QStringLiteral("148");
    return c.translated(QStringLiteral("Vanto Mess- & Regeltechnik=127;Zelmark=148;Zelmark=251"));
}

void defineLiveAndDisplay(PassContext& c) {
    DeviceModel& m = c.m;
    const QString u = c.unit;
    const QString fmt = c.fmt;
    const QString wide = fmt + QStringLiteral(";-99999;99999");
    DefField(m, 0, "VersCheck", "Number", "0", "", "nodisplay;");
    DefField(m, 0, "Key", "String", "00000000", "", "nodisplay;");
    const QString measurands = c.p.state.Measurands;
    DefField(m, 0, "UnitType", "Combobox",
             QString::number(std::max(0, ListValueOf(measurands, m.cal.Measurand))), measurands,
             "nodisplay;");
    DefField(m, 212, "Display", "String", "---", "", "CURRENT;displayonly;ColorIndex=16");
    DefField(m, 2, "ADactRaw", "Number",
             QString::number(static_cast<long long>((m.cal.CalADlow + m.cal.CalADhi) / 2.0f)), "",
             "CURRENT;displayonly;readonly;");
    DefField(m, 28, "Unit", "Combobox",
             QString::number(std::max(0, ListValueOf(m.cal.UnitsList, u))), m.cal.UnitsList,
             "COMMON;");
    const QString trail =
        QStringLiteral("blankvalid;displayonly;readonly;") + u + QStringLiteral(";COMMON;");
    DefField(m, 30, "HiTrail", "Float", u, fmt, trail, "", Conversion::ADToMeasurand, -1, 145);
    DefField(m, 33, "LoTrail", "Float", u, fmt, trail, "", Conversion::ADToMeasurand, -1, 146);
    const QString upper = c.devWithUnit("UpperRangeValue", "250.0", "100.0");
    const QString lower = c.devWithUnit("LowerRangeValue", "-50.0", "0.0");
    const QString pressure = QStringLiteral("disabled;") + u + QStringLiteral(";PRESSURE;");
    DefField(m, 36, "DspMBE", "Float", upper, fmt, pressure, "", kNone, 35, 151);
    DefField(m, 38, "DspMBA", "Float", lower, fmt, pressure, "", kNone, 37, 150);
    const QString temperature = u + QStringLiteral(";TEMPERATURE;");
    DefField(m, 42, "TempUpper", "Float", upper, wide, temperature, "", kNone, -1, 151);
    DefField(m, 44, "TempLower", "Float", lower, wide, temperature, "", kNone, -1, 150);
}

QString dampingParams(const PassContext& c) {
    return QStringLiteral("2.1;") + c.config("tDampStep", "0.1s") + QLatin1Char(';') +
           c.config("tDampMax", "99.9s");
}

void defineDisplaySettings(PassContext& c) {
    DeviceModel& m = c.m;
    DefField(m, 46, "Damping", "Float", "1.0", dampingParams(c), "TEMPERATURE;[s];COMMON;", "",
             kNone, 45, 152);
    DefField(m, 48, "HartAddress", "Number", "0", "2;0;15", "TEMPERATURE;", "", kNone, 47, -1);
    DefField(m, 51, "AddUnit", "Combobox", "0",
             c.translated(c.profile("Display", "AddUnit", "Off=0;On=1;")), "COMMON;");
    DefField(m, 53, "TimeUnit", "Float", c.config("tunit", "1.0s"),
             QStringLiteral("2.1;") + c.config("tUnitMin", "0.0s") + QLatin1Char(';') +
                 c.config("tUnitMax", "99.9s"),
             "[s];COMMON;", "", Conversion::ConvertF10, 52, 377);
    DefField(m, 55, "TimeData", "Float", c.config("tData", "1.0s"),
             QStringLiteral("2.1;") + c.config("tDataMin", "0.0s") + QLatin1Char(';') +
                 c.config("tDataMax", "99.9s"),
             "[s];COMMON;", "", Conversion::ConvertF10, 54, 378);
    DefField(m, 57, "Rotate", "Combobox", "0", c.profile("Config", "Rotate", "0°=0;180°=1"),
             "COMMON;");
    DefField(m, 59, "DecimalPoint", "Combobox", QString::number(m.cal.DispDecP),
             c.profile("Display", "DecimalPoint", "Auto=-1;0000=0;000.0=1;00.00=2;0.000=3"),
             "COMMON;");
    DefField(m, 0, "DispDamp_UNUSED", "Number", "0", "", "nodisplay;");
}

// The four set and frame points and the two delays of one switch output.
struct SwitchGadgets {
    int output, setPoint, frameHi, resetPoint, frameLow, delay, resDelay;
    int setLabel, frameHiLabel, resetLabel, frameLowLabel, delayLabel, resDelayLabel;
    int setUnit, frameHiUnit, resetUnit, frameLowUnit, delayUnit, resDelayUnit;
};

void defineSwitch(PassContext& c, int n, const SwitchGadgets& g, const QString& outputFunctions) {
    DeviceModel& m = c.m;
    const QString k = QString::number(n);
    const QString attrs = c.unit + QStringLiteral(";COMMON;checklimits;");
    const QString delayParams = QStringLiteral("2.1;0.0;") + c.config("tSPDelayMax", "999.9s");
    DefField(m, g.output, "OutputFunction" + k, "Combobox", "0", outputFunctions, "COMMON;");
    DefField(m, g.setPoint, "SetPoint" + k, "Float", c.devWithUnit("SetPointValue", "250", "100.0"),
             c.fmt, attrs, "", Conversion::ADToMeasurand, g.setLabel, g.setUnit);
    DefField(m, g.frameHi, "FrameHi" + k, "Float", c.devWithUnit("FrameHighValue", "250", "100.0"),
             c.fmt, attrs, "", Conversion::ADToMeasurand, g.frameHiLabel, g.frameHiUnit);
    DefField(m, g.resetPoint, "ResetPoint" + k, "Float",
             c.devWithUnit("ResetPointValue", "245", "95.0"), c.fmt, attrs, "",
             Conversion::ADToMeasurand, g.resetLabel, g.resetUnit);
    DefField(m, g.frameLow, "FrameLow" + k, "Float", c.devWithUnit("FrameLowValue", "245", "95.0"),
             c.fmt, attrs, "", Conversion::ADToMeasurand, g.frameLowLabel, g.frameLowUnit);
    DefField(m, g.delay, "DelaySwitch" + k, "Float", "0.0", delayParams, "[s];COMMON;", "",
             Conversion::ConvertF10, g.delayLabel, g.delayUnit);
    DefField(m, g.resDelay, "ResDelaySwitch" + k, "Float", "0.0", delayParams, "[s];COMMON;", "",
             Conversion::ConvertF10, g.resDelayLabel, g.resDelayUnit);
}

void defineSwitches(PassContext& c) {
    const QString functions = c.translated(c.profile(
        "SwitchPoints", "OutputFunction",
        "Hysteresis / normally opened=0;Hysteresis / normally closed=1;Frame / normally opened=2;"
        "Frame / normally closed=3"));
    defineSwitch(c, 1,
                 {62, 64, 68, 66, 70, 72, 75, 63, 67, 65, 69, 71, 73, 155, 156, 157, 158, 159, 277},
                 functions);
    defineSwitch(c, 2,
                 {79, 81, 85, 83, 87, 89, 91, 80, 84, 82, 86, 88, 90, 278, 348, 371, 372, 375, 376},
                 functions);
}

void defineIdentity(PassContext& c) {
    DeviceModel& m = c.m;
    DefField(m, 105, "TagID", "String", "", "16", "COMMON;");
    DefField(m, 96, "HWVersion1", "String", "00.00", "5", "disabled;", "", Conversion::Version1);
    DefField(m, 99, "SWVersion1", "String", "00.00", "5", "disabled;", "", Conversion::Version1);
    DefField(m, 97, "HWVersion2", "String", "00.00", "5", "disabled;", "", Conversion::Version2);
    DefField(m, 100, "SWVersion2", "String", "00.00", "5", "disabled;", "", Conversion::Version2);
    DefField(m, 102, "SerialNo1", "Hexadecimal", "0000", "4", "disabled;", "",
             Conversion::NumToHex);
    DefField(m, 103, "SerialNo2", "Hexadecimal", "0000", "4", "disabled;", "",
             Conversion::NumToHex);
    DefField(m, 110, "ValLoopTest", "Float", "12.0", "2.3;0.0;99.0", "COMMON;");
    // Values mirrored from the display module's parameter blocks.
    static const char* const internals[] = {"FW_YYYY",
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
                                            "pc_ui8LastEC_index"};
    for (const char* name : internals)
        DefField(m, 0, QLatin1String(name), "Number", "0", "", "nodisplay;");
    DefField(m, 137, "Val4mAu", "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;");
    DefField(m, 141, "Val20mAu", "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;");
    DefField(m, 0, "fs_CalibDone", "Number", "0", "", "nodisplay;");
}

void defineRanges(PassContext& c) {
    DeviceModel& m = c.m;
    const QString u = c.unit;
    const QString nomHigh = c.devWithUnit("UpperNominalValue", "250", "100");
    const QString nomLow = c.devWithUnit("LowerNominalValue", "-50", "0");
    if (c.intSerIO == 0) {
        const QString attrs = u + QStringLiteral(";readonly;ADMIN;");
        const QString params = c.fmt + QStringLiteral(";-99999;99999");
        DefField(m, 369, "NominalRangeHigh", "Float", nomHigh, params, attrs, "",
                 Conversion::ULRVal, 115, 379);
        DefField(m, 373, "NominalRangeLow", "Float", nomLow, params, attrs, "", Conversion::ULRVal,
                 370, 374);
    } else {
        const QString attrs = u + QStringLiteral(";disabled;ADMIN;");
        DefField(m, 369, "NominalRangeHigh", "Number", nomHigh, "6;-99999;99999", attrs, "",
                 Conversion::TransmVal, 115, 379);
        DefField(m, 373, "NominalRangeLow", "Number", nomLow, "6;-99999;99999", attrs, "",
                 Conversion::TransmVal, 370, 374);
    }
    const QString rangeAttrs = u + QStringLiteral(";disabled;ADMIN;");
    const QString rangeParams = c.fmt + QStringLiteral(";-99999;99999");
    DefField(m, 117, "UpperRangeVal", "Float", c.devWithUnit("UpperRangeValue", "250.0", "100.0"),
             rangeParams, rangeAttrs, "", Conversion::ULRVal, 116, 245);
    DefField(m, 119, "LowerRangeVal", "Float", c.devWithUnit("LowerRangeValue", "-50.0", "0.0"),
             rangeParams, rangeAttrs, "", Conversion::ULRVal, 118, 244);
    DefField(m, 124, "LowerRangeADVal", "Number", c.dev("LowerRangeADValue", "4000", "4000"), "",
             "TEST;disabled;");
    DefField(m, 123, "UpperRangeADVal", "Number", c.dev("UpperRangeADValue", "20000", "20000"), "",
             "TEST;disabled;");
    DefField(m, 122, "UnitULRV", "Combobox", QString::number(std::max(0, m.cal.CalUnitIndex)),
             m.cal.CalibrationUnitsList, "SYSTEM;");
    DefField(m, 121, "CalDecimalPoint", "Combobox", QString::number(m.cal.CalDecP),
             "0000=0;000.0=1;00.00=2;0.000=3", "TEST;");
    DefField(m, 387, "DampingAdm", "Float", "1.0", dampingParams(c), "TEMPERATURE;[s];COMMON;", "",
             kNone, 386, 388);
    DefField(m, 127, "Val4mA", "Float", "4.000", "2.3;0.0;99.0", "SPECIAL;");
    DefField(m, 148, "Val20mA", "Float", "20.000", "2.3;0.0;99.0", "SPECIAL;");
    DefField(m, 114, "UnitAdm", "Combobox",
             QString::number(std::max(0, ListValueOf(m.cal.UnitsList, u))), m.cal.UnitsList,
             "SYSTEM;nodisplay;");
}

void defineAdmin(PassContext& c) {
    DeviceModel& m = c.m;
    DefField(m, 381, "SelectEquip", "Combobox", "3",
             c.translated(c.profile("Admin", "Equipment",
                                    "No switch contacts=0;SP1 on=1;SP2 on=2;SP1+2 on=3")),
             "SYSTEM;disabled;");
    DefField(m, 241, "SerialNoZEL", "String", "", "24", "disabled;SYSTEM;");
    DefField(m, 0, "SerialNoZEL2", "String", "", "20", "nodisplay;");
    for (const char* name :
         {"pc_CHK001_IDX5_res", "pc_ui32_GUID.uint32_t", "pc_ui32ProdAutoID.uint32_t"}) {
        DefField(m, 0, QLatin1String(name), "Number", "0", "", "nodisplay;");
    }
    QString manufacturerDefault;
    const QString manufacturers = manufacturerList(c, &manufacturerDefault);
    DefField(m, 253, "CmbManufact", "Combobox", manufacturerDefault, manufacturers,
             "readonly;ADMIN;");
    DefField(m, 255, "DevConfig", "String", "Not initialized", "30", "readonly;ADMIN;");
    const QString devTypes = m.selection.DeviceTypeList.isEmpty()
                                 ? c.translated(QStringLiteral("Not initialized=0;"))
                                 : m.selection.DeviceTypeList;
    DefField(m, 257, "DevType", "Combobox", "0", devTypes, "ADMIN;");
    DefField(m, 306, "CalcMethod", "Combobox", "0",
             c.translated(QStringLiteral("No linearisation=0;ADC Table=1;PT100 linearisation=2;"
                                         "Type K linearisation=3;Type J linearisation=4")),
             "ADMIN;");
    const QString yesNo = c.translated(QStringLiteral("No=0;Yes=1"));
    DefField(m, 260, "HallSwitch", "Combobox", "2", c.translated(QStringLiteral("Yes=1;No=2")),
             "ADMIN;");
    DefField(m, 264, "Hysteresis", "Float", c.devWithUnit("HysteresisValue", "0.0", "0.0"),
             "4.1;-9999;9999", c.unit + QStringLiteral(";COMMON;"), "", Conversion::ConvertF10, 263,
             265);
    DefField(m, 267, "SwitchDelay", "Float", "0.0[s]", "4.1;-9999;9999", "[s];COMMON;", "",
             Conversion::ConvertF1000, 266, 268);
    DefField(m, 270, "SwitchPoint", "Float", c.devWithUnit("SwitchPointValue", "0.0", "0.0"),
             "4.1;-9999;9999", c.unit + QStringLiteral(";COMMON;"), "", Conversion::ConvertF10, 269,
             274);
    DefField(m, 273, "CmbFlashErrorYN", "Combobox", "1", yesNo, "COMMON;");
    DefField(m, 276, "CmbFlashTeachYN", "Combobox", "1", yesNo, "COMMON;");
    DefField(m, 262, "HartDevYN", "Combobox", "0", yesNo, "COMMON;");
    DefField(m, 280, "CurrentOn", "Float", "4.0[mA]", "2.1;3.5;21.8", "ADMIN;", "",
             Conversion::ConvertF10, 0, 0);
    DefField(m, 282, "CurrentOff", "Float", "20.0[mA]", "2.1;3.5;21.8", "ADMIN;", "",
             Conversion::ConvertF10, 0, 0);
    for (const char* name :
         {"pc_SPrPspace100th", "mp_LED1", "LEDmodeVisible", "mp_LED2", "pc_SlrSurSpace100th"}) {
        DefField(m, 0, QLatin1String(name), "Number", "0", "", "nodisplay;");
    }
}

void definePointTable(PassContext& c) {
    static const int mwGadgets[11] = {317, 320, 323, 326, 329, 332, 335, 338, 341, 344, 351};
    static const int adcGadgets[11] = {319, 322, 325, 328, 331, 334, 337, 340, 343, 350, 353};
    for (int i = 0; i <= 10; ++i) {
        const QString k = QString::number(i);
        DefField(c.m, mwGadgets[i], "MW" + k, "Float", "0.0", "6.3;-99999.;99999", "ADMIN;");
        DefField(c.m, adcGadgets[i], "ADC" + k, "Float", "00", "5;-99999.;99999",
                 "ADMIN;blankvalid");
    }
}

void defineAdminTwins(PassContext& c) {
    DeviceModel& m = c.m;
    DefField(m, 287, "HWVersion1Adm", "String", "00.00", "5", "disabled;", "",
             Conversion::Version1);
    DefField(m, 288, "HWVersion2Adm", "String", "00.00", "5", "disabled;", "",
             Conversion::Version2);
    DefField(m, 290, "SWVersion1Adm", "String", "00.00", "5", "disabled;", "",
             Conversion::Version1);
    DefField(m, 291, "SWVersion2Adm", "String", "00.00", "5", "disabled;", "",
             Conversion::Version2);
    DefField(m, 293, "SerialNo1Adm", "Hexadecimal", "0000", "4", "ADMIN;", "",
             Conversion::NumToHex);
    DefField(m, 294, "SerialNo2Adm", "Hexadecimal", "0000", "4", "ADMIN;", "",
             Conversion::NumToHex);
    DefField(m, 296, "TagIDAdm", "String", "", "16", "COMMON;");
    DefField(m, 302, "ValLoopTestAdm", "Float", "12.0", "2.3;0.0;99.0", "TEMPERATURE;");
    DefField(m, 248, "bIntSerIO", "Combobox", QString::number(c.intSerIO),
             c.translated(QStringLiteral("ADC-Value=0;Value via SIO=1")), "SYSTEM;readonly;");
    DefField(m, 250, "TaraPulseLen", "Number", "0", "3", "disabled;");
    DefField(m, 243, "ConfigYN", "Combobox", "1", c.translated(QStringLiteral("No=0;Yes=1")),
             "ADMIN;nodisplay;");
    DefField(m, 384, "CmbSelCmdAdm", "Combobox", "201", displayCommandList(c),
             "SYSTEM;displayonly;");
}

void defineTransmitterConfiguration(PassContext& c) {
    DeviceModel& m = c.m;
    const QString attrs = QStringLiteral("SYSTEM;TRANSMITTER;readonly;");
    for (int i = 0; i <= 21; ++i) {
        const bool bits = i == 9 || i == 12;
        DefField(m, 162 + 2 * i, "ADCByte" + QString::number(i), bits ? "Binary" : "Hexadecimal",
                 bits ? "0000" : "00", bits ? "4" : "2", attrs, "",
                 bits ? Conversion::NumToBin : Conversion::NumToHex);
    }
    DefField(m, 206, "TMeasRangeHigh", "Float", c.devWithUnit("UpperRangeValue", "250.0", "100.0"),
             "6.1;-99999.;99999.", attrs, "", Conversion::TransmVal);
    DefField(m, 208, "TMeasRangeLow", "Float", c.devWithUnit("LowerRangeValue", "-50.0", "0.0"),
             "6.1;-99999.;99999.", attrs, "", Conversion::TransmVal);
    DefField(m, 358, "TNomRangeHigh", "Number", c.devWithUnit("UpperNominalValue", "250", "100"),
             "6.0;-99999;99999", attrs, "", Conversion::TransmVal);
    DefField(m, 360, "TNomRangeLow", "Number", c.devWithUnit("LowerNominalValue", "-50", "0"),
             "6.0;-99999;99999", attrs, "", Conversion::TransmVal);
    static const int agwGadgets[11] = {211, 214, 216, 218, 220, 222, 224, 226, 228, 230, 232};
    for (int i = 0; i <= 10; ++i) {
        const char* def = i == 0 ? "-25000" : i == 10 ? "25000" : "0";
        DefField(m, agwGadgets[i], "AGW" + QString::number(i), "Number", def, "6", attrs);
    }
    DefField(m, 362, "CmbSelCmd", "Combobox", "201", displayCommandList(c),
             "SYSTEM;TRANSMITTER;displayonly;");
}

bool hasProfileSection(Program& p, const QString& section) {
    const QStringList sections = p.ini.sectionNames(p.profile.resolve(p.state.ProfilePath));
    for (const QString& s : sections) {
        if (s.compare(section, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

void DefDataStruc(DeviceModel& m, const QString& actBaseUnit, int intSerIO, int dispDecPoint) {
    Program& p = m.program;
    p.log.DebugLog(QStringLiteral(">> DefDataStruc() - actbaseunit=") + actBaseUnit +
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

    DefField(m, -1, QString(), QString(), QString(), QString(), QString());
    defineLiveAndDisplay(c);
    defineDisplaySettings(c);
    defineSwitches(c);
    defineIdentity(c);
    defineRanges(c);
    defineAdmin(c);
    definePointTable(c);
    defineAdminTwins(c);
    defineTransmitterConfiguration(c);
    DefField(m, -2, QString(), QString(), QString(), QString(), QString());

    const bool testMode =
        p.state.TestMode == QLatin1String("ON") || p.state.TestMode == QLatin1String("IV");
    if (m.hooks.lockAdminControls) m.hooks.lockAdminControls(!testMode);
}

}  // namespace zh
