#pragma once
// The way from the field table to the controls: showFieldsInForm writes field
// contents into their controls after the program changed them, updateAllGadgets
// switches whole attribute groups of controls, syncFields copies values
// between paired fields, and a few operations change single fields at run
// time (unit re-formatting, parameters, stored value sets). Everything goes
// through the Gadgets seam, so it runs the same on widgets and in tests.

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

#include "model/type_checks.h"
#include "ui/window/field_binding.h"

namespace zh {

struct DeviceModel;
struct FieldRecord;

// The checks a field passes on its way into its control; unset checks
// accept the value as it is.
struct RefreshChecks {
    // The check of the field's type and parameters.
    std::function<CheckResult(FieldRecord& field, const QString& text)> typeCheck;
    // The switch-point limits of fields marked "checklimits".
    std::function<CheckResult(const QString& name, const QString& content)> checkLimits;
    // Redraws the live diagram when it is shown (after every refresh).
    std::function<void()> redrawDiagram;
};

// The base value of an entry: its content in the field's base unit; empty
// for an empty entry or a field without a base unit.
QString editedBaseValue(DeviceModel& m, const FieldRecord& f);

class ControlRefresh {
  public:
    explicit ControlRefresh(DeviceModel& model) : m_(model) {}

    RefreshChecks checks;
    FieldCaptions captions;  // what the model's caption hook answers with

    // Lets the model push every field into its control (refreshAllControls).
    void installModelHooks();

    // Selectors: "" every bound field; "gadid=<number>" or "gadname=<field>"
    // one field (the key in any case); "new" rebuilds the table with its
    // defaults first, then writes every field. Unknown fields are ignored.
    void showFieldsInForm(const QString& selector = QString());

    // Actions, ";"-separated: "enable", "disable" (also "enabled",
    // "disabled"), "writeable" (editable again), "readonly" (the
    // not-editable colours, and no more input), "hide", "setcolor" (paint
    // only).
    // `range` "all" or an attribute group such as "ADMIN;". Unless
    // `colindx` is -1 (or the field has a fixed "ColorIndex="), each control
    // is then painted with `colindx` and its state word.
    void updateAllGadgets(const QString& action, const QString& range, int colindx);

    // How syncFields copies: the values without touching the controls,
    // the raw values only, or the values and the targets' controls.
    enum class SyncMode { Copy, RawOnly, Update };
    // "target=source;..." pairs.
    void syncFields(const QString& gadlist, SyncMode mode);

    // Re-formats the ";"-listed fields in unit `unitCode` of the display
    // units, marks them changed and rewrites their controls. Fields shown in
    // "[%]" or "[mA]" keep their value.
    void updateUnitFormFields(const QString& fields, int unitCode);

    // Replaces the type parameters of field `gadName`; for a combo box also
    // its entry list, and (when `defval` is not empty) its default, which
    // the field takes when its value is not in the new list.
    void setGadParams(const QString& gadName, const QString& params, const QString& defval);

    // Stored value sets: storeValues keeps the contents of every bound field
    // and returns the set's index; setValues loads a set back into the
    // fields and their controls. False for an unknown index.
    int storeValues();
    bool setValues(int listIndex);

  private:
    void writeFields(const std::vector<int>& indices);
    void writeField(FieldRecord& f);
    QString checked(FieldRecord& f, QString text, bool* failed);
    bool switchControl(FieldRecord& f, const QString& action);

    DeviceModel& m_;
    std::vector<QHash<QString, QString>> valueSets_;
};

}  // namespace zh
