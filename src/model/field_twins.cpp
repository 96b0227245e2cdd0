#include "field_twins.h"

#include "device_model.h"
#include "scaling.h"

namespace zh {
namespace {

struct FieldTwin {
    const char* copy;
    const char* original;
};

constexpr FieldTwin kTwins[] = {
    {"TagIDAdm", "TagID"},           {"HWVersion1Adm", "HWVersion1"},
    {"HWVersion2Adm", "HWVersion2"}, {"SWVersion1Adm", "SWVersion1"},
    {"SWVersion2Adm", "SWVersion2"}, {"SerialNo1Adm", "SerialNo1"},
    {"SerialNo2Adm", "SerialNo2"},   {"UnitAdm", "Unit"},
    {"DampingAdm", "Damping"},       {"ValLoopTestAdm", "ValLoopTest"},
};

}  // namespace

QString twinOf(const QString& name) {
    for (const FieldTwin& t : kTwins) {
        if (name.compare(QLatin1String(t.copy), Qt::CaseInsensitive) == 0)
            return QLatin1String(t.original);
        if (name.compare(QLatin1String(t.original), Qt::CaseInsensitive) == 0)
            return QLatin1String(t.copy);
    }
    return QString();
}

bool isTwinCopy(const QString& name) {
    for (const FieldTwin& t : kTwins)
        if (name.compare(QLatin1String(t.copy), Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool copyFieldValue(DeviceModel& m, const QString& dest, const QString& source) {
    const int d = m.fields.find(dest);
    const int s = m.fields.find(source);
    if (d < 0 || s < 0 || d == s) return false;
    const FieldRecord from = m.fields.at(s);
    FieldRecord& to = m.fields.at(d);
    to.RawVal = from.RawVal;
    to.Content = from.Content.trimmed();
    to.BaseValue = from.BaseValue;
    to.ColorIndx = from.ColorIndx;
    to.GadStatus = from.GadStatus;
    // The copy shows the value its own way: a combo box selects by the raw
    // code, a conversion derives the content from the raw value, otherwise
    // the content moves into the copy's unit.
    if (to.type() == QLatin1String("combobox")) {
        to.Content = to.RawVal.trimmed();
    } else if (to.CheckProc != Conversion::None) {
        QString content = applyConversion(m, to.CheckProc, to.RawVal, to.Name, ConvertTo::Content);
        const int bracket = content.indexOf(QLatin1Char('['));
        if (bracket >= 0) {
            to.GadUnit = content.mid(bracket);
            content.truncate(bracket);
        }
        if (!content.isEmpty()) to.Content = content;
    } else if (!from.GadUnit.isEmpty() && !to.GadUnit.isEmpty() && from.GadUnit != to.GadUnit &&
               !to.Content.isEmpty()) {
        const QString converted = convertUnitText(m, to.Content, from.GadUnit, to.GadUnit, to.Name);
        if (!converted.isEmpty()) to.Content = converted;
    }
    if (to.BaseValue.isEmpty() && !to.BaseUnit.isEmpty()) to.BaseValue = baseValueOf(m, to);
    return true;
}

void copyTwins(DeviceModel& m) {
    for (const FieldTwin& t : kTwins)
        copyFieldValue(m, QLatin1String(t.copy), QLatin1String(t.original));
}

}  // namespace zh
