// Switching workspaces slides the wallpaper: the monitor's veil steps aside
// while it moves and returns once the wallpaper has stood still.
#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"
#include "tracking/display_transition_detector.h"

namespace quorvel::sim {
namespace {

constexpr std::uint32_t kRight = 2;

class WorkspaceSwitch : public DesktopTest {
protected:
    void SetUp() override {
        setDuration(0.0);
        openWindow("Terminal", {200, 150, 800, 600});
        focusOn();
        harness.ticks(1);
        ASSERT_NE(desktop.overlayOn(kMain), nullptr);
    }
    bool transitioning() const {
        return context.windowPoller().displayStates().at(kMain).isTransitioning;
    }
};

TEST_F(WorkspaceSwitch, RemovesTheOverlayAndRebuildsAfterThreeStillSamples) {
    desktop.slideWallpaper(kMain, -600);
    harness.ticks(1);
    EXPECT_TRUE(transitioning());
    EXPECT_EQ(desktop.openOverlayCount(), 0u);

    desktop.slideWallpaper(kMain, -1400);
    harness.ticks(1);
    desktop.slideWallpaper(kMain, 0);  // the new workspace's wallpaper at rest
    harness.ticks(1);
    harness.ticks(2);
    EXPECT_TRUE(transitioning()) << "two still samples are not enough";
    EXPECT_EQ(desktop.openOverlayCount(), 0u);

    harness.ticks(1);
    EXPECT_FALSE(transitioning());
    EXPECT_NE(desktop.overlayOn(kMain), nullptr);
    EXPECT_EQ(desktop.createdOverlays().size(), 2u) << "a new window, the old one was closed";
}

TEST_F(WorkspaceSwitch, MovementOfExactlyOnePointIsStill) {
    struct Case {
        double dx;
        bool moved;
    };
    for (const Case c : {Case{1.0, false}, Case{-1.0, false}, Case{1.01, true}}) {
        desktop.slideWallpaper(kMain, 0);
        harness.ticks(5);
        desktop.slideWallpaper(kMain, c.dx);
        harness.ticks(1);
        EXPECT_EQ(transitioning(), c.moved) << "dx=" << c.dx;
    }
}

TEST_F(WorkspaceSwitch, OtherMonitorsKeepTheirOverlay) {
    desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
    openWindow("Files", {2100, 100, 800, 600});
    harness.advance(1.0);  // the new monitor settles
    ASSERT_NE(desktop.overlayOn(kRight), nullptr);
    const auto rightVeil = desktop.overlayOn(kRight);

    desktop.slideWallpaper(kMain, -600);
    harness.ticks(1);
    EXPECT_EQ(desktop.overlayOn(kMain), nullptr);
    EXPECT_EQ(desktop.overlayOn(kRight), rightVeil);
    EXPECT_TRUE(rightVeil->isVisible());
}

TEST_F(WorkspaceSwitch, VanishedWallpaperResetsAfterHalfASecond) {
    const auto wallpaper = *desktop.wallpaperOf(kMain);
    desktop.slideWallpaper(kMain, -600);
    harness.ticks(1);
    ASSERT_TRUE(transitioning());

    desktop.setWindowHidden(wallpaper, true);
    harness.ticks(4);  // gone for 0.3 s so far (first missed at the first of these)
    EXPECT_TRUE(transitioning());
    harness.ticks(1);
    EXPECT_TRUE(transitioning()) << "0.4 s is not long enough";
    harness.ticks(1);
    EXPECT_FALSE(transitioning());
    EXPECT_FALSE(context.windowPoller().displayStates().at(kMain).lastFrame);
    EXPECT_EQ(context.standardStore().dictionaryForKey("tracked_window_ids"),
              core::IntDictionary{});
    harness.ticks(1);
    EXPECT_NE(desktop.overlayOn(kMain), nullptr) << "rebuilt once the transition ended";
}

TEST_F(WorkspaceSwitch, WallpaperIsRememberedAndKeepsItsStateIfBackWithinHalfASecond) {
    const auto wallpaper = *desktop.wallpaperOf(kMain);
    EXPECT_EQ(context.standardStore().dictionaryForKey("tracked_window_ids"),
              (core::IntDictionary{{"1", wallpaper}}));
    desktop.setWindowHidden(wallpaper, true);
    harness.ticks(5);  // missing for 0.4 s
    desktop.setWindowHidden(wallpaper, false);
    harness.ticks(1);
    const tracking::DisplayState state = context.windowPoller().displayStates().at(kMain);
    EXPECT_TRUE(state.lastFrame);
    EXPECT_FALSE(state.wallpaperDisappearTime);
    EXPECT_FALSE(state.isTransitioning);
}

}  // namespace
}  // namespace quorvel::sim
