#include "ui/window/field_controls.h"

#include <QHash>

#include "app/gadgets.h"
#include "model/field_definitions.h"
#include "model/field_table.h"
#include "ui/window/field_control_list.h"

namespace zh {
namespace {

// The number of the control named `name`; `none` for "" or an unknown name.
int numberOf(const char* name, int none) {
    if (*name == '\0') return none;
    const int number = controlNumber(QLatin1String(name));
    return number < 0 ? none : number;
}

// Both directions of the window's list, worked out once: the list and the
// control table are fixed, and every refresh of a field asks for them.
struct Binding {
    QHash<QString, FieldControls> byField;
    QHash<int, QString> fieldOfControl;
};

const Binding& binding() {
    static const Binding b = [] {
        Binding made;
        for (const FieldControlNames* it = fieldControlNamesBegin(); it != fieldControlNamesEnd();
             ++it) {
            const FieldControls c{true, numberOf(it->control, 0), numberOf(it->label, -1),
                                  numberOf(it->unit, -1)};
            made.byField.insert(QLatin1String(it->field), c);
            if (c.control > 0) made.fieldOfControl.insert(c.control, QLatin1String(it->field));
        }
        return made;
    }();
    return b;
}

}  // namespace

const FieldControls& controlsOf(const QString& field) {
    static const FieldControls unlisted;
    const auto& byField = binding().byField;
    const auto it = byField.constFind(field);
    return it == byField.constEnd() ? unlisted : *it;
}

int boundControl(const FieldRecord& r) {
    return r.RecordPos > 0 ? controlsOf(r.Name).control : 0;
}

const FieldRecord* boundField(const FieldTable& fields, int control) {
    const QString name = binding().fieldOfControl.value(control);
    const int index = name.isEmpty() ? -1 : fields.find(name);
    return index >= 0 && fields.at(index).RecordPos > 0 ? &fields.at(index) : nullptr;
}

FieldRecord* boundField(FieldTable& fields, int control) {
    return const_cast<FieldRecord*>(boundField(std::as_const(fields), control));
}

int recordOfControl(const FieldTable& fields, int control) {
    if (const FieldRecord* f = boundField(fields, control)) return fields.find(f->Name);
    return fields.find(QString::number(control));
}

void registerControls(FieldTable& fields) {
    const auto& fieldOfControl = binding().fieldOfControl;
    for (const ControlInfo* it = controlsBegin(); it != controlsEnd(); ++it) {
        const ControlInfo& c = *it;
        const QString key = QString::number(c.number);
        const QString field = fieldOfControl.value(c.number);
        // The control's own record comes first, then one its field already has.
        int index = fields.find(key);
        if (index < 0 && !field.isEmpty()) index = fields.find(field);
        if (index < 0) index = fields.fieldIndexOf(key);
        fields.addKey(key, index);
        if (!field.isEmpty()) fields.addKey(field, index);
    }
}

const ControlInfo* controlOfRecord(const FieldTable& fields, int index) {
    if (index <= 0 || index > fields.count()) return nullptr;
    if (const int bound = boundControl(fields.at(index))) return findControl(bound);
    for (const ControlInfo* it = controlsBegin(); it != controlsEnd(); ++it) {
        if (fields.find(QString::number(it->number)) == index) return it;
    }
    return nullptr;
}

ControlPlace placeOf(const FieldTable& fields, int index, const Gadgets* gadgets) {
    ControlPlace place;
    const ControlInfo* c = controlOfRecord(fields, index);
    if (!c) return place;
    place.panel = c->panel;
    place.tab = c->tab;
    place.rect = QRect(c->x, c->y, c->width, c->height);
    const int bound = boundControl(fields.at(index));
    if (gadgets && bound > 0 && gadgets->exists(bound)) place.rect = gadgets->geometry(bound);
    return place;
}

QStringList fieldControlProblems() {
    QStringList problems;
    const QStringList shown = shownFieldNames();
    for (const FieldControlNames* it = fieldControlNamesBegin(); it != fieldControlNamesEnd();
         ++it) {
        const QString field = QLatin1String(it->field);
        for (const char* control : {it->control, it->label, it->unit}) {
            if (*control != '\0' && controlNumber(QLatin1String(control)) < 0)
                problems << field + QStringLiteral(": no control ") + QLatin1String(control);
        }
        if (!shown.contains(field)) problems << field + QStringLiteral(": not shown");
    }
    for (const QString& field : shown) {
        if (controlsOf(field).control <= 0) problems << field + QStringLiteral(": no control");
    }
    return problems;
}

}  // namespace zh
