#include "ui/diagrams/transmitter_diagram.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "model/field_table.h"
#include "model/live_display.h"

namespace zh {
namespace {

const QColor kBlue(0, 0, 255), kRed(255, 0, 0), kGreen(0, 174, 0);

double orDefault(double v, double fallback) {
    return known(v) ? v : fallback;
}
double nominalLow(const TransmitterDiagramValues& v) {
    return orDefault(v.nominalLow, 0.0);
}
double nominalHigh(const TransmitterDiagramValues& v) {
    return orDefault(v.nominalHigh, 100.0);
}
double measuringLow(const TransmitterDiagramValues& v) {
    return orDefault(v.measuringLow, 0.0);
}
double measuringHigh(const TransmitterDiagramValues& v) {
    return orDefault(v.measuringHigh, 100.0);
}

// What the axes must hold.
struct Span {
    double xLow, xHigh, yLow, yHigh;
};

Span tableSpan(const TransmitterDiagramValues& v) {
    const auto [first, last] = std::minmax_element(v.table.begin(), v.table.end());
    return {*first, *last, nominalLow(v), nominalHigh(v)};
}

Span rangeSpan(const TransmitterDiagramValues& v) {
    double lo = std::min(measuringLow(v), measuringHigh(v)),
           hi = std::max(measuringLow(v), measuringHigh(v));
    for (double n : {v.nominalLow, v.nominalHigh}) {
        if (known(n)) lo = std::min(lo, n), hi = std::max(hi, n);
    }
    return {lo, hi, v.currentLow, v.currentHigh};
}

// Curves and markers keep to the plot area (with room for a marker's half).
void clipToPlot(QPainter& p, const Diagram& d) {
    p.setClipRect(QRect(d.origin.x() - 4, d.top() - 4, d.plotWidth + 8, d.plotHeight + 8));
}

// The counts across, the measurand up; the table's points joined.
void drawTable(QPainter& p, const Diagram& d, const TransmitterDiagramValues& v) {
    const double low = nominalLow(v), high = nominalHigh(v);
    const int bottom = d.origin.y();
    p.setPen(kBlue);
    for (const auto& [k, row] : {std::pair{0, 0}, std::pair{10, 1}}) {
        const int px = d.toPixel(v.table[k], d.y.min).x();
        p.drawLine(px, d.top(), px, bottom);
        drawLabel(p, {d.origin.x(), bottom + 30 + 15 * row},
                  QStringLiteral("AGW%1=").arg(k) + labelNumber(v.table[k]), false);
    }
    p.setPen(kRed);
    for (const auto& [value, name] :
         {std::pair{low, "NomRangeLow"}, std::pair{high, "NomRangeHigh"}}) {
        const int py = d.toPixel(d.x.min, value).y();
        p.drawLine(d.origin.x(), py, d.right(), py);
        drawLabel(p, {d.right() + 8, py}, QLatin1String(name), false);
    }
    clipToPlot(p, d);
    p.setPen(QPen(kGreen, 2));
    std::vector<QPoint> points;
    for (std::size_t k = 0; k < v.table.size(); ++k)
        points.push_back(d.toPixel(v.table[k], low + (high - low) * static_cast<double>(k) / 10.0));
    p.drawPolyline(points.data(), static_cast<int>(points.size()));
    p.setPen(kGreen);
    for (const QPoint& at : points) drawMarker(p, at);
    if (known(v.liveAD) && known(v.liveValue)) drawLivePoint(p, d.toPixel(v.liveAD, v.liveValue));
}

// The measurand across, the loop current up.
void drawRange(QPainter& p, const Diagram& d, const TransmitterDiagramValues& v) {
    const double mrLow = measuringLow(v), mrHigh = measuringHigh(v);
    const int bottom = d.origin.y();
    p.setPen(kRed);
    int row = 0;
    for (const auto& [value, name] :
         {std::pair{v.nominalLow, "NomRangeLow="}, std::pair{v.nominalHigh, "NomRangeHigh="}}) {
        if (!known(value)) continue;
        const int px = d.toPixel(value, d.y.min).x();
        p.drawLine(px, d.top(), px, bottom);
        drawLabel(p, {d.origin.x() + 170, bottom + 30 + 15 * row++},
                  QLatin1String(name) + labelNumber(value), false);
    }
    p.setPen(kBlue);
    drawLabel(p, {d.origin.x(), bottom + 30}, QStringLiteral("MRlow=") + labelNumber(mrLow), false);
    drawLabel(p, {d.origin.x(), bottom + 45}, QStringLiteral("MRhigh=") + labelNumber(mrHigh),
              false);
    p.setPen(kRed);
    for (const auto& [value, name] :
         {std::pair{v.currentLow, "Ilow="}, std::pair{v.currentHigh, "Ihigh="}})
        drawLabel(p, {d.right() + 8, d.toPixel(d.x.min, value).y()},
                  QLatin1String(name) + labelNumber(value) + " mA", false);

    clipToPlot(p, d);
    p.setPen(QPen(kGreen, 2));
    const QPoint a = d.toPixel(mrLow, v.currentLow), b = d.toPixel(mrHigh, v.currentHigh);
    // Beyond the measuring range the current stays at its end value.
    const bool rising = mrHigh >= mrLow;
    const QPoint left = rising ? a : b, right = rising ? b : a;
    const QPoint line[] = {{d.origin.x(), left.y()}, left, right, {d.right(), right.y()}};
    p.drawPolyline(line, 4);
    drawMarker(p, a);
    drawMarker(p, b);
    if (known(v.liveValue) && known(v.liveCurrent))
        drawLivePoint(p, d.toPixel(v.liveValue, v.liveCurrent));
}

}  // namespace

TransmitterDiagramValues transmitterDiagramValues(const FieldTable& fields, const LiveState& live) {
    TransmitterDiagramValues v;
    const int method = fields.find(QStringLiteral("CalcMethod"));
    v.tableMode = method >= 0 && fields.at(method).RawVal.trimmed() == QLatin1String("1");
    for (std::size_t k = 0; k < v.table.size(); ++k) {
        v.table[k] = fieldNumber(fields, QStringLiteral("AGW%1").arg(k));
        // A table with a gap cannot be drawn as a line.
        if (!known(v.table[k])) v.tableMode = false;
    }
    v.nominalLow = fieldNumber(fields, QStringLiteral("TNomRangeLow"));
    v.nominalHigh = fieldNumber(fields, QStringLiteral("TNomRangeHigh"));
    v.measuringLow = fieldNumber(fields, QStringLiteral("TMeasRangeLow"));
    v.measuringHigh = fieldNumber(fields, QStringLiteral("TMeasRangeHigh"));
    v.liveAD = live.TransmitterAD;
    v.liveValue = live.PrimaryValue;
    v.liveCurrent = live.LoopCurrent;
    return v;
}

Diagram drawTransmitterGraph(const TransmitterDiagramValues& v, QSize size) {
    const Span s = v.tableMode ? tableSpan(v) : rangeSpan(v);
    // Each axis scaled to its own length on the plot; no reference lines.
    const DiagramMargins margins;
    const double none = kNoReferenceLine;
    Diagram d =
        drawDiagram(size, NiceScale(s.xLow, s.xHigh, size.width() - margins.left - margins.right),
                    NiceScale(s.yLow, s.yHigh, size.height() - margins.top - margins.bottom),
                    {none, none, none, none}, margins);
    if (d.image.isNull()) return d;
    QPainter p(&d.image);
    p.setFont(QFont(QStringLiteral("Arial"), 8));
    if (v.tableMode)
        drawTable(p, d, v);
    else
        drawRange(p, d, v);
    return d;
}

}  // namespace zh
