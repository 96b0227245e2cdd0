#include "ui/application/input_check.h"

#include "app/clock.h"
#include "app/dialogs.h"
#include "app/gadgets.h"
#include "app/program.h"
#include "model/device_model.h"
#include "model/type_checks.h"
#include "ui/application/application_check.h"
#include "ui/window/field_controls.h"
#include "ui/window/gadget_colours.h"

namespace zh {
namespace {

bool isType(const FieldRecord& f, const char* t) {
    return f.type() == QLatin1String(t);
}

// Characters a field of each type takes while it is typed.
QString allowedCharacters(const FieldRecord& f, const QString& point) {
    if (isType(f, "float")) return QStringLiteral("0123456789.,-") + point;
    if (isType(f, "number") || isType(f, "ipaddress")) return QStringLiteral("0123456789");
    if (isType(f, "hexadecimal")) return QStringLiteral("0123456789ABCDEFabcdef");
    if (isType(f, "binary")) return QStringLiteral("01");
    return QString();  // anything
}

// The code of the entry at `index` of a combo box list ("text=code;..." or plain items).
QString comboCode(const QString& list, int index) {
    const QStringList items = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (index < 0 || index >= items.size()) return QString();
    const QString& item = items.at(index);
    const int eq = item.indexOf(QLatin1Char('='));
    return list.contains(QLatin1Char('=')) && eq >= 0 ? item.mid(eq + 1).trimmed()
                                                      : QString::number(index);
}

// Clicks and keys made while a message was open are not meant for what
// lies under them afterwards; everything else (timers, window events) is
// kept. Focus moves caused by those clicks and keys go with them.
bool isUserInput(const WindowEvent& e) {
    switch (e.type) {
        case EventGadget:
        case EventMenu:
        case EventLeftClick:
        case EventRightClick:
        case EventLeftDoubleClick:
        case EventRightDoubleClick:
            return true;
        default:
            return false;
    }
}

}  // namespace

FieldRecord* InputCheck::fieldOf(int gadget) {
    const int i = gadget > 0 ? recordOfControl(m_.fields, gadget) : -1;
    return i < 0 ? nullptr : &m_.fields.at(i);
}

void InputCheck::takeSnapshot(int gadget) {
    FieldRecord* f = fieldOf(gadget);
    if (!f) return;
    active_ = gadget;
    snap_ = FocusSnapshot{boundControl(*f), f->Content,   f->RawVal,
                          f->BaseValue,     f->ColorIndx, f->GadStatus};
    lastText_ = m_.program.gadgets.text(gadget);
}

void InputCheck::restoreSnapshot(FieldRecord& f) {
    if (snap_.field != boundControl(f)) return;
    f.Content = snap_.Content;
    f.RawVal = snap_.RawVal;
    f.BaseValue = snap_.BaseValue;
    setGadColor(m_, boundControl(f), QString(), snap_.ColorIndx, snap_.GadStatus);
    f.GadStatus = snap_.GadStatus;
    Gadgets& g = m_.program.gadgets;
    if (isType(f, "combobox") || isType(f, "checkbox")) {
        m_.program.log.debugLog(
            QStringLiteral("InputCheck: ") + f.Name + QStringLiteral(" restored"), 5);
    } else {
        g.setText(boundControl(f), snap_.Content);
    }
    lastText_ = snap_.Content;
}

int InputCheck::checkInput(const WindowEvent& e) {
    if (e.type == EventMenu) {
        // Return and Escape are the input check's own commands; any other
        // command first has the entry being edited checked.
        if (e.menu == 17 || e.menu == 18) return e.menu;
        if (pendingCheck() == -1) return -1;
        return e.menu;
    }
    if (e.type != EventGadget) return e.type;  // window events pass unchecked

    FieldRecord* f = fieldOf(e.gadget);
    if (!f) {
        // A button or a tab acts only on checked entries.
        if (e.code == GadgetSelect && pendingCheck() == -1) return -1;
        return e.code;
    }
    if (f->is(FlagReadOnly)) {
        fieldchanged = 0;
        return e.code;
    }
    if (active_ != e.gadget &&
        (e.code == GadgetFocusGained || e.code == GadgetSelect || e.code == GadgetTextChanged)) {
        if (pendingCheck() == -1) return -1;
    }
    f = fieldOf(e.gadget);  // the check may have rebuilt nothing, but look again

    if (isType(*f, "combobox") || isType(*f, "checkbox")) {
        // Combo boxes report no focus: every selection is checked at once.
        if (e.code != GadgetSelect) return e.code;
        if (active_ != e.gadget || snap_.field != boundControl(*f)) takeSnapshot(e.gadget);
        f->GadStatus = QStringLiteral("infocus");
        return leaveField(e, *f);
    }
    switch (e.code) {
        case GadgetFocusGained:
            if (active_ != e.gadget || f->GadStatus != QLatin1String("infocus"))
                takeSnapshot(e.gadget);
            m_.program.log.debugLog(QStringLiteral("> CheckInput: Entry into ") + f->Name +
                                        QStringLiteral(" Content=") + f->Content,
                                    5);
            return e.code;
        case GadgetTextChanged:
            if (active_ != e.gadget) takeSnapshot(e.gadget);
            return filterText(*f);
        case GadgetFocusLost:
            return leaveField(e, *f);
        default:
            return e.code;
    }
}

int InputCheck::filterText(FieldRecord& f) {
    Program& p = m_.program;
    Gadgets& g = p.gadgets;
    setGadColor(m_, boundControl(f), QString(), ColourChanged);
    f.GadStatus = QStringLiteral("infocus");
    const QString point =
        p.state.DecimalPoint.isEmpty() ? QStringLiteral(".") : p.state.DecimalPoint;
    const QString allowed = allowedCharacters(f, point);
    QString text = g.text(boundControl(f));
    const auto refuse = [&](const QString& shown) {
        g.setText(boundControl(f), shown);
        lastText_ = shown;
        p.dialogs.beep(600, 50);
        return -1;
    };
    if (!allowed.isEmpty()) {
        for (int i = 0; i < text.size(); ++i)
            if (!allowed.contains(text.at(i))) return refuse(text.left(i) + text.mid(i + 1));
    }
    const bool isFloat = isType(f, "float");
    if (isFloat) text.replace(QLatin1Char(','), QLatin1Char('.'));
    const QString first = f.Params.section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.isEmpty() && !isType(f, "ipaddress")) {
        int n = 0, m = 0;
        if (isFloat) {
            const FloatFormat fmt = floatFormat(f.Params);
            n = fmt.digits;
            m = fmt.decimals < 0 ? 999 : fmt.decimals;
        } else {
            n = first.toInt();
        }
        int limit = n + (isFloat ? m : 0);
        if (text.startsWith(QLatin1Char('-'))) ++limit;
        const int dot = isFloat ? text.indexOf(QLatin1Char('.')) : -1;
        if (dot >= 0) ++limit;
        // A second decimal point or too many decimals: the keystroke is refused.
        if (dot >= 0 && (text.indexOf(QLatin1Char('.'), dot + 1) >= 0 || text.size() - dot - 1 > m))
            return refuse(lastText_);
        if (text.size() > limit) return refuse(lastText_);
    }
    lastText_ = g.text(boundControl(f));
    return -1;
}

