#pragma once
// The colours of the field controls: one foreground/background pair per
// colour index (0 default, 1 changed, 2 read, 3 updated, 10 not editable,
// 15 error, fixed colours above), and setGadColor, which paints a field's
// control by its index.

#include <QString>
#include <optional>

namespace zh {

struct DeviceModel;
struct FieldRecord;

struct GadColours {
    int foreground;  // rgb() values
    int background;
};

// Nothing for an index the table does not hold.
std::optional<GadColours> gadColours(int index);

// A field the user may look at but not edit: its Access is not "enabled"
// (read-only or disabled by its attributes or by the user mode), or it is
// a "displayonly" text. Its control shows the not-editable colours and
// takes no input. A display-only combo box (the display command lists)
// stays a choice.
bool isReadOnlyField(const FieldRecord& f);

// Index forced for a field that may not be edited.
constexpr int kColourNotEditable = 10;
constexpr int kColourError = 15;

// Paints the control of a field, found by control number `gadId` or, when
// that is negative, by `gadName`. A negative `colindx` re-applies the
// field's own ColorIndx; otherwise ColorIndx becomes `colindx` and, when
// `gadstat` is not empty, GadStatus becomes `gadstat`. Fields marked
// "displayonly" keep their colours and state; unknown fields are ignored.
void setGadColor(DeviceModel& m, int gadId, const QString& gadName, int colindx,
                 const QString& gadstat = QString());

}  // namespace zh
