#include "ui/window/field_binding.h"

#include "app/gadgets.h"
#include "app/program.h"
#include "app/test_mode.h"
#include "model/device_model.h"
#include "model/field_table.h"
#include "model/list_text.h"
#include "model/live_display.h"
#include "ui/window/field_controls.h"

namespace zh {
namespace {

bool isNumericType(const QString& type) {
    return type == QLatin1String("number") || type == QLatin1String("hexadecimal") ||
           type == QLatin1String("binary") || type == QLatin1String("float");
}

// The text of the label the field list gives field `r`; "" for none.
QString readLabel(Program& p, const FieldRecord& r) {
    const int label = controlsOf(r.Name).label;
    if (label <= -1 || !p.gadgets.exists(label)) return QString();
    const QString text = p.gadgets.text(label);
    if (testModeOf(p.state.TestMode) == TestMode::FieldNames) p.gadgets.setText(label, r.Name);
    return text;
}

void setToolTips(Program& p, const FieldRecord& r, const PackedEntry& e, const QString& caption,
                 int control, bool controlExists) {
    const QString& tip = r.GadTTip;
    if (controlExists && tip.isEmpty() && isNumericType(r.type()) &&
        e.Params.count(QLatin1Char(';')) == 2) {
        const QString range =
            p.commonTexts.text(QStringLiteral("Common"), QStringLiteral("Range: ")) +
            stringFieldOf(e.Params, 2, QStringLiteral(";")) + QStringLiteral(" ... ") +
            stringFieldOf(e.Params, 3, QStringLiteral(";"));
        p.gadgets.setToolTip(control, caption, range);
    }
    if (tip.isEmpty()) return;
    const int bar = tip.indexOf(QLatin1Char('|'));
    if (bar > 0) {
        p.gadgets.setToolTip(control, tip.left(bar), tip.mid(bar + 1));
    } else {
        p.gadgets.setToolTip(control, caption, tip);
    }
}

void bindField(Program& p, const FieldRecord& r, const PackedEntry& e, FieldCaptions& captions) {
    const QString caption = readLabel(p, r);
    captions.insert(r.Name, caption);
    const int control = boundControl(r);
    const bool controlExists = control > 0 && p.gadgets.exists(control);
    if (controlExists && r.type() == QLatin1String("combobox"))
        setComboItems(p.gadgets, control, e.Params, e.DefinedContent, p.state.ListSeparator);
    setToolTips(p, r, e, caption, control, controlExists);
}

// The control that shows `field`: the one bound to it, else the one of the
// device-type tab that stands for it; 0 for none.
int controlOf(const DeviceModel& m, const QString& field) {
    const int index = m.fields.find(field);
    const int bound = index < 0 ? 0 : boundControl(m.fields.at(index));
    if (bound != 0) return bound;
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
    for (const PackedEntry& e : t.packedEntries()) {
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
