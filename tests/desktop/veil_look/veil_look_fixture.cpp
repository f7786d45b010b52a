#include "veil_look_fixture.h"

#include <xcb/shape.h>
#include <xcb/xcb_aux.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace quorvel::veil_look {

double Shot::rowLevel(int y) const {
    double sum = 0;
    const std::size_t row = std::size_t(y) * std::size_t(width) * 3;
    for (std::size_t i = 0; i < std::size_t(width) * 3; ++i) sum += rgb[row + i];
    return sum / (width * 3.0);
}

double Shot::variance(int top, int bottom) const {
    double sum = 0, squares = 0;
    std::size_t n = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
            const double grey = (rgb[i] + rgb[i + 1] + rgb[i + 2]) / 3.0;
            sum += grey;
            squares += grey * grey;
            ++n;
        }
    }
    const double mean = sum / double(n);
    return squares / double(n) - mean * mean;
}

double Shot::contrast(int x0, int y0, int x1, int y1) const {
    const auto grey = [this](int x, int y) {
        const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
        return (rgb[i] + rgb[i + 1] + rgb[i + 2]) / 3.0;
    };
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += std::abs(grey(x + 1, y) - grey(x, y)) + std::abs(grey(x, y + 1) - grey(x, y));
    return sum / (2.0 * (x1 - x0) * (y1 - y0));
}

double Shot::difference(const Shot& other, int x0, int y0, int x1, int y1) const {
    double sum = 0;
    for (int y = y0; y < y1; ++y) {
        for (int i = x0 * 3; i < x1 * 3; ++i) {
            const std::size_t at = std::size_t(y) * std::size_t(width) * 3 + std::size_t(i);
            sum += std::abs(int(rgb[at]) - int(other.rgb[at]));
        }
    }
    return sum / (3.0 * (x1 - x0) * (y1 - y0));
}

void Shot::writePpm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << ' ' << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
}

VeilDesk::VeilDesk() {
    if (!connection.isOpen()) return;
    connection.setOwnPid(0);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    tester_ = c;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    width_ = screen->width_in_pixels;
    height_ = screen->height_in_pixels;
    background_ = xcb_generate_id(c);
    const std::uint32_t values[] = {screen->white_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, background_, screen->root, 0, 0,
                      std::uint16_t(width_), std::uint16_t(height_), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    // WORKAROUND(xfwm4): an opaque full-screen override-redirect window is
    // shown directly, bypassing the compositor and everything it draws over
    // it, unless it asks to stay composited.
    const std::string bypass = "_NET_WM_BYPASS_COMPOSITOR";
    auto atom = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(bypass.size()), bypass.c_str()), nullptr);
    const std::uint32_t stayComposited = 2;
    if (atom) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, background_, atom->atom, XCB_ATOM_CARDINAL,
                            32, 1, &stayComposited);
        std::free(atom);
    }
    xcb_map_window(c, background_);
    xcb_aux_sync(c);
    factory = std::make_unique<x11::X11VeilWindows>(connection, scheduler);
    factory->follow(look);
    // The compositor may still be starting: wait for it to take its selection.
    const bool wantCompositor = std::getenv("QUORVEL_NO_COMPOSITOR") == nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (wantCompositor && !factory->renderer().compositorRunning() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        connection.sync();
    }
    // Let it redirect and paint the background before the first picture.
    if (wantCompositor) std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

VeilDesk::~VeilDesk() {
    veil.reset();
    if (!tester_) return;
    xcb_destroy_window(tester_, background_);
    if (front_) xcb_destroy_window(tester_, front_);
    // The wallpaper goes with this connection: the next test must not read it.
    if (wallpaper_) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(tester_)).data->root;
        xcb_delete_property(tester_, root, connection.intern("_XROOTPMAP_ID"));
    }
    xcb_aux_sync(tester_);
    xcb_disconnect(tester_);
}

void VeilDesk::paintBackground(std::uint32_t rgb) {
    xcb_change_window_attributes(tester_, background_, XCB_CW_BACK_PIXEL, &rgb);
    xcb_clear_area(tester_, 0, background_, 0, 0, 0, 0);
    xcb_aux_sync(tester_);
}

