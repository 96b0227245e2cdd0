#pragma once
// The application check: an entry that passed its type check lands in its
// field (content, raw value, base value, colour state "changed", so that a
// "changes" write sends it) and the fields that depend on it follow: the
// unit pair with a re-format of the measurand fields, the range fields and
// their twins, the nominal range after a confirmation, the switch-point
// limits (checkLimits), the version fields and a few mirrored pairs.

#include <QString>
#include <functional>

#include "model/field_record.h"
#include "model/type_checks.h"

namespace zh {

class ControlRefresh;
struct DeviceModel;

class ApplicationCheck {
  public:
    ApplicationCheck(DeviceModel& model, ControlRefresh& refresh) : m_(model), refresh_(refresh) {}

    // What the check asks of the rest of the window. Unset hooks do nothing.
    struct Hooks {
        // The visibility rules after a change of the switch output or of
        // the configuration selector.
        std::function<void()> updateVisibility;
    } hooks;

    // The value as accepted (possibly normalised), or that the entry is
    // kept for correction or undone.
    CheckResult checkApplicationField(const QString& name, const QString& content, int gadId,
                                      const QString& type, const QString& attributes,
                                      const QString& descr, Conversion proc);

    // How checkLimits treats a value outside its interval: asks the user,
    // moves it to the nearest bound without asking, or answers Correct
    // without asking (values the program shows).
    enum class LimitMode { Ask, Adjust, Quiet };
    // Set points, reset points and window limits against their partner and
    // the measuring range.
    CheckResult checkLimits(const QString& name, const QString& content,
                            LimitMode mode = LimitMode::Ask);

    // Sets a field from program code through the same path, without the
    // type check. Finds the field by `gadId`, or by `name` when that is <= 0.
    CheckResult updateApplicationField(int gadId, const QString& name, const QString& content);

  private:
    QString store(FieldRecord& f, const QString& content, Conversion proc);
    QString dependents(FieldRecord& f, const QString& content);
    QString unitChange(FieldRecord& f);
    void followTwin(const QString& name);
    CheckResult nominalRange(FieldRecord& f, const QString& content);
    CheckResult rangeValue(FieldRecord& f, const QString& content);
    CheckResult versionField(FieldRecord& f, const QString& content);
    QString deviceSelection(FieldRecord& f);
    double number(const QString& name) const;
    QString rangeUnit() const;
    void followRange();

    DeviceModel& m_;
    ControlRefresh& refresh_;
};

}  // namespace zh
