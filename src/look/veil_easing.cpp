#include "look/veil_easing.h"

#include <algorithm>
#include <cmath>

namespace quorvel::look {
namespace {

constexpr double kTolerance = 1e-9;
constexpr int kNewtonSteps = 8;
constexpr int kBisectionSteps = 64;

double clampUnit(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, 0.0, 1.0);
}

}  // namespace

CubicBezier::CubicBezier(double x1, double y1, double x2, double y2) {
    // Polynomial coefficients of B(t) = 3(1-t)^2 t p1 + 3(1-t) t^2 p2 + t^3.
    cx_ = 3.0 * clampUnit(x1);
    bx_ = 3.0 * (clampUnit(x2) - clampUnit(x1)) - cx_;
    ax_ = 1.0 - cx_ - bx_;
    cy_ = 3.0 * y1;
    by_ = 3.0 * (y2 - y1) - cy_;
    ay_ = 1.0 - cy_ - by_;
}

double CubicBezier::solveParameter(double x) const {
    x = clampUnit(x);
    // Newton's method converges in a few steps almost everywhere; it can stall
    // where the curve is flat in x (slope near zero), so bisection, which
    // always converges because x(t) is monotonic on [0, 1], finishes the job.
    double t = x;
    for (int i = 0; i < kNewtonSteps; ++i) {
        const double error = sampleX(t) - x;
        if (std::fabs(error) < kTolerance) return t;
        const double slope = slopeX(t);
        if (std::fabs(slope) < 1e-6) break;
        t -= error / slope;
        if (t < 0.0 || t > 1.0) break;
    }
    double lo = 0.0;
    double hi = 1.0;
    t = x;
    for (int i = 0; i < kBisectionSteps; ++i) {
        const double value = sampleX(t);
        if (std::fabs(value - x) < kTolerance) return t;
        if (value < x) {
            lo = t;
        } else {
            hi = t;
        }
        t = 0.5 * (lo + hi);
    }
    return t;
}

double CubicBezier::ease(double x) const {
    x = clampUnit(x);
    // The end points are exact by definition; do not let the solver's
    // tolerance leave a glide a hair short of its target.
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    return sampleY(solveParameter(x));
}

double easeInOut(double x) {
    static const CubicBezier curve(0.42, 0.0, 0.58, 1.0);
    return curve.ease(x);
}

}  // namespace quorvel::look
