// One set of port expectations, run against the simulated desktop and the
// X11 adapters, so the behaviour tests' desktop stays true to the real one.
#include <gtest/gtest.h>

#include "contract_backend.h"

namespace quorvel::contract {
namespace {

using Factory = std::unique_ptr<Backend> (*)();

class PortContract : public ::testing::TestWithParam<Factory> {
protected:
    void SetUp() override {
        backend = GetParam()();
        if (!backend->available()) GTEST_SKIP() << "no X display (run through with-x-server)";
    }

    std::vector<std::int64_t> order() { return visibleOrder(*backend, windows); }
    std::int64_t open(core::Rect bounds, const std::string& title) {
        windows.push_back(backend->openWindow(bounds, title));
        return windows.back();
    }
    std::shared_ptr<ports::OverlayWindow> veil() {
        auto screens = backend->screens().screens();
        EXPECT_FALSE(screens.empty());
        auto window = backend->overlays().create(screens.front());
        window->setAlpha(1.0);
        return window;
    }

    std::unique_ptr<Backend> backend;
    std::vector<std::int64_t> windows;
};

TEST_P(PortContract, WindowListIsFrontToBackAndFollowsRaising) {
    const auto a = open({100, 100, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    const auto c = open({200, 200, 400, 300}, "C");
    EXPECT_EQ(order(), (std::vector<std::int64_t>{c, b, a}));
    backend->raise(a);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a, c, b}));
}

TEST_P(PortContract, EntriesCarryLayerTitleAndTheWindowsRectangle) {
    const auto a = open({300, 200, 400, 300}, "Report.odt");
    for (const auto& w :
         backend->windowList().onScreenWindows(ports::WindowListOption::OnScreenOnly)) {
        if (w.windowNumber != a) continue;
        EXPECT_EQ(w.layer, 0);
        EXPECT_EQ(w.title, "Report.odt");
        ASSERT_TRUE(w.bounds);
        // Decorations may add to it, but the window's own rectangle lies inside.
        EXPECT_LE(w.bounds->minX(), 300);
        EXPECT_LE(w.bounds->minY(), 200);
        EXPECT_GE(w.bounds->maxX(), 700);
        EXPECT_GE(w.bounds->maxY(), 500);
        EXPECT_LT(w.bounds->width, 440);
        return;
    }
    ADD_FAILURE() << "window not listed";
}

TEST_P(PortContract, VeilOrderedBelowAWindowSitsDirectlyBehindIt) {
    const auto a = open({100, 100, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    auto v = veil();
    v->orderBelow(b);
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{b, 0, a}));
    v->orderBelow(a);
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{b, a, 0}));
}

TEST_P(PortContract, VeilFollowsWhenAnotherWindowComesToTheFront) {
    const auto a = open({100, 100, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    auto v = veil();
    v->orderBelow(b);
    backend->settle();
    backend->raise(a);
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a, b, 0}));
    v->orderBelow(a);
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a, 0, b}));
}

TEST_P(PortContract, CoveringVeilLiesOverEveryOrdinaryWindow) {
    const auto a = open({100, 100, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    auto v = veil();
    v->setLevel(ports::WindowLevel::Covering);
    v->orderFront();
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{0, b, a}));
}

TEST_P(PortContract, VeilLeavesTheListWhenOrderedOutAndWhenClosed) {
    const auto a = open({100, 100, 400, 300}, "A");
    auto v = veil();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a})) << "a new veil starts hidden";
    v->orderBelow(a);
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a, 0}));
    v->orderOut();
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a}));
    v->orderFront();
    v->close();
    v->orderFront();  // a closed veil stays gone
    backend->settle();
    EXPECT_EQ(order(), (std::vector<std::int64_t>{a}));
}

TEST_P(PortContract, AlphaAnimatesToItsTargetAndThenCompletes) {
    auto v = veil();
    v->setAlpha(0.0);
    EXPECT_DOUBLE_EQ(v->alpha(), 0.0);
    int completions = 0;
    v->animateAlpha(1.0, 0.5, [&] { ++completions; });
    backend->scheduler.advance(0.25);
    EXPECT_GT(v->alpha(), 0.2);
    EXPECT_LT(v->alpha(), 0.8);
    EXPECT_EQ(completions, 0);
    backend->scheduler.advance(0.3);
    EXPECT_DOUBLE_EQ(v->alpha(), 1.0);
    EXPECT_EQ(completions, 1);
    backend->scheduler.advance(1.0);
    EXPECT_EQ(completions, 1);
}

TEST_P(PortContract, ClicksGoThroughTheVeilToTheWindowBelow) {
    const auto a = open({100, 100, 400, 300}, "A");
    auto v = veil();
    v->setLevel(ports::WindowLevel::Covering);
    v->orderFront();
    backend->settle();
    ASSERT_EQ(order(), (std::vector<std::int64_t>{0, a}));
    EXPECT_EQ(backend->clickAt({300, 250}), a);
}

INSTANTIATE_TEST_SUITE_P(Backends, PortContract,
                         ::testing::Values(&makeSimBackend, &makeX11Backend),
                         [](const ::testing::TestParamInfo<Factory>& param) {
                             return param.index == 0 ? "Sim" : "X11";
                         });

}  // namespace
}  // namespace quorvel::contract
