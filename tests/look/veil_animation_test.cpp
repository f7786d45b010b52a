#include "look/veil_animation.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "core/virtual_scheduler.h"

namespace quorvel::look {
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

}  // namespace
}  // namespace quorvel::look
