#include "ui/application/application_check.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "app/dialogs.h"
#include "app/number_text.h"
#include "app/presence.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/device_types.h"
#include "model/field_twins.h"
#include "model/list_text.h"
#include "model/scaling.h"
#include "model/type_checks.h"
#include "model/user_forms.h"
#include "ui/window/control_refresh.h"
#include "ui/window/field_controls.h"
#include "ui/window/gadget_colours.h"

namespace zh {
namespace {

// The switch-point fields of each channel, with their partner.
struct SwitchField {
    const char* name;
    const char* partner;
    int channel;
    bool upper;  // set point and window high: above their partner on a rising range
};
constexpr SwitchField kSwitchFields[] = {
    {"SetPoint1", "ResetPoint1", 1, true}, {"ResetPoint1", "SetPoint1", 1, false},
    {"FrameHi1", "FrameLow1", 1, true},    {"FrameLow1", "FrameHi1", 1, false},
    {"SetPoint2", "ResetPoint2", 2, true}, {"ResetPoint2", "SetPoint2", 2, false},
    {"FrameHi2", "FrameLow2", 2, true},    {"FrameLow2", "FrameHi2", 2, false},
};

const SwitchField* switchField(const QString& name) {
    // Names are matched without regard to case: a list spelling
    // "Resetpoint1" must still check the reset points.
    for (const SwitchField& s : kSwitchFields)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0) return &s;
    return nullptr;
}

bool is(const QString& name, const char* word) {
    return name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

int decimalsOf(const FieldRecord& f) {
    const FloatFormat fmt = floatFormat(f.Params);
    return fmt.decimals < 0 ? 3 : std::min(fmt.decimals, 6);
}

}  // namespace

CheckResult ApplicationCheck::checkApplicationField(const QString& name, const QString& content,
                                                    int gadId, const QString& type,
                                                    const QString& attributes, const QString& descr,
                                                    Conversion proc) {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral(">>> ApplCheckField(GadName$=") + name +
                       QStringLiteral(", GadContent$=") + content + QStringLiteral(", GadID=") +
                       QString::number(gadId) + QStringLiteral(", GadType$=") + type +
                       QStringLiteral(", GadAttrib$=") + attributes +
                       QStringLiteral(", GadDesc$=") + descr + QStringLiteral(", GadChkProc=") +
                       conversionName(proc) + QLatin1Char(')'),
                   3);
    const int i = gadId > 0 ? recordOfControl(m_.fields, gadId) : m_.fields.find(name);
    if (i < 0) return content;  // unknown fields are left alone
    FieldRecord& f = m_.fields.at(i);

    // Checks that can refuse the entry come before anything is stored.
    QString value = content;
    if (switchField(f.Name) && f.is(FlagCheckLimits)) {
        const CheckResult r = checkLimits(f.Name, value);
        if (r.failed()) return r;
        value = r.value();
    }
    if (is(f.Name, "LowerRangeVal") || is(f.Name, "UpperRangeVal")) {
        const CheckResult r = rangeValue(f, value);
        if (r.failed()) return r;
    }
    if (f.Name.startsWith(QLatin1String("HWVersion")) ||
        f.Name.startsWith(QLatin1String("SWVersion"))) {
        const CheckResult r = versionField(f, value);
        if (r.failed()) return r;
    }
    QString previous = f.Content;
    if (is(f.Name, "NominalRangeLow") || is(f.Name, "NominalRangeHigh")) {
        m_.fields[QStringLiteral("remember")].Content = previous;
        const CheckResult r = nominalRange(f, value);
        if (r.failed()) return r;
    }

    const QString stored = store(f, value, proc);
    dependents(f, previous);
    p.log.debugLog(QStringLiteral("fieldchanged=1, DataTrigger=") +
                       QString::number(p.state.DataTrigger) + QLatin1Char(')'),
                   4);
    return stored;
}

CheckResult ApplicationCheck::updateApplicationField(int gadId, const QString& name,
                                                     const QString& content) {
    m_.program.log.debugLog(QStringLiteral(">>> UpdApplGadget(GadID=") + QString::number(gadId) +
                                QStringLiteral(", GadName$=") + name +
                                QStringLiteral(", GadContent$=") + content + QLatin1Char(')'),
                            4);
    const int i = gadId > 0 ? recordOfControl(m_.fields, gadId) : m_.fields.find(name);
    if (i < 0) return CheckResult::undo();
    const FieldRecord& f = m_.fields.at(i);
    return checkApplicationField(f.Name, content, boundControl(f), f.Type, f.Attributes,
                                 fieldCaption(m_, f.Name), f.CheckProc);
}

