// One set of port expectations, run against the simulated desktop and the
// X11 adapters, so the behaviour tests' desktop stays true to the real one.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_aux.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <algorithm>

#include "contract_backend.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_desktop.h"
#include "x11/focus_return.h"
#include "x11/restack_requests.h"
#include "x11/window_mirror.h"
#include "x11_backend.h"

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

// What only the X11 adapters must do: the X server's own view of the veil,
// what window types and states mean, workspace switches, and the application in front.
class X11Adapter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.available()) GTEST_SKIP() << "no X display (run through with-x-server)";
    }
    /// What the desktop port says the window is; nothing when it is not listed.
    std::optional<std::pair<ports::WindowKind, bool>> kindOf(ports::WindowId id) {
        for (const auto& w : x.desktop().state().windows) {
            if (w.id == id) return std::pair{w.kind, w.keepAbove};
        }
        return std::nullopt;
    }
    std::shared_ptr<ports::VeilWindow> veil() {
        return x.veils().create(x.desktop().state().monitors.front());
    }
    X11Backend x;
};

// A veil that moved on every tick, or woke the sampling by moving, would
// spin a compositor; a raise is still reported at once.
TEST_F(X11Adapter, AVeilInPlaceIsNotRestackedAgainAndPlacingOneIsNotReported) {
    const auto a = x.openWindow({100, 100, 400, 300}, "A");
    const auto b = x.openWindow({200, 200, 400, 300}, "B");
    auto veil = this->veil();
    veil->placeBelow(b);
    x.settle();
    // Watch the root as a compositor would and count the veil's restacks.
    xcb_connection_t* c = x.tester();
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                                 XCB_CW_EVENT_MASK, &mask);
    x.settle();
    int changes = 0;
    auto counting = x.adapter().windows().changed().connect([&] { ++changes; });
    for (int tick = 0; tick < 20; ++tick) {
        x.desktop().state();
        veil->placeBelow(b);
    }
    x.settle();
    int restacks = 0;
    const auto id = static_cast<x11::X11VeilWindow*>(veil.get())->id();
    while (auto* raw = xcb_poll_for_event(c)) {
        auto e = x11::reply(raw);
        if ((e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY &&
            reinterpret_cast<xcb_configure_notify_event_t*>(e.get())->window == id)
            ++restacks;
    }
    EXPECT_EQ(restacks, 0);
    for (int i = 0; i < 3; ++i) {
        veil->cover();
        x.settle();
        veil->placeBelow(b);
        x.settle();
    }
    EXPECT_EQ(changes, 0);
    x.raise(a);
    EXPECT_TRUE(x.waitFor([&] { return changes > 0; }));
}

// Another client restacks while the veil's own restack is on its way (held
// back here by that client's server grab): the windows its events place next
// to the veil must land where the server has them, or the veil and its frost
// go by a wrong order until something else moves.
TEST_F(X11Adapter, TheStackingReadIsTheServersWhenAnotherClientRestacksMeanwhile) {
    xcb_connection_t* t = x.tester();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(t)).data->root;
    const auto make = [&] {  // outside the window manager, as a menu or i3's frames are
        const xcb_window_t w = xcb_generate_id(t);
        const std::uint32_t unmanaged = 1;
        xcb_create_window(t, XCB_COPY_FROM_PARENT, w, root, 100, 100, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_OVERRIDE_REDIRECT, &unmanaged);
        xcb_map_window(t, w);
        return w;
    };
    const xcb_window_t b = make(), c = make();
    auto veil = this->veil();
    for (int i = 0; i < 2; ++i) {  // the windows known, then the veil mapped below b
        x.settle();
        x.desktop().state();
        veil->placeBelow(b);
    }
    x.settle();
    x.desktop().state();
    ASSERT_TRUE(static_cast<x11::X11VeilWindow*>(veil.get())->isMapped());
    xcb_grab_server(t);
    xcb_aux_sync(t);
    std::mutex m;
    std::condition_variable done;
    bool asked = false;
    std::thread watchdog([&] {  // should the adapter wait on the server, it must not wait for good
        std::unique_lock lock(m);
        if (!done.wait_for(lock, std::chrono::seconds(5), [&] { return asked; }))
            ADD_FAILURE() << "placing the veil waited on the server";
        xcb_ungrab_server(t);
        xcb_flush(t);
    });
    veil->placeBelow(c);
    const std::uint32_t belowB[] = {b, XCB_STACK_MODE_BELOW};
    xcb_configure_window(t, c, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, belowB);
    {
        std::lock_guard lock(m);
        asked = true;
    }
    done.notify_one();
    watchdog.join();
    const auto server = [&] {
        x.settle();
        x.desktop().state();
        auto tree = x11::reply(xcb_query_tree_reply(t, xcb_query_tree(t, root), nullptr));
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree.get()) : nullptr;
        return std::vector<xcb_window_t>(
            children, children + (tree ? xcb_query_tree_children_length(tree.get()) : 0));
    };
    EXPECT_EQ(server(), x.adapter().windows().stacking());
    // Raised away from the veil, the same window takes it along again.
    const std::uint32_t top = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(t, c, XCB_CONFIG_WINDOW_STACK_MODE, &top);
    server();
    veil->placeBelow(c);
    const auto now = server();
    ASSERT_GE(now.size(), 2u);
    EXPECT_EQ(now[now.size() - 2], static_cast<x11::X11VeilWindow*>(veil.get())->id());
}

