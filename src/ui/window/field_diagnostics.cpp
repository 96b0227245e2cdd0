#include "ui/window/field_diagnostics.h"

#include "app/program.h"
#include "model/device_model.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"

namespace zh {
namespace {

bool holds(const QRect& r, QPoint p) {
    return p.x() >= r.x() && p.x() < r.x() + r.width() && p.y() >= r.y() &&
           p.y() < r.y() + r.height();
}

// Panels show their tabs below a 20-pixel header.
constexpr int kTabHeader = 20;

QPoint inPanel(const InspectorView& view, const ControlPlace& place, QPoint point) {
    if (place.panel <= 0 || !view.panelOrigin) return point;
    return point - view.panelOrigin(place.panel) - QPoint(0, kTabHeader);
}

}  // namespace

QString fieldReport(const DeviceModel& m, int index, const QString& controlState) {
    const FieldRecord& r = m.fields.at(index);
    const ControlInfo* control = controlOfRecord(m.fields, index);
    const ControlPlace place = placeOf(m.fields, index);
    QString t;
    auto line = [&t](const char* label, const QString& value) {
        t += QLatin1String(label) + value + QLatin1Char('\n');
    };
    line("Indx:", QString::number(index));
    line("Name:", r.Name);
    line("GadKonst:", control ? symbolicName(*control) : QString());
    line("GadID:",
         QString::number(boundControl(r)) +
             (controlState.isEmpty() ? QString()
                                     : QStringLiteral(" (") + controlState + QLatin1Char(')')));
    line("Type:", r.Type);
    line("Content:", r.Content);
    line("GadUnit:", r.GadUnit);
    line("BaseValue:", r.BaseValue);
    line("BaseUnit:", r.BaseUnit);
    line("RawVal:", r.RawVal);
    line("Default:", r.Default);
    line("Params:", r.Params);
    line("Interface:", r.Interface);
    line("Access:", r.Access);
    line("Visibility:", r.Visibility);
    line("CheckProc:", conversionName(r.CheckProc));
    line("GadDescr:", fieldCaption(m, r.Name));
    line("GadTTip:", r.GadTTip);
    line("Attributes:", r.Attributes);
    // A record no pass defined has no unit control.
    line("UnitGadID:", QString::number(r.Type.isEmpty() ? 0 : controlsOf(r.Name).unit));
    line("ColorIndx:", QString::number(r.ColorIndx));
    line("PanelGadID:", QString::number(place.panel));
    line("PanelIndex:", QString::number(place.tab));
    line("GadInd:", QString::number(r.RecordPos));
    line("GadInfo:", control ? kindWord(control->kind) : QString());
    line("GadStatus:", r.GadStatus);
    return t;
}

QString gadgetInfoReport(const DeviceModel& m, int index, int state0, int state1) {
    const FieldRecord& r = m.fields.at(index);
    QString t;
    auto line = [&t](const QString& label, const QString& value) {
        t += label + value + QLatin1Char('\n');
    };
    line(QStringLiteral("Field:"), r.Name);
    line(QStringLiteral("Index:"), QString::number(index));
    line(QStringLiteral("ID:"), QString::number(boundControl(r)));
    line(QStringLiteral("Type:"), r.Type);
    line(QStringLiteral("Content:"), r.Content);
    line(QStringLiteral("Default:"), r.Default);
    line(QStringLiteral("Attributes:"), r.Attributes);
    line(QStringLiteral("Params:"), r.Params);
    line(QStringLiteral("State(0,"), QStringLiteral("0)=") + QString::number(state0));
    line(QStringLiteral("State(1,"), QStringLiteral("1)=") + QString::number(state1));
    const QRect place = placeOf(m.fields, index).rect;
    line(QStringLiteral("x, y:"),
         QString::number(place.x()) + QStringLiteral(", ") + QString::number(place.y()));
    line(QStringLiteral("RawVal:"), r.RawVal);
    return t;
}

QString FieldInspector::inspect(DeviceModel& m, const InspectorView& view, QPoint point) {
    if (lastIndex_ > 0) {
        const ControlPlace last = placeOf(m.fields, lastIndex_, view.gadgets);
        const bool sameTab =
            !view.tabShown || last.panel <= 0 || view.tabShown(last.panel, last.tab);
        if (sameTab && holds(last.rect, inPanel(view, last, point))) return lastText_;
    }
    for (const PackedEntry& e : m.fields.packedEntries()) {
        const int index = m.fields.find(e.Name);
        if (index < 0) continue;
        const FieldRecord& r = m.fields.at(index);
        if (r.Visibility == QLatin1String("hidden")) continue;
        const ControlPlace place = placeOf(m.fields, index, view.gadgets);
        if (place.panel > 0 && view.tabShown && !view.tabShown(place.panel, place.tab)) continue;
        if (!holds(place.rect, inPanel(view, place, point))) continue;
        lastIndex_ = index;
        lastText_ = fieldReport(m, index,
                                view.controlState ? view.controlState(boundControl(r)) : QString());
        return lastText_;
    }
    return QString();
}

void dumpFieldTable(DeviceModel& m) {
    Logger& log = m.program.log;
    log.debugLog(QStringLiteral(">>> Field table: ") + QString::number(m.fields.count()) +
                     QStringLiteral(" records"),
                 -1);
    for (int i = 1; i <= m.fields.count(); ++i) {
        const FieldRecord& r = m.fields.at(i);
        log.debugLog(QString::number(i) + QLatin1Char('|') + r.Name + QLatin1Char('|') +
                         QString::number(boundControl(r)) + QLatin1Char('|') + r.Type +
                         QLatin1Char('|') + r.Content + QLatin1Char('|') + r.GadUnit +
                         QLatin1Char('|') + r.RawVal + QLatin1Char('|') + r.BaseValue +
                         QLatin1Char('|') + r.BaseUnit + QLatin1Char('|') +
                         conversionName(r.CheckProc) + QLatin1Char('|') + r.Attributes +
                         QLatin1Char('|') + r.GadStatus,
                     -1);
    }
}

}  // namespace zh
