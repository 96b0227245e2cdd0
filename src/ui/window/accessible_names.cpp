#include "ui/window/accessible_names.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QSlider>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <functional>
#include <vector>

#include "app/mnemonics.h"
#include "model/field_definitions.h"
#include "ui/window/control_table.h"
#include "ui/window/field_control_list.h"
#include "ui/window/field_controls.h"
#include "ui/window/qt_gadgets.h"

namespace zh {
namespace {

bool takesInput(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QSlider*>(w);
}

// A caption as a name: without the mnemonic mark and the colon it ends with.
QString spoken(const QString& caption) {
    QString name = withoutMnemonic(caption).simplified();
    while (name.endsWith(QLatin1Char(':'))) name.chop(1);
    return name.trimmed();
}

// The tooltip as plain text: tooltips may carry a bold title.
QString plainTip(const QString& tip) {
    if (!Qt::mightBeRichText(tip)) return tip;
    return QTextDocumentFragment::fromHtml(tip).toPlainText().replace(QChar(0x2028),
                                                                      QLatin1Char('\n'));
}

// Keeps the description equal to the tooltip when the program changes it
// (a disabled control says why).
class DescriptionFollowsTip final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTipChange) {
            if (auto* w = qobject_cast<QWidget*>(watched))
                w->setAccessibleDescription(plainTip(w->toolTip()));
        }
        return QObject::eventFilter(watched, event);
    }
};

// The control's sibling that `fits` at the least `distance`; nullptr for none.
QWidget* siblingAt(const QWidget* w, const std::function<bool(const QWidget*)>& fits,
                   const std::function<int(const QWidget*)>& distance) {
    QWidget* best = nullptr;
    int bestDistance = 0;
    if (!w->parentWidget()) return nullptr;
    for (QWidget* s : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (s == w || !fits(s)) continue;
        const int d = distance(s);
        if (!best || d < bestDistance) {
            best = s;
            bestDistance = d;
        }
    }
    return best;
}

// The labels that show a field's unit: no caption to name a control by.
using UnitLabels = QSet<const QWidget*>;

// The caption of the row: the nearest label to the control's left whose
// middle lies within the control's height (units left out).
QString rowCaption(const QWidget* w, const UnitLabels& units) {
    const QRect r = w->geometry();
    const QWidget* label = siblingAt(
        w,
        [&r, &units](const QWidget* s) {
            const auto* l = qobject_cast<const QLabel*>(s);
            const QRect g = s->geometry();
            return l && !units.contains(s) && !l->text().trimmed().isEmpty() &&
                   g.right() <= r.left() + 2 && g.center().y() >= r.top() &&
                   g.center().y() <= r.bottom();
        },
        [&r](const QWidget* s) { return r.left() - s->geometry().right(); });
    return label ? spoken(static_cast<const QLabel*>(label)->text()) : QString();
}

// The title of the group frame drawn around the control.
QString frameCaption(const QWidget* w) {
    const QPoint middle = w->geometry().center();
    const QWidget* frame = siblingAt(
        w,
        [&middle](const QWidget* s) {
            const auto* g = qobject_cast<const QGroupBox*>(s);
            return g && !g->title().trimmed().isEmpty() && s->geometry().contains(middle);
        },
        [](const QWidget* s) { return s->width() * s->height(); });
    return frame ? spoken(static_cast<const QGroupBox*>(frame)->title()) : QString();
}

// The title of the tab the control is on.
QString tabCaption(const QWidget* w) {
    for (const QWidget* page = w; page && page->parentWidget(); page = page->parentWidget()) {
        const auto* stack = page->parentWidget();
        const auto* tabs = stack ? qobject_cast<const QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->indexOf(const_cast<QWidget*>(page)) >= 0)
            return spoken(tabs->tabText(tabs->indexOf(const_cast<QWidget*>(page))));
    }
    return QString();
}

