// The veil's look: the one follower that every way of drawing the veil
// redraws from, and the grain, mask and tint it is drawn with.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "look/look_follower.h"
#include "look/veil_grain.h"
#include "look/veil_mask.h"
#include "look/veil_theme.h"
#include "sim/sim_color_scheme.h"

namespace quorvel::look {
namespace {

TEST(LookFollower, ChangesMadeTogetherRedrawOnceAndAModeChangeGlidesFrameByFrame) {
    core::VirtualScheduler scheduler;
    core::PreferenceStore store(scheduler);
    settings::Settings settings(store);
    settings.fadeDuration.set(0.5);
    sim::SimColorScheme schemes;
    LookFollower look(settings, schemes, scheduler, 20.0);
    int redraws = 0;
    const auto watch = look.changed().connect([&] { ++redraws; });

    settings.opacity.set(0.8);  // a slider tick and the transparency it brings
    settings.slightTransparency.set(true);
    schemes.scheme = ports::SystemColorScheme::dark;
    schemes.changed.emit();
    EXPECT_EQ(redraws, 0) << "read on the next turn";
    scheduler.runPending();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(look.appearance().colorScheme, ColorScheme::dark);
    EXPECT_DOUBLE_EQ(look.appearance().opacityValue, 0.8);

    redraws = 0;
    settings.mode.set(settings::FocusMode::ambient);  // from deep's stop at 0 to 0.5
    scheduler.advance(0.125);  // a quarter of the time: ease-in-out(0.25) = 0.129162
    EXPECT_NEAR(look.appearance().stopLocation, 0.5 * 0.129162, 1e-5);
    scheduler.advance(0.125);
    EXPECT_NEAR(look.appearance().stopLocation, 0.25, 1e-9);
    EXPECT_TRUE(look.isGliding());
    scheduler.advance(0.5);
    EXPECT_FALSE(look.isGliding());
    EXPECT_EQ(look.appearance(), look.target());
    EXPECT_EQ(look.appearance().stopLocation, 0.5) << "exactly ambient at the end";
    EXPECT_GE(redraws, 1 + 10) << "the change, then 20 frames a second for half a second";
    const int settled = redraws;
    scheduler.advance(1.0);
    EXPECT_EQ(redraws, settled) << "no frames once the look has settled";
}

// What the desktop tests cannot show: the compositors lay the same tile over
// whatever their blur gives, and over any desktop, not only a grey one, the
// grain must leave the veil's mean colour where the flat tint puts it. Its
// strength on flat grey is the figure the README gives.
TEST(VeilGrain, OverAnyDesktopTheGrainKeepsTheFlatTintsMeanAndIsFlatAtZero) {
    const GrainTile grain = makeGrainTile();
    for (const Rgba& tint : {kDarkTint, kLightTint, Rgba{0.45, 0.5, 0.55, 0.8}}) {
        const std::uint32_t flat = premultipliedArgb(tint);
        for (double intensity : {0.0, 0.5, 1.0}) {
            const ArgbTile tile = makeVeilTile(grain, tint, intensity);
            ASSERT_EQ(tile.pixels.size(), grain.luminance.size());
            if (intensity == 0.0) {
                for (std::uint32_t p : tile.pixels) ASSERT_EQ(p, flat);
            }
            for (double desktop : {0.0, 128.0, 255.0}) {
                // A pixel laid over the desktop: premultiplied, so colour + (1 - alpha) x desktop.
                const auto over = [desktop](std::uint32_t p) {
                    return redByte(p) + (1.0 - alphaByte(p) / 255.0) * desktop;
                };
                double sum = 0, squares = 0;
                for (std::uint32_t p : tile.pixels) sum += over(p);
                const double mean = sum / double(tile.pixels.size());
                EXPECT_NEAR(mean, over(flat), 0.75)
                    << "tint red " << tint.red << " at " << intensity << " over " << desktop;
                if (desktop != 128.0 || intensity == 0.0 || tint.alpha == 0.8) continue;
                // On flat mid-grey, the texture the user sees in either scheme:
                // about 4 grey levels at the default half slider, 9 at the full one.
                for (std::uint32_t p : tile.pixels) squares += (over(p) - mean) * (over(p) - mean);
                EXPECT_NEAR(std::sqrt(squares / double(tile.pixels.size())),
                            intensity == 0.5 ? 4.0 : 9.0, 1.0)
                    << "tint red " << tint.red << " at " << intensity;
            }
        }
    }
}

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

using settings::ThemeMode;

double luminance(const Rgba& c) {
    return 0.2126 * c.red + 0.7152 * c.green + 0.0722 * c.blue;
}

TEST(VeilTheme, TheThemeFollowsOrForcesTheDesktopsSchemeWhoseTintIsDarkOrLightAtOneAlpha) {
    const std::tuple<ThemeMode, ColorScheme, ColorScheme> rules[] = {
        {ThemeMode::automatic, ColorScheme::dark, ColorScheme::dark},
        {ThemeMode::automatic, ColorScheme::light, ColorScheme::light},
        {ThemeMode::light, ColorScheme::dark, ColorScheme::light},
        {ThemeMode::dark, ColorScheme::light, ColorScheme::dark},
    };
    for (const auto& [theme, system, expected] : rules) {
        EXPECT_EQ(resolveColorScheme(theme, system), expected) << int(theme) << "/" << int(system);
    }
    for (bool slight : {false, true}) {
        for (bool blur : {false, true}) {
            const Rgba dark = veilTint(ColorScheme::dark, slight, blur);
            const Rgba light = veilTint(ColorScheme::light, slight, blur);
            EXPECT_LT(luminance(dark), 0.15);
            EXPECT_GT(luminance(light), 0.85);
            EXPECT_EQ(dark.alpha, light.alpha);
        }
    }
}

}  // namespace
}  // namespace quorvel::look
