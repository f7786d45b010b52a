#include "overlay/veil_appearance.h"

#include <gtest/gtest.h>

namespace quorvel::overlay {
namespace {

using settings::FocusMode;
using settings::ThemeMode;

TEST(VeilAppearance, ResolvesSchemeAndStopFromTheSettings) {
    EXPECT_EQ(makeVeilAppearance(FocusMode::deep, 0.3, true, 0.9, ThemeMode::dark,
                                 ColorScheme::light, false),
              (VeilAppearance{FocusMode::deep, 0.3f, true, 0.9, ThemeMode::dark, ColorScheme::dark,
                              0.0, false}));
    EXPECT_EQ(makeVeilAppearance(FocusMode::ambient, 0.5, false, 1.0, ThemeMode::automatic,
                                 ColorScheme::dark, true),
              (VeilAppearance{FocusMode::ambient, 0.5f, false, 1.0, ThemeMode::automatic,
                              ColorScheme::dark, 0.5, true}));
}

TEST(VeilAppearance, AmbientRowsOnA4kMonitor) {
    const VeilAppearance a = makeVeilAppearance(FocusMode::ambient, 0.5, false, 1.0,
                                                ThemeMode::dark, ColorScheme::dark, true);
    const std::vector<double> rows = veilRowAlphas(2160, a);
    ASSERT_EQ(rows.size(), 2160u);
    EXPECT_LT(rows.front(), 0.001);  // the top row is as good as clear
    EXPECT_NEAR(rows[540], 0.55 * 0.5, 0.001);
    for (std::size_t r = 1080; r < rows.size(); ++r) ASSERT_DOUBLE_EQ(rows[r], 0.55);
    for (std::size_t r = 1; r < 1080; ++r) ASSERT_GT(rows[r], rows[r - 1]);
}

TEST(VeilAppearance, DeepRowsAreUniformAtTheCombinedStrength) {
    struct Case {
        bool slight, blur;
        double opacity, expected;
    } cases[] = {{false, true, 1.0, 0.55},
                 {false, true, 0.75, 0.55 * 0.75},
                 {true, true, 0.75, 0.55 * 0.75 * 0.75},
                 {false, false, 1.0, 0.8},
                 {true, false, 0.9, 0.6 * 0.9}};
    for (const Case& c : cases) {
        const VeilAppearance a = makeVeilAppearance(FocusMode::deep, 0.5, c.slight, c.opacity,
                                                    ThemeMode::light, ColorScheme::dark, c.blur);
        const std::vector<double> rows = veilRowAlphas(1080, a);
        ASSERT_EQ(rows.size(), 1080u);
        for (double alpha : rows) ASSERT_NEAR(alpha, c.expected, 1e-12);
    }
}

TEST(VeilAppearance, TileUsesTheResolvedTintAndGrain) {
    const GrainTile grain = makeGrainTile();
    // Forced dark on a light desktop, no grain: the flat dark tint.
    const VeilAppearance dark = makeVeilAppearance(FocusMode::ambient, 0.0, false, 1.0,
                                                   ThemeMode::dark, ColorScheme::light, true);
    const ArgbTile flat = makeVeilTile(grain, dark);
    EXPECT_EQ(flat.at(17, 99), premultipliedArgb(kDarkTint));
    EXPECT_EQ(alphaByte(flat.at(0, 0)), 140);  // 0.55 * 255
    // Grain on: the same tile as building it from the tint directly.
    VeilAppearance grainy = dark;
    grainy.grainIntensity = 0.7f;
    EXPECT_EQ(makeVeilTile(grain, grainy).pixels,
              makeVeilTile(grain, kDarkTint, double(0.7f)).pixels);
    EXPECT_NE(makeVeilTile(grain, grainy).pixels, flat.pixels);
}

TEST(VeilAppearance, MaskColumnFollowsTheGlidingStop) {
    VeilAppearance a = makeVeilAppearance(FocusMode::deep, 0.5, false, 1.0, ThemeMode::automatic,
                                          ColorScheme::light, true);
    a.stopLocation = 0.25;  // half-way between the modes
    const std::vector<std::uint8_t> column = veilMaskColumn8(400, a);
    EXPECT_EQ(column[0], 1);     // row centre 0.00125 on a ramp to 0.25: 0.005 * 255
    EXPECT_EQ(column[50], 129);  // y = 0.12625: 0.505 * 255
    EXPECT_EQ(column[100], 255);
    EXPECT_EQ(column[399], 255);
}

}  // namespace
}  // namespace quorvel::overlay