int InputCheck::leaveField(const WindowEvent& e, FieldRecord& f) {
    if (f.GadStatus != QLatin1String("infocus")) return e.code;
    const int r = checkField(boundControl(f));
    if (r == -2 || r == -1) return r;
    FieldRecord* now = fieldOf(e.gadget);
    if (!now) return e.code;
    if (fieldchanged == 1) {
        setGadColor(m_, boundControl(*now), QString(), ColourChanged,
                    colourStateWord(ColourChanged));
        if (hooks.record) hooks.record(e, now->Content);
    } else if (snap_.field == boundControl(*now)) {
        setGadColor(m_, boundControl(*now), QString(), snap_.ColorIndx, snap_.GadStatus);
        now->GadStatus = snap_.GadStatus;
    }
    return e.code;
}

int InputCheck::pendingCheck() {
    FieldRecord* f = fieldOf(active_);
    if (!f || f->GadStatus != QLatin1String("infocus")) return 0;
    return leaveField(WindowEvent{EventGadget, 1, active_, -1, GadgetFocusLost}, *f) == -1 ? -1 : 0;
}

QString InputCheck::entryOf(FieldRecord& f) {
    Gadgets& g = m_.program.gadgets;
    if (isType(f, "checkbox")) return QString::number(g.state(boundControl(f)));
    if (isType(f, "string") || isType(f, "combobox")) return g.text(boundControl(f));
    return g.text(boundControl(f)).trimmed();
}

