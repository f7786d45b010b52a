// What drawing the veil of one 3840x2160 monitor costs through X Render: a
// full redraw (after a style change: tile upload, mask upload, one Composite)
// and one frame of the mode animation (mask upload and Composite), each timed
// until the X server has finished it. Run on a 3840x2160 virtual display with
// a compositor, so the veil draws into a redirected window as it does on a
// desktop; without one the benchmark claims the compositor selection itself,
// so the figures are the X server's drawing alone.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xcb_aux.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "core/virtual_scheduler.h"
#include "x11/connection.h"
#include "x11/veil_renderer.h"
#include "x11/x11_veil_window.h"

namespace quorvel::x11 {
namespace {

constexpr double kWidth = 3840;
constexpr double kHeight = 2160;

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

struct Desk {
    void claimCompositorSelection() {
        xcb_connection_t* c = connection.raw();
        auto atom =
            reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "_NET_WM_CM_S0"), nullptr));
        auto owner = reply(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
        if (owner && owner->owner != XCB_NONE) return;
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, connection.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(c, w, atom->atom, XCB_CURRENT_TIME);
        std::fprintf(stderr, "No compositor: measuring the X server's drawing alone\n");
    }

    Connection connection;
    core::VirtualScheduler scheduler;
    std::unique_ptr<X11VeilWindows> factory;
    std::shared_ptr<ports::VeilWindow> veil;
    long residentGrowth = 0;

    Desk() {
        if (!connection.isOpen()) return;
        claimCompositorSelection();
        factory = std::make_unique<X11VeilWindows>(connection, scheduler);
        const long before = residentBytes();
        ports::Monitor screen;
        screen.frame = {0, 0, kWidth, kHeight};
        screen.workArea = screen.frame;
        veil = factory->create(screen);
        veil->setAlpha(1.0);
        veil->cover();
        xcb_aux_sync(connection.raw());
        connection.processEvents();
        residentGrowth = residentBytes() - before;
    }
};

Desk& desk() {
    static Desk d;
    return d;
}

look::VeilAppearance look(double stop, double grain) {
    auto a = look::makeVeilAppearance(settings::FocusMode::ambient, grain, false, 1.0,
                                      settings::ThemeMode::dark, look::ColorScheme::dark, true);
    a.stopLocation = stop;
    return a;
}

void BM_VeilRedraw4k(benchmark::State& state) {
    Desk& d = desk();
    if (!d.veil) return state.SkipWithError("no X display");
    int i = 0;
    for (auto _ : state) {
        // A new grain intensity forces the tile upload as well as the mask.
        d.factory->renderer().drawAll(look(i % 2 ? 0.5 : 0.25, i % 2 ? 0.5 : 0.6));
        xcb_aux_sync(d.connection.raw());
        ++i;
    }
    state.counters["client_KiB"] = double(d.factory->renderer().clientBytes()) / 1024.0;
    state.counters["rss_growth_KiB"] = double(d.residentGrowth) / 1024.0;
}
BENCHMARK(BM_VeilRedraw4k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VeilAnimationFrame4k(benchmark::State& state) {
    Desk& d = desk();
    if (!d.veil) return state.SkipWithError("no X display");
    double stop = 0.5;
    for (auto _ : state) {
        stop = stop <= 0.0 ? 0.5 : stop - 1.0 / 30.0;  // half a second at 60 fps
        d.factory->renderer().drawAll(look(stop, 0.5));
        xcb_aux_sync(d.connection.raw());
    }
}
BENCHMARK(BM_VeilAnimationFrame4k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvel::x11

BENCHMARK_MAIN();
