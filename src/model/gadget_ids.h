#pragma once
// Numbers of window controls the model addresses directly. A control bound
// to a field is normally reached through the field's GadID; these numbers
// are the fallback when the field is missing, and the only way to reach
// controls that no field is bound to.

namespace zh::gadget {

constexpr int DevType = 257;             // device-type (configuration) combobox
constexpr int CalcMethod = 306;          // calculation-method combobox
constexpr int MeasElemConfigName = 389;  // description of the selected configuration
constexpr int TstSlider = 397;           // "Test input" window: slider
constexpr int TstInput = 398;            // "Test input" window: number field

}  // namespace zh::gadget
