#pragma once

namespace quorvel::look {

/// A timing curve through (0,0) and (1,1) with two control points, the form
/// every desktop animation curve takes. `ease(x)` answers "how far along is the
/// value when this fraction of the time has passed", solving the curve for the
/// Bézier parameter exactly rather than approximating its shape.
class CubicBezier {
public:
    /// Control point x coordinates are clamped to [0, 1] so that time never
    /// runs backwards along the curve and every x has exactly one answer.
    CubicBezier(double x1, double y1, double x2, double y2);

    /// Progress at time fraction `x`; x is clamped to [0, 1] (NaN counts as 0),
    /// so ease(0) is 0 and ease(1) is 1 exactly.
    double ease(double x) const;

    /// The Bézier parameter whose x coordinate is `x` (within 1e-9).
    double solveParameter(double x) const;

private:
    double sampleX(double t) const { return ((ax_ * t + bx_) * t + cx_) * t; }
    double sampleY(double t) const { return ((ay_ * t + by_) * t + cy_) * t; }
    double slopeX(double t) const { return (3.0 * ax_ * t + 2.0 * bx_) * t + cx_; }

    double ax_, bx_, cx_;
    double ay_, by_, cy_;
};

/// The standard ease-in-out curve, control points (0.42, 0) and (0.58, 1): the
/// curve of the veil's glide between the ambient and the deep look.
double easeInOut(double x);

}  // namespace quorvel::look