void VeilDesk::paintRoot(std::uint32_t rgb) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(tester_)).data;
    wallpaper_ = xcb_generate_id(tester_);
    xcb_create_pixmap(tester_, screen->root_depth, wallpaper_, screen->root, 8, 8);
    xcb_gcontext_t gc = xcb_generate_id(tester_);
    xcb_create_gc(tester_, gc, wallpaper_, XCB_GC_FOREGROUND, &rgb);
    const xcb_rectangle_t all{0, 0, 8, 8};
    xcb_poly_fill_rectangle(tester_, wallpaper_, gc, 1, &all);
    xcb_free_gc(tester_, gc);
    xcb_change_window_attributes(tester_, screen->root, XCB_CW_BACK_PIXMAP, &wallpaper_);
    xcb_change_property(tester_, XCB_PROP_MODE_REPLACE, screen->root,
                        connection.intern("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 32, 1, &wallpaper_);
    xcb_clear_area(tester_, 0, screen->root, 0, 0, 0, 0);
    xcb_unmap_window(tester_, background_);
    xcb_aux_sync(tester_);
}

void VeilDesk::paintPattern() {
    paintBackground(0xf4f1ea);
    xcb_gcontext_t gc = xcb_generate_id(tester_);
    xcb_create_gc(tester_, gc, background_, 0, nullptr);
    auto fill = [&](std::uint32_t colour, int x, int y, int w, int h) {
        xcb_change_gc(tester_, gc, XCB_GC_FOREGROUND, &colour);
        const xcb_rectangle_t r{std::int16_t(x), std::int16_t(y), std::uint16_t(w),
                                std::uint16_t(h)};
        xcb_poly_fill_rectangle(tester_, background_, gc, 1, &r);
    };
    // A window-like layout: a title bar, a sidebar, lines of text and pictures.
    fill(0x2b5797, 0, 0, width_, 36);
    fill(0xdde3ea, 0, 36, 220, height_ - 36);
    for (int i = 0; i < 12; ++i) fill(0x6b7b8c, 24, 64 + i * 40, 150 - (i * 37) % 70, 12);
    for (int y = 70; y + 14 < height_; y += 26) {
        fill(0x333333, 260, y, 500 + (y * 53) % 360, 10);
    }
    const std::uint32_t colours[] = {0xe4572e, 0x29335c, 0xf3a712, 0x669bbc, 0x17bebb};
    for (int i = 0; i < 5; ++i) fill(colours[i], 900 + (i % 2) * 170, 90 + i * 130, 150, 110);
    xcb_free_gc(tester_, gc);
    xcb_aux_sync(tester_);
}

void VeilDesk::showFrontWindow(int x, int y, int width, int height) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(tester_)).data;
    front_ = xcb_generate_id(tester_);
    const std::uint32_t values[] = {0x7a3e9d, 1};
    xcb_create_window(tester_, XCB_COPY_FROM_PARENT, front_, screen->root, std::int16_t(x),
                      std::int16_t(y), std::uint16_t(width), std::uint16_t(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(tester_, front_);
    xcb_gcontext_t gc = xcb_generate_id(tester_);
    const std::uint32_t white = 0xffffff;
    xcb_create_gc(tester_, gc, front_, XCB_GC_FOREGROUND, &white);
    for (int row = 8; row < height; row += 16) {
        const xcb_rectangle_t r{8, std::int16_t(row), std::uint16_t(width - 16), 4};
        xcb_poly_fill_rectangle(tester_, front_, gc, 1, &r);
    }
    xcb_free_gc(tester_, gc);
    xcb_aux_sync(tester_);
}

void VeilDesk::showVeil() {
    ports::Monitor screen;
    screen.frame = {0, 0, double(width_), double(height_)};
    screen.workArea = screen.frame;
    veil = factory->create(screen);
    veil->setAlpha(1.0);
    if (front_) {
        connection.sync();
        veil->placeBelow(front_);
        settle();
        return;
    }
    veil->cover();
    auto* window = static_cast<x11::X11VeilWindow*>(veil.get());
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(tester_, window->id(), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    settle();
}

void VeilDesk::settle() {
    scheduler.runPending();
    xcb_aux_sync(tester_);
    connection.sync();
    connection.processEvents();
    // The frost refreshes on a coalescing timer, at most 30 times a second.
    scheduler.advance(0.05);
    connection.flush();
}

Shot VeilDesk::screenshot() {
    settle();
    Shot previous;
    int unchanged = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(tester_)).data->root;
    while (true) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        auto image = x11::reply(
            xcb_get_image_reply(tester_,
                                xcb_get_image(tester_, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0,
                                              std::uint16_t(width_), std::uint16_t(height_), ~0u),
                                nullptr));
        Shot shot{width_, height_, {}};
        if (image) {
            const std::uint8_t* data = xcb_get_image_data(image.get());
            shot.rgb.resize(std::size_t(width_) * std::size_t(height_) * 3);
            for (std::size_t p = 0; p < std::size_t(width_) * std::size_t(height_); ++p) {
                shot.rgb[p * 3] = data[p * 4 + 2];  // BGRX on a little-endian server
                shot.rgb[p * 3 + 1] = data[p * 4 + 1];
                shot.rgb[p * 3 + 2] = data[p * 4];
            }
        }
        unchanged = shot == previous ? unchanged + 1 : 0;
        // The compositor repaints at its own pace: two unchanged looks in a row.
        if (unchanged >= 2 || std::chrono::steady_clock::now() > deadline) return shot;
        previous = std::move(shot);
    }
}

bool VeilDesk::veilHasEmptyShape() {
    auto* window = static_cast<x11::X11VeilWindow*>(veil.get());
    auto r = x11::reply(xcb_shape_get_rectangles_reply(
        tester_, xcb_shape_get_rectangles(tester_, window->id(), XCB_SHAPE_SK_BOUNDING), nullptr));
    return r && r->rectangles_len == 0;
}

}  // namespace quorvel::veil_look
