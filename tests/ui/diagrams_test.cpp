// The two transfer diagrams of the Graph tab, drawn from values as the
// field table and the live display give them. With ZH_DIAGRAM_SHOTS set to
// a folder, every picture is also written there as a PNG to look at.

#include <gtest/gtest.h>

#include <QDir>
#include <cmath>
#include <limits>

#include "ui/diagrams/display_diagram.h"
#include "ui/diagrams/transmitter_diagram.h"

namespace zh {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const QSize kControl(460, 310);

void keep(const Diagram& d, const char* name) {
    const QString dir = qEnvironmentVariable("ZH_DIAGRAM_SHOTS");
    if (dir.isEmpty() || d.image.isNull()) return;
    QDir().mkpath(dir);
    d.image.save(QDir(dir).filePath(QLatin1String(name) + QStringLiteral(".png")));
}

// The live point is drawn where its values map to, inside the plot.
void expectLivePointAt(const Diagram& d, double x, double y) {
    ASSERT_FALSE(d.image.isNull()) << qPrintable(d.failure);
    const QPoint at = d.toPixel(x, y);
    EXPECT_GE(at.x(), d.origin.x());
    EXPECT_LE(at.x(), d.right());
    EXPECT_GE(at.y(), d.top());
    EXPECT_LE(at.y(), d.origin.y());
    EXPECT_EQ(d.image.pixelColor(at), QColor(Qt::yellow)) << at.x() << "," << at.y();
}

TEST(Diagrams, DisplayDiagramForRangesSmallLargeAndNegative) {
    struct Row {
        const char* name;
        double low, high;
    } rows[] = {{"display-pressure-0-16bar", 0, 16},
                {"display-negative--100--20", -100, -20},
                {"display-tiny-0-0.01", 0, 0.01},
                {"display-huge-0-100000", 0, 100000}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const DisplayDiagramValues v{r.low,
                                     r.high,
                                     4000,
                                     20000,
                                     r.low,
                                     r.high,
                                     r.low + 0.6 * (r.high - r.low),
                                     r.low + 0.55 * (r.high - r.low),
                                     12000};
        const Diagram d = drawDisplayGraph(v, kControl);
        keep(d, r.name);
        expectLivePointAt(d, 12000, (r.low + r.high) / 2);
    }
}

TEST(Diagrams, TransmitterDiagramInTableAndRangeMode) {
    TransmitterDiagramValues table;
    table.tableMode = true;
    table.table = {-25000, -20060, -15100, -10130, -5150, -160, 4840, 9850, 14870, 19920, 25000};
    table.nominalLow = -50, table.nominalHigh = 250, table.measuringLow = 0,
    table.measuringHigh = 150;
    table.liveAD = 4840, table.liveValue = 130, table.liveCurrent = 17.9;
    Diagram d = drawTransmitterGraph(table, kControl);
    keep(d, "transmitter-temperature-table");
    expectLivePointAt(d, 4840, 130);

    struct Row {
        const char* name;
        double nomLow, nomHigh, low, high, pv, mA;
    } rows[] = {{"transmitter-pressure-0-10-of-16bar", 0, 16, 0, 10, 5, 12},
                {"transmitter-negative--1-25bar", -1, 25, -1, 25, -0.5, 4.31},
                {"transmitter-tiny-0-0.01", 0, 0.01, 0, 0.01, 0.005, 12},
                {"transmitter-huge-0-100000", 0, 100000, 0, 100000, 25000, 8},
                {"transmitter-falling-100-0", kNaN, kNaN, 100, 0, 75, 8}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TransmitterDiagramValues v;
        v.nominalLow = r.nomLow, v.nominalHigh = r.nomHigh, v.measuringLow = r.low,
        v.measuringHigh = r.high;
        v.liveAD = 0, v.liveValue = r.pv, v.liveCurrent = r.mA;
        d = drawTransmitterGraph(v, kControl);
        keep(d, r.name);
        expectLivePointAt(d, r.pv, r.mA);
    }
}

// A control with no room for the picture or its plot gets none, and says why.
TEST(Diagrams, NoPictureWithoutRoom) {
    const DisplayDiagramValues v{0, 16, 4000, 20000, 0, 16, 10, 9, 12000};
    EXPECT_EQ(drawDisplayGraph(v, QSize(0, 0)).failure, "Create Image failed");
    const Diagram small = drawDisplayGraph(v, QSize(120, 90));
    EXPECT_TRUE(small.image.isNull());
    EXPECT_EQ(small.failure, "Drawing failed");
}

}  // namespace
}  // namespace zh
