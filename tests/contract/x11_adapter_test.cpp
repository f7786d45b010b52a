// What only the X11 adapters must do: the X server's own view of the veil,
// the layers of window types, and the frontmost application.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "x11/focus_return.h"
#include "x11/window_mirror.h"
#include "x11/x11_window_list.h"
#include "x11/x11_workspace.h"
#include "tracking/display_transition_detector.h"
#include "tracking/window_poller.h"
#include "x11_backend.h"

namespace quorvel::contract {
namespace {

class X11Adapter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.available()) GTEST_SKIP() << "no X display (run through with-x-server)";
    }
    std::optional<std::int32_t> layerOf(std::int64_t number) {
        for (const auto& w :
             x.windowList().onScreenWindows(ports::WindowListOption::OnScreenOnly)) {
            if (w.windowNumber == number) return w.layer;
        }
        return std::nullopt;
    }
    X11Backend x;
};

TEST_F(X11Adapter, VeilInPlaceIsNotRestackedAgain) {
    const auto a = x.openWindow({100, 100, 400, 300}, "A");
    auto veil = x.overlays().create(x.screens().screens().front());
    auto* window = static_cast<x11::X11OverlayWindow*>(veil.get());
    veil->orderBelow(a);
    x.settle();
    // Watch the root as a compositor would and count the veil's restacks.
    xcb_connection_t* c = x.tester();
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                                 XCB_CW_EVENT_MASK, &mask);
    x.settle();
    for (int tick = 0; tick < 20; ++tick) {
        x.windowList().onScreenWindows(ports::WindowListOption::OnScreenOnly);
        veil->orderBelow(a);
    }
    x.settle();
    int restacks = 0;
    while (auto* raw = xcb_poll_for_event(c)) {
        auto e = x11::reply(raw);
        const bool configure = (e->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
        if (configure &&
            reinterpret_cast<xcb_configure_notify_event_t*>(e.get())->window == window->id())
            ++restacks;
    }
    EXPECT_EQ(restacks, 0);
}

TEST_F(X11Adapter, ChangesAreReportedButPlacingAVeilIsNot) {
    const auto a = x.openWindow({100, 100, 400, 300}, "A");
    const auto b = x.openWindow({200, 200, 400, 300}, "B");
    auto veil = x.overlays().create(x.screens().screens().front());
    veil->orderBelow(b);
    x.settle();
    int changes = 0;
    auto counting = x.adapter().windows().changed().connect([&] { ++changes; });
    for (int i = 0; i < 3; ++i) {
        veil->orderFront();
        x.settle();
        veil->orderBelow(b);
        x.settle();
    }
    EXPECT_EQ(changes, 0) << "a veil that wakes a sample by moving would spin";
    x.raise(a);
    EXPECT_TRUE(x.waitFor([&] { return changes > 0; })) << "a raise is reported at once";
}

