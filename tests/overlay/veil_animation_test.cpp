#include "overlay/veil_animation.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "core/virtual_scheduler.h"

namespace quorvel::overlay {
namespace {

using settings::FocusMode;
using settings::ThemeMode;

VeilAppearance settled(FocusMode mode) {
    return makeVeilAppearance(mode, 0.5, false, 1.0, ThemeMode::automatic, ColorScheme::light,
                              true);
}

TEST(VeilAnimation, ModeChangeGlidesTheStopAlongEaseInOut) {
    core::VirtualScheduler clock;
    VeilAnimation veil(settled(FocusMode::ambient));
    EXPECT_DOUBLE_EQ(veil.stopLocation(clock.now()), 0.5);
    EXPECT_FALSE(veil.isAnimating(clock.now()));

    veil.setFocusMode(FocusMode::deep, clock.now(), 0.5);
    EXPECT_DOUBLE_EQ(veil.stopLocation(clock.now()), 0.5);  // nothing jumps
    EXPECT_TRUE(veil.isAnimating(clock.now()));
    clock.advance(0.125);  // a quarter of the time: ease-in-out(0.25) = 0.129162
    EXPECT_NEAR(veil.stopLocation(clock.now()), 0.5 - 0.5 * 0.129162, 1e-5);
    clock.advance(0.125);
    EXPECT_NEAR(veil.stopLocation(clock.now()), 0.25, 1e-9);
    clock.advance(0.2);
    EXPECT_TRUE(veil.isAnimating(clock.now()));
    clock.advance(0.05);
    EXPECT_EQ(veil.stopLocation(clock.now()), 0.0);  // exactly deep at the end
    EXPECT_FALSE(veil.isAnimating(clock.now()));
    EXPECT_EQ(veil.appearanceAt(clock.now()), settled(FocusMode::deep));
}

TEST(VeilAnimation, InterruptionRestartsFromTheValueShown) {
    core::VirtualScheduler clock;
    VeilAnimation veil(settled(FocusMode::ambient));
    veil.setFocusMode(FocusMode::deep, clock.now(), 0.5);
    clock.advance(0.25);
    const double shown = veil.stopLocation(clock.now());
    ASSERT_NEAR(shown, 0.25, 1e-9);

    veil.setFocusMode(FocusMode::ambient, clock.now(), 0.5);
    EXPECT_NEAR(veil.stopLocation(clock.now()), shown, 1e-12);  // no jump back to 0.5
    EXPECT_EQ(veil.endTime(), clock.now() + 0.5);               // a full new glide
    clock.advance(0.25);
    EXPECT_NEAR(veil.stopLocation(clock.now()), 0.375, 1e-9);
    clock.advance(0.25);
    EXPECT_EQ(veil.stopLocation(clock.now()), 0.5);
    EXPECT_FALSE(veil.isAnimating(clock.now()));
}

TEST(VeilAnimation, NoDurationAppliesTheModeAtOnce) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double duration : {0.0, -1.0, nan}) {
        VeilAnimation veil(settled(FocusMode::ambient));
        veil.setFocusMode(FocusMode::deep, 10.0, duration);
        EXPECT_EQ(veil.stopLocation(10.0), 0.0) << duration;
        EXPECT_FALSE(veil.isAnimating(10.0)) << duration;
    }
}

TEST(VeilAnimation, ChangesOtherThanTheModeApplyAtOnce) {
    struct Case {
        std::string name;
        std::function<void(VeilAppearance&)> change;
    } cases[] = {
        {"grain", [](VeilAppearance& a) { a.grainIntensity = 0.9f; }},
        {"transparency", [](VeilAppearance& a) { a.useSlightTransparency = true; }},
        {"opacity", [](VeilAppearance& a) { a.opacityValue = 0.75; }},
        {"theme",
         [](VeilAppearance& a) {
             a.themeMode = ThemeMode::dark;
             a.colorScheme = ColorScheme::dark;
         }},
        {"blur", [](VeilAppearance& a) { a.blurAvailable = false; }},
    };
    for (const Case& c : cases) {
        VeilAnimation veil(settled(FocusMode::ambient));
        VeilAppearance next = settled(FocusMode::ambient);
        c.change(next);
        veil.update(next, 5.0, 1.5);
        EXPECT_EQ(veil.appearanceAt(5.0), next) << c.name;
        EXPECT_FALSE(veil.isAnimating(5.0)) << c.name;
    }
}

TEST(VeilAnimation, ReapplyingTheModeOrChangingOpacityAloneKeepsTheGlideGoing) {
    // Every settings change reassigns all six values, the mode included.
    VeilAnimation veil(settled(FocusMode::ambient));
    veil.setFocusMode(FocusMode::deep, 0.0, 1.0);
    veil.update(settled(FocusMode::deep), 0.25, 1.0);
    EXPECT_EQ(veil.endTime(), 1.0);
    VeilAppearance next = veil.target();
    next.opacityValue = 0.8;
    veil.update(next, 0.5, 1.0);
    EXPECT_EQ(veil.opacity(0.5), 0.8);                // opacity alone jumps
    EXPECT_NEAR(veil.stopLocation(0.5), 0.25, 1e-9);  // still half-way, on the first glide
    EXPECT_TRUE(veil.isAnimating(0.5));
    EXPECT_EQ(veil.endTime(), 1.0);
    EXPECT_EQ(veil.stopLocation(1.0), 0.0);
}

TEST(VeilAnimation, OpacityChangedWithTheModeGlidesWithIt) {
    VeilAnimation veil(settled(FocusMode::ambient));
    VeilAppearance next = settled(FocusMode::deep);
    next.opacityValue = 0.8;
    veil.update(next, 0.0, 1.0);
    EXPECT_EQ(veil.opacity(0.0), 1.0);
    EXPECT_NEAR(veil.opacity(0.5), 0.9, 1e-9);
    EXPECT_EQ(veil.opacity(1.0), 0.8);
    const VeilAppearance midway = veil.appearanceAt(0.5);
    EXPECT_EQ(midway.focusMode, FocusMode::deep);
    EXPECT_NEAR(midway.stopLocation, 0.25, 1e-9);
}

}  // namespace
}  // namespace quorvel::overlay
