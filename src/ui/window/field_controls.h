#pragma once
// The window's binding of fields to controls: which control shows a field,
// which field a control shows, and every control entered into the field
// table as a record of its own (shared with the field it shows), so that
// the diagnostics can report on any control by its record. The model knows its fields by
// name only; the numbers live here and in the control table.

#include <QRect>
#include <QStringList>

#include "ui/window/control_table.h"

namespace zh {

class FieldTable;
class Gadgets;
struct FieldRecord;

// The controls of a field by number: the control that shows it (0 for
// none), its label and unit labels (-1 for none). `listed` is false for a
// field the window has no controls for.
struct FieldControls {
    bool listed = false;
    int control = 0;
    int label = -1;
    int unit = -1;
};
const FieldControls& controlsOf(const QString& field);

// The control that shows field `r`; 0 for a record the last definition
// pass did not show.
int boundControl(const FieldRecord& r);
// The shown field that control `control` shows; nullptr for none.
const FieldRecord* boundField(const FieldTable& fields, int control);
FieldRecord* boundField(FieldTable& fields, int control);
// The index of the record of control `control`: the field it shows, else
// the record registerControls entered for it; -1 for none.
int recordOfControl(const FieldTable& fields, int control);

// Enters every control into the field table under its number written in
// decimal. A field shown by a control shares that record, so it carries the
// same values.
void registerControls(FieldTable& fields);

// The control of record `index`: the one that shows its field, else the
// one registerControls entered the record for; nullptr for none.
const ControlInfo* controlOfRecord(const FieldTable& fields, int index);

// Where the control of record `index` sits: its tab panel and tab (-1
// outside the tab panel), and its place and size in the design, as
// `gadgets` has the bound control or else as the control table has it.
// All zero for a record without a control.
struct ControlPlace {
    int panel = 0;
    int tab = 0;
    QRect rect;
};
ControlPlace placeOf(const FieldTable& fields, int index, const Gadgets* gadgets = nullptr);

// What is wrong with the window's list of field controls: a control name
// the control table does not know, a shown field without a control, a
// listed field the field list does not show. Empty for a sound list.
QStringList fieldControlProblems();

}  // namespace zh