TEST_F(X11Adapter, AWindowInAnOverrideRedirectFrameIsOrdinary) {
    // i3, awesome, fluxbox and icewm frame their windows this way.
    const auto w = x.openWindow({100, 100, 300, 200}, "Framed");
    ASSERT_TRUE(x.waitFor([&] { return layerOf(w) == 0; }));
    x11::WindowMirror& mirror = x.adapter().windows();
    const xcb_window_t frame = mirror.toplevelFor(xcb_window_t(w))->id;
    ASSERT_NE(frame, xcb_window_t(w)) << "openbox frames its windows";
    const std::uint32_t on = 1, position[] = {120, 110};
    xcb_change_window_attributes(x.tester(), frame, XCB_CW_OVERRIDE_REDIRECT, &on);
    // The move makes the server report the flag to the mirror.
    xcb_configure_window(x.tester(), frame, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    ASSERT_TRUE(x.waitFor([&] {
        const x11::Toplevel* top = mirror.toplevel(frame);
        return top && top->overrideRedirect;
    }));
    EXPECT_EQ(layerOf(w), 0);
}

TEST_F(X11Adapter, VeilOpacityPropertyFollowsTheFade) {
    auto veil = x.overlays().create(x.screens().screens().front());
    auto* window = static_cast<x11::X11OverlayWindow*>(veil.get());
    veil->setAlpha(0);
    veil->animateAlpha(1.0, 0.5, nullptr);
    auto opacity = [&] {
        x.settle();
        xcb_connection_t* c = x.tester();
        auto r = x11::reply(xcb_get_property_reply(
            c,
            xcb_get_property(c, 0, window->id(), x.atom("_NET_WM_WINDOW_OPACITY"),
                             XCB_ATOM_CARDINAL, 0, 1),
            nullptr));
        return r && xcb_get_property_value_length(r.get()) == 4
                   ? *static_cast<std::uint32_t*>(xcb_get_property_value(r.get()))
                   : 0u;
    };
    EXPECT_EQ(opacity(), 0u);
    x.scheduler.advance(0.25);
    EXPECT_GT(opacity(), 0x40000000u);
    EXPECT_LT(opacity(), 0xC0000000u);
    x.scheduler.advance(0.3);
    EXPECT_EQ(opacity(), 0xFFFFFFFFu);
}

TEST_F(X11Adapter, WindowTypesAndStatesMapToLayers) {
    const std::string normal = "_NET_WM_WINDOW_TYPE_NORMAL", dialog = "_NET_WM_WINDOW_TYPE_DIALOG",
                      utility = "_NET_WM_WINDOW_TYPE_UTILITY", above = "_NET_WM_STATE_ABOVE";
    const std::int32_t floating = x11::layer::floating;
    struct Case {
        std::vector<std::string> types, states;
        std::optional<std::int32_t> layer;
    } cases[] = {
        {{normal}, {}, 0},
        {{dialog}, {}, 0},
        {{utility}, {}, floating},
        {{"_NET_WM_WINDOW_TYPE_DOCK"}, {}, x11::layer::dock},
        // "Always on top" is the user's choice for a window they work in.
        {{}, {above}, 0},
        {{normal}, {above}, 0},
        {{dialog}, {above}, 0},
        {{utility}, {above}, floating},
        {{"_NET_WM_WINDOW_TYPE_TOOLBAR"}, {above}, floating},
        {{normal}, {"_NET_WM_STATE_HIDDEN"}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string label = (c.types.empty() ? "untyped" : c.types.front()) +
                                  (c.states.empty() ? "" : " " + c.states.front());
        const auto w = x.openWindow({100, 100, 300, 200}, label);
        // From a layer other than the expected one, so the wait sees the case's own answer.
        x.setAtoms(xcb_window_t(w), "_NET_WM_WINDOW_TYPE",
                   {c.layer == floating ? normal : utility});
        x.waitFor([&] { return layerOf(w) != c.layer; });
        ASSERT_NE(layerOf(w), c.layer) << label;
        x.setAtoms(xcb_window_t(w), "_NET_WM_STATE", c.states);
        x.setAtoms(xcb_window_t(w), "_NET_WM_WINDOW_TYPE", c.types);
        x.waitFor([&] { return layerOf(w) == c.layer; });
        EXPECT_EQ(layerOf(w), c.layer) << label;
    }
}

TEST_F(X11Adapter, AWorkspaceSwitchReadsAsAWallpaperThatMovesAndThenStandsStill) {
    struct Recorder final : tracking::WindowPollerDelegate {
        void didUpdateWindows(const std::vector<tracking::WindowInfo>&) override {}
        void beginScreenTransition(const ports::ScreenInfo&) override {
            events.push_back("begin");
        }
        void endScreenTransition(const ports::ScreenInfo&) override { events.push_back("end"); }
        std::vector<std::string> events;
    } recorder;
    int changes = 0;
    x.windowList().setChangeHandler([&] { ++changes; });
    core::VirtualScheduler clock{0.0};
    core::PreferenceStore store(clock);
    tracking::DisplayTransitionDetector detector(store, clock);
    std::map<std::uint32_t, tracking::DisplayState> states;
    const auto sampleForASecond = [&] {  // as the poller does, ten times a second
        for (int i = 0; i < 10; ++i) {
            x.adapter().sync();
            detector.detect(
                x.windowList().onScreenWindows(ports::WindowListOption::OnScreenOnly),
                x.screens().screens(), states, &recorder);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    };
    sampleForASecond();
    EXPECT_TRUE(recorder.events.empty()) << "a still desktop is no switch";

    // What the window manager writes when it switches (wmctrl -s N).
    xcb_connection_t* c = x.tester();
    const auto switchTo = [&](std::uint32_t desktop) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE,
                            xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                            x.atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1, &desktop);
        x.adapter().sync();
        sampleForASecond();
    };
    auto& list = static_cast<x11::X11WindowList&>(x.windowList());
    switchTo(1);
    EXPECT_TRUE(recorder.events.empty()) << "an instant switch leaves the veil alone";
    list.setSwitchAnimates([] { return true; });
    switchTo(2);
    EXPECT_GT(changes, 0) << "a switch asks for a sample";
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"begin", "end"}));
    x.windowList().setChangeHandler({});
}

TEST_F(X11Adapter, FrontmostApplicationIsNamedByItsDesktopEntry) {
    sim::SimAppCatalog catalog;
    x11::X11Workspace workspace(x.adapter(), catalog);
    const auto w = x.openWindow({100, 100, 300, 200}, "A");
    x.raise(w);
    x.waitFor([&] { return workspace.frontmostApplication().has_value(); });
    auto front = workspace.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleId, std::nullopt) << "no entry is installed for it";
    EXPECT_EQ(front->name, "Contract");

    // Entries are indexed when first needed, so a fresh workspace sees a new one.
    catalog.addApplication("org.example.Contract", "Contract Studio");
    x11::X11Workspace later(x.adapter(), catalog);
    front = later.frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->bundleId, "org.example.Contract");
    EXPECT_EQ(front->name, "Contract Studio");
}

TEST_F(X11Adapter, FocusGoesBackToTheWindowThatHadItBeforeOursOpened) {
    x11::FocusReturn focus(x.adapter());
    auto active = [&] {
        x.adapter().windows().refresh();
        return std::int64_t(x.adapter().windows().activeWindow());
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
