#pragma once
// The display module's transfer diagram on the Graph tab: converter counts
// across, the measurand up, with the module's range, nominal range, the
// set and reset points of switch 1 and the live point.

#include <QSize>

#include "ui/diagrams/diagram_canvas.h"

namespace zh {

class FieldTable;

// NaN marks a value the field table does not hold; it is left out.
struct DisplayDiagramValues {
    double lowerRangeVal, upperRangeVal;  // measurand at the range ends
    double lowerRangeAD, upperRangeAD;    // their converter counts
    double nominalLow, nominalHigh;
    double setPoint1, resetPoint1;
    double liveAD;  // the module's last converter value
};

DisplayDiagramValues displayDiagramValues(const FieldTable& fields, int actAD);

Diagram drawDisplayGraph(const DisplayDiagramValues& v, QSize size);

}  // namespace zh
