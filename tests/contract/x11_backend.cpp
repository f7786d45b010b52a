#include "x11_backend.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb_aux.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "x11/window_mirror.h"

namespace quorvel::contract {

namespace {

bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

std::unique_ptr<Backend> makeX11Backend() {
    return std::make_unique<X11Backend>();
}

X11Backend::X11Backend() {
    if (!std::getenv("DISPLAY")) return;
    adapter_ = std::make_unique<x11::Connection>();
    if (!adapter_->isOpen()) return;
    adapter_->setOwnPid(0);  // test windows come from this process too; they must look foreign
    // One 1280x800 monitor on the left half of the screen, like the simulated desktop.
    run("xrandr --delmonitor right");
    run("xrandr --setmonitor left 1280/340x800/210+0+0 screen");
    desktop_ = std::make_unique<x11::X11Desktop>(*adapter_, scheduler, catalog_);
    veils_ = std::make_unique<x11::X11VeilWindows>(*adapter_, scheduler);
    xcb_connection_t* tester = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(tester)) {
        xcb_disconnect(tester);
        return;
    }
    tester_ = tester;
    waitFor([this] { return desktop_->state().monitors.size() == 1; });
}

X11Backend::~X11Backend() {
    if (!tester_) return;
    for (xcb_window_t w : windows_) xcb_destroy_window(tester_, w);
    xcb_aux_sync(tester_);
    xcb_disconnect(tester_);
}

bool X11Backend::waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (true) {
        xcb_aux_sync(tester_);
        adapter_->sync();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ports::WindowId X11Backend::openWindow(const core::Rect& b, const std::string& title) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(tester_)).data;
    const xcb_window_t w = xcb_generate_id(tester_);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(tester_, XCB_COPY_FROM_PARENT, w, screen->root, std::int16_t(b.x),
                      std::int16_t(b.y), std::uint16_t(b.width), std::uint16_t(b.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_size_hints_t hints{};
    xcb_icccm_size_hints_set_position(&hints, 1, std::int32_t(b.x), std::int32_t(b.y));
    xcb_icccm_size_hints_set_size(&hints, 1, std::int32_t(b.width), std::int32_t(b.height));
    xcb_icccm_set_wm_normal_hints(tester_, w, &hints);
    xcb_icccm_set_wm_name(tester_, w, XCB_ATOM_STRING, 8, std::uint32_t(title.size()),
                          title.c_str());
    static constexpr char wmClass[] = "contract\0Contract";
    xcb_icccm_set_wm_class(tester_, w, sizeof(wmClass), wmClass);
    xcb_map_window(tester_, w);
    windows_.push_back(w);
    const bool listed = waitFor([&] { return stacking({w}) == std::vector<ports::WindowId>{w}; });
    if (!listed) ADD_FAILURE() << "window \"" << title << "\" never appeared in the stacking";
    return w;
}

void X11Backend::raise(ports::WindowId number) {
    run("xdotool windowactivate " + std::to_string(number));  // as a pager asks: always honoured
    std::vector<ports::WindowId> ours(windows_.begin(), windows_.end());
    // The window manager raises first and names the active window after; on
    // a loaded machine the port can be read between the two.
    waitFor([&] {
        auto order = stacking(ours);
        std::erase(order, 0);
        return !order.empty() && order.front() == number && desktop_->state().active == number;
    });
}

void X11Backend::settle() {
    xcb_aux_sync(tester_);
    adapter_->sync();
}

std::vector<ports::WindowId> X11Backend::stacking(const std::vector<ports::WindowId>& windows) {
    x11::WindowMirror& mirror = adapter_->windows();
    mirror.refresh();
    std::vector<ports::WindowId> order;
    const auto& stack = mirror.stacking();  // bottom to top
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        const x11::Toplevel* top = mirror.toplevel(*it);
        if (!top || !top->mapped) continue;
        if (mirror.isOwnWindow(*it)) {
            order.push_back(0);
        } else if (std::find(windows.begin(), windows.end(), mirror.subjectOf(*top)) !=
                   windows.end()) {
            order.push_back(mirror.subjectOf(*top));
        }
    }
    return order;
}

void X11Backend::setAtoms(xcb_window_t window, const std::string& property,
                          const std::vector<std::string>& values) {
    std::vector<xcb_atom_t> atoms;
    for (const auto& v : values) atoms.push_back(atom(v));
    xcb_change_property(tester_, XCB_PROP_MODE_REPLACE, window, atom(property), XCB_ATOM_ATOM, 32,
                        std::uint32_t(atoms.size()), atoms.data());
    xcb_flush(tester_);
}

}  // namespace quorvel::contract
