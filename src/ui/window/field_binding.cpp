#include "ui/window/field_binding.h"

#include "app/gadgets.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/list_text.h"
#include "model/live_display.h"
#include "ui/window/control_registry.h"

namespace zh {
namespace {

bool isNumericType(const QString& type) {
    return type == QLatin1String("number") || type == QLatin1String("hexadecimal") ||
           type == QLatin1String("binary") || type == QLatin1String("float");
}

// The number of the control named `name`; -1 for "" or an unknown name.
int numberOf(const QString& name) {
    return name.isEmpty() ? -1 : controlNumber(name);
}

// The text of the label the field list gives field `r`; "" for none.
QString readLabel(Program& p, const FieldRecord& r) {
    const int label = labelControlsOf(r.Name).label;
    if (label <= -1 || !p.gadgets.exists(label)) return QString();
    const QString text = p.gadgets.text(label);
    if (testModeOf(p.state.TestMode) == TestMode::FieldNames) p.gadgets.setText(label, r.Name);
    return text;
}

void setToolTips(Program& p, const FieldRecord& r, const GadgetEntry& e, const QString& caption,
                 bool controlExists) {
    const QString& tip = r.GadTTip;
    if (controlExists && tip.isEmpty() && isNumericType(r.type()) &&
        e.Params.count(QLatin1Char(';')) == 2) {
        const QString range =
            p.commonTexts.text(QStringLiteral("Common"), QStringLiteral("Range: ")) +
            stringFieldOf(e.Params, 2, QStringLiteral(";")) + QStringLiteral(" ... ") +
            stringFieldOf(e.Params, 3, QStringLiteral(";"));
        p.gadgets.setToolTip(r.GadID, caption, range);
    }
    if (tip.isEmpty()) return;
    const int bar = tip.indexOf(QLatin1Char('|'));
    if (bar > 0) {
        p.gadgets.setToolTip(r.GadID, tip.left(bar), tip.mid(bar + 1));
    } else {
        p.gadgets.setToolTip(r.GadID, caption, tip);
    }
}

void bindField(Program& p, const FieldRecord& r, const GadgetEntry& e, FieldCaptions& captions) {
    const QString caption = readLabel(p, r);
    captions.insert(r.Name, caption);
    const bool controlExists = r.GadID > 0 && p.gadgets.exists(r.GadID);
    if (controlExists && r.type() == QLatin1String("combobox"))
        setComboItems(p.gadgets, r.GadID, e.Params, e.DefinedContent, p.state.ListSeparator);
    setToolTips(p, r, e, caption, controlExists);
}

// The control that shows `field`: the one bound to it, else the one of the
// device-type tab that stands for it; 0 for none.
int controlOf(const DeviceModel& m, const QString& field) {
    const int index = m.fields.find(field);
    if (index >= 0 && m.fields.at(index).GadID != 0) return m.fields.at(index).GadID;
    static const std::pair<const char*, const char*> kOwnControls[] = {
        {"DevType", "CmbDevType"},
        {"CalcMethod", "CmbCalcMethod"},
        {"MeasElemConfigName", "MeasElemConfigName"},
    };
    for (const auto& [name, control] : kOwnControls)
        if (field == QLatin1String(name)) return controlNumber(QLatin1String(control));
    return 0;
}

}  // namespace

const LabelControls& labelControlsOf(const QString& field) {
    // The field list and the control table are fixed, so their numbers are
    // worked out once; every refresh of a field asks for its unit control.
    static const QHash<QString, LabelControls> table = [] {
        QHash<QString, LabelControls> byField;
        for (const FieldControlNames& row : fieldListControls()) {
            if (!byField.contains(row.field))
                byField.insert(row.field, {true, numberOf(row.label), numberOf(row.unit)});
        }
        return byField;
    }();
    static const LabelControls unlisted;
    const auto it = table.constFind(field);
    return it == table.constEnd() ? unlisted : *it;
}

void setComboItems(Gadgets& gadgets, int gadget, const QString& list, const QString& value,
                   const QString& separator) {
    QStringList texts;
    int selected = -1;
    const bool pairs = list.contains(QLatin1Char('='));
    const QStringList items = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (int i = 0; i < items.size(); ++i) {
        const QString& item = items.at(i);
        const int eq = item.indexOf(QLatin1Char('='));
        QString text = pairs && eq >= 0 ? item.left(eq).trimmed() : item;
        texts << text.replace(QLatin1String("^sep"), separator);
        const QString itemValue =
            pairs && eq >= 0 ? item.mid(eq + 1).trimmed() : QString::number(i);
        if (selected < 0 && itemValue == value.trimmed()) selected = i;
    }
    gadgets.setItems(gadget, texts);
    gadgets.setState(gadget, selected);
}

void bindFieldControls(DeviceModel& m, FieldCaptions& captions) {
    const FieldTable& t = m.fields;
    // A field the pass leaves unbound has no caption any more.
    for (const QString& name : t.definedNames().split(QLatin1Char(';'), Qt::SkipEmptyParts))
        captions.remove(name);
    for (const GadgetEntry& e : t.gadgetList()) {
        const int index = t.find(e.Name);
        if (index >= 0) bindField(m.program, t.at(index), e, captions);
    }
}

void BindFieldEvents(DeviceModel& m) {
    Gadgets& g = m.program.gadgets;
    m.events.onText = [&m, &g](const QString& field, const QString& text) {
        const int control = controlOf(m, field);
        if (control != 0 && g.exists(control)) g.setText(control, text);
    };
    m.events.onItems = [&m, &g](const QString& field, const QStringList& items) {
        if (const int control = controlOf(m, field)) g.setItems(control, items);
    };
    m.events.onSelection = [&m, &g](const QString& field, int position) {
        if (const int control = controlOf(m, field)) g.setState(control, position);
    };
}

void BindTestInput(Gadgets& gadgets, LiveHooks& hooks) {
    const int input = controlNumber(QStringLiteral("TstInput"));
    const int slider = controlNumber(QStringLiteral("TstSlider"));
    hooks.readTestInput = [&gadgets, input, slider] {
        return TestInput{gadgets.text(input), gadgets.state(slider)};
    };
    hooks.showTestValue = [&gadgets, input, slider](int ad) {
        gadgets.setState(slider, ad);
        // A text that already says so is left alone: the person may be typing in it.
        bool same = false;
        if (gadgets.text(input).trimmed().toInt(&same) != ad || !same)
            gadgets.setText(input, QString::number(ad));
    };
}

}  // namespace zh
