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
        ReductionCase{"own other", raw("Quorvel", 1, {0, 0, 600, 400}, 0, "Tooltip"), false}));

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

}  // namespace
}  // namespace quorvel::tracking
