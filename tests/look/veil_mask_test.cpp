#include "look/veil_mask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel::look {
namespace {

// The mask's shape on screen is the desktop tests' (veil_look); here, what
// they cannot reach: inputs out of range, and where rows are sampled.
TEST(VeilMask, OutOfRangeInputsAreClampedAndNeverGiveNan) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* name;
        double y, s, opacity, expected;
    } cases[] = {
        {"above the top edge is the top edge", -1.0, 0.5, 1.0, 0.0},
        {"below the bottom edge is the bottom edge", 2.0, 0.5, 1.0, 1.0},
        {"opacity above 1 counts as 1", 0.25, 0.5, 1.7, 0.5},
        {"negative opacity counts as 0", 0.75, 0.5, -0.3, 0.0},
        {"a stop above the top edge is the top edge", 0.25, -0.5, 0.6, 0.6},
        {"a stop below the bottom edge is the bottom edge", 0.5, 3.0, 1.0, 0.5},
        {"nan height", nan, 0.5, 1.0, 0.0},
        {"nan opacity", 0.75, 0.5, nan, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(veilMaskAlpha(c.y, c.s, c.opacity), c.expected) << c.name;
}

TEST(VeilMask, ColumnSamplesRowCentres) {
    // Four rows in ambient mode: centres at 1/8, 3/8, 5/8, 7/8.
    EXPECT_EQ(veilMaskColumn(4, veilStopLocation(settings::FocusMode::ambient), 1.0),
              (std::vector<double>{0.25, 0.75, 1.0, 1.0}));
    EXPECT_TRUE(veilMaskColumn(0, 0.5, 1.0).empty());
    EXPECT_TRUE(veilMaskColumn(-5, 0.5, 1.0).empty());
}

}  // namespace
}  // namespace quorvel::look
