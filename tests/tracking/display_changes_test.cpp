// Monitors plugged, unplugged or resized, and the window overview: all veils
// step aside and come back once things have settled.
#include <gtest/gtest.h>

#include "core/log.h"
#include "sim/desktop_fixture.h"

namespace quorvel::sim {
namespace {

constexpr std::uint32_t kRight = 2;

class DisplayChanges : public DesktopTest {
protected:
    void SetUp() override {
        setDuration(0.0);
        openWindow("Terminal", {200, 150, 800, 600});
        focusOn();
        harness.ticks(1);
        ASSERT_EQ(desktop.createdOverlays().size(), 1u);
    }
    tracking::OverlayController& controller() { return context.overlayController(); }
};

TEST_F(DisplayChanges, SeveralChangesGiveOneRebuildAfterTheLast) {
    desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
    openWindow("Files", {2100, 100, 800, 600});
    harness.ticks(1);
    EXPECT_TRUE(controller().isHandlingDisplayChange());
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
    desktop.setMonitorFrame(kRight, {1920, 0, 2560, 1440});
    harness.ticks(1);
    desktop.setMonitorFrame(kRight, {1920, 0, 1920, 1200});
    harness.ticks(1);  // the last change is seen here

    harness.advance(0.25);
    EXPECT_EQ(desktop.createdOverlays().size(), 1u) << "nothing rebuilt while settling";
    EXPECT_TRUE(controller().isHandlingDisplayChange());
    harness.advance(0.2);  // the wait ends, and the next sample rebuilds
    EXPECT_FALSE(controller().isHandlingDisplayChange());
    EXPECT_EQ(desktop.createdOverlays().size(), 3u) << "one new overlay per monitor";
    EXPECT_EQ(desktop.openOverlayCount(), 2u);
    EXPECT_EQ(desktop.overlayOn(kRight)->frame(), (core::Rect{1920, 0, 1920, 1200}));
}

TEST_F(DisplayChanges, UnpluggedMonitorLosesItsOverlayAndOneWithoutIdIsNeverKept) {
    desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
    openWindow("Files", {2100, 100, 800, 600});
    harness.advance(1.0);
    ASSERT_EQ(desktop.openOverlayCount(), 2u);

    desktop.removeMonitor(kRight);
    harness.advance(1.0);
    EXPECT_EQ(desktop.overlayOn(kRight), nullptr);
    EXPECT_NE(desktop.overlayOn(kMain), nullptr);
    EXPECT_EQ(controller().knownDisplayIDs(), (std::set<std::uint32_t>{kMain}));

    desktop.addMonitorWithoutId({1920, 0, 1920, 1080});
    harness.ticks(3);
    EXPECT_FALSE(controller().isHandlingDisplayChange());
    EXPECT_EQ(controller().knownDisplayIDs(), (std::set<std::uint32_t>{kMain}));
}

}  // namespace
}  // namespace quorvel::sim