// What the tooltip says beyond the caption it starts with.
QString tipCaption(const QWidget* w) {
    const QStringList lines = plainTip(w->toolTip()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : spoken(lines.last());
}

// Qt names a combo box by its current choice on this platform; a screen
// reader is to hear what it chooses, and the choice as its value.
class NamedComboBox final : public QAccessibleWidget {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override {
        const auto* box = static_cast<const QComboBox*>(widget());
        if (t == QAccessible::Value || (t == QAccessible::Name && box->accessibleName().isEmpty()))
            return box->currentText();
        return QAccessibleWidget::text(t);
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        const auto* box = static_cast<const QComboBox*>(widget());
        return index == 0 ? QAccessible::queryAccessibleInterface(box->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == static_cast<const QComboBox*>(widget())->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            static_cast<QComboBox*>(widget())->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* namedControls(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox")) {
        if (auto* box = qobject_cast<QComboBox*>(object)) return new NamedComboBox(box);
    }
    return nullptr;
}

// A combo box asked about before it was named keeps Qt's interface;
// it is made anew.
void useNamedInterface(QComboBox* box) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
    if (iface && !dynamic_cast<NamedComboBox*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

struct Named {
    QWidget* widget;
    QString name;
};

// Prefixes the names that several controls share with `context`, where it
// tells them apart from the rest.
void qualifyShared(std::vector<Named>& named,
                   const std::function<QString(const QWidget*)>& context) {
    QHash<QString, int> count;
    for (const Named& n : named) ++count[n.name];
    for (Named& n : named) {
        if (count.value(n.name) < 2) continue;
        const QString c = context(n.widget);
        if (!c.isEmpty() && c != n.name && !n.name.startsWith(c + QLatin1String(": ")))
            n.name = c + QLatin1String(": ") + n.name;
    }
}

// Names that several controls share: the tooltip's words instead, where
// they tell them apart (two version fields: the transmitter's, the display's).
void nameSharedByTip(std::vector<Named>& named) {
    QHash<QString, int> count;
    for (const Named& n : named) ++count[n.name];
    for (Named& n : named) {
        if (count.value(n.name) < 2) continue;
        const QString tip = tipCaption(n.widget);
        if (!tip.isEmpty() && tip != n.name) n.name = tip;
    }
}

// Whatever is still shared is numbered, in the order of the controls.
void numberShared(std::vector<Named>& named) {
    QHash<QString, int> count;
    for (const Named& n : named) ++count[n.name];
    QHash<QString, int> seen;
    for (Named& n : named) {
        if (count.value(n.name) < 2) continue;
        const QString name = n.name;
        n.name += QLatin1Char(' ') + QString::number(++seen[name]);
    }
}

}  // namespace

void nameControls(QtGadgets& gadgets, const FieldCaptions& captions) {
    static const bool installed = [] {
        QAccessible::installFactory(namedControls);
        return true;
    }();
    Q_UNUSED(installed)
    QHash<const QWidget*, QString> byField;
    UnitLabels units;
    const FieldControlNames* const first = fieldControlNamesBegin();
    const FieldControlNames* const last = fieldControlNamesEnd();
    for (const FieldControlNames* f = first; f != last; ++f) {
        if (const QWidget* unit = gadgets.widget(controlsOf(QLatin1String(f->field)).unit))
            units.insert(unit);
    }
    const auto row = [&units](const QWidget* w) { return rowCaption(w, units); };
    for (const FieldControlNames* f = first; f != last; ++f) {
        const QString field = QLatin1String(f->field);
        const FieldControls& controls = controlsOf(field);
        const QWidget* w = gadgets.widget(controls.control);
        if (!w || byField.contains(w)) continue;
        QString caption = spoken(captions.value(field));
        if (caption.isEmpty() && controls.label >= 0)
            caption = spoken(gadgets.text(controls.label));
        if (!caption.isEmpty()) byField.insert(w, caption);
    }

    std::vector<Named> named;
    for (const ControlInfo* c = controlsBegin(); c != controlsEnd(); ++c) {
        QWidget* w = gadgets.widget(c->number);
        if (!w || !takesInput(w)) continue;
        QString name = byField.value(w);
        if (name.isEmpty()) {
            if (const auto* b = qobject_cast<const QAbstractButton*>(w)) name = spoken(b->text());
        }
        if (name.isEmpty()) name = row(w);
        if (name.isEmpty()) name = frameCaption(w);
        if (name.isEmpty()) name = QString::fromLatin1(c->name);
        named.push_back({w, name});
    }
    qualifyShared(named, row);
    qualifyShared(named, frameCaption);
    nameSharedByTip(named);
    qualifyShared(named, tabCaption);
    numberShared(named);

    for (const Named& n : named) {
        if (auto* box = qobject_cast<QComboBox*>(n.widget)) useNamedInterface(box);
        n.widget->setAccessibleName(n.name);
        n.widget->setAccessibleDescription(plainTip(n.widget->toolTip()));
        // Found by its name: a class without its own meta-object cannot be
        // looked for by type.
        const QString follows = QStringLiteral("descriptionFollowsTip");
        if (!n.widget->findChild<QObject*>(follows, Qt::FindDirectChildrenOnly)) {
            auto* follower = new DescriptionFollowsTip(n.widget);
            follower->setObjectName(follows);
            n.widget->installEventFilter(follower);
        }
    }
}

}  // namespace zh
