// How long the veil takes to follow a focus switch: a pager-style client
// activates one of three windows with _NET_ACTIVE_WINDOW and times until the
// veil lies directly below that window's frame, 200 times. Run inside a
// virtual desktop (scripts/bench does); the argument is the program.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <typename T>
std::unique_ptr<T, decltype(&std::free)> own(T* p) {
    return {p, &std::free};
}

struct Desktop {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;

    xcb_atom_t atom(const char* name) const {
        auto r = own(xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name), nullptr));
        return r ? r->atom : XCB_NONE;
    }
    std::vector<xcb_window_t> stacking() const {  // bottom to top
        auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
        if (!tree) return {};
        const xcb_window_t* w = xcb_query_tree_children(tree.get());
        return {w, w + xcb_query_tree_children_length(tree.get())};
    }
    xcb_window_t frameOf(xcb_window_t w) const {
        for (;;) {
            auto tree = own(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
            if (!tree || tree->parent == root || tree->parent == XCB_NONE) return w;
            w = tree->parent;
        }
    }
    bool viewable(xcb_window_t w) const {
        auto a = own(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    bool isVeil(xcb_window_t w) const {
        auto r = own(xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr));
        if (!r || xcb_get_property_value_length(r.get()) == 0) return false;
        const std::string value(static_cast<const char*>(xcb_get_property_value(r.get())),
                                std::size_t(xcb_get_property_value_length(r.get())));
        auto g = own(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr));
        return value.find("Quorvel") != std::string::npos && g && g->width >= 640;
    }
    /// The first viewable window under `frame` is a veil.
    bool veilBelow(xcb_window_t frame) const {
        const auto stack = stacking();
        auto it = std::find(stack.begin(), stack.end(), frame);
        while (it != stack.begin()) {
            --it;
            if (viewable(*it)) return isVeil(*it);
        }
        return false;
    }
    xcb_window_t openWindow(int x, int y) const {
        const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t w = xcb_generate_id(c);
        const std::uint32_t values[] = {s->white_pixel};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, std::int16_t(x), std::int16_t(y), 500,
                          400, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(c, w);
        xcb_flush(c);
        return w;
    }
    void activate(xcb_window_t w) const {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = atom("_NET_ACTIVE_WINDOW");
        e.data.data32[0] = 2;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(c);
    }
    /// Waits for stacking events until `done` holds; false after `limit`.
    template <typename F>
    bool waitUntil(F done, std::chrono::milliseconds limit) const {
        const auto end = Clock::now() + limit;
        while (!done()) {
            if (Clock::now() > end) return false;
            while (auto* e = xcb_poll_for_event(c)) std::free(e);
            usleep(200);
        }
        return true;
    }
};

pid_t startProgram(const char* program, const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "quorvel");
    std::ofstream(home / "quorvel" / "com.quorvel.settings.json")
        << R"({"isOverlayEnabled": true})";
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: focus_switch_bench PROGRAM [switches [pause-ms]]\n");
        return 64;
    }
    const int switches = argc > 2 ? std::atoi(argv[2]) : 200;
    // Between switches: none (back to back) or, as a person switches, a pause
    // in which the frost of the windows below catches up.
    const int pauseMs = argc > 3 ? std::atoi(argv[3]) : 0;
    Desktop d;
    d.c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(d.c)) return 69;
    d.root = xcb_setup_roots_iterator(xcb_get_setup(d.c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(d.c, d.root, XCB_CW_EVENT_MASK, &mask);

    std::vector<xcb_window_t> windows{d.openWindow(100, 100), d.openWindow(300, 200),
                                      d.openWindow(500, 300)};
    usleep(500000);
    std::vector<xcb_window_t> frames;
    for (xcb_window_t w : windows) frames.push_back(d.frameOf(w));

    const auto home =
        std::filesystem::temp_directory_path() / ("quorvel-bench-" + std::to_string(getpid()));
    const pid_t program = startProgram(argv[1], home);
    d.activate(windows[0]);
    if (!d.waitUntil([&] { return d.veilBelow(frames[0]); }, std::chrono::seconds(15))) {
        std::fprintf(stderr, "the veil never appeared below the active window\n");
        kill(program, SIGTERM);
        return 1;
    }
    std::vector<double> ms;
    int missed = 0;
    for (int i = 1; i <= switches; ++i) {
        const std::size_t k = std::size_t(i) % windows.size();
        if (pauseMs > 0) usleep(useconds_t(pauseMs) * 1000);
        const auto start = Clock::now();
        d.activate(windows[k]);
        if (!d.waitUntil([&] { return d.veilBelow(frames[k]); }, std::chrono::seconds(2))) {
            ++missed;
            continue;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    std::filesystem::remove_all(home);
    if (ms.empty()) return 1;
    const std::string pace =
        pauseMs > 0 ? std::to_string(pauseMs) + " ms apart" : std::string("back to back");
    std::printf(
        "Focus switch to veil re-placed, %d switches %s on Xvfb + openbox: p50 %.1f ms, "
        "p95 %.1f ms (goal p95 <= 20 ms)%s\n",
        switches, pace.c_str(), percentile(ms, 0.5), percentile(ms, 0.95),
        missed ? (", " + std::to_string(missed) + " not followed within 2 s").c_str() : "");
    return 0;
}