// The entry in all three forms, marked "changed": the write sequence turns
// exactly the changed fields into raw values again and sends their blocks.
QString ApplicationCheck::store(FieldRecord& f, const QString& content, Conversion proc) {
    const QString type = f.type();
    bool ok = false;
    QString raw = content;
    if (type == QLatin1String("hexadecimal")) {
        const qlonglong v = content.trimmed().toLongLong(&ok, 16);
        raw = ok ? QString::number(v) : content;
    } else if (type == QLatin1String("binary")) {
        const qlonglong v = content.trimmed().toLongLong(&ok, 2);
        raw = ok ? QString::number(v) : content;
    } else if ((type == QLatin1String("number") || type == QLatin1String("float")) &&
               f.is(FlagUserForm)) {
        raw = convertUserForm(m_, FormWay::Encode, content, f.Attributes);
    } else if (type != QLatin1String("combobox") && proc != Conversion::None &&
               !content.trimmed().isEmpty()) {
        const QString converted = applyConversion(m_, proc, content, f.Name, ConvertTo::Raw);
        if (!converted.isEmpty()) raw = converted;
    }
    f.Content = content;
    f.RawVal = raw;
    f.BaseValue = editedBaseValue(m_, f);
    f.setColourState(ColourChanged);
    setGadColor(m_, boundControl(f), QString(), -1);
    AppState& s = m_.program.state;
    s.DataChanged = true;
    s.DataTrigger = 0;
    return content;
}

// The fields that follow the one just changed, set without their controls
// and then shown in one refresh.
QString ApplicationCheck::dependents(FieldRecord& f, const QString& previous) {
    const QString name = f.Name;
    if (is(name, "Unit") || is(name, "UnitAdm")) return unitChange(f);
    if (is(name, "LowerRangeVal") || is(name, "UpperRangeVal") || is(name, "NominalRangeLow") ||
        is(name, "NominalRangeHigh")) {
        followRange();
        refresh_.showFieldsInForm();
        return f.Content;
    }
    if (is(name, "DevType") || is(name, "CalcMethod")) return deviceSelection(f);
    followTwin(name);
    if (is(name, "HallSwitch"))
        refresh_.syncFields(QStringLiteral("ADCByte16=HallSwitch"), ControlRefresh::SyncMode::Copy);
    if (is(name, "ADCByte16"))
        refresh_.syncFields(QStringLiteral("HallSwitch=ADCByte16"),
                            ControlRefresh::SyncMode::Update);
    if (is(name, "OutputFunction1") || is(name, "OutputFunction2") || is(name, "SelectEquip")) {
        if (hooks.updateVisibility) hooks.updateVisibility();
    }
    Q_UNUSED(previous);
    refresh_.showFieldsInForm(QStringLiteral("gadname=") + name);
    return f.Content;
}

QString ApplicationCheck::unitChange(FieldRecord& f) {
    followTwin(f.Name);
    bool ok = false;
    const int code = f.Content.trimmed().toInt(&ok);
    if (!ok) return f.Content;
    const int old = m_.cal.DispUnitIndex;
    if (old != code) changeUnit(m_, old, code);
    refresh_.updateUnitFormFields(m_.measurandFields, code);
    refresh_.showFieldsInForm();
    return f.Content;
}

// The administrator's copy of a field and its original stay equal,
// whichever of them was edited.
void ApplicationCheck::followTwin(const QString& name) {
    const QString twin = twinOf(name);
    if (twin.isEmpty() || !copyFieldValue(m_, twin, name)) return;
    refresh_.showFieldsInForm(QStringLiteral("gadname=") + twin);
}

// Another device type or calculation method brings its own options and
// values (the catalogue entry), and the groups of controls shown with them.
QString ApplicationCheck::deviceSelection(FieldRecord& f) {
    bool ok = false;
    const int code = f.Content.trimmed().toInt(&ok);
    if (!ok) return f.Content;
    DeviceSelection& sel = m_.selection;
    if (is(f.Name, "DevType")) {
        sel.DevType = code;
        updateDeviceType(m_, sel.DevIndx, sel.DevType, sel.CalcMeth, TypeUpdate::Catalogue);
    } else {
        sel.CalcMeth = code;
        updateCalcMethod(m_, code);
    }
    if (hooks.updateVisibility) hooks.updateVisibility();
    refresh_.showFieldsInForm();
    return f.Content;
}

double ApplicationCheck::number(const QString& name) const {
    const int i = m_.fields.find(name);
    bool ok = false;
    const double v = i < 0 ? 0.0 : parseEnteredNumber(m_.fields.at(i).Content, &ok);
    return ok ? v : 0.0;
}

QString ApplicationCheck::rangeUnit() const {
    const int i = m_.fields.find(QStringLiteral("LowerRangeVal"));
    const QString unit = i < 0 ? QString() : m_.fields.at(i).GadUnit;
    return unit.isEmpty() ? m_.cal.DispUnit : unit;
}

