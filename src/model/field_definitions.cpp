#include "field_definitions.h"

#include "app/dialogs.h"
#include "app/program.h"
#include "device_model.h"
#include "list_text.h"
#include "scaling.h"

namespace zh {
namespace {

// Access, visibility and colour state as the attribute string says.
void applyAttributes(FieldRecord& r) {
    const QString lower = r.Attributes.toLower();
    r.Access = lower.contains(QLatin1String("readonly"))   ? QStringLiteral("readonly")
               : lower.contains(QLatin1String("disabled")) ? QStringLiteral("disabled")
                                                           : QStringLiteral("enabled");
    r.Visibility = lower.contains(QLatin1String("nodisplay")) ? QStringLiteral("nodisplay")
                   : lower.contains(QLatin1String("hidden"))  ? QStringLiteral("hidden")
                                                              : QStringLiteral("visible");
    const int at = r.Attributes.indexOf(QLatin1String("ColorIndex"));
    if (at < 0) {
        r.setColourState(ColourRead);
        return;
    }
    const QString item = r.Attributes.mid(at).section(QLatin1Char(';'), 0, 0);
    r.setColourState(static_cast<short>(item.section(QLatin1Char('='), 1, 1).trimmed().toInt()));
}

// Field `n` (1-based) of a packed record, where "^" before a separator
// keeps that separator inside the value.
QString packedField(const QString& record, int n, const QString& sep) {
    int field = 1;
    QString value;
    for (int i = 0; i < record.size(); ++i) {
        if (record.at(i) == QLatin1Char('^') && QStringView(record).mid(i + 1).startsWith(sep)) {
            if (field == n) value += sep;
            i += static_cast<int>(sep.size());
            continue;
        }
        if (QStringView(record).mid(i).startsWith(sep)) {
            if (field == n) return value;
            ++field;
            i += static_cast<int>(sep.size()) - 1;
            continue;
        }
        if (field == n) value += record.at(i);
    }
    return field == n ? value : QString();
}

// A profile entry of `section` for field `name` that overrides the
// program's own text, logged under `word` when there is one.
QString profileOverride(Program& p, const char* section, const char* word, const QString& name,
                        const QString& file) {
    const QString value = p.profile.readProfile(QLatin1String(section), name, QString(), file);
    if (!value.isEmpty())
        p.log.debugLog(
            QLatin1String(word) + QStringLiteral(" | ") + name + QStringLiteral(" | ") + value, 5);
    return value;
}

// Default, content, units, raw and base value as the default text says
// ("16.0[bar]"), with the profile's [Defaults] taking precedence.
void setDefaultValue(DeviceModel& m, FieldRecord& r, const QString& def, Conversion checkProc) {
    Program& p = m.program;
    const QString overridden =
        profileOverride(p, "Defaults", "Default", r.Name, p.state.ProfilePath);
    const QString defaultText = overridden.isEmpty() ? def : overridden;
    r.Default = defaultText;
    const int bracket = defaultText.indexOf(QLatin1Char('['));
    r.Content = bracket < 0 ? defaultText : defaultText.left(bracket);
    r.GadUnit = bracketPartOf(defaultText, QStringLiteral("["), QStringLiteral("]"));
    r.BaseUnit = r.Attributes.contains(QLatin1Char('['))
                     ? bracketPartOf(r.Attributes, QStringLiteral("["), QStringLiteral("]"))
                     : r.GadUnit;
    if (r.GadUnit.isEmpty()) r.GadUnit = r.BaseUnit;
    r.CheckProc = checkProc;
    r.RawVal = checkProc == Conversion::None
                   ? r.Content
                   : applyConversion(m, checkProc, r.Content, r.Name, ConvertTo::Raw);
    r.BaseValue.clear();
    if (!r.BaseUnit.isEmpty() && !r.Content.isEmpty())
        r.BaseValue = convertUnitText(m, r.Content, r.GadUnit, r.BaseUnit, r.Name);
}

PackedEntry packedEntryOf(const FieldRecord& r) {
    PackedEntry e;
    e.Name = r.Name;
    e.Type = r.Type;
    e.Default = r.Default;
    e.Params = r.Params;
    e.Attributes = r.Attributes;
    e.Access = r.Access;
    e.Visibility = r.Visibility;
    e.Content = r.Content;
    e.GadUnit = r.GadUnit;
    e.RawVal = r.RawVal;
    e.DefinedContent = r.Content;
    e.BaseUnit = r.BaseUnit;
    e.GadTTip = r.GadTTip;
    e.CheckProc = r.CheckProc;
    return e;
}

}  // namespace

void beginFieldPass(DeviceModel& m) {
    m.fields.beginPass();
}

void endFieldPass(DeviceModel& m) {
    if (m.hooks.bindFields) m.hooks.bindFields();
}

void defineField(DeviceModel& m, bool shown, const QString& name, const QString& type,
                 const QString& def, const QString& params, const QString& attributes,
                 const QString& toolTip, Conversion checkProc) {
    FieldTable& t = m.fields;
    Program& p = m.program;
    t.appendDefinedName(name);
    // A name looked up before its first definition keeps its record.
    FieldRecord& r = t[name];
    r.Name = name;
    r.Type = type;
    r.setAttributes(attributes);
    r.Params = params;
    setDefaultValue(m, r, def, checkProc);

    QString tip = profileOverride(p, "ToolTips", "ToolTips", name, p.state.LanguageFile);
    tip = tip.isEmpty() ? toolTip : tip.replace(QLatin1String("<br>"), QLatin1String("\n"));
    r.GadTTip = tip;

    if (!shown) {
        r.RecordPos = 0;
        return;
    }
    applyAttributes(r);
    r.RecordPos = t.appendPackedEntry(packedEntryOf(r));
}

QString readRecordData(DeviceModel& m, const QString& record, const QString& name) {
    Program& p = m.program;
    auto internal = [&p](const QString& text) {
        p.messages.showMessageBox(QStringLiteral("Internal"), text, mb::Ok | mb::IconError,
                                  MsgText::AsIs);
    };
    const bool declared = m.fields.definedNames().split(QLatin1Char(';')).contains(name);
    if (m.recordMode == QLatin1String("gadget")) {
        if (!declared) {
            internal(QStringLiteral("GetRecDat: ") + name + QStringLiteral(" Not declared!"));
            return QString();
        }
        return m.fields.at(m.fields.find(name)).Content;
    }

    // The packed record holds the shown fields in definition order.
    for (const PackedEntry& e : m.fields.packedEntries()) {
        if (e.Name != name) continue;
        const QString sep = p.state.ListSeparator;
        const QString value = packedField(record, e.Position, sep);
        if (value.isEmpty() && e.Type.toLower() != QLatin1String("string") &&
            !e.Attributes.contains(QLatin1String("blankvalid"))) {
            internal(QStringLiteral("GetRecDat: ") + name + QStringLiteral(" has no value!"));
        }
        return value;
    }
    if (name != QLatin1String("Status"))
        internal(QStringLiteral("GetRecDat: ") + name + QStringLiteral(" not declared!"));
    return QString();
}

}  // namespace zh
