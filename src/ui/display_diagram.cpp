#include "display_diagram.h"

#include <QPainter>
#include <cmath>
#include <limits>

#include "model/field_table.h"
#include "ui/diagram_canvas.h"

namespace zh {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The converter counts of 4 mA and 20 mA.
constexpr double kAD4mA = 4000, kAD20mA = 20000;
constexpr int kAxisPixels = 320;
const QColor kBlue(0, 0, 255), kRed(255, 0, 0), kGreen(0, 174, 0);

double number(const FieldTable& fields, const char* name) {
    const int i = fields.find(QLatin1String(name));
    if (i < 0) return kNaN;
    QString text = fields.at(i).Content.trimmed();
    const int unit = text.indexOf(QLatin1Char('['));
    if (unit >= 0) text.truncate(unit);
    bool ok = false;
    const double v = text.trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? v : kNaN;
}

bool known(double v) { return std::isfinite(v); }
double orNoLine(double v) { return known(v) ? v : kNoReferenceLine; }

void marker(QPainter& p, QPoint at) { p.drawRect(at.x() - 3, at.y() - 3, 6, 6); }

}  // namespace

DisplayDiagramValues displayDiagramValues(const FieldTable& fields, int actAD) {
    DisplayDiagramValues v;
    v.lowerRangeVal = number(fields, "LowerRangeVal");
    v.upperRangeVal = number(fields, "UpperRangeVal");
    v.lowerRangeAD = number(fields, "LowerRangeADVal");
    v.upperRangeAD = number(fields, "UpperRangeADVal");
    v.nominalLow = number(fields, "NominalRangeLow");
    v.nominalHigh = number(fields, "NominalRangeHigh");
    v.setPoint1 = number(fields, "SetPoint1");
    v.resetPoint1 = number(fields, "ResetPoint1");
    v.liveAD = actAD;
    v.liveValue = number(fields, "ADactRaw");
    return v;
}

QImage HartGraphDisplay(const DisplayDiagramValues& v, QSize size) {
    const AxisScale x = NiceScale(kAD4mA, kAD20mA, kAxisPixels);
    const AxisScale y = NiceScale(known(v.lowerRangeVal) ? v.lowerRangeVal : 0.0,
                                  known(v.upperRangeVal) ? v.upperRangeVal : 1.0, kAxisPixels);
    Diagram d = DrawDiagram(size, x, y, {orNoLine(v.setPoint1), orNoLine(v.resetPoint1), kNoReferenceLine, kNoReferenceLine});
    if (d.image.isNull()) return d.image;

    QPainter p(&d.image);
    p.setFont(QFont(QStringLiteral("Arial"), 8));
    const int top = d.origin.y() - d.plotHeight, bottom = d.origin.y();
    const int right = d.origin.x() + d.plotWidth;
    const auto textAt = [&p](int cx, int cy, const QString& text, int align) {
        p.drawText(QRect(cx - (align & Qt::AlignLeft ? 0 : 60), cy - 8, 120, 16), align | Qt::AlignVCenter, text);
    };

    p.setPen(kBlue);
    for (const auto& [ad, name] : {std::pair{kAD4mA, "ADLow"}, std::pair{kAD20mA, "ADHigh"}}) {
        const int px = d.toPixel(ad, y.min).x();
        p.drawLine(px, top, px, bottom);
        textAt(px, bottom + 30, QLatin1String(name), Qt::AlignHCenter);
    }
    if (known(v.lowerRangeAD)) textAt(d.origin.x(), bottom + 45, QStringLiteral("ADSlr=%1").arg(v.lowerRangeAD), Qt::AlignLeft);
    if (known(v.upperRangeAD)) textAt(d.origin.x(), bottom + 60, QStringLiteral("ADSur=%1").arg(v.upperRangeAD), Qt::AlignLeft);

    p.setPen(kRed);
    for (const auto& [value, name] : {std::pair{v.nominalLow, "NomRangeLow"}, std::pair{v.nominalHigh, "NomRangeHigh"}}) {
        if (!known(value)) continue;
        const int py = d.toPixel(x.min, value).y();
        if (py < top || py > bottom) continue;
        p.drawLine(d.origin.x(), py, right, py);
        textAt(right + 20, py, QLatin1String(name), Qt::AlignLeft);
    }
    for (const auto& [value, name] : {std::pair{v.lowerRangeVal, "Slr="}, std::pair{v.upperRangeVal, "Sur="}}) {
        if (known(value)) textAt(right + 20, d.toPixel(x.min, value).y() + (value == v.lowerRangeVal ? 14 : -14),
                                 QLatin1String(name) + QString::number(value), Qt::AlignLeft);
    }

    p.setClipRect(QRect(d.origin.x() - 4, top - 4, d.plotWidth + 8, d.plotHeight + 8));
    if (known(v.lowerRangeAD) && known(v.upperRangeAD) && known(v.lowerRangeVal) && known(v.upperRangeVal)) {
        p.setPen(QPen(kGreen, 2));
        const QPoint a = d.toPixel(v.lowerRangeAD, v.lowerRangeVal), b = d.toPixel(v.upperRangeAD, v.upperRangeVal);
        p.drawLine(a, b);
        marker(p, a);
        marker(p, b);
    }
    if (known(v.liveAD) && known(v.liveValue) && v.liveAD != 0) {
        p.setPen(QPen(Qt::black, 2));
        p.setBrush(Qt::yellow);
        p.drawEllipse(d.toPixel(v.liveAD, v.liveValue), 5, 5);
    }
    return d.image;
}

}  // namespace zh
