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

TEST_F(DisplayChanges, HandleDisplayChangeRestartsItsWait) {
    controller().handleDisplayChange();
    harness.advance(0.2);
    controller().handleDisplayChange();
    harness.advance(0.2);
    EXPECT_TRUE(controller().isHandlingDisplayChange());
    harness.advance(0.15);
    EXPECT_FALSE(controller().isHandlingDisplayChange());
}

class Overview : public DisplayChanges {};

TEST_F(Overview, RemovesOverlaysWhileShowingWithItsLogLines) {
    core::LogCapture log;
    desktop.setOverviewShowing(true);
    harness.ticks(1);
    EXPECT_EQ(desktop.openOverlayCount(), 0u);
    harness.ticks(5);
    EXPECT_EQ(log.count("🚀 Mission Control activated"), 1u);
    EXPECT_EQ(desktop.createdOverlays().size(), 1u) << "nothing is created meanwhile";

    desktop.setOverviewShowing(false);
    harness.ticks(1);
    EXPECT_EQ(log.count("🛬 Mission Control deactivated"), 1u);
    harness.ticks(1);
    EXPECT_NE(desktop.overlayOn(kMain), nullptr);
}

TEST_F(Overview, OverlaysReturnWithTheNextSampleNotTheSameTick) {
    desktop.setOverviewShowing(true);
    harness.ticks(1);
    desktop.setOverviewShowing(false);
    controller().checkMissionControl();
    EXPECT_FALSE(controller().isMissionControlActive());
    EXPECT_EQ(desktop.overlayOn(kMain), nullptr);
}

TEST_F(Overview, IsWatchedWhileFocusIsOff) {
    focusOff();
    core::LogCapture log;
    desktop.setOverviewShowing(true);
    harness.ticks(1);
    desktop.setOverviewShowing(false);
    harness.ticks(1);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"🚀 Mission Control activated",
                                                     "🛬 Mission Control deactivated"}));
}

struct DockCase {
    int monitors;
    int layer18;
    int layer20;
    bool showing;
};

class DockWindowRule : public DesktopTest, public ::testing::WithParamInterface<DockCase> {};

TEST_P(DockWindowRule, DecidesWhenTheDesktopGivesNoSignal) {
    const DockCase c = GetParam();
    context.overlayController();  // its overview check runs from creation on
    for (int i = 1; i < c.monitors; ++i) desktop.addMonitor({1920.0 * i, 0, 1920, 1080});
    for (int i = 0; i < c.layer18; ++i) desktop.addWindow({"Dock", {0, 0, 1920, 1080}, "", 18, {}});
    for (int i = 0; i < c.layer20; ++i) desktop.addWindow({"Dock", {0, 0, 100, 100}, "", 20, {}});
    desktop.addWindow({"Docky", {0, 0, 100, 100}, "", 18, {}});  // not the dock
    harness.ticks(1);
    EXPECT_EQ(context.overlayController().isMissionControlActive(), c.showing);
}

INSTANTIATE_TEST_SUITE_P(Layers, DockWindowRule,
                         ::testing::Values(DockCase{1, 1, 2, true}, DockCase{1, 1, 1, true},
                                           DockCase{1, 2, 1, false}, DockCase{1, 1, 0, false},
                                           DockCase{1, 0, 3, false}, DockCase{2, 1, 1, false},
                                           DockCase{2, 2, 1, true}, DockCase{3, 3, 2, true}));

}  // namespace
}  // namespace quorvel::sim
