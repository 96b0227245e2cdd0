#pragma once
// The display module's transfer diagram on the Graph tab: converter counts
// across, the measurand up, with the module's range, nominal range, the
// set and reset points of switch 1 and the live point.

#include <QImage>
#include <QSize>

namespace zh {

class FieldTable;

// NaN marks a value the field table does not hold; it is left out.
struct DisplayDiagramValues {
    double lowerRangeVal, upperRangeVal;      // measurand at the range ends
    double lowerRangeAD, upperRangeAD;        // their converter counts
    double nominalLow, nominalHigh;
    double setPoint1, resetPoint1;
    double liveAD, liveValue;                 // the last value polled
};

DisplayDiagramValues displayDiagramValues(const FieldTable& fields, int actAD);

QImage HartGraphDisplay(const DisplayDiagramValues& v, QSize size);

}  // namespace zh
