#pragma once
// The HART engineering unit codes the program names: pressure, temperature,
// current, percent and the other common ones of the protocol's unit table.

#include <QString>
#include <optional>

namespace zh {

// "bar", "degC", "mA", ... for a HART unit code; "unit N" for one not known.
QString unitCodeName(int code);
// The code of a name as unitCodeName gives it (any letter case) or of a
// plain decimal code text; -1 for neither.
int unitCodeOf(const QString& name);
// `value` in unit `from` given in unit `to`, for two pressure or two
// temperature units of the table; nothing for units of different kinds or
// without a known conversion.
std::optional<double> convertUnitCode(double value, int from, int to);

}  // namespace zh
