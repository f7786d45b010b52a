#include "overlay/veil_easing.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel::overlay {
namespace {

TEST(VeilEasing, EaseInOutMatchesTheStandardCurveWithExactEnds) {
    // The cubic Bézier (0.42, 0, 0.58, 1) solved to high precision elsewhere;
    // the ends are exact, and inputs outside 0...1 are the ends.
    struct Point {
        double x, y, tolerance;
    } points[] = {{0.0, 0.0, 0.0},       {1.0, 1.0, 0.0},        {-0.3, 0.0, 0.0},
                  {1.4, 1.0, 0.0},       {0.5, 0.5, 1e-9},       {0.1, 0.019722, 1e-5},
                  {0.2, 0.081660, 1e-5}, {0.25, 0.129162, 1e-5}, {0.3, 0.187396, 1e-5},
                  {0.4, 0.331884, 1e-5}, {0.6, 0.668116, 1e-5},  {0.75, 0.870838, 1e-5},
                  {0.9, 0.980278, 1e-5}};
    for (const Point& p : points) EXPECT_NEAR(easeInOut(p.x), p.y, p.tolerance) << "x=" << p.x;
}

TEST(VeilEasing, EaseInOutIsSymmetricAndMonotonic) {
    double previous = 0.0;
    for (int i = 0; i <= 1000; ++i) {
        const double x = i / 1000.0;
        const double y = easeInOut(x);
        EXPECT_NEAR(y + easeInOut(1.0 - x), 1.0, 1e-9) << "x=" << x;
        EXPECT_GE(y, previous) << "x=" << x;
        previous = y;
    }
}

TEST(VeilEasing, SolverFindsTheParameterOnCurvesWithFlatStretches) {
    // x1 = x2 = 0 and x1 = x2 = 1 make x(t) flat at one end, where Newton's
    // method stalls; the parameter found must still lie on the curve.
    struct Controls {
        double x1, y1, x2, y2;
    } controls[] = {
        {0.0, 0.0, 0.0, 1.0}, {1.0, 0.0, 1.0, 1.0}, {0.42, 0.0, 0.58, 1.0}, {0.25, 0.1, 0.25, 1.0}};
    for (const Controls& c : controls) {
        const CubicBezier curve(c.x1, c.y1, c.x2, c.y2);
        std::vector<double> xs = {1e-6, 1e-5, 1.0 - 1e-5, 1.0 - 1e-6};
        for (int i = 0; i <= 100; ++i) xs.push_back(i / 100.0);
        for (double x : xs) {
            const double t = curve.solveParameter(x);
            const double u = 1.0 - t;
            const double xOfT = 3 * u * u * t * c.x1 + 3 * u * t * t * c.x2 + t * t * t;
            EXPECT_NEAR(xOfT, x, 1e-7) << "x1=" << c.x1 << " x=" << x;
        }
    }
}

TEST(VeilEasing, LinearControlPointsGiveTheIdentity) {
    const CubicBezier linear(0.0, 0.0, 1.0, 1.0);
    for (int i = 0; i <= 20; ++i) EXPECT_NEAR(linear.ease(i / 20.0), i / 20.0, 1e-9);
    // The standard "ease" curve, for a second reference: (0.25, 0.1, 0.25, 1).
    EXPECT_NEAR(CubicBezier(0.25, 0.1, 0.25, 1.0).ease(0.5), 0.802403, 1e-5);
}

}  // namespace
}  // namespace quorvel::overlay