TEST(X11RestackRequests, EachIsSentOnceAndTheNextBuiltFromTheStackingTheyLeave) {
    using Request = x11::RestackRequests::Request;
    constexpr xcb_window_t V = 1, A = 2, B = 3, C = 4, none = XCB_NONE;
    constexpr auto above = XCB_STACK_MODE_ABOVE, below = XCB_STACK_MODE_BELOW;
    struct Step {
        std::vector<xcb_window_t> stack;  // bottom to top; V is the veil
        xcb_window_t under, over;
        std::uint32_t moves;  // of the veil by the window manager so far
        double at;
        std::optional<Request> sent;
    };
    const Step first{{V, A, B}, A, B, 0, 0.0, Request{A, above}};
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"below the window it must lie on: above that one", {first}},
        // mutter moves a window only the way it is asked to.
        {"above the window it must lie under: below that one",
         {{{A, B, V}, A, B, 0, 0.0, Request{B, below}}}},
        {"nothing over it: above the window under it",
         {{{V, A}, A, none, 0, 0.0, Request{A, above}}}},
        {"nothing under it: below the window over it",
         {{{A, V}, none, A, 0, 0.0, Request{A, below}}}},
        // KWin, asked twice, raised the veil over the active window.
        {"placed again before the window manager acted: nothing more",
         {first,
          {{V, A, B}, A, B, 0, 0.016, std::nullopt},
          {{V, A, B}, A, B, 0, 0.3, std::nullopt}}},
        // Built from the stacking the first request leaves, so that it undoes
        // that request's putting the veil over the window, not from the one before.
        {"back to the window below before the window manager acted: below it at once",
         {first, {{V, B, A}, B, A, 0, 0.1, Request{A, below}}}},
        {"once the window manager moved the veil: the next request at once",
         {first, {{A, V, B, C}, B, C, 1, 0.02, Request{B, above}}}},
        {"a request never acted on goes out again after half a second",
         {first, {{V, A, B}, A, B, 0, 0.5, Request{A, above}}}},
    };
    for (const auto& c : cases) {
        x11::RestackRequests requests;
        for (const Step& step : c.steps) {
            EXPECT_EQ(requests.next(step.stack, V, step.under, step.over, step.moves, step.at),
                      step.sent)
                << c.what << ", at " << step.at << " s";
        }
    }
}

