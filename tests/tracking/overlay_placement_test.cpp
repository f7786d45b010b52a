// What the user sees of the veil on a settled desktop: where it sits in the
// stacking, per monitor and in single mode.
#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"
#include "tracking/window_poller.h"

namespace quorvel::sim {
namespace {

constexpr std::uint32_t kRight = 2;

class OverlayPlacement : public DesktopTest {};

TEST_F(OverlayPlacement, SitsDirectlyBelowTheFrontWindowAndFollowsASwitchOnTheNextTick) {
    const auto behind = openWindow("Files", {50, 50, 900, 700});
    const auto inFront = openWindow("Terminal", {200, 150, 800, 600});
    focusOn();
    harness.advance(0.5);

    SimOverlayWindow* veil = desktop.overlayOn(kMain);
    ASSERT_NE(veil, nullptr);
    EXPECT_EQ(order(),
              (std::vector<std::int64_t>{inFront, 0, behind, *desktop.wallpaperOf(kMain)}));
    EXPECT_EQ(veil->level(), ports::WindowLevel::Normal);
    EXPECT_DOUBLE_EQ(veil->alpha(), 1.0);
    EXPECT_FALSE(desktop.isCovered(inFront));
    EXPECT_TRUE(desktop.isCovered(behind));

    desktop.raiseWindow(behind);
    EXPECT_EQ(desktop.windowBelow(behind), inFront) << "nothing moves between ticks";
    harness.ticks(1);
    EXPECT_EQ(desktop.windowBelow(behind), veil->windowNumber());
    EXPECT_TRUE(desktop.isCovered(inFront));
    EXPECT_EQ(desktop.createdOverlays().size(), 1u) << "the overlay is reused, not rebuilt";
}

TEST_F(OverlayPlacement, WhereTheDesktopReportsChangesASwitchIsFollowedBeforeTheNextTick) {
    desktop.reportChanges();
    const auto behind = openWindow("Files", {50, 50, 900, 700});
    const auto inFront = openWindow("Terminal", {200, 150, 800, 600});
    focusOn();
    harness.advance(0.55);
    const std::int64_t veil = desktop.overlayOn(kMain)->windowNumber();
    ASSERT_EQ(desktop.windowBelow(inFront), veil);

    desktop.raiseWindow(behind);
    harness.advance(tracking::WindowPoller::kMinimumChangeSpacing);
    EXPECT_EQ(desktop.windowBelow(behind), veil) << "half a tick before the next one";
    EXPECT_TRUE(desktop.isCovered(inFront));
}

// A game or a film in fullscreen: nobody sees a veil under it, so its
// monitor has none mapped, while the front window is a fullscreen one that
// fills the monitor.
TEST_F(OverlayPlacement, OnlyAFullscreenFrontWindowFillingTheMonitorTakesItsVeil) {
    setDuration(0);
    openWindow("Files", {50, 50, 900, 700});
    focusOn();
    struct Case {
        const char* name;
        core::Rect bounds;
        bool fullscreen;
        bool veiled;
    };
    for (const Case c : {Case{"fullscreen", {0, 0, 1920, 1080}, true, false},
                         Case{"fullscreen, larger", {-10, -10, 1940, 1100}, true, false},
                         Case{"fullscreen flag, smaller", {0, 0, 1280, 720}, true, true},
                         Case{"maximised", {0, 0, 1920, 1080}, false, true}}) {
        const auto front = desktop.addWindow({"Player", c.bounds, "Film", 0, {}, c.fullscreen});
        harness.advance(0.3);
        EXPECT_EQ(desktop.overlayOn(kMain) != nullptr, c.veiled) << c.name;
        desktop.closeWindow(front);
        harness.advance(0.3);
        EXPECT_NE(desktop.overlayOn(kMain), nullptr) << "after " << c.name;
    }
}

TEST_F(OverlayPlacement, FullscreenWindowLeavesOtherMonitorsVeiledAndGetsItsVeilBackBehindTheNext) {
    setDuration(0);
    desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
    const auto editor = openWindow("Editor", {100, 100, 800, 600});
    openWindow("Files", {2000, 100, 800, 600});
    const auto film = desktop.addWindow({"Player", {0, 0, 1920, 1080}, "Film", 0, {}, true});
    focusOn();
    harness.advance(0.5);
    EXPECT_EQ(desktop.overlayOn(kMain), nullptr);
    ASSERT_NE(desktop.overlayOn(kRight), nullptr);

    desktop.raiseWindow(editor);
    harness.advance(0.3);
    ASSERT_NE(desktop.overlayOn(kMain), nullptr) << "the film left the front";
    EXPECT_EQ(desktop.windowBelow(editor), desktop.overlayOn(kMain)->windowNumber());
    EXPECT_TRUE(desktop.isCovered(film));

    desktop.raiseWindow(film);
    harness.advance(0.3);
    EXPECT_EQ(desktop.overlayOn(kMain), nullptr) << "back in front, the film is bare again";
}

TEST_F(OverlayPlacement, WindowSpanningTwoMonitorsStaysClearOnBoth) {
    desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
    const auto behindRight = openWindow("Files", {2400, 100, 800, 600});
    const auto spanning = openWindow("Video", {1500, 200, 1000, 500});
    focusOn();
    harness.advance(0.5);

    ASSERT_NE(desktop.overlayOn(kMain), nullptr);
    ASSERT_NE(desktop.overlayOn(kRight), nullptr);
    const auto top = order();
    ASSERT_GE(top.size(), 3u);
    EXPECT_EQ(top[0], spanning);
    EXPECT_EQ(top[1], 0);
    EXPECT_EQ(top[2], 0) << "both veils directly below the spanning window";
    EXPECT_FALSE(desktop.isCovered(spanning));
    EXPECT_TRUE(desktop.isCovered(behindRight));
}

TEST_F(OverlayPlacement, EmptyDesktopShowsNoOverlay) {
    focusOn();
    harness.ticks(5);
    EXPECT_TRUE(desktop.createdOverlays().empty());
}

TEST_F(OverlayPlacement, OwnSettingsWindowCanBeTheFocusedWindow) {
    const auto other = openWindow("Terminal", {100, 100, 800, 600});
    const auto settings = openWindow("Quorvel", {300, 200, 600, 400}, "Quorvel Settings");
    const auto tooltip = openWindow("Quorvel", {310, 210, 200, 100});
    focusOn();
    harness.ticks(1);
    EXPECT_EQ(desktop.windowBelow(settings), desktop.overlayOn(kMain)->windowNumber());
    EXPECT_TRUE(desktop.isCovered(other));
    EXPECT_EQ(order().front(), tooltip) << "an untitled own window is never the focused one";
}

class SingleMode : public DesktopTest {
protected:
    void SetUp() override {
        desktop.addMonitor({1920, 0, 1920, 1080}, kRight);
        left = openWindow("Files", {100, 100, 800, 600});
        right = openWindow("Terminal", {2100, 100, 800, 600});
        context.overlayController().setSingleMode(true);
        focusOn();
    }
    std::int64_t left = 0;
    std::int64_t right = 0;
};

TEST_F(SingleMode, OnlyTheMonitorUnderThePointerKeepsAWindowClear) {
    desktop.movePointer({2500, 500});
    harness.advance(0.5);
    EXPECT_EQ(desktop.overlayOn(kRight)->level(), ports::WindowLevel::Normal);
    EXPECT_EQ(desktop.overlayOn(kMain)->level(), ports::WindowLevel::Covering);
    EXPECT_FALSE(desktop.isCovered(right));
    EXPECT_TRUE(desktop.isCovered(left));

    desktop.movePointer({500, 500});
    harness.ticks(1);
    EXPECT_EQ(desktop.overlayOn(kMain)->level(), ports::WindowLevel::Normal);
    EXPECT_EQ(desktop.overlayOn(kRight)->level(), ports::WindowLevel::Covering);
    EXPECT_FALSE(desktop.isCovered(left));
    EXPECT_TRUE(desktop.isCovered(right));
}

TEST_F(SingleMode, PointerJustAboveTheTopEdgeStillCounts) {
    struct Case {
        double y;
        bool rightActive;
    };
    // Above every monitor the main monitor (the left one) is active.
    for (const Case c : {Case{1079, true}, Case{1087.9, true}, Case{1088.0, false}}) {
        desktop.movePointer({2500, c.y});
        harness.ticks(1);
        EXPECT_EQ(desktop.overlayOn(kRight)->level() == ports::WindowLevel::Normal,
                  c.rightActive)
            << "pointer at y=" << c.y;
        EXPECT_NE(desktop.isCovered(right), c.rightActive) << "pointer at y=" << c.y;
    }
}

TEST_F(SingleMode, IsStoredAndAnnounced) {
    int announced = 0;
    core::Observation seen(context.notificationCenter(), "DisplayModeDidChange",
                           [&](const core::Notification&) { ++announced; });
    context.overlayController().setSingleMode(true);  // already on: nothing
    context.overlayController().setSingleMode(false);
    EXPECT_EQ(announced, 1);
    EXPECT_FALSE(context.settingsStore().boolForKey("isSingleMode"));
    harness.ticks(1);
    EXPECT_EQ(desktop.overlayOn(kMain)->level(), ports::WindowLevel::Normal);
    EXPECT_EQ(desktop.overlayOn(kRight)->level(), ports::WindowLevel::Normal);
}

}  // namespace
}  // namespace quorvel::sim
