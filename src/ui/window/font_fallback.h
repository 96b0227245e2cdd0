#pragma once
// Fonts by the names the program asks for ("MS Sans Serif", "Arial",
// "Courier New"). Where such a font is not installed, the metric-compatible
// Liberation font takes its place, so texts keep the widths the window was
// laid out for; without that too, Qt's own choice for the family is used.

#include <QFont>
#include <QString>

namespace zh {

// The installed family that stands in for `family`.
QString availableFontFamily(const QString& family);

// `family` (or its stand-in) at `pointSize` points.
QFont programFont(const QString& family, qreal pointSize, bool bold = false);

}  // namespace zh