int InputCheck::checkField(int gadget) {
    FieldRecord* fp = fieldOf(gadget);
    if (!fp) return 0;
    FieldRecord& f = *fp;
    Program& p = m_.program;
    Gadgets& g = p.gadgets;
    if (snap_.field != boundControl(f)) takeSnapshot(gadget);
    const bool combo = isType(f, "combobox");
    if (combo) snap_.Content = f.Content;

    const QString entry = entryOf(f);
    const CheckResult check = isType(f, "checkbox")
                                  ? CheckResult(entry)
                                  : checkByType(p, f, fieldCaption(m_, f.Name), entry);
    if (check.verdict() == CheckResult::Verdict::Undo) {
        restoreSnapshot(f);
        return 0;
    }
    if (check.failed()) return fail(f, false);
    const QString& checked = check.value();

    setGadColor(m_, boundControl(f), QString(), -1);
    if (!combo && !isType(f, "checkbox") && checked != entry) g.setText(boundControl(f), checked);
    QString value = combo ? comboCode(f.Params, g.state(boundControl(f))) : checked;
    const QString point =
        p.state.DecimalPoint.isEmpty() ? QStringLiteral(".") : p.state.DecimalPoint;
    // Contents keep "." whatever the window shows as decimal point.
    if (isType(f, "float")) value.replace(point, QStringLiteral("."));

    const bool changed =
        value.trimmed() != f.Content.trimmed() || isType(f, "checkbox") || FieldErrorPending;
    if (!changed) {
        // Nothing to hand on: an unchanged entry starts no dependent updates.
        fieldchanged = 0;
        return 0;
    }
    fieldchanged = 1;
    p.state.DataChanged = true;
    p.state.DataTrigger = 0;
    setGadColor(m_, boundControl(f), QString(), ColourChanged);

    const CheckResult accepted =
        appl_.checkApplicationField(f.Name, value, boundControl(f), f.Type, f.Attributes,
                                    fieldCaption(m_, f.Name), f.CheckProc);
    FieldRecord* after = fieldOf(gadget);
    if (!after) return 0;
    if (accepted.verdict() == CheckResult::Verdict::Undo) {
        restoreSnapshot(*after);
        FieldErrorPending = false;
        fieldchanged = 0;
        return 0;
    }
    if (accepted.failed()) return fail(*after, true);
    const QString& r = accepted.value();
    if (!r.isEmpty()) {
        after->Content = r;
        if (!combo && !isType(*after, "checkbox")) {
            QString shown = r;
            if (isType(*after, "float")) shown.replace(QStringLiteral("."), point);
            g.setText(boundControl(*after), shown);
        }
        if (after->Content != snap_.Content) takeSnapshot(gadget);
    }
    FieldErrorPending = false;
    return 0;
}

// The entry stays for correction: error colour, its tab shown, the focus
// back on it; clicks and keys made meanwhile are dropped.
int InputCheck::fail(FieldRecord& f, bool applicationError) {
    Gadgets& g = m_.program.gadgets;
    setGadColor(m_, boundControl(f), QString(), kColourError);
    f.GadStatus = QStringLiteral("infocus");
    active_ = boundControl(f);
    if (hooks.showTab) {
        const ControlPlace place = placeOf(m_.fields, m_.fields.find(f.Name));
        hooks.showTab(place.panel, place.tab);
    }
    g.setFocus(boundControl(f));
    if (applicationError) FieldErrorPending = true;
    drain();
    return -1;
}

void InputCheck::drain() {
    Program& p = m_.program;
    const std::int64_t start = p.clock.nowMs();
    while (p.clock.nowMs() - start < kDrainLimitMs) {
        const std::optional<WindowEvent> e = p.gadgets.waitEvent(kDrainWaitMs);
        if (!e) break;
        if (!isUserInput(*e)) kept_.push_back(*e);
    }
}

std::optional<WindowEvent> InputCheck::takeKept() {
    if (kept_.empty()) return std::nullopt;
    const WindowEvent e = kept_.front();
    kept_.pop_front();
    return e;
}

void InputCheck::confirm() {
    pendingCheck();
}

void InputCheck::cancel() {
    FieldRecord* f = fieldOf(active_);
    if (!f || f->GadStatus != QLatin1String("infocus")) return;
    restoreSnapshot(*f);
    FieldErrorPending = false;
}

}  // namespace zh
