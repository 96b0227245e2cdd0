#pragma once
// The frame every diagram is drawn on: grey background, plot area, grid
// with labelled major lines and ticks, and up to four horizontal
// reference lines. The caller draws its curves on top through toPixel()
// and the small drawing helpers below.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <array>
#include <cmath>

#include "model/nice_scale.h"

class QPainter;

namespace zh {

class FieldTable;

struct DiagramMargins {
    int left = 40, right = 100, top = 20, bottom = 80;
};

struct Diagram {
    QImage image;  // null when no picture could be made (see failure)
    AxisScale x, y;
    QPoint origin;  // lower left corner of the plot area
    int plotWidth = 0, plotHeight = 0;
    // Why there is no picture: "Create Image failed" (no image of the
    // control's size) or "Drawing failed" (no room for the plot area).
    QString failure;

    QPoint toPixel(double wx, double wy) const;
    int top() const { return origin.y() - plotHeight; }
    int right() const { return origin.x() + plotWidth; }
};

// A reference line at a value of 9999998 or more is not drawn.
constexpr double kNoReferenceLine = 9999999.0;

Diagram drawDiagram(QSize size, const AxisScale& x, const AxisScale& y,
                    const std::array<double, 4>& references, const DiagramMargins& margins = {});

// The number a field shows (its content without the unit); NaN when the
// table has no such field or it holds no number.
double fieldNumber(const FieldTable& fields, const QString& name);
inline bool known(double v) {
    return std::isfinite(v);
}

// Drawing on a diagram, in the painter's pen: a text placed at a point
// (left-aligned from it, or centred on it), a small square marker, and the
// live point (a yellow dot ringed in black).
void drawLabel(QPainter& p, QPoint at, const QString& text, bool centred);
void drawMarker(QPainter& p, QPoint at);
void drawLivePoint(QPainter& p, QPoint at);
// A value for a label: up to six significant digits, no trailing zeros.
QString labelNumber(double v);

}  // namespace zh