// A range value must stay within the nominal range and on its side of the
// other range value.
CheckResult ApplicationCheck::rangeValue(FieldRecord& f, const QString& content) {
    bool ok = false;
    const double v = parseEnteredNumber(content, &ok);
    if (!ok) return content;
    const bool lower = is(f.Name, "LowerRangeVal");
    const QString a = lower ? QStringLiteral("NominalRangeLow") : QStringLiteral("LowerRangeVal");
    const QString b = lower ? QStringLiteral("UpperRangeVal") : QStringLiteral("NominalRangeHigh");
    const double lo = std::min(number(a), number(b));
    const double hi = std::max(number(a), number(b));
    if (v >= lo && v <= hi) return content;
    const int d = decimalsOf(f);
    Messages& msg = m_.program.messages;
    const QString answer = msg.showMessageBox(
        QStringLiteral("Data input"),
        QStringLiteral(
            "Value {GadContent} Not in valid range {NominalRangeLow}...{UpperRangeVal}\t") +
            content + QLatin1Char('\t') + QString::number(lo, 'f', d) + QLatin1Char('\t') +
            QString::number(hi, 'f', d),
        mb::OkCancel | mb::IconExclamation);
    return CheckResult::ofAnswer(answer);
}

// The transmitter's and the display module's copies of the range follow it,
// each in its own unit.
void ApplicationCheck::followRange() {
    const bool temperature =
        m_.cal.Measurand.compare(QLatin1String("Temperature"), Qt::CaseInsensitive) == 0;
    const std::pair<const char*, const char*> pairs[] = {
        {"TMeasRangeLow", "LowerRangeVal"},
        {"TMeasRangeHigh", "UpperRangeVal"},
        {temperature ? "TempLower" : "DspMBA", "LowerRangeVal"},
        {temperature ? "TempUpper" : "DspMBE", "UpperRangeVal"},
        {"TNomRangeLow", "NominalRangeLow"},
        {"TNomRangeHigh", "NominalRangeHigh"},
    };
    for (const auto& [destName, srcName] : pairs) {
        if (!copyContentInUnit(m_, QLatin1String(destName), QLatin1String(srcName))) continue;
        FieldRecord& to = m_.fields.at(m_.fields.find(QLatin1String(destName)));
        to.BaseValue = editedBaseValue(m_, to);
        to.setColourState(ColourChanged);
    }
}

// A new nominal range needs the module updated and adjusted again: asked
// first; the range and the switch points move with it.
CheckResult ApplicationCheck::nominalRange(FieldRecord& f, const QString& content) {
    Messages& msg = m_.program.messages;
    const QString answer = msg.showMessageBox(
        QStringLiteral("Nominal Range"),
        QStringLiteral(
            "Change of nominal Range requires update of module and new adjustment!\nUpdate now?"),
        mb::YesNoCancel | mb::IconQuestion);
    if (answer == QLatin1String("cancel")) {
        f.Content = m_.fields[QStringLiteral("remember")].Content;
        return CheckResult::undo();
    }
    bool ok = false;
    const double v = parseEnteredNumber(content, &ok);
    if (!ok) return content;
    const bool lower = is(f.Name, "NominalRangeLow");
    const double oldLo = number(QStringLiteral("LowerRangeVal"));
    const double oldHi = number(QStringLiteral("UpperRangeVal"));
    const double newLo = lower ? v : oldLo;
    const double newHi = lower ? oldHi : v;
    const int ri =
        m_.fields.find(lower ? QStringLiteral("LowerRangeVal") : QStringLiteral("UpperRangeVal"));
    if (ri >= 0) {
        FieldRecord& r = m_.fields.at(ri);
        r.Content = QString::number(v, 'f', decimalsOf(r));
        r.BaseValue = editedBaseValue(m_, r);
        r.setColourState(ColourChanged);
    }
    // The switch points keep their place within the range.
    if (std::fabs(oldHi - oldLo) >= 0.0001) {
        for (const SwitchField& s : kSwitchFields) {
            const int i = m_.fields.find(QLatin1String(s.name));
            if (i < 0) continue;
            FieldRecord& sp = m_.fields.at(i);
            bool good = false;
            const double x = parseEnteredNumber(sp.Content, &good);
            if (!good) continue;
            const double y = newLo + (newHi - newLo) * (x - oldLo) / (oldHi - oldLo);
            sp.Content = QString::number(y, 'f', decimalsOf(sp));
            sp.BaseValue = editedBaseValue(m_, sp);
            sp.setColourState(ColourChanged);
        }
    }
    return content;
}

