#include "diagram_canvas.h"

#include <QFont>
#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace zh {
namespace {

const QColor kBackground(191, 191, 191);
const QColor kPlotArea(232, 232, 232);

double along(const AxisScale& a, int step, int steps) { return a.min + (a.max - a.min) * step / steps; }

// Whole numbers, unless the grid is finer than one unit.
QString label(double v, const AxisScale& a) {
    const double step = a.segments > 0 ? (a.max - a.min) / a.segments : 1.0;
    const int decimals = step > 0 && step < 1 ? static_cast<int>(std::ceil(-std::log10(step) - 1e-9)) : 0;
    return QString::number(v, 'f', decimals);
}

}  // namespace

QPoint Diagram::toPixel(double wx, double wy) const {
    const double fx = x.max > x.min ? (wx - x.min) / (x.max - x.min) : 0.0;
    const double fy = y.max > y.min ? (wy - y.min) / (y.max - y.min) : 0.0;
    return {static_cast<int>(std::lround(fx * plotWidth)) + origin.x(),
            origin.y() - static_cast<int>(std::lround(fy * plotHeight))};
}

Diagram DrawDiagram(QSize size, const AxisScale& x, const AxisScale& y, const std::array<double, 4>& references,
                    const DiagramMargins& margins) {
    Diagram d;
    d.x = x;
    d.y = y;
    d.plotWidth = size.width() - margins.left - margins.right;
    d.plotHeight = size.height() - margins.top - margins.bottom;
    if (d.plotWidth <= 0 || d.plotHeight <= 0) return d;
    d.origin = QPoint(margins.left, size.height() - margins.bottom);
    d.image = QImage(size, QImage::Format_RGB32);
    d.image.fill(kBackground);

    QPainter p(&d.image);
    const QRect plot(margins.left, margins.top, d.plotWidth, d.plotHeight);
    p.fillRect(plot, kPlotArea);
    p.setPen(Qt::black);
    p.setBackground(kBackground);
    p.setFont(QFont(QStringLiteral("Arial"), 8));
    const int ox = d.origin.x(), oy = d.origin.y();

    const int ySteps = std::max(1, y.segments * y.subSegments);
    for (int i = 0; i <= ySteps; ++i) {
        const int py = oy - static_cast<int>(std::lround(double(d.plotHeight) * i / ySteps));
        if (i % std::max(1, y.subSegments) == 0) {
            p.drawLine(ox - 5, py, ox + d.plotWidth, py);
            p.drawText(QRect(0, py - 8, ox - 6, 16), Qt::AlignRight | Qt::AlignVCenter, label(along(y, i, ySteps), y));
        } else {
            p.drawLine(ox - 5, py, ox, py);
        }
    }
    const int xSteps = std::max(1, x.segments * x.subSegments);
    for (int i = 0; i <= xSteps; ++i) {
        const int px = ox + static_cast<int>(std::lround(double(d.plotWidth) * i / xSteps));
        if (i % std::max(1, x.subSegments) == 0) {
            p.drawLine(px, oy + 8, px, oy - d.plotHeight);
            p.drawText(QRect(px - 40, oy + 15 - 8, 80, 16), Qt::AlignHCenter | Qt::AlignVCenter,
                       label(along(x, i, xSteps), x));
        } else {
            p.drawLine(px, oy, px, oy + 5);
        }
    }

    p.setClipRect(plot);
    for (std::size_t i = 0; i < references.size(); ++i) {
        if (!(references[i] < 9999998.0)) continue;
        p.setPen(i % 2 == 0 ? Qt::black : Qt::red);
        const int py = d.toPixel(x.min, references[i]).y();
        p.drawLine(ox, py, ox + d.plotWidth, py);
    }
    return d;
}

}  // namespace zh
