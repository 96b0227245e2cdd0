#pragma once
// Axis scaling for the diagrams: a value range widened to round limits and
// divided into round segments.

namespace zh {

struct AxisScale {
    double min = 0.0, max = 1.0;  // the widened limits, multiples of the step
    int segments = 1;             // major grid lines between min and max
    int subSegments = 1;          // ticks per segment
};

// Widens [lo, hi] to multiples of a step of 1, 2 or 5 times a power of
// ten, the finest whose segments are at least kMinSegmentPixels and at
// most kMaxSegmentPixels long on an axis of `axisPixels`; when none is,
// the one nearest that band. Swapped limits are put in order, equal ones
// are spread apart, and non-finite ones give 0 .. 1.
AxisScale NiceScale(double lo, double hi, int axisPixels);

constexpr int kMinSegmentPixels = 24;
constexpr int kMaxSegmentPixels = 80;

}  // namespace zh
