#include "field_pass_values.h"

#include <QStringList>
#include <algorithm>

#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "device_model.h"
#include "list_text.h"
#include "scaling.h"

namespace zh {

QString PassContext::profile(const char* section, const char* key, const char* def) const {
    return p.profile.readProfile(QLatin1String(section), QLatin1String(key), QString::fromUtf8(def),
                                 p.state.ProfilePath);
}

QString PassContext::dev(const char* key, const char* def, const char* generic) const {
    if (!hasSection) return QString::fromUtf8(generic);
    return p.profile.readProfile(m.cal.Measurand, QLatin1String(key), QString::fromUtf8(def),
                                 p.state.ProfilePath);
}

QString PassContext::config(const char* key, const char* def) const {
    return QString::number(static_cast<double>(unitValue(profile("Config", key, def))));
}

QString PassContext::translated(const QString& list) const {
    QStringList out;
    for (const QString& item : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = item.indexOf(QLatin1Char('='));
        const QString text = eq < 0 ? item : item.left(eq);
        const QString shown = p.messages.lookupMessage(text, QStringLiteral("Application"));
        out << (eq < 0 ? shown : shown + item.mid(eq));
    }
    return out.join(QLatin1Char(';'));
}

namespace {

QString number(long long value) {
    return QString::number(value);
}

// The commands a person may send to the display module; the module's own
// ones only when the connection looks for it.
QString displayCommands(const PassContext& c) {
    QString list = QStringLiteral(
        "Display Button 1=201;Display Button 2=202;Display Button 3=203;"
        "Display Button 1+3=204;Display Button 1+3 (>1<2 sec)=205;Display Button 2 (>1 sec)=206;");
    const Presence target = parsePresence(c.p.state.TransmDisplay);
    if (target == Presence::Display || target == Presence::All) {
        list += QStringLiteral("4 mA Punkt setzten=0;20 mA Punkt setzten=1;");
        if (c.intSerIO == 0) list += QStringLiteral("Teach lower Range=2;");
        list += QStringLiteral(
            "Clear Low Trailing Pointer=3;Clear High Trailing Pointer=4;Copy To EEPROM=5;"
            "Current Data as factory setting=6;Restore factory setting=7;ERASE ALL, Display=12;"
            "Hide factory setup menu=14;Unhide factory setup menu=114;");
    }
    return c.translated(list);
}

bool kalveroEdition(const PassContext& c) {
    return c.p.state.ExecutableName.toUpper().startsWith(QLatin1String("KALVERO"));
}

struct PassValue {
    const char* name;
    QString (*make)(const PassContext& c);
};

// clang-format off
constexpr PassValue kValues[] = {
    {"unit", [](const PassContext& c) { return c.unit; }},
    {"fmt", [](const PassContext& c) { return c.fmt; }},
    {"intSerIO", [](const PassContext& c) { return number(c.intSerIO); }},
    {"measurands", [](const PassContext& c) { return c.p.state.Measurands; }},
    {"measurandIndex", [](const PassContext& c) {
        return number(std::max(0, listValueOf(c.p.state.Measurands, c.m.cal.Measurand))); }},
    {"adMiddle", [](const PassContext& c) {
        return number(static_cast<long long>((c.m.cal.CalADlow + c.m.cal.CalADhi) / 2.0f)); }},
    {"units", [](const PassContext& c) { return c.m.cal.UnitsList; }},
    {"unitIndex", [](const PassContext& c) {
        return number(std::max(0, listValueOf(c.m.cal.UnitsList, c.unit))); }},
    {"calUnits", [](const PassContext& c) { return c.m.cal.CalibrationUnitsList; }},
    {"calUnitIndex", [](const PassContext& c) { return number(std::max(0, c.m.cal.CalUnitIndex)); }},
    {"calDecimalPoint", [](const PassContext& c) { return number(c.m.cal.CalDecP); }},
    {"displayDecimalPoint", [](const PassContext& c) { return number(c.m.cal.DispDecP); }},
    {"upperRange", [](const PassContext& c) { return c.dev("UpperRangeValue", "250.0", "100.0"); }},
    {"lowerRange", [](const PassContext& c) { return c.dev("LowerRangeValue", "-50.0", "0.0"); }},
    {"upperNominal", [](const PassContext& c) { return c.dev("UpperNominalValue", "250", "100"); }},
    {"lowerNominal", [](const PassContext& c) { return c.dev("LowerNominalValue", "-50", "0"); }},
    {"upperRangeAD", [](const PassContext& c) { return c.dev("UpperRangeADValue", "20000", "20000"); }},
    {"lowerRangeAD", [](const PassContext& c) { return c.dev("LowerRangeADValue", "4000", "4000"); }},
    {"setPoint", [](const PassContext& c) { return c.dev("SetPointValue", "250", "100.0"); }},
    {"frameHigh", [](const PassContext& c) { return c.dev("FrameHighValue", "250", "100.0"); }},
    {"resetPoint", [](const PassContext& c) { return c.dev("ResetPointValue", "245", "95.0"); }},
    {"frameLow", [](const PassContext& c) { return c.dev("FrameLowValue", "245", "95.0"); }},
    {"hysteresis", [](const PassContext& c) { return c.dev("HysteresisValue", "0.0", "0.0"); }},
    {"switchPoint", [](const PassContext& c) { return c.dev("SwitchPointValue", "0.0", "0.0"); }},
    {"dampingStep", [](const PassContext& c) { return c.config("tDampStep", "0.1s"); }},
    {"dampingMax", [](const PassContext& c) { return c.config("tDampMax", "99.9s"); }},
    {"timeUnit", [](const PassContext& c) { return c.config("tunit", "1.0s"); }},
    {"timeUnitMin", [](const PassContext& c) { return c.config("tUnitMin", "0.0s"); }},
    {"timeUnitMax", [](const PassContext& c) { return c.config("tUnitMax", "99.9s"); }},
    {"timeData", [](const PassContext& c) { return c.config("tData", "1.0s"); }},
    {"timeDataMin", [](const PassContext& c) { return c.config("tDataMin", "0.0s"); }},
    {"timeDataMax", [](const PassContext& c) { return c.config("tDataMax", "99.9s"); }},
    {"switchDelayMax", [](const PassContext& c) { return c.config("tSPDelayMax", "999.9s"); }},
    {"addUnits", [](const PassContext& c) {
        return c.translated(c.profile("Display", "AddUnit", "Off=0;On=1;")); }},
    {"rotations", [](const PassContext& c) { return c.profile("Config", "Rotate", "0°=0;180°=1"); }},
    {"decimalPoints", [](const PassContext& c) {
        return c.profile("Display", "DecimalPoint", "Auto=-1;0000=0;000.0=1;00.00=2;0.000=3"); }},
    {"outputFunctions", [](const PassContext& c) {
        return c.translated(c.profile("SwitchPoints", "OutputFunction",
            "Hysteresis / normally opened=0;Hysteresis / normally closed=1;"
            "Frame / normally opened=2;Frame / normally closed=3")); }},
    {"equipment", [](const PassContext& c) {
        return c.translated(c.profile("Admin", "Equipment",
                                      "No switch contacts=0;SP1 on=1;SP2 on=2;SP1+2 on=3")); }},
    {"manufacturer", [](const PassContext& c) {
        return kalveroEdition(c) ? QStringLiteral("127") : QStringLiteral("148"); }},
    {"manufacturers", [](const PassContext& c) {
        return c.translated(kalveroEdition(c)
            ? QStringLiteral("Vanto Mess- & Regeltechnik=127;Unknown=148;Vanto Mess- & Regeltechnik=251")
            : QStringLiteral("Vanto Mess- & Regeltechnik=127;Zelmark=148;Zelmark=251")); }},
    {"notInitialized", [](const PassContext& c) {
        return c.translated(QStringLiteral("Not initialized")); }},
    {"deviceTypes", [](const PassContext& c) {
        return c.m.selection.DeviceTypeList.isEmpty()
            ? c.translated(QStringLiteral("Not initialized=0;")) : c.m.selection.DeviceTypeList; }},
    {"calcMethods", [](const PassContext& c) {
        return c.translated(QStringLiteral("No linearisation=0;ADC Table=1;PT100 linearisation=2;"
                                           "Type K linearisation=3;Type J linearisation=4")); }},
    {"noOrYes", [](const PassContext& c) { return c.translated(QStringLiteral("No=0;Yes=1")); }},
    {"yesOrNo", [](const PassContext& c) { return c.translated(QStringLiteral("Yes=1;No=2")); }},
    {"interfaces", [](const PassContext& c) {
        return c.translated(QStringLiteral("ADC-Value=0;Value via SIO=1")); }},
    {"displayCommands", displayCommands},
};
// clang-format on

const PassValue* findValue(QStringView name) {
    for (const PassValue& v : kValues) {
        if (name == QLatin1String(v.name)) return &v;
    }
    return nullptr;
}

}  // namespace

QString expandPassValues(const PassContext& c, const char* text) {
    const QString in = QString::fromUtf8(text);
    QString out;
    int from = 0;
    for (int open = in.indexOf(QLatin1Char('{')); open >= 0;
         open = in.indexOf(QLatin1Char('{'), from)) {
        const int close = in.indexOf(QLatin1Char('}'), open);
        if (close < 0) break;
        const PassValue* v = findValue(QStringView(in).mid(open + 1, close - open - 1));
        out += QStringView(in).mid(from, open - from);
        if (v) {
            out += v->make(c);
        } else {
            out += QStringView(in).mid(open, close - open + 1);
        }
        from = close + 1;
    }
    out += QStringView(in).mid(from);
    return out;
}

QStringList unknownPassValues(const char* text) {
    const QString in = QString::fromUtf8(text);
    QStringList unknown;
    for (int open = in.indexOf(QLatin1Char('{')); open >= 0;
         open = in.indexOf(QLatin1Char('{'), open + 1)) {
        const int close = in.indexOf(QLatin1Char('}'), open);
        const QString name = in.mid(open + 1, close < 0 ? -1 : close - open - 1);
        if (close < 0 || !findValue(name)) unknown << name;
    }
    return unknown;
}

}  // namespace zh
