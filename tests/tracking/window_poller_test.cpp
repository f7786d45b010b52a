// Which windows can be the focused window, and the sampling rhythm.
#include "tracking/window_poller.h"

#include <gtest/gtest.h>

#include "sim/desktop_fixture.h"

namespace quorvel::tracking {
namespace {

using ports::RawWindow;

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
    const char* reason;  // empty: kept
};

class Reduction : public ::testing::TestWithParam<ReductionCase> {};

// The reason is what `quorvel --diagnose` prints for the window.
TEST_P(Reduction, KeepsOnlyOrdinaryWindowsOfUsefulSizeAndSaysWhy) {
    const auto& c = GetParam();
    EXPECT_EQ(kept({c.window}).size(), *c.reason ? 0u : 1u) << c.name;
    EXPECT_EQ(WindowPoller::rejection(c.window), c.reason) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Reduction,
    ::testing::Values(
        ReductionCase{"ordinary", raw("Terminal", 1, {0, 0, 800, 600}), ""},
        ReductionCase{"50 wide is too narrow", raw("Terminal", 1, {0, 0, 50, 200}), "too small"},
        ReductionCase{"50 high is too low", raw("Terminal", 1, {0, 0, 200, 50}), "too small"},
        ReductionCase{"just over 50 by 50", raw("Terminal", 1, {0, 0, 50.5, 50.5}), ""},
        ReductionCase{"floating panel", raw("Terminal", 1, {0, 0, 800, 600}, 3), "layer 3"},
        ReductionCase{"desktop layer", raw("Terminal", 1, {0, 0, 800, 600}, -20), "layer -20"},
        ReductionCase{"no owner", RawWindow{std::nullopt, 0, 1, core::Rect{0, 0, 800, 600}, {}},
                      "no owner"},
        ReductionCase{"no layer",
                      RawWindow{"Terminal", std::nullopt, 1, core::Rect{0, 0, 80, 80}, {}},
                      "no layer"},
        ReductionCase{"no number",
                      RawWindow{"Terminal", 0, std::nullopt, core::Rect{0, 0, 80, 80}, {}},
                      "no window id"},
        ReductionCase{"no bounds", RawWindow{"Terminal", 0, 1, std::nullopt, {}}, "no bounds"},
        ReductionCase{"dock", raw("Dock", 1, {0, 0, 800, 600}), "excluded owner"},
        ReductionCase{"dock-like name", raw("Dockyard", 1, {0, 0, 800, 600}), ""},
        ReductionCase{"window server", raw("Window Server", 1, {0, 0, 800, 600}), "excluded owner"},
        ReductionCase{"system ui", raw("SystemUIServer", 1, {0, 0, 800, 600}), "excluded owner"},
        ReductionCase{"login window", raw("loginwindow", 1, {0, 0, 800, 600}), "excluded owner"},
        ReductionCase{"window manager", raw("WindowManager", 1, {0, 0, 800, 600}),
                      "excluded owner"},
        ReductionCase{"own settings", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Quorvel Settings"),
                      ""},
        ReductionCase{"own updater", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Software Update"), ""},
        ReductionCase{"own veil", raw("Quorvel", 1, {0, 0, 1920, 1080}), "own window"},
        ReductionCase{"own other", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Tooltip"),
                      "own window"}));

class CountingDelegate : public WindowPollerDelegate {
public:
    void didUpdateWindows(const std::vector<WindowInfo>&) override { ++samples; }
    void beginScreenTransition(const ports::ScreenInfo&) override {}
    void endScreenTransition(const ports::ScreenInfo&) override {}
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

}  // namespace
}  // namespace quorvel::tracking
