#pragma once
// The transmitter's transfer diagram on the Graph tab. In table mode
// (calculation method 1) its converter counts run across, from the table's
// first to its last point, and the measurand up over the nominal range:
// the AGW table gives the counts at each tenth of that range, and the line
// follows its eleven points. Otherwise the measurand runs across the
// nominal and measuring ranges and the loop current up: the measuring
// range maps onto 4 to 20 mA, the current staying there beyond it.

#include <QSize>
#include <array>

#include "ui/diagrams/diagram_canvas.h"

namespace zh {

class FieldTable;
struct LiveState;

// NaN marks a value the field table does not hold; it is left out.
struct TransmitterDiagramValues {
    bool tableMode = false;
    std::array<double, 11> table{};               // AGW0 ... AGW10, converter counts
    double nominalLow, nominalHigh;               // TNomRangeLow / TNomRangeHigh
    double measuringLow, measuringHigh;           // TMeasRangeLow / TMeasRangeHigh
    double currentLow = 4.0, currentHigh = 20.0;  // mA at the measuring range's ends
    // The last poll: converter counts (table mode), primary value, loop current.
    double liveAD, liveValue, liveCurrent;
};

TransmitterDiagramValues transmitterDiagramValues(const FieldTable& fields, const LiveState& live);

Diagram drawTransmitterGraph(const TransmitterDiagramValues& v, QSize size);

}  // namespace zh
