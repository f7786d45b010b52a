// One set of port expectations, run against the simulated desktop and the
// X11 adapters, so the behaviour tests' desktop stays true to the real one.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract_backend.h"
#include "sim/sim_desktop.h"

namespace quorvel::contract {
namespace {

class SimBackend final : public Backend {
public:
    SimBackend() { desktop_.addMonitor({0, 0, 1280, 800}); }

    bool available() const override { return true; }
    ports::Desktop& desktop() override { return desktop_; }
    ports::VeilWindows& veils() override { return desktop_; }

    ports::WindowId openWindow(const core::Rect& frame, const std::string& title) override {
        return desktop_.open({.app = title, .frame = frame});
    }
    void raise(ports::WindowId id) override { desktop_.activate(id); }
    void settle() override {}
    std::vector<ports::WindowId> stacking(const std::vector<ports::WindowId>& windows) override {
        auto order = desktop_.stacking();
        std::erase_if(order, [&](ports::WindowId id) {
            return id != 0 && std::find(windows.begin(), windows.end(), id) == windows.end();
        });
        return order;
    }

private:
    sim::SimDesktop desktop_{scheduler};
};

std::unique_ptr<Backend> makeSimBackend() {
    return std::make_unique<SimBackend>();
}

using Factory = std::unique_ptr<Backend> (*)();

class PortContract : public ::testing::TestWithParam<Factory> {
protected:
    void SetUp() override {
        backend = GetParam()();
        if (!backend->available()) GTEST_SKIP() << "no X display (run through with-x-server)";
    }

    using Order = std::vector<ports::WindowId>;
    Order order() { return backend->stacking(windows); }
    ports::WindowId open(core::Rect frame, const std::string& title) {
        windows.push_back(backend->openWindow(frame, title));
        return windows.back();
    }
    std::shared_ptr<ports::VeilWindow> veil() {
        const auto monitors = backend->desktop().state().monitors;
        EXPECT_FALSE(monitors.empty());
        auto window = backend->veils().create(monitors.front());
        window->setAlpha(1.0);
        return window;
    }

    std::unique_ptr<Backend> backend;
    std::vector<ports::WindowId> windows;
};

TEST_P(PortContract, TheStateListsWindowsFrontToBackWithTheirFramesAndTheActiveOne) {
    const auto a = open({300, 200, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    backend->raise(a);
    const auto state = backend->desktop().state();
    Order listed;
    for (const auto& w : state.windows) {
        if (w.id != a && w.id != b) continue;
        listed.push_back(w.id);
        EXPECT_EQ(w.kind, ports::WindowKind::normal);
        if (w.id != a) continue;
        // Decorations may add to it, but the window's own rectangle lies inside.
        EXPECT_LE(w.frame.minX(), 300);
        EXPECT_LE(w.frame.minY(), 200);
        EXPECT_GE(w.frame.maxX(), 700);
        EXPECT_GE(w.frame.maxY(), 500);
        EXPECT_LT(w.frame.width, 440);
    }
    EXPECT_EQ(listed, (Order{a, b}));
    EXPECT_EQ(state.active, a);
    EXPECT_EQ(state.monitors.size(), 1u);
}

// That clicks go through a veil is the Quorvel suite's (a click on a veiled
// window reaches it).
TEST_P(PortContract, AVeilSitsDirectlyBelowItsWindowOrOverAllAndLeavesWhenHiddenOrClosed) {
    const auto a = open({100, 100, 400, 300}, "A");
    const auto b = open({150, 150, 400, 300}, "B");
    auto v = veil();
    EXPECT_EQ(order(), (Order{b, a})) << "a new veil starts hidden";
    v->placeBelow(b);
    backend->settle();
    EXPECT_EQ(order(), (Order{b, 0, a}));
    backend->raise(a);
    v->placeBelow(a);
    backend->settle();
    EXPECT_EQ(order(), (Order{a, 0, b})) << "placed again, it follows";
    v->cover();
    backend->settle();
    EXPECT_EQ(order(), (Order{0, a, b}));
    v->hide();
    backend->settle();
    EXPECT_EQ(order(), (Order{a, b}));
    v->cover();
    v->close();
    v->cover();  // a closed veil stays gone
    backend->settle();
    EXPECT_EQ(order(), (Order{a, b}));
}

TEST_P(PortContract, OpacityEasesToItsTargetAndThenCompletesOnce) {
    auto v = veil();
    v->setAlpha(0.0);
    int completions = 0;
    v->animateAlpha(1.0, 0.5, [&] { ++completions; });
    backend->scheduler.advance(0.25);
    EXPECT_GT(v->alpha(), 0.2);
    EXPECT_LT(v->alpha(), 0.8);
    EXPECT_EQ(completions, 0);
    backend->scheduler.advance(0.3);
    EXPECT_DOUBLE_EQ(v->alpha(), 1.0);
    backend->scheduler.advance(1.0);
    EXPECT_EQ(completions, 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, PortContract,
                         ::testing::Values(&makeSimBackend, &makeX11Backend),
                         [](const ::testing::TestParamInfo<Factory>& param) {
                             return param.index == 0 ? "Sim" : "X11";
                         });

}  // namespace
}  // namespace quorvel::contract