CheckResult ApplicationCheck::versionField(FieldRecord& f, const QString& content) {
    static const QRegularExpression hardware(QStringLiteral("^[0-9A-Fa-f]{2}\\.[0-9A-Fa-f]{2}$"));
    static const QRegularExpression software(QStringLiteral("^[0-9]{2}\\.[0-9]{2}$"));
    const bool hw = f.Name.startsWith(QLatin1String("HWVersion"));
    if ((hw ? hardware : software).match(content.trimmed()).hasMatch()) return content.trimmed();
    const CheckArgs a{content, f.Params, f.Attributes, f.Name, fieldCaption(m_, f.Name)};
    return rejectEntry(m_.program, a, "Invalid input: ",
                       hw ? QStringLiteral("00.00 ... FF.FF") : QStringLiteral("00.00 ... 99.99"));
}

CheckResult ApplicationCheck::checkLimits(const QString& name, const QString& content,
                                          LimitMode mode) {
    Program& p = m_.program;
    p.log.debugLog(QStringLiteral(">>> CheckLimits(GadName$=") + name +
                       QStringLiteral(", GadContent$=") + content + QLatin1Char(')'),
                   4);
    if (parsePresence(p.state.TransmDisplay.toLower()) == Presence::Transmitter) return content;
    const int eq = m_.fields.find(QStringLiteral("SelectEquip"));
    const int equipment = eq < 0 ? 0 : m_.fields.at(eq).Content.trimmed().toInt();
    const SwitchField* s = switchField(name);
    if (!s || equipment <= 0) return content;
    if ((equipment == 1 && s->channel != 1) || (equipment == 2 && s->channel != 2)) return content;

    bool ok = false;
    double v = parseEnteredNumber(content, &ok);
    if (!ok) return content;
    // Everything is compared in the range's unit.
    const QString unit = rangeUnit();
    const auto inRangeUnit = [&](const QString& fieldName, double value) {
        const int i = m_.fields.find(fieldName);
        const QString from = i < 0 ? QString() : m_.fields.at(i).GadUnit;
        if (from.isEmpty() || unit.isEmpty() || from == unit) return value;
        const float c = convertUnit(m_, static_cast<float>(value), from, unit, fieldName);
        return std::isfinite(c) ? static_cast<double>(c) : value;
    };
    const QString own = QLatin1String(s->name);
    v = inRangeUnit(own, v);
    const double partner =
        inRangeUnit(QLatin1String(s->partner), number(QLatin1String(s->partner)));
    const double lower = number(QStringLiteral("LowerRangeVal"));
    const double upper = number(QStringLiteral("UpperRangeVal"));
    const double distance =
        std::fabs(upper - lower) * static_cast<double>(p.state.MinHysteresis) / 100.0;
    const double lo = std::min(lower, upper);
    const double hi = std::max(lower, upper);
    // On a falling range set point and reset point change sides.
    const bool above = s->upper == (upper >= lower);
    const double from = above ? partner + distance : lo;
    const double to = above ? hi : partner - distance;
    const int i = m_.fields.find(own);
    const int d = i < 0 ? 3 : decimalsOf(m_.fields.at(i));
    const double eps = 0.5 * std::pow(10.0, -d - 1);
    if (v >= from - eps && v <= to + eps) return content;

    // Bounds go back to the user in the field's own unit.
    const auto inFieldUnit = [&](double value) {
        const QString fieldUnit = i < 0 ? QString() : m_.fields.at(i).GadUnit;
        if (fieldUnit.isEmpty() || unit.isEmpty() || fieldUnit == unit) return value;
        const float c = convertUnit(m_, static_cast<float>(value), unit, fieldUnit, own);
        return std::isfinite(c) ? static_cast<double>(c) : value;
    };
    if (mode == LimitMode::Adjust) {
        const double nearest = std::fabs(v - from) < std::fabs(v - to) ? from : to;
        return QString::number(inFieldUnit(nearest), 'f', d);
    }
    if (mode == LimitMode::Quiet) {
        p.log.debugLog(QStringLiteral("CheckLimits: ") + own + QLatin1Char('=') + content +
                           QStringLiteral(" out of range"),
                       3);
        return CheckResult::correct();
    }
    const QString answer = p.messages.showMessageBox(
        QStringLiteral("Data input"),
        QStringLiteral("Value of {GadName}={ActVal} not in range {lowerLimit} ... {upperLimit}\t") +
            own + QLatin1Char('\t') + content + QLatin1Char('\t') +
            QString::number(inFieldUnit(from), 'f', d) + QLatin1Char('\t') +
            QString::number(inFieldUnit(to), 'f', d),
        mb::OkCancel | mb::IconExclamation);
    return CheckResult::ofAnswer(answer);
}

}  // namespace zh
