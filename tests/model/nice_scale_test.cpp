// Axis scaling: round limits that enclose the range, round steps.

#include "model/nice_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zh {
namespace {

TEST(NiceScale, RoundLimitsAndStepsEncloseTheRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        double lo, hi;
        int px;
        double min, max;
        int segments, sub;
    } rows[] = {
        {0, 0.01, 320, 0, 0.01, 5, 4},
        {0.03, 0.07, 320, 0.03, 0.07, 8, 5},
        {4, 20, 320, 4, 20, 8, 4},
        {0, 100, 320, 0, 100, 5, 4},
        {-3, 250, 320, -50, 250, 6, 5},
        {-1234.5, 56789, 320, -5000, 60000, 13, 5},
        {0.5, 99500, 320, 0, 100000, 10, 10},
        {0, 100000, 320, 0, 100000, 5, 4},
        {100, 0, 320, 0, 100, 5, 4},  // swapped limits
        {5, 5, 320, 4.4, 5.6, 6, 4},  // equal limits: a tenth around the value
        {0, 0, 320, -1, 1, 10, 4},    // both zero: one unit around
        {nan, 10, 320, 0, 1, 5, 4},   // not a number
        {0, 100, 0, 0, 100, 5, 4},    // no axis length
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.lo << " .. " << r.hi << " on " << r.px << " px");
        const AxisScale s = NiceScale(r.lo, r.hi, r.px);
        const double tol = 1e-9 * std::fabs(r.max - r.min);
        EXPECT_NEAR(s.min, r.min, tol);
        EXPECT_NEAR(s.max, r.max, tol);
        EXPECT_EQ(s.segments, r.segments);
        EXPECT_EQ(s.subSegments, r.sub);
        if (std::isnan(r.lo) || r.lo == r.hi || r.px == 0) continue;
        EXPECT_LE(s.min, std::min(r.lo, r.hi));
        EXPECT_GE(s.max, std::max(r.lo, r.hi));
        const double step = (s.max - s.min) / s.segments;
        const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                    std::fabs(mantissa - 5) < 1e-6)
            << "step " << step;
        EXPECT_GE(r.px / s.segments, kMinSegmentPixels);
        EXPECT_LE(r.px / s.segments, kMaxSegmentPixels);
    }
}

}  // namespace
}  // namespace zh
