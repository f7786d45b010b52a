#include "overlay/veil_mask.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel::overlay {
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

TEST(VeilMask, OpacityScalesTheVeilBoundsItAndItOnlyGrowsDownwardsForAnyStop) {
    // Stop locations between the modes are shown during the glide.
    for (int step = 0; step <= 50; ++step) {
        const double s = step / 100.0;  // from deep (0) to ambient (0.5)
        double previous = 0.0;
        for (int i = 0; i <= 200; ++i) {
            const double y = i / 200.0;
            const double a = veilMaskAlpha(y, s, 0.85);
            EXPECT_NEAR(a, 0.85 * veilMaskAlpha(y, s, 1.0), 1e-12) << "s=" << s << " y=" << y;
            EXPECT_LE(a, 0.85);
            EXPECT_GE(a, previous - 1e-15) << "s=" << s << " y=" << y;
            previous = a;
        }
    }
}

TEST(VeilMask, ColumnSamplesRowCentres) {
    // Four rows in ambient mode: centres at 1/8, 3/8, 5/8, 7/8.
    EXPECT_EQ(veilMaskColumn(4, 0.5, 1.0), (std::vector<double>{0.25, 0.75, 1.0, 1.0}));
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
