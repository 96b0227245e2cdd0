#include "ui/window/focus_order.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "model/field_table.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"

namespace zh {

int nextFocusGadget(const FieldTable& fields, int focusedGadget, bool forward,
                    const std::function<bool(int gadget)>& focusable) {
    if (focusedGadget < 0) return -1;
    // The controls of the defined fields, in definition order.
    std::vector<int> order;
    int current = -1;
    for (const QString& name : fields.definedNames().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int index = fields.find(name);
        if (index < 0) continue;
        const int gadget = boundControl(fields.at(index));
        if (gadget <= 0) continue;
        if (gadget == focusedGadget) current = static_cast<int>(order.size());
        order.push_back(gadget);
    }
    const int n = static_cast<int>(order.size());
    if (n == 0) return -1;
    // Not on a field: the walk starts just outside the list.
    if (current < 0) current = forward ? n - 1 : 0;
    const int step = forward ? 1 : -1;
    for (int i = 1; i <= n; ++i) {
        const int gadget = order[static_cast<std::size_t>(((current + step * i) % n + n) % n)];
        if (gadget != focusedGadget && focusable(gadget)) return gadget;
    }
    return -1;
}

bool focusNextField(const FieldTable& fields, QtGadgets& gadgets, bool forward) {
    const auto focusable = [&gadgets](int gadget) {
        const QWidget* w = gadgets.widget(gadget);
        return w && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus);
    };
    const int target = nextFocusGadget(fields, gadgets.focusedGadget(), forward, focusable);
    if (target < 0) return false;
    QWidget* w = gadgets.widget(target);
    w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) {
        combo->lineEdit()->selectAll();
    }
    return true;
}

}  // namespace zh
