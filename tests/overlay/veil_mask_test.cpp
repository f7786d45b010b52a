#include "overlay/veil_mask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel::overlay {
namespace {

using settings::FocusMode;

TEST(VeilMask, AmbientLeavesTheTopEdgeClearAndIsFullFromMidHeight) {
    const double s = veilStopLocation(FocusMode::ambient);
    EXPECT_DOUBLE_EQ(veilMaskAlpha(0.0, s, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(veilMaskAlpha(0.25, s, 1.0), 0.5);
    EXPECT_DOUBLE_EQ(veilMaskAlpha(0.5, s, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(veilMaskAlpha(0.75, s, 1.0), 1.0);
    EXPECT_DOUBLE_EQ(veilMaskAlpha(1.0, s, 1.0), 1.0);
    // The ramp is linear over the upper half.
    for (double y = 0.0; y < 0.5; y += 0.05) {
        EXPECT_NEAR(veilMaskAlpha(y, s, 0.9), 0.9 * y / 0.5, 1e-12) << "y=" << y;
    }
}

TEST(VeilMask, DeepIsUniformFromEdgeToEdgeIncludingTheTopRow) {
    const double s = veilStopLocation(FocusMode::deep);
    for (double y : {0.0, 1e-9, 0.1, 0.5, 0.99, 1.0}) {
        EXPECT_DOUBLE_EQ(veilMaskAlpha(y, s, 0.8), 0.8) << "y=" << y;
    }
}

TEST(VeilMask, OpacityScalesTheWholeVeilAndBoundsIt) {
    for (FocusMode mode : settings::allFocusModes) {
        const double s = veilStopLocation(mode);
        for (int i = 0; i <= 100; ++i) {
            const double y = i / 100.0;
            const double full = veilMaskAlpha(y, s, 1.0);
            const double three = veilMaskAlpha(y, s, 0.75);
            EXPECT_NEAR(three, 0.75 * full, 1e-12) << "y=" << y;
            EXPECT_LE(three, 0.75);
        }
    }
}

TEST(VeilMask, NeverExceedsOpacityForAnyStopOnTheWay) {
    // Stop locations between the modes are shown during the glide.
    for (double s = 0.0; s <= 0.5; s += 0.01) {
        double previous = 0.0;
        for (int i = 0; i <= 200; ++i) {
            const double a = veilMaskAlpha(i / 200.0, s, 0.85);
            EXPECT_LE(a, 0.85);
            EXPECT_GE(a, previous - 1e-15) << "the veil must only grow downwards";
            previous = a;
        }
    }
}

TEST(VeilMask, ClampsOutOfRangeAndNanInputs) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double y, s, opacity, expected;
    } cases[] = {
        {-1.0, 0.5, 1.0, 0.0},   // above the top edge: the top edge
        {2.0, 0.5, 1.0, 1.0},    // below the bottom edge: the bottom edge
        {0.25, 0.5, 1.7, 0.5},   // opacity above 1 counts as 1
        {0.75, 0.5, -0.3, 0.0},  // negative opacity counts as 0
        {0.25, -0.5, 0.6, 0.6},  // a stop above the top edge is the top edge
        {0.5, 3.0, 1.0, 0.5},    // a stop below the bottom edge is the bottom edge
        {nan, 0.5, 1.0, 0.0},   {0.75, 0.5, nan, 0.0},
    };
    for (const Case& c : cases) {
        const double a = veilMaskAlpha(c.y, c.s, c.opacity);
        EXPECT_FALSE(std::isnan(a));
        EXPECT_DOUBLE_EQ(a, c.expected) << c.y << " " << c.s << " " << c.opacity;
    }
}

TEST(VeilMask, ColumnSamplesRowCentres) {
    // Four rows in ambient mode: centres at 1/8, 3/8, 5/8, 7/8.
    const std::vector<double> column = veilMaskColumn(4, 0.5, 1.0);
    ASSERT_EQ(column.size(), 4u);
    EXPECT_DOUBLE_EQ(column[0], 0.25);
    EXPECT_DOUBLE_EQ(column[1], 0.75);
    EXPECT_DOUBLE_EQ(column[2], 1.0);
    EXPECT_DOUBLE_EQ(column[3], 1.0);
    EXPECT_TRUE(veilMaskColumn(0, 0.5, 1.0).empty());
    EXPECT_TRUE(veilMaskColumn(-5, 0.5, 1.0).empty());
}

TEST(VeilMask, EightBitColumnOfAFullHdMonitor) {
    const std::vector<std::uint8_t> ambient = veilMaskColumn8(1080, 0.5, 1.0);
    ASSERT_EQ(ambient.size(), 1080u);
    EXPECT_EQ(ambient.front(), 0);  // the top row stays clear
    EXPECT_EQ(ambient[270], 128);   // a quarter down: half strength
    EXPECT_EQ(ambient[540], 255);   // full from mid-height
    EXPECT_EQ(ambient.back(), 255);
    const std::vector<std::uint8_t> deep = veilMaskColumn8(1080, 0.0, 0.75);
    for (std::uint8_t a : deep) ASSERT_EQ(a, 191);  // 0.75 * 255 = 191.25
}

}  // namespace
}  // namespace quorvel::overlay
