#include "look/veil_mask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel::look {
namespace {

using settings::FocusMode;

TEST(VeilMask, StrengthByHeightModeAndOpacityWithOutOfRangeInputsClamped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double ambient = veilStopLocation(FocusMode::ambient);
    const double deep = veilStopLocation(FocusMode::deep);
    struct Case {
        const char* name;
        double y, s, opacity, expected;
    } cases[] = {
        {"ambient: the top edge stays clear", 0.0, ambient, 1.0, 0.0},
        {"ambient: half strength a quarter down", 0.25, ambient, 1.0, 0.5},
        {"ambient: full from mid-height", 0.5, ambient, 1.0, 1.0},
        {"ambient: lower half", 0.75, ambient, 1.0, 1.0},
        {"ambient: bottom edge", 1.0, ambient, 1.0, 1.0},
        {"deep: top row", 0.0, deep, 0.8, 0.8},
        {"deep: just below the top", 1e-9, deep, 0.8, 0.8},
        {"deep: middle", 0.5, deep, 0.8, 0.8},
        {"deep: bottom", 1.0, deep, 0.8, 0.8},
        {"above the top edge is the top edge", -1.0, 0.5, 1.0, 0.0},
        {"below the bottom edge is the bottom edge", 2.0, 0.5, 1.0, 1.0},
        {"opacity above 1 counts as 1", 0.25, 0.5, 1.7, 0.5},
        {"negative opacity counts as 0", 0.75, 0.5, -0.3, 0.0},
        {"a stop above the top edge is the top edge", 0.25, -0.5, 0.6, 0.6},
        {"a stop below the bottom edge is the bottom edge", 0.5, 3.0, 1.0, 0.5},
        {"nan height", nan, 0.5, 1.0, 0.0},
        {"nan opacity", 0.75, 0.5, nan, 0.0},
    };
    for (const Case& c : cases) {
        const double a = veilMaskAlpha(c.y, c.s, c.opacity);
        EXPECT_FALSE(std::isnan(a)) << c.name;
        EXPECT_DOUBLE_EQ(a, c.expected) << c.name;
    }
    // The ambient ramp is linear over the upper half.
    for (double y = 0.0; y < 0.5; y += 0.05) {
        EXPECT_NEAR(veilMaskAlpha(y, ambient, 0.9), 0.9 * y / 0.5, 1e-12) << "y=" << y;
    }
}

TEST(VeilMask, ColumnSamplesRowCentres) {
    // Four rows in ambient mode: centres at 1/8, 3/8, 5/8, 7/8.
    EXPECT_EQ(veilMaskColumn(4, 0.5, 1.0), (std::vector<double>{0.25, 0.75, 1.0, 1.0}));
    EXPECT_TRUE(veilMaskColumn(0, 0.5, 1.0).empty());
    EXPECT_TRUE(veilMaskColumn(-5, 0.5, 1.0).empty());
}

}  // namespace
}  // namespace quorvel::look
