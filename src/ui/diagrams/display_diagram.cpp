#include "ui/diagrams/display_diagram.h"

#include <QPainter>

#include "model/field_table.h"

namespace zh {
namespace {

// The converter counts of 4 mA and 20 mA.
constexpr double kAD4mA = 4000, kAD20mA = 20000;
constexpr int kAxisPixels = 320;
const QColor kBlue(0, 0, 255), kRed(255, 0, 0), kGreen(0, 174, 0);

double orNoLine(double v) {
    return known(v) ? v : kNoReferenceLine;
}

}  // namespace

DisplayDiagramValues displayDiagramValues(const FieldTable& fields, int actAD) {
    DisplayDiagramValues v;
    v.lowerRangeVal = fieldNumber(fields, QStringLiteral("LowerRangeVal"));
    v.upperRangeVal = fieldNumber(fields, QStringLiteral("UpperRangeVal"));
    v.lowerRangeAD = fieldNumber(fields, QStringLiteral("LowerRangeADVal"));
    v.upperRangeAD = fieldNumber(fields, QStringLiteral("UpperRangeADVal"));
    v.nominalLow = fieldNumber(fields, QStringLiteral("NominalRangeLow"));
    v.nominalHigh = fieldNumber(fields, QStringLiteral("NominalRangeHigh"));
    v.setPoint1 = fieldNumber(fields, QStringLiteral("SetPoint1"));
    v.resetPoint1 = fieldNumber(fields, QStringLiteral("ResetPoint1"));
    v.liveAD = actAD;
    return v;
}

Diagram drawDisplayGraph(const DisplayDiagramValues& v, QSize size) {
    const AxisScale x = NiceScale(kAD4mA, kAD20mA, kAxisPixels);
    const AxisScale y = NiceScale(known(v.lowerRangeVal) ? v.lowerRangeVal : 0.0,
                                  known(v.upperRangeVal) ? v.upperRangeVal : 1.0, kAxisPixels);
    Diagram d = drawDiagram(
        size, x, y,
        {orNoLine(v.setPoint1), orNoLine(v.resetPoint1), kNoReferenceLine, kNoReferenceLine});
    if (d.image.isNull()) return d;

    QPainter p(&d.image);
    p.setFont(QFont(QStringLiteral("Arial"), 8));
    const int top = d.top(), bottom = d.origin.y(), right = d.right();

    p.setPen(kBlue);
    for (const auto& [ad, name] : {std::pair{kAD4mA, "ADLow"}, std::pair{kAD20mA, "ADHigh"}}) {
        const int px = d.toPixel(ad, y.min).x();
        p.drawLine(px, top, px, bottom);
        drawLabel(p, {px, bottom + 30}, QLatin1String(name), true);
    }
    if (known(v.lowerRangeAD))
        drawLabel(p, {d.origin.x(), bottom + 45},
                  QStringLiteral("ADSlr=") + labelNumber(v.lowerRangeAD), false);
    if (known(v.upperRangeAD))
        drawLabel(p, {d.origin.x(), bottom + 60},
                  QStringLiteral("ADSur=") + labelNumber(v.upperRangeAD), false);

    p.setPen(kRed);
    for (const auto& [value, name] :
         {std::pair{v.nominalLow, "NomRangeLow"}, std::pair{v.nominalHigh, "NomRangeHigh"}}) {
        if (!known(value)) continue;
        const int py = d.toPixel(x.min, value).y();
        if (py < top || py > bottom) continue;
        p.drawLine(d.origin.x(), py, right, py);
        drawLabel(p, {right + 8, py}, QLatin1String(name), false);
    }
    for (const auto& [value, name] :
         {std::pair{v.lowerRangeVal, "Slr="}, std::pair{v.upperRangeVal, "Sur="}}) {
        // Above its line, clear of the axis labels below the plot.
        if (known(value))
            drawLabel(p, {right + 8, d.toPixel(x.min, value).y() - 14},
                      QLatin1String(name) + labelNumber(value), false);
    }

    p.setClipRect(QRect(d.origin.x() - 4, top - 4, d.plotWidth + 8, d.plotHeight + 8));
    const bool line = known(v.lowerRangeAD) && known(v.upperRangeAD) && known(v.lowerRangeVal) &&
                      known(v.upperRangeVal);
    if (line) {
        p.setPen(QPen(kGreen, 2));
        const QPoint a = d.toPixel(v.lowerRangeAD, v.lowerRangeVal),
                     b = d.toPixel(v.upperRangeAD, v.upperRangeVal);
        p.drawLine(a, b);
        drawMarker(p, a);
        drawMarker(p, b);
    }
    // The live point sits on the transfer line: the measurand the module
    // makes of its converter value.
    if (line && known(v.liveAD) && v.liveAD != 0 && v.upperRangeAD != v.lowerRangeAD) {
        const double f = (v.liveAD - v.lowerRangeAD) / (v.upperRangeAD - v.lowerRangeAD);
        drawLivePoint(
            p, d.toPixel(v.liveAD, v.lowerRangeVal + f * (v.upperRangeVal - v.lowerRangeVal)));
    }
    return d;
}

}  // namespace zh
