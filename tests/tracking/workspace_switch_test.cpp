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

}  // namespace
}  // namespace quorvel::sim
