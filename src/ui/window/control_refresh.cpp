#include "ui/window/control_refresh.h"

#include <cmath>

#include "app/gadgets.h"
#include "app/number_text.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/field_definitions.h"
#include "model/field_twins.h"
#include "model/list_text.h"
#include "model/scaling.h"
#include "model/user_forms.h"
#include "ui/window/field_binding.h"
#include "ui/window/field_controls.h"
#include "ui/window/gadget_colours.h"

namespace zh {
namespace {

bool isPercentOrCurrent(const QString& unit) {
    return unit == QLatin1String("[%]") || unit == QLatin1String("%") ||
           unit == QLatin1String("[mA]") || unit == QLatin1String("mA");
}

bool isShown(const FieldRecord& f) {
    return f.Visibility != QLatin1String("nodisplay") && f.Visibility != QLatin1String("hidden");
}

bool hasControl(DeviceModel& m, const FieldRecord& f) {
    const int control = boundControl(f);
    return control > 0 && m.program.gadgets.exists(control);
}

// The unit as its control shows it: without brackets, nothing for "[-]".
QString unitLabel(const QString& unit) {
    const QString name = bracketTextOf(unit, QStringLiteral("["), QStringLiteral("]"));
    return name == QLatin1String("-") ? QString() : name;
}

void log(DeviceModel& m, const QString& text, int level = 5) {
    m.program.log.debugLog(text, level);
}

// The shown fields of the last definition pass, in definition order.
std::vector<int> boundFields(const DeviceModel& m) {
    std::vector<int> indices;
    for (const PackedEntry& e : m.fields.packedEntries()) {
        const int i = m.fields.find(e.Name);
        if (i >= 0) indices.push_back(i);
    }
    return indices;
}

}  // namespace

QString editedBaseValue(DeviceModel& m, const FieldRecord& f) {
    if (f.Content.trimmed().isEmpty() || f.BaseUnit.isEmpty()) return QString();
    if (f.GadUnit.isEmpty() || f.GadUnit == f.BaseUnit) return f.Content;
    return convertUnitText(m, f.Content, f.GadUnit, f.BaseUnit, f.Name);
}

void ControlRefresh::installModelHooks() {
    m_.hooks.refreshAllControls = [this] { showFieldsInForm(); };
    m_.hooks.bindFields = [this] { bindFieldControls(m_, captions); };
    m_.hooks.caption = [this](const QString& field) { return captions.value(field); };
    BindFieldEvents(m_);
}

void ControlRefresh::showFieldsInForm(const QString& selector) {
    log(m_, QStringLiteral(">>> InternToForm(") + selector + QLatin1Char(')'));
    const QString sel = selector.trimmed();
    const bool rebuild = sel.compare(QLatin1String("new"), Qt::CaseInsensitive) == 0;
    if (rebuild) defineDataStructure(m_, QStringLiteral("[-]"), -1, -11);

    std::vector<int> selected;
    if (sel.isEmpty() || rebuild) {
        selected = boundFields(m_);
    } else {
        const QString key = sel.section(QLatin1Char('='), 0, 0).trimmed().toLower();
        const QString value = sel.section(QLatin1Char('='), 1).trimmed();
        int i = -1;
        if (key == QLatin1String("gadid")) {
            bool ok = false;
            const int number = value.toInt(&ok);
            i = ok ? recordOfControl(m_.fields, number) : -1;
        } else if (key == QLatin1String("gadname")) {
            i = m_.fields.find(value);
        } else {
            log(m_, QStringLiteral("InternToForm: unknown selector ") + selector, 1);
        }
        if (i >= 0) selected.push_back(i);
    }

    writeFields(selected);
}

void ControlRefresh::writeFields(const std::vector<int>& indices) {
    // Messages of the checks are shown together at the end; a caller that
    // collects them itself keeps its collection.
    Messages& messages = m_.program.messages;
    const bool collect = !messages.silent();
    if (collect) messages.collectSilently();
    for (int i : indices) writeField(m_.fields.at(i));
    if (collect) messages.showCollected(QString(), 0);
    if (checks.redrawDiagram) checks.redrawDiagram();
}

QString ControlRefresh::checked(FieldRecord& f, QString text, bool* failed) {
    if (!checks.typeCheck) return text;
    const CheckResult result = checks.typeCheck(f, text);
    if (!result.failed()) return result.value();
    *failed = true;
    return text;
}

void ControlRefresh::writeField(FieldRecord& f) {
    if (!isShown(f) || !hasControl(m_, f)) return;
    Gadgets& g = m_.program.gadgets;
    const int control = boundControl(f);
    const QString separator = m_.program.state.ListSeparator;
    QString text = f.Content;
    text.replace(QLatin1String("^sep"), separator);

    // An error colour left from an earlier refresh does not outlive it.
    if (f.ColorIndx > 10)
        setGadColor(m_, control, QString(), ColourChanged, colourStateWord(ColourChanged));

    bool failed = false;
    if (f.is(FlagCheckLimits) && checks.checkLimits)
        failed = checks.checkLimits(f.Name, text).failed();

    const QString type = f.type();
    if (type == QLatin1String("checkbox")) {
        g.setState(control, f.Content.trimmed().toInt());
    } else if (type == QLatin1String("combobox")) {
        setComboItems(g, control, f.Params, f.Content, separator);
    } else if (type == QLatin1String("ipaddress")) {
        g.setText(control, text.trimmed());
    } else {
        if ((type == QLatin1String("number") || type == QLatin1String("float")) &&
            f.is(FlagUserForm))
            text = convertUserForm(m_, FormWay::Decode, text, f.Attributes);
        g.setText(control, checked(f, text, &failed));
    }
    if (failed) setGadColor(m_, control, QString(), kColourError);

    const int unit = controlsOf(f.Name).unit;
    if (unit > 0 && g.exists(unit)) g.setText(unit, unitLabel(f.GadUnit));
    g.setEnabled(control, f.Access == QLatin1String("enabled"));
}

bool ControlRefresh::switchControl(FieldRecord& f, const QString& action) {
    Gadgets& g = m_.program.gadgets;
    const int control = boundControl(f);
    // The temperature limits cannot be entered in percent or milliamperes.
    const bool neverEnable =
        (f.Name == QLatin1String("TempUpper") || f.Name == QLatin1String("TempLower")) &&
        (isPercentOrCurrent(m_.cal.DispUnit) || isPercentOrCurrent(f.GadUnit));
    if (action == QLatin1String("enable") || action == QLatin1String("enabled")) {
        if (!neverEnable) g.setEnabled(control, true);
    } else if (action == QLatin1String("disable") || action == QLatin1String("disabled")) {
        g.setEnabled(control, false);
    } else if (action == QLatin1String("writeable")) {
        f.setReadOnly(false);
        f.Access = QStringLiteral("enabled");
        if (!neverEnable) g.setEnabled(control, true);
    } else if (action == QLatin1String("hide") || action == QLatin1String("hidden")) {
        g.setHidden(control, true);
    } else if (action == QLatin1String("readonly")) {
        f.setReadOnly(true);
        f.Access = QStringLiteral("readonly");
        f.ColorIndx = kColourNotEditable;
        f.GadStatus.clear();
        g.setEnabled(control,
                     g.isEnabled(control));  // the control takes no more input
    } else if (action != QLatin1String("setcolor")) {
        return false;
    }
    return true;
}

void ControlRefresh::updateAllGadgets(const QString& action, const QString& range, int colindx) {
    log(m_, QStringLiteral(">>> UpdAllGads(action$=") + action + QStringLiteral(", range$=") +
                range + QStringLiteral(", colindx=") + QString::number(colindx) + QLatin1Char(')'));
    QStringList actions;
    for (const QString& word : action.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!word.trimmed().isEmpty()) actions << word.trimmed().toLower();
    const bool all = range.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
    const unsigned groups = fieldFlags(range);

    bool reported = false;
    for (int i : boundFields(m_)) {
        FieldRecord& f = m_.fields.at(i);
        if (!all && (groups == 0 || (f.Flags & groups) != groups)) continue;
        if (f.Visibility == QLatin1String("nodisplay") || !hasControl(m_, f)) continue;
        for (const QString& a : actions) {
            if (!switchControl(f, a) && !reported) {
                log(m_, QStringLiteral("UpdAllGads: unknown action ") + a, 1);
                reported = true;
            }
        }
        if (colindx >= 0 && !f.is(FlagOwnColour))
            setGadColor(m_, boundControl(f), QString(), colindx, colourStateWord(colindx));
    }
}

void ControlRefresh::syncFields(const QString& gadlist, SyncMode mode) {
    const QString word = mode == SyncMode::RawOnly  ? QStringLiteral("rawonly")
                         : mode == SyncMode::Update ? QStringLiteral("update")
                                                    : QString();
    log(m_, QStringLiteral(">>> SyncGadgets(gadlist$=") + gadlist + QStringLiteral(", mode$=") +
                word + QLatin1Char(')'));
    const bool rawOnly = mode == SyncMode::RawOnly;
    for (const QString& item : gadlist.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString target = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString source = item.section(QLatin1Char('='), 1).trimmed();
        const int t = target.isEmpty() ? -1 : m_.fields.find(target);
        const int s = source.isEmpty() ? -1 : m_.fields.find(source);
        if (t < 0 || s < 0 || t == s) {
            log(m_, QStringLiteral("SyncGadgets: pair '") + item + QStringLiteral("' skipped"), 3);
            continue;
        }
        if (rawOnly) {
            m_.fields.at(t).RawVal = m_.fields.at(s).RawVal;
        } else {
            copyFieldValue(m_, target, source);
        }
        if (mode == SyncMode::Update) showFieldsInForm(QStringLiteral("gadname=") + target);
    }
}

void ControlRefresh::updateUnitFormFields(const QString& fields, int unitCode) {
    log(m_, QStringLiteral(">>> UpdUnitFormFlds(gadgets$=") + fields +
                QStringLiteral(", UnitCode=") + QString::number(unitCode) + QLatin1Char(')'));
    const QString name = listTextOf(m_.cal.UnitsList, unitCode);
    if (name.isEmpty()) {
        log(m_,
            QStringLiteral("UpdUnitFormFlds: unit code ") + QString::number(unitCode) +
                QStringLiteral(" not in ") + m_.cal.UnitsList,
            1);
        return;
    }
    const QString unit = QLatin1Char('[') + name + QLatin1Char(']');
    for (const QString& fieldName : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int i = m_.fields.find(fieldName.trimmed());
        if (i < 0) continue;
        FieldRecord& f = m_.fields.at(i);
        if (isPercentOrCurrent(f.GadUnit)) continue;
        QString content = f.Content;
        if (!content.trimmed().isEmpty()) {
            if (!f.GadUnit.isEmpty() && f.GadUnit != unit) {
                content = convertUnitText(m_, content, f.GadUnit, unit, f.Name);
                if (content.isEmpty())
                    continue;  // a unit the table cannot reach: the value stays as it is
            }
            const QString formatted = formatDecimals(m_, content, f.Name, m_.cal.DispDecP);
            if (!formatted.isEmpty()) content = formatted;
        }
        f.Content = content;
        f.GadUnit = unit;
        // The base value stays the master copy: re-deriving it from the
        // rounded text would let it drift with every change of unit.
        if (f.BaseValue.isEmpty()) f.BaseValue = editedBaseValue(m_, f);
        f.setColourState(ColourChanged);
        setGadColor(m_, boundControl(f), QString(), -1);
        showFieldsInForm(QStringLiteral("gadname=") + f.Name);
    }
}

void ControlRefresh::setGadParams(const QString& gadName, const QString& params,
                                  const QString& defval) {
    log(m_, QStringLiteral(">>> SetGadParams(GadName$=") + gadName + QStringLiteral(", params$=") +
                params + QStringLiteral(", defval$=") + defval + QLatin1Char(')'));
    const int i = m_.fields.find(gadName);
    if (i < 0) return;
    FieldRecord& f = m_.fields.at(i);
    f.Params = params;
    if (f.type() != QLatin1String("combobox")) return;
    if (!defval.isEmpty()) f.Default = defval;
    bool ok = false;
    const int code = f.Content.trimmed().toInt(&ok);
    if (!ok || listTextOf(params, code).isEmpty()) {
        f.Content = f.Default;
        f.RawVal = f.Default;
        f.BaseValue = editedBaseValue(m_, f);
    }
    if (hasControl(m_, f))
        setComboItems(m_.program.gadgets, boundControl(f), params, f.Content,
                      m_.program.state.ListSeparator);
}

int ControlRefresh::storeValues() {
    QHash<QString, QString> set;
    for (int i : boundFields(m_)) {
        const FieldRecord& f = m_.fields.at(i);
        set.insert(f.Name, f.Content);
    }
    valueSets_.push_back(std::move(set));
    return static_cast<int>(valueSets_.size()) - 1;
}

bool ControlRefresh::setValues(int listIndex) {
    log(m_,
        QStringLiteral(">>> SetValues(ListIndex=") + QString::number(listIndex) + QLatin1Char(')'));
    if (listIndex < 0 || listIndex >= static_cast<int>(valueSets_.size())) return false;
    const QHash<QString, QString>& set = valueSets_[static_cast<std::size_t>(listIndex)];
    std::vector<int> loaded;
    for (int i : boundFields(m_)) {
        FieldRecord& f = m_.fields.at(i);
        if (!isShown(f)) continue;
        const auto it = set.constFind(f.Name);
        if (it == set.constEnd()) continue;
        QString value = it.value().trimmed();
        // A float takes only a number (or the empty text where that is
        // valid), unless the field accepts anything ("nocheck").
        if (f.type() == QLatin1String("float") && !f.is(FlagNoCheck)) {
            value.replace(QLatin1Char(','), QLatin1Char('.'));
            bool ok = false;
            const double v = parseStoredNumber(value, &ok);
            const bool blank = value.isEmpty() && f.is(FlagBlankValid);
            if (!blank && (!ok || !std::isfinite(v))) {
                log(m_,
                    QStringLiteral("SetValues: ") + f.Name + QStringLiteral("='") + it.value() +
                        QStringLiteral("' is no number, skipped"),
                    2);
                continue;
            }
        }
        f.Content = value;
        f.RawVal = f.CheckProc == Conversion::None
                       ? value
                       : applyConversion(m_, f.CheckProc, value, f.Name, ConvertTo::Raw);
        f.BaseValue = editedBaseValue(m_, f);
        loaded.push_back(i);
    }
    writeFields(loaded);
    return true;
}

}  // namespace zh
