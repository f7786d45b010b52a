// Where the veils are, on a settled desktop and as it changes: below each
// monitor's front window, and out of the way when the user needs it.
#include <gtest/gtest.h>

#include "sim/sim_test.h"
#include "sim/sim_veil_window.h"
#include "tracking/veil_controller.h"

namespace quorvel::sim {
namespace {

using ports::WindowKind;

class VeilTracking : public SimTest {};

TEST_F(VeilTracking, EachMonitorsVeilSitsDirectlyBelowItsFrontWindowAndFollowsAClickAtOnce) {
    const auto right = desktop.addMonitor({1920, 0, 1280, 1024});
    const auto files = open("Files", {50, 50, 900, 700});
    const auto terminal = open("Terminal", {200, 150, 800, 600});
    const auto mail = open("Mail", {2000, 100, 900, 700});
    focusOn();
    EXPECT_TRUE(desktop.veiledBelow(terminal, main)) << desktop.describeStacking();
    EXPECT_TRUE(desktop.veiledBelow(mail, right));
    EXPECT_TRUE(desktop.isCovered(files));
    EXPECT_FALSE(desktop.isCovered(terminal));

    desktop.activate(files);
    harness.advance(tracking::VeilController::kMinimumChangeSpacing);
    EXPECT_TRUE(desktop.veiledBelow(files, main))
        << "before the next tick: " << desktop.describeStacking();
    EXPECT_TRUE(desktop.isCovered(terminal));
    EXPECT_EQ(desktop.createdVeils().size(), 2u) << "the veils are kept, not made anew";
}

TEST_F(VeilTracking, WhichWindowsCanBeInFrontOfTheirMonitor) {
    struct Case {
        const char* name;
        WindowSpec front;
        core::Rect frame;
        bool veiledBelowIt;  // false: the window behind stays the front one
    };
    const Case cases[] = {
        {"a dialog", {.kind = WindowKind::dialog}, {300, 300, 400, 200}, true},
        {"a keep-above window", {.keepAbove = true}, {300, 300, 400, 300}, true},
        {"Quorvel's own settings window", {.own = true}, {300, 300, 640, 480}, true},
        {"a palette", {.kind = WindowKind::utility}, {300, 300, 200, 400}, false},
        {"a dock", {.kind = WindowKind::other}, {0, 1000, 1920, 80}, false},
        {"a tiny window", {}, {300, 300, 50, 400}, false},
    };
    const auto behind = open("Files", {50, 50, 900, 700});
    focusOn();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto front = open("Front", c.frame, c.front);
        harness.ticks(1);
        EXPECT_TRUE(desktop.veiledBelow(c.veiledBelowIt ? front : behind, main))
            << desktop.describeStacking();
        desktop.close(front);
        desktop.activate(behind);
        harness.ticks(1);
    }
}

TEST_F(VeilTracking, AFullscreenWindowFillingItsMonitorTakesThatMonitorsVeilAway) {
    const auto right = desktop.addMonitor({1920, 0, 1920, 1080});
    open("Mail", {2000, 100, 900, 700});
    open("Files", {50, 50, 900, 700});
    focusOn();
    struct Case {
        const char* name;
        core::Rect frame;
        bool fullscreen;
        bool veiled;
    };
    for (const Case c : {Case{"fullscreen", {0, 0, 1920, 1080}, true, false},
                         Case{"fullscreen, larger", {-10, -10, 1940, 1100}, true, false},
                         Case{"fullscreen flag, smaller", {0, 0, 1280, 720}, true, true},
                         Case{"maximised", {0, 0, 1920, 1080}, false, true}}) {
        SCOPED_TRACE(c.name);
        const auto film = open("Player", c.frame, {.fullscreen = c.fullscreen});
        harness.ticks(1);
        EXPECT_EQ(desktop.veilOn(main) != nullptr, c.veiled);
        EXPECT_NE(desktop.veilOn(right), nullptr) << "the other monitor keeps its veil";
        desktop.close(film);
        harness.ticks(1);
    }
}

TEST_F(VeilTracking, AMonitorWithoutAWindowHasNoVeilAndAWindowAcrossTwoIsClearOnBoth) {
    const auto right = desktop.addMonitor({1920, 0, 1920, 1080});
    const auto wide = open("Spreadsheet", {1500, 100, 900, 600});
    focusOn();
    EXPECT_TRUE(desktop.veiledBelow(wide, main));
    EXPECT_TRUE(desktop.veiledBelow(wide, right)) << "it is the front window of both";
    desktop.move(wide, {100, 100, 900, 600});
    harness.ticks(1);
    EXPECT_EQ(desktop.veilOn(right), nullptr) << desktop.describeStacking();
}

TEST_F(VeilTracking, SingleModeKeepsOnlyTheMonitorUnderThePointerClearAndNeverCoversKeepAbove) {
    const auto right = desktop.addMonitor({1920, 0, 1920, 1080});
    const auto mail = open("Mail", {2000, 100, 900, 700});
    const auto clock = open("Clock", {2500, 50, 300, 300}, {.keepAbove = true});
    const auto files = open("Files", {50, 50, 900, 700});
    focusOn({{"isSingleMode", true}});
    desktop.movePointer({400, 400});
    harness.ticks(1);
    EXPECT_TRUE(desktop.veiledBelow(files, main));
    EXPECT_TRUE(desktop.veilOn(right)->isCovering());
    EXPECT_TRUE(desktop.isCovered(mail));
    EXPECT_FALSE(desktop.isCovered(clock)) << desktop.describeStacking();

    desktop.movePointer({2400, 400});
    harness.ticks(1);
    EXPECT_TRUE(desktop.veilOn(main)->isCovering());
    EXPECT_FALSE(desktop.isCovered(clock));
    EXPECT_TRUE(desktop.isCovered(files));
}

TEST_F(VeilTracking, VeilsStepAsideAndComeBack) {
    const auto files = open("Files", {50, 50, 900, 700});
    auto& application = focusOn();
    struct Case {
        const char* name;
        std::function<void(bool)> set;
    };
    const Case cases[] = {
        {"the overview", [&](bool on) { desktop.setOverview(on); }},
        {"a workspace switch", [&](bool on) { desktop.setSwitchingWorkspace(on); }},
        {"an excluded application in front",
         [&](bool on) {
             if (on) application.excludedApps().addInstalled("Files");
             if (!on) application.excludedApps().remove("Files");
         }},
        {"focus off", [&](bool on) { application.session().setOn(!on); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.set(true);
        harness.ticks(1);
        EXPECT_EQ(desktop.shownVeils(), 0u) << desktop.describeStacking();
        c.set(false);
        harness.ticks(1);
        EXPECT_TRUE(desktop.veiledBelow(files, main)) << desktop.describeStacking();
    }
}

TEST_F(VeilTracking, AfterMonitorChangesTheVeilsComeBackOnceTheLastHasSettled) {
    const auto files = open("Files", {50, 50, 900, 700});
    focusOn();
    const auto right = desktop.addMonitor({1920, 0, 1280, 1024});
    const auto mail = open("Mail", {2000, 100, 900, 700});
    harness.ticks(1);
    EXPECT_EQ(desktop.shownVeils(), 0u);
    harness.advance(0.2);
    desktop.setMonitorFrame(right, {1920, 0, 1920, 1080});  // the wait starts again
    harness.advance(0.25);
    EXPECT_EQ(desktop.shownVeils(), 0u);
    harness.advance(0.1);
    EXPECT_TRUE(desktop.veiledBelow(files, main));
    EXPECT_TRUE(desktop.veiledBelow(mail, right));
}

TEST_F(VeilTracking, VeilsFadeInAndOutOverTheFadeDuration) {
    open("Files", {50, 50, 900, 700});
    auto& application = focusOn({{"transitionDuration", 0.5}});
    const SimVeilWindow* veil = desktop.veilOn(main);
    harness.advance(0.15);  // 0.25 s in
    EXPECT_NEAR(veil->alpha(), 0.5, 0.01);
    harness.advance(0.25);
    EXPECT_DOUBLE_EQ(veil->alpha(), 1.0);
    application.session().setOn(false);
    harness.advance(0.25);
    EXPECT_NEAR(veil->alpha(), 0.5, 0.01);
    harness.advance(0.25);
    EXPECT_TRUE(veil->isClosed());
}

}  // namespace
}  // namespace quorvel::sim
