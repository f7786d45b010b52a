// Which windows can be the focused window, and the sampling rhythm.
#include "tracking/window_poller.h"

#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::tracking {
namespace {

using platform::RawWindow;

RawWindow raw(std::string owner, std::int64_t number, core::Rect bounds, std::int32_t layer = 0,
              std::optional<std::string> title = std::nullopt) {
    return RawWindow{std::move(owner), layer, number, bounds, std::move(title)};
}

std::vector<std::int64_t> kept(const std::vector<RawWindow>& list) {
    std::vector<std::int64_t> numbers;
    for (const auto& w : WindowPoller::windowInfos(list)) numbers.push_back(w.windowNumber);
    return numbers;
}

struct ReductionCase {
    const char* name;
    RawWindow window;
    bool kept;
};

class Reduction : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(Reduction, KeepsOnlyOrdinaryWindowsOfUsefulSize) {
    const auto& c = GetParam();
    EXPECT_EQ(kept({c.window}).size(), c.kept ? 1u : 0u) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Reduction,
    ::testing::Values(
        ReductionCase{"ordinary", raw("Terminal", 1, {0, 0, 800, 600}), true},
        ReductionCase{"50 wide is too narrow", raw("Terminal", 1, {0, 0, 50, 200}), false},
        ReductionCase{"50 high is too low", raw("Terminal", 1, {0, 0, 200, 50}), false},
        ReductionCase{"just over 50 by 50", raw("Terminal", 1, {0, 0, 50.5, 50.5}), true},
        ReductionCase{"floating panel", raw("Terminal", 1, {0, 0, 800, 600}, 3), false},
        ReductionCase{"desktop layer", raw("Terminal", 1, {0, 0, 800, 600}, -20), false},
        ReductionCase{"no owner", RawWindow{std::nullopt, 0, 1, core::Rect{0, 0, 800, 600}, {}},
                      false},
        ReductionCase{"no layer",
                      RawWindow{"Terminal", std::nullopt, 1, core::Rect{0, 0, 80, 80}, {}}, false},
        ReductionCase{"no number",
                      RawWindow{"Terminal", 0, std::nullopt, core::Rect{0, 0, 80, 80}, {}}, false},
        ReductionCase{"no bounds", RawWindow{"Terminal", 0, 1, std::nullopt, {}}, false},
        ReductionCase{"dock", raw("Dock", 1, {0, 0, 800, 600}), false},
        ReductionCase{"dock-like name", raw("Dockyard", 1, {0, 0, 800, 600}), true},
        ReductionCase{"window server", raw("Window Server", 1, {0, 0, 800, 600}), false},
        ReductionCase{"system ui", raw("SystemUIServer", 1, {0, 0, 800, 600}), false},
        ReductionCase{"login window", raw("loginwindow", 1, {0, 0, 800, 600}), false},
        ReductionCase{"window manager", raw("WindowManager", 1, {0, 0, 800, 600}), false},
        ReductionCase{"own settings", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Quorvel Settings"),
                      true},
        ReductionCase{"own updater", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Software Update"),
                      true},
        ReductionCase{"own veil", raw("Quorvel", 1, {0, 0, 1920, 1080}), false},
        ReductionCase{"own other", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Tooltip"), false},
        ReductionCase{"raycast low", raw("Raycast", 1, {0, 0, 750, 180}), false},
        ReductionCase{"raycast tall", raw("Raycast", 1, {0, 0, 750, 200}), true}));

TEST(AdobeWindows, OnlyTheLowestNumberedWindowOfEachOwnerCountsAndNoneIfThatIsAPalette) {
    const core::Rect big{0, 0, 1200, 800};
    struct Case {
        const char* name;
        std::vector<RawWindow> list;
        std::vector<std::int64_t> kept;
    };
    const Case cases[] = {
        {"lowest per owner",
         {raw("Adobe Photoshop", 812, big), raw("Adobe Photoshop", 640, big),
          raw("Adobe Illustrator", 900, big)},
         {640, 900}},
        {"lowest is a palette",
         {raw("Adobe Photoshop", 812, big), raw("Adobe Photoshop", 640, {0, 0, 40, 300}, 3)},
         {}},
        {"case-sensitive match",
         {raw("adobe reader", 812, big), raw("adobe reader", 640, big)},
         {812, 640}},
    };
    for (const Case& c : cases) EXPECT_EQ(kept(c.list), c.kept) << c.name;
}

TEST(Reduction, KeepsFrontToBackOrderAndFields) {
    const std::vector<RawWindow> list{raw("B", 7, {10, 20, 300, 400}),
                                      raw("Dock", 8, {0, 0, 90, 90}),
                                      raw("A", 3, {5, 6, 700, 800})};
    EXPECT_EQ(WindowPoller::windowInfos(list),
              (std::vector<WindowInfo>{{{10, 20, 300, 400}, 7, "B"}, {{5, 6, 700, 800}, 3, "A"}}));
}

class CountingDelegate : public WindowPollerDelegate {
public:
    void didUpdateWindows(const std::vector<WindowInfo>&) override { ++samples; }
    void beginScreenTransition(const platform::ScreenInfo&) override {}
    void endScreenTransition(const platform::ScreenInfo&) override {}
    int samples = 0;
};

class Sampling : public sim::DesktopTest {
protected:
    WindowPoller& poller = context.windowPoller();
    CountingDelegate delegate;
    void SetUp() override { poller.setDelegate(&delegate); }
    void TearDown() override { poller.setDelegate(nullptr); }
};

TEST_F(Sampling, TenSamplesASecondPlusOneAtStartAlsoWhenStartedTwiceAndWhileAMenuIsOpen) {
    poller.startPolling();
    poller.startPolling();
    EXPECT_EQ(delegate.samples, 1);
    harness.advance(1.0);
    EXPECT_EQ(delegate.samples, 11);
    harness.scheduler().setMenuTracking(true);
    harness.advance(0.5);
    harness.scheduler().setMenuTracking(false);
    EXPECT_EQ(delegate.samples, 16);
}

TEST_F(Sampling, StopEndsSamplingAndForgetsTransitions) {
    poller.stopPolling();  // while stopped: nothing
    poller.startPolling();
    EXPECT_FALSE(poller.displayStates().empty());
    poller.stopPolling();
    harness.advance(1.0);
    EXPECT_EQ(delegate.samples, 1);
    EXPECT_TRUE(poller.displayStates().empty());
    EXPECT_FALSE(poller.isPolling());
}

TEST_F(Sampling, DelegateThatWentAwayReceivesNothing) {
    poller.startPolling();
    poller.setDelegate(nullptr);
    harness.advance(0.5);
    EXPECT_EQ(delegate.samples, 1);
    EXPECT_FALSE(poller.displayStates().empty()) << "tracking goes on without a delegate";
}

}  // namespace
}  // namespace quorvel::tracking
