#pragma once
// The frame every diagram is drawn on: grey background, plot area, grid
// with labelled major lines and ticks, and up to four horizontal
// reference lines. The caller draws its curves on top through toPixel().

#include <QImage>
#include <QPoint>
#include <QSize>
#include <array>

#include "model/nice_scale.h"

namespace zh {

struct DiagramMargins {
    int left = 40, right = 100, top = 20, bottom = 80;
};

struct Diagram {
    QImage image;  // null when the size leaves no plot area
    AxisScale x, y;
    QPoint origin;  // lower left corner of the plot area
    int plotWidth = 0, plotHeight = 0;

    QPoint toPixel(double wx, double wy) const;
};

// A reference line at a value of 9999998 or more is not drawn.
constexpr double kNoReferenceLine = 9999999.0;

Diagram DrawDiagram(QSize size, const AxisScale& x, const AxisScale& y, const std::array<double, 4>& references,
                    const DiagramMargins& margins = {});

}  // namespace zh
