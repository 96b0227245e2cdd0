#include "ui/diagrams/diagram_canvas.h"

#include <QFont>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "app/number_text.h"
#include "model/field_table.h"

namespace zh {
namespace {

const QColor kBackground(191, 191, 191);
const QColor kPlotArea(232, 232, 232);
// Larger pictures than this are refused rather than allocated.
constexpr int kLargestSide = 8192;

double along(const AxisScale& a, int step, int steps) {
    return a.min + (a.max - a.min) * step / steps;
}

// Whole numbers, unless the grid is finer than one unit.
QString label(double v, const AxisScale& a) {
    const double step = a.segments > 0 ? (a.max - a.min) / a.segments : 1.0;
    const int decimals =
        step > 0 && step < 1 ? static_cast<int>(std::ceil(-std::log10(step) - 1e-9)) : 0;
    // No "-0" for a line at zero that rounding noise put just below it.
    if (std::fabs(v) < step * 1e-6) v = 0.0;
    return QString::number(v, 'f', decimals);
}

}  // namespace

QPoint Diagram::toPixel(double wx, double wy) const {
    const double fx = x.max > x.min ? (wx - x.min) / (x.max - x.min) : 0.0;
    const double fy = y.max > y.min ? (wy - y.min) / (y.max - y.min) : 0.0;
    // Far outside the plot a point still maps to a pixel the painter takes.
    const auto pixel = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6)));
    };
    return {pixel(fx * plotWidth) + origin.x(), origin.y() - pixel(fy * plotHeight)};
}

Diagram drawDiagram(QSize size, const AxisScale& x, const AxisScale& y,
                    const std::array<double, 4>& references, const DiagramMargins& margins) {
    Diagram d;
    d.x = x;
    d.y = y;
    if (size.width() <= 0 || size.height() <= 0 || size.width() > kLargestSide ||
        size.height() > kLargestSide) {
        d.failure = QStringLiteral("Create Image failed");
        return d;
    }
    d.plotWidth = size.width() - margins.left - margins.right;
    d.plotHeight = size.height() - margins.top - margins.bottom;
    d.origin = QPoint(margins.left, size.height() - margins.bottom);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        d.failure = QStringLiteral("Create Image failed");
        return d;
    }
    if (d.plotWidth <= 0 || d.plotHeight <= 0) {
        d.failure = QStringLiteral("Drawing failed");
        return d;
    }
    image.fill(kBackground);

    QPainter p(&image);
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
            p.drawText(QRect(0, py - 8, ox - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                       label(along(y, i, ySteps), y));
        } else {
            p.drawLine(ox - 5, py, ox, py);
        }
    }
    const int xSteps = std::max(1, x.segments * x.subSegments);
    const int xSub = std::max(1, x.subSegments);
    // Long numbers on a dense grid: only every n-th line is labelled, so
    // that no label runs into its neighbour.
    int widest = 0;
    for (int i = 0; i <= xSteps; i += xSub)
        widest = std::max(widest, p.fontMetrics().horizontalAdvance(label(along(x, i, xSteps), x)));
    const double segmentPixels = double(d.plotWidth) / std::max(1, x.segments);
    const int stride =
        std::max(1, static_cast<int>(std::ceil((widest + 6) / std::max(1.0, segmentPixels))));
    for (int i = 0; i <= xSteps; ++i) {
        const int px = ox + static_cast<int>(std::lround(double(d.plotWidth) * i / xSteps));
        if (i % xSub == 0) {
            p.drawLine(px, oy + 8, px, oy - d.plotHeight);
            if ((i / xSub) % stride == 0)
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
    p.end();
    d.image = image;
    return d;
}

double fieldNumber(const FieldTable& fields, const QString& name) {
    const int i = fields.find(name);
    if (i < 0) return std::numeric_limits<double>::quiet_NaN();
    QString text = fields.at(i).Content.trimmed();
    const int unit = text.indexOf(QLatin1Char('['));
    if (unit >= 0) text.truncate(unit);
    bool ok = false;
    const double v = parseEnteredNumber(text, &ok);
    return ok ? v : std::numeric_limits<double>::quiet_NaN();
}

void drawLabel(QPainter& p, QPoint at, const QString& text, bool centred) {
    const int width = p.fontMetrics().horizontalAdvance(text) + 2;
    const int left = centred ? at.x() - width / 2 : at.x();
    p.drawText(QRect(left, at.y() - 8, width, 16), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void drawMarker(QPainter& p, QPoint at) {
    p.drawRect(at.x() - 3, at.y() - 3, 6, 6);
}

void drawLivePoint(QPainter& p, QPoint at) {
    p.save();
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::yellow);
    p.drawEllipse(at, 5, 5);
    p.restore();
}

QString labelNumber(double v) {
    return QString::number(v, 'g', 6);
}

}  // namespace zh
