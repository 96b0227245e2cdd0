#pragma once
// Window controls the model addresses directly, by their names in the
// control table. A control bound to a field is normally reached through the
// field's GadID; these are the fallback when the field is missing, and the
// only way to reach controls that no field is bound to.

#include "app/control_registry.h"

namespace zh::gadget {

// device-type (configuration) combobox
inline int DevType() {
    return controlNumber(QStringLiteral("CmbDevType"));
}
// calculation-method combobox
inline int CalcMethod() {
    return controlNumber(QStringLiteral("CmbCalcMethod"));
}
// description of the selected configuration
inline int MeasElemConfigName() {
    return controlNumber(QStringLiteral("MeasElemConfigName"));
}
// "Test input" window: slider and number field
inline int TstSlider() {
    return controlNumber(QStringLiteral("TstSlider"));
}
inline int TstInput() {
    return controlNumber(QStringLiteral("TstInput"));
}

}  // namespace zh::gadget
