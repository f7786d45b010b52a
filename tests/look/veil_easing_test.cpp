#include "look/veil_easing.h"

#include <gtest/gtest.h>

namespace quorvel::look {
namespace {

TEST(VeilEasing, EaseInOutMatchesTheStandardCurveWithExactEnds) {
    // The cubic Bézier (0.42, 0, 0.58, 1) solved to high precision elsewhere;
    // the ends are exact, and inputs outside 0...1 are the ends.
    const struct {
        double x, y, tolerance;
    } points[] = {{0.0, 0.0, 0.0},        {1.0, 1.0, 0.0},       {-0.3, 0.0, 0.0},
                  {1.4, 1.0, 0.0},        {0.5, 0.5, 1e-9},      {0.1, 0.019722, 1e-5},
                  {0.25, 0.129162, 1e-5}, {0.6, 0.668116, 1e-5}, {0.9, 0.980278, 1e-5}};
    for (const auto& p : points) EXPECT_NEAR(easeInOut(p.x), p.y, p.tolerance) << "x=" << p.x;
}

}  // namespace
}  // namespace quorvel::look
