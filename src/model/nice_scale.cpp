#include "nice_scale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zh {
namespace {

// Step as a fraction of the decade, and ticks per segment, finest first.
struct Candidate {
    double step;
    int sub;
};
constexpr Candidate kCandidates[] = {{0.2, 4}, {0.5, 5}, {1.0, 10}};

// A limit within rounding noise of a step multiple counts as on it.
double slack(double x) {
    return 1e-9 * std::max(1.0, std::fabs(x));
}

AxisScale fit(double lo, double hi, double step, int sub) {
    AxisScale s;
    const double a = lo / step, b = hi / step;
    s.min = std::floor(a + slack(a)) * step;
    s.max = std::ceil(b - slack(b)) * step;
    s.segments = std::max(1, static_cast<int>(std::lround((s.max - s.min) / step)));
    s.subSegments = sub;
    return s;
}

// How far the segment length lies outside the band, 0 inside.
double missBand(const AxisScale& s, int axisPixels) {
    const double px = static_cast<double>(axisPixels) / s.segments;
    if (px < kMinSegmentPixels) return kMinSegmentPixels - px;
    if (px > kMaxSegmentPixels) return px - kMaxSegmentPixels;
    return 0.0;
}

}  // namespace

AxisScale NiceScale(double lo, double hi, int axisPixels) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0.0, hi = 1.0;
    if (lo > hi) std::swap(lo, hi);
    if (!(hi - lo > 0.0) || !std::isfinite(hi - lo)) {
        // Too close (or too far) to scale: spread a tenth of the value
        // around the middle, or one unit around zero.
        const double mid = lo / 2 + hi / 2;
        const double half = mid != 0.0 ? std::fabs(mid) / 10 : 1.0;
        lo = mid - half;
        hi = mid + half;
        if (!(hi > lo)) return AxisScale{};
    }
    const double decade = std::pow(10.0, std::floor(std::log10(hi - lo)));
    AxisScale best;
    double bestMiss = -1.0;
    for (const Candidate& c : kCandidates) {
        const AxisScale s = fit(lo, hi, c.step * decade, c.sub);
        const double miss = missBand(s, axisPixels);
        if (miss == 0.0) return s;
        if (bestMiss < 0.0 || miss < bestMiss) best = s, bestMiss = miss;
    }
    return best;
}

}  // namespace zh
