// The one follower of the look that every way of drawing the veil redraws from.
#include "look/look_follower.h"

#include <gtest/gtest.h>

#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
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

}  // namespace
}  // namespace quorvel::look
