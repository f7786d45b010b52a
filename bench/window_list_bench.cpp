// One window-list sample on a live X server with 40 managed windows (or as
// many as --windows=N says): the event-maintained mirror against a naive
// sample that asks the server about every window one request at a time.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xcb_aux.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "x11/connection.h"
#include "x11/x11_desktop.h"

namespace {

using namespace quorvel;

int windowCount = 40;

/// The windows another program shows while the samples run.
class Desktop {
public:
    Desktop() : c_(xcb_connect(nullptr, nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        for (int i = 0; i < windowCount; ++i) {
            const xcb_window_t w = xcb_generate_id(c_);
            xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen->root,
                              std::int16_t(20 + 15 * (i % 40) + i / 40),
                              std::int16_t(20 + 10 * (i % 40) + i / 40), 400, 300, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            const std::string title = "Window " + std::to_string(i);
            xcb_icccm_set_wm_name(c_, w, XCB_ATOM_STRING, 8, std::uint32_t(title.size()),
                                  title.c_str());
            static constexpr char wmClass[] = "bench\0Bench";
            xcb_icccm_set_wm_class(c_, w, sizeof(wmClass), wmClass);
            xcb_map_window(c_, w);
            windows_.push_back(w);
        }
        xcb_aux_sync(c_);
        // Let the window manager frame them all: a window it framed has a
        // parent other than the root. Hundreds take it a while.
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (framed(screen->root) < windowCount && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~Desktop() { xcb_disconnect(c_); }

private:
    int framed(xcb_window_t root) {
        int count = 0;
        for (xcb_window_t w : windows_) {
            auto* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
            count += tree && tree->parent != root;
            std::free(tree);
        }
        return count;
    }

    xcb_connection_t* c_;
    std::vector<xcb_window_t> windows_;
};

Desktop& desktop() {
    static Desktop d;
    return d;
}

template <typename T>
x11::Reply<T> wait(T* raw) {
    return x11::reply(raw);
}

xcb_get_property_reply_t* property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom) {
    return xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
}

/// What a sample costs without a mirror: the stacking, then every window's
/// attributes, geometry, client and properties, each asked and awaited in turn.
std::size_t naiveSample(x11::Connection& x) {
    xcb_connection_t* c = x.raw();
    xcb_ewmh_connection_t& ewmh = x.ewmh();
    auto tree = wait(xcb_query_tree_reply(c, xcb_query_tree(c, x.root()), nullptr));
    std::size_t listed = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        const xcb_window_t frame = children[i];
        auto attributes =
            wait(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, frame), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        auto geometry = wait(xcb_get_geometry_reply(c, xcb_get_geometry(c, frame), nullptr));
        auto inside = wait(xcb_query_tree_reply(c, xcb_query_tree(c, frame), nullptr));
        const xcb_window_t client = inside && xcb_query_tree_children_length(inside.get()) > 0
                                        ? xcb_query_tree_children(inside.get())[0]
                                        : frame;
        for (xcb_atom_t atom :
             {ewmh._NET_WM_PID, ewmh._NET_WM_NAME, xcb_atom_t(XCB_ATOM_WM_CLASS),
              ewmh._NET_WM_WINDOW_TYPE, ewmh._NET_WM_STATE, ewmh._NET_FRAME_EXTENTS}) {
            wait(property(c, client, atom));
        }
        wait(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, client, x.root(), 0, 0), nullptr));
        listed += geometry != nullptr;
    }
    return listed;
}

void BM_MirroredSample(benchmark::State& state) {
    desktop();
    x11::Connection x;
    core::VirtualScheduler scheduler;
    sim::SimAppCatalog catalog;
    x11::X11Desktop desktop(x, scheduler, catalog);
    std::size_t listed = desktop.state().windows.size();
    for (auto _ : state) {
        desktop.overviewChanged();  // as any change does: the state is read anew
        auto read = desktop.state();
        listed = read.windows.size();
        benchmark::DoNotOptimize(read);
    }
    state.counters["windows"] = double(listed);
}

void BM_NaiveSample(benchmark::State& state) {
    desktop();
    x11::Connection x;
    std::size_t listed = 0;
    for (auto _ : state) benchmark::DoNotOptimize(listed = naiveSample(x));
    state.counters["windows"] = double(listed);
}

BENCHMARK(BM_MirroredSample)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_NaiveSample)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    // --windows=N is ours; the rest is Google Benchmark's.
    constexpr std::string_view flag = "--windows=";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, flag.size()) == flag) {
            windowCount = std::max(1, std::atoi(argv[i] + flag.size()));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