TEST_F(X11Adapter, WindowTypesAndStatesSayWhatAWindowIs) {
    const std::string normal = "_NET_WM_WINDOW_TYPE_NORMAL", dialog = "_NET_WM_WINDOW_TYPE_DIALOG",
                      utility = "_NET_WM_WINDOW_TYPE_UTILITY", above = "_NET_WM_STATE_ABOVE";
    using K = ports::WindowKind;
    using Is = std::optional<std::pair<K, bool>>;
    struct Case {
        std::vector<std::string> types, states;
        Is is;
    } cases[] = {
        {{normal}, {}, Is{{K::normal, false}}},
        {{dialog}, {above}, Is{{K::dialog, true}}},
        {{}, {above}, Is{{K::normal, true}}},  // untyped: a normal window
        {{utility}, {}, Is{{K::utility, false}}},
        {{"_NET_WM_WINDOW_TYPE_TOOLBAR"}, {above}, Is{{K::utility, true}}},
        {{"_NET_WM_WINDOW_TYPE_DOCK"}, {}, Is{{K::other, false}}},
        {{"_NET_WM_WINDOW_TYPE_SPLASH"}, {}, std::nullopt},
        {{normal}, {"_NET_WM_STATE_HIDDEN"}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string label = (c.types.empty() ? "untyped" : c.types.front()) +
                                  (c.states.empty() ? "" : " " + c.states.front());
        const auto w = x.openWindow({100, 100, 300, 200}, label);
        x.setAtoms(xcb_window_t(w), "_NET_WM_STATE", c.states);
        x.setAtoms(xcb_window_t(w), "_NET_WM_WINDOW_TYPE", c.types);
        x.waitFor([&] { return kindOf(w) == c.is; });
        EXPECT_EQ(kindOf(w), c.is) << label;
    }
}

TEST_F(X11Adapter, AnAnimatedWorkspaceSwitchIsReportedUntilItHasSettled) {
    auto& desktop = static_cast<x11::X11Desktop&>(x.desktop());
    int changes = 0;
    auto counting = desktop.changed().connect([&] { ++changes; });
    xcb_connection_t* c = x.tester();
    // What the window manager writes when it switches (wmctrl -s N).
    const auto switchTo = [&](std::uint32_t number) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE,
                            xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                            x.atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &number);
        x.settle();
        x.scheduler.runPending();
        return desktop.state().switchingWorkspace;
    };
    EXPECT_FALSE(switchTo(1)) << "an instant switch leaves the veils alone";
    desktop.setSwitchAnimates([] { return true; });
    EXPECT_TRUE(switchTo(2));
    EXPECT_GT(changes, 0);
    x.scheduler.advance(x11::X11Desktop::kSwitchSettle);
    EXPECT_FALSE(desktop.state().switchingWorkspace);
}

TEST_F(X11Adapter, TheApplicationInFrontIsNamedByItsDesktopEntry) {
    sim::SimAppCatalog catalog;
    x11::X11Desktop desktop(x.adapter(), x.scheduler, catalog);
    const auto w = x.openWindow({100, 100, 300, 200}, "A");
    x.raise(w);
    x.waitFor([&] { return desktop.frontApplication().has_value(); });
    auto front = desktop.frontApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->appId, std::nullopt) << "no entry is installed for it";
    EXPECT_EQ(front->name, "Contract");

    // Entries are indexed when first needed, so a new adapter sees a new one.
    catalog.addApplication("org.example.Contract", "Contract Studio");
    x11::X11Desktop later(x.adapter(), x.scheduler, catalog);
    front = later.frontApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->appId, "org.example.Contract");
    EXPECT_EQ(front->name, "Contract Studio");
    EXPECT_EQ(later.state().windows.front().appId, "org.example.Contract");
}

TEST_F(X11Adapter, FocusGoesBackToTheWindowThatHadItBeforeOursOpened) {
    x11::FocusReturn focus(x.adapter());
    auto active = [&] {
        x.adapter().windows().refresh();
        return ports::WindowId(x.adapter().windows().activeWindow());
    };
    const auto a = x.openWindow({100, 100, 300, 200}, "A");
    const auto b = x.openWindow({200, 150, 300, 200}, "B");
    x.raise(a);
    ASSERT_TRUE(x.waitFor([&] { return active() == a; }));
    focus.remember();
    x.raise(b);  // stands for our window taking the focus
    ASSERT_TRUE(x.waitFor([&] { return active() == b; }));
    focus.restore();
    EXPECT_TRUE(x.waitFor([&] { return active() == a; }));
}

}  // namespace
}  // namespace quorvel::contract
