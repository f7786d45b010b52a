// The simulated desktop orders windows as a window server does.
#include "desktop/sim/sim_desktop.h"

#include <gtest/gtest.h>

#include "core/virtual_scheduler.h"

namespace quorvel::sim {
namespace {

class SimStacking : public ::testing::Test {
protected:
    SimStacking() { desktop.addMonitor({0, 0, 1920, 1080}, 1, false); }
    std::vector<std::int64_t> numbers() const {
        std::vector<std::int64_t> result;
        for (const auto& e : desktop.stacking()) result.push_back(e.windowNumber);
        return result;
    }
    core::VirtualScheduler scheduler;
    SimDesktop desktop{scheduler};
};

TEST_F(SimStacking, NewAndRaisedWindowsGoToTheFrontOfTheirLayer) {
    const auto a = desktop.addWindow({"A", {0, 0, 100, 100}});
    const auto panel = desktop.addWindow({"Panel", {0, 0, 100, 30}, "", 3});
    const auto b = desktop.addWindow({"B", {0, 0, 100, 100}});
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{panel, b, a}));
    desktop.raiseWindow(a);
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{panel, a, b}));
    desktop.closeWindow(panel);
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{a, b}));
}

TEST_F(SimStacking, OverlayOrderedBelowAWindowSitsDirectlyBelowIt) {
    const auto a = desktop.addWindow({"A", {0, 0, 100, 100}});
    const auto b = desktop.addWindow({"B", {0, 0, 100, 100}});
    const auto c = desktop.addWindow({"C", {0, 0, 100, 100}});
    auto veil = desktop.create(desktop.screens().front());
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{c, b, a})) << "created hidden";
    veil->orderBelow(b);
    const auto v = desktop.overlayOn(1)->windowNumber();
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{c, b, v, a}));
    veil->setAlpha(1.0);
    EXPECT_TRUE(desktop.isCovered(a));
    EXPECT_FALSE(desktop.isCovered(b));
}

TEST_F(SimStacking, CoveringOverlaySitsAboveAllNormalWindows) {
    const auto a = desktop.addWindow({"A", {0, 0, 100, 100}});
    auto veil = desktop.create(desktop.screens().front());
    veil->setLevel(platform::WindowLevel::Covering);
    veil->orderFront();
    const auto b = desktop.addWindow({"B", {0, 0, 100, 100}});
    const auto v = desktop.overlayOn(1)->windowNumber();
    EXPECT_EQ(numbers(), (std::vector<std::int64_t>{v, b, a}));
    const auto overlayEntry = desktop.stacking().front();
    EXPECT_EQ(overlayEntry.owner, "Quorvel");
    EXPECT_EQ(overlayEntry.title, "");
}

TEST_F(SimStacking, ConvertsMonitorFramesToTopLeftWindowBounds) {
    desktop.addMonitor({0, 1080, 1280, 1024}, 2);  // above the primary
    const auto wallpaper = *desktop.wallpaperOf(2);
    const auto list = desktop.onScreenWindows(platform::WindowListOption::OnScreenOnly);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].windowNumber, wallpaper);
    EXPECT_EQ(list[0].bounds, (core::Rect{0, -1024, 1280, 1024}));
    EXPECT_TRUE(
        desktop.onScreenWindows(platform::WindowListOption::OnScreenOnlyExcludingDesktop).empty());
}

TEST_F(SimStacking, AlphaAnimatesOverVirtualTime) {
    auto veil = desktop.create(desktop.screens().front());
    bool done = false;
    veil->animateAlpha(1.0, 0.5, [&] { done = true; });
    scheduler.advance(0.25);
    EXPECT_NEAR(veil->alpha(), 0.5, 1e-9);
    EXPECT_FALSE(done);
    scheduler.advance(0.25);
    EXPECT_DOUBLE_EQ(veil->alpha(), 1.0);
    EXPECT_TRUE(done);
}

TEST_F(SimStacking, ReplacedAnimationCompletesAtOnceAndTheNewOneStartsWhereItWas) {
    auto veil = desktop.create(desktop.screens().front());
    int firstDone = 0;
    veil->animateAlpha(1.0, 1.0, [&] { ++firstDone; });
    scheduler.advance(0.5);
    veil->animateAlpha(0.0, 1.0, {});
    EXPECT_EQ(firstDone, 1);
    EXPECT_NEAR(veil->alpha(), 0.5, 1e-9);
    scheduler.advance(0.5);
    EXPECT_NEAR(veil->alpha(), 0.25, 1e-9);
    scheduler.advance(2.0);
    EXPECT_EQ(firstDone, 1);
}

TEST_F(SimStacking, GoingAwayDropsPendingFadeCompletions) {
    auto scoped = std::make_unique<SimDesktop>(scheduler);
    scoped->addMonitor({0, 0, 800, 600});
    std::shared_ptr<platform::OverlayWindow> veil = scoped->create(scoped->screens().front());
    bool ran = false;
    veil->animateAlpha(0.0, 1.0, [veil, &ran] { ran = true; });  // holds itself
    veil.reset();
    scoped.reset();
    scheduler.advance(2.0);
    EXPECT_FALSE(ran);
    EXPECT_EQ(scheduler.scheduledCount(), 0u);
}

}  // namespace
}  // namespace quorvel::sim
