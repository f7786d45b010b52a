#pragma once

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcb_aux.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "look/look_follower.h"
#include "ports/color_scheme.h"
#include "settings/settings.h"
#include "x11/connection.h"
#include "x11/x11_veil_window.h"

namespace quorvel::veil_look {

/// The desktop's scheme: light, as the test leaves it.
class TestSchemes final : public ports::ColorSchemeSource {
public:
    ports::SystemColorScheme colorScheme() const override {
        return ports::SystemColorScheme::light;
    }
    core::Signal<>& colorSchemeChanged() override { return changed_; }

private:
    core::Signal<> changed_;
};

/// What the screen shows, 8-bit RGB per pixel.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    bool operator==(const Shot&) const = default;

    /// Mean of the three channels at one pixel, 0 to 255.
    double grey(int x, int y) const {
        const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
        return (rgb[i] + rgb[i + 1] + rgb[i + 2]) / 3.0;
    }
    /// Mean of the three channels over one row, 0 to 255.
    double rowLevel(int y) const {
        double sum = 0;
        for (int x = 0; x < width; ++x) sum += grey(x, y);
        return sum / width;
    }
    /// Variance of the grey level over rows [top, bottom).
    double variance(int top, int bottom) const {
        double sum = 0, squares = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < width; ++x) {
                sum += grey(x, y);
                squares += grey(x, y) * grey(x, y);
            }
        }
        const double n = double(bottom - top) * width;
        return squares / n - (sum / n) * (sum / n);
    }
    /// Edge contrast: the mean absolute grey difference between neighbouring
    /// pixels (right and below) in the box [x0, x1) x [y0, y1).
    double contrast(int x0, int y0, int x1, int y1) const {
        double sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                sum +=
                    std::abs(grey(x + 1, y) - grey(x, y)) + std::abs(grey(x, y + 1) - grey(x, y));
        return sum / (2.0 * (x1 - x0) * (y1 - y0));
    }
    /// The mean absolute difference of every channel from `other` in the box.
    double difference(const Shot& other, int x0, int y0, int x1, int y1) const {
        double sum = 0;
        for (int y = y0; y < y1; ++y) {
            for (int i = x0 * 3; i < x1 * 3; ++i) {
                const std::size_t at = std::size_t(y) * std::size_t(width) * 3 + std::size_t(i);
                sum += std::abs(int(rgb[at]) - int(other.rgb[at]));
            }
        }
        return sum / (3.0 * (x1 - x0) * (y1 - y0));
    }
    void writePpm(const std::string& path) const {
        std::ofstream out(path, std::ios::binary);
        out << "P6\n" << width << ' ' << height << "\n255\n";
        out.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
    }
};

/// The veil's adapters and the look driven in this process, over a test window
/// of our own that fills the screen, on the compositor's X server.
class VeilDesk {
public:
    VeilDesk() {
        if (!connection.isOpen()) return;
        connection.setOwnPid(0);
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            return;
        }
        tester_ = c;
        width_ = connection.screen().width_in_pixels;
        height_ = connection.screen().height_in_pixels;
        background_ = window(0, 0, width_, height_, connection.screen().white_pixel);
        // WORKAROUND(xfwm4): an opaque full-screen override-redirect window is
        // shown directly, bypassing the compositor and everything it draws over
        // it, unless it asks to stay composited.
        const std::uint32_t stayComposited = 2;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, background_,
                            connection.intern("_NET_WM_BYPASS_COMPOSITOR"), XCB_ATOM_CARDINAL, 32,
                            1, &stayComposited);
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
    ~VeilDesk() {
        veil.reset();
        if (!tester_) return;
        xcb_destroy_window(tester_, background_);
        if (front_) xcb_destroy_window(tester_, front_);
        // The wallpaper goes with this connection: the next test must not read it.
        if (wallpaper_)
            xcb_delete_property(tester_, connection.root(), connection.intern("_XROOTPMAP_ID"));
        xcb_aux_sync(tester_);
        xcb_disconnect(tester_);
    }

    bool available() const { return tester_ != nullptr && connection.isOpen(); }
    /// Fills the background with a flat grey level (0 to 255).
    void paintBackground(std::uint32_t rgb) {
        xcb_change_window_attributes(tester_, background_, XCB_CW_BACK_PIXEL, &rgb);
        xcb_clear_area(tester_, 0, background_, 0, 0, 0, 0);
        xcb_aux_sync(tester_);
    }
    /// Takes the background away and shows the root window with a flat
    /// wallpaper of `rgb`, set as wallpaper setters do.
    void paintRoot(std::uint32_t rgb) {
        const xcb_window_t root = connection.root();
        wallpaper_ = xcb_generate_id(tester_);
        xcb_create_pixmap(tester_, connection.screen().root_depth, wallpaper_, root, 8, 8);
        fill(wallpaper_, rgb, {{0, 0, 8, 8}});
        xcb_change_window_attributes(tester_, root, XCB_CW_BACK_PIXMAP, &wallpaper_);
        xcb_change_property(tester_, XCB_PROP_MODE_REPLACE, root,
                            connection.intern("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 32, 1,
                            &wallpaper_);
        xcb_clear_area(tester_, 0, root, 0, 0, 0, 0);
        xcb_unmap_window(tester_, background_);
        xcb_aux_sync(tester_);
    }
    /// A busy background, so the frosted backing shows in pictures: a
    /// window-like layout of a title bar, a sidebar, lines of text and pictures.
    void paintPattern() {
        paintBackground(0xf4f1ea);
        fill(background_, 0x2b5797, {{0, 0, std::uint16_t(width_), 36}});
        fill(background_, 0xdde3ea, {{0, 36, 220, std::uint16_t(height_ - 36)}});
        for (int i = 0; i < 12; ++i)
            fill(background_, 0x6b7b8c, {box(24, 64 + i * 40, 150 - (i * 37) % 70, 12)});
        for (int y = 70; y + 14 < height_; y += 26)
            fill(background_, 0x333333, {box(260, y, 500 + (y * 53) % 360, 10)});
        const std::uint32_t colours[] = {0xe4572e, 0x29335c, 0xf3a712, 0x669bbc, 0x17bebb};
        for (int i = 0; i < 5; ++i)
            fill(background_, colours[i], {box(900 + (i % 2) * 170, 90 + i * 130, 150, 110)});
        xcb_aux_sync(tester_);
    }
    /// Maps a purple window of the test's own in front, striped white.
    void showFrontWindow(int x, int y, int width, int height) {
        front_ = window(x, y, width, height, 0x7a3e9d);
        xcb_map_window(tester_, front_);
        std::vector<xcb_rectangle_t> stripes;
        for (int row = 8; row < height; row += 16) stripes.push_back(box(8, row, width - 16, 4));
        fill(front_, 0xffffff, stripes);
        xcb_aux_sync(tester_);
    }
    /// Shows one veil at full window alpha: below the front window when
    /// there is one, else over everything.
    void showVeil() {
        ports::Monitor screen;
        screen.frame = {0, 0, double(width_), double(height_)};
        screen.workArea = screen.frame;
        veil = factory->create(screen);
        veil->setAlpha(1.0);
        connection.sync();
        if (front_) {
            veil->placeBelow(front_);
        } else {
            veil->cover();
            const std::uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(tester_, veilId(), XCB_CONFIG_WINDOW_STACK_MODE, &above);
        }
        settle();
    }
    /// Lets queued look work run, the server finish and the compositor repaint.
    void settle() {
        scheduler.runPending();
        xcb_aux_sync(tester_);
        connection.sync();
        connection.processEvents();
        // The frost refreshes on a coalescing timer, at most 30 times a second.
        scheduler.advance(0.05);
        connection.flush();
    }
    /// The composited screen once it stops changing (two unchanged looks in a row).
    Shot screenshot() {
        settle();
        Shot previous;
        int unchanged = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        const std::size_t pixels = std::size_t(width_) * std::size_t(height_);
        while (true) {
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            auto image = x11::reply(xcb_get_image_reply(
                tester_,
                xcb_get_image(tester_, XCB_IMAGE_FORMAT_Z_PIXMAP, connection.root(), 0, 0,
                              std::uint16_t(width_), std::uint16_t(height_), ~0u),
                nullptr));
            Shot shot{width_, height_, std::vector<std::uint8_t>(image ? pixels * 3 : 0)};
            const std::uint8_t* data = image ? xcb_get_image_data(image.get()) : nullptr;
            for (std::size_t p = 0; data && p < pixels; ++p) {
                for (int c = 0; c < 3; ++c) shot.rgb[p * 3 + c] = data[p * 4 + 2 - c];  // BGRX
            }
            unchanged = shot == previous ? unchanged + 1 : 0;
            if (unchanged >= 2 || std::chrono::steady_clock::now() > deadline) return shot;
            previous = std::move(shot);
        }
    }
    bool veilHasEmptyShape() {
        auto r = x11::reply(xcb_shape_get_rectangles_reply(
            tester_, xcb_shape_get_rectangles(tester_, veilId(), XCB_SHAPE_SK_BOUNDING), nullptr));
        return r && r->rectangles_len == 0;
    }

    x11::Connection connection;
    core::VirtualScheduler scheduler;
    core::PreferenceStore store{scheduler};
    settings::Settings settings{store};
    TestSchemes schemes;
    look::LookFollower look{settings, schemes, scheduler, x11::VeilRenderer::frameRate};
    std::unique_ptr<x11::X11VeilWindows> factory;
    std::shared_ptr<ports::VeilWindow> veil;

private:
    static xcb_rectangle_t box(int x, int y, int width, int height) {
        return {std::int16_t(x), std::int16_t(y), std::uint16_t(width), std::uint16_t(height)};
    }
    /// An override-redirect window of the tester's, filled with `rgb`, not yet mapped.
    xcb_window_t window(int x, int y, int width, int height, std::uint32_t rgb) {
        const xcb_window_t w = xcb_generate_id(tester_);
        const std::uint32_t values[] = {rgb, 1};
        xcb_create_window(tester_, XCB_COPY_FROM_PARENT, w, connection.root(), std::int16_t(x),
                          std::int16_t(y), std::uint16_t(width), std::uint16_t(height), 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, connection.screen().root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        return w;
    }
    void fill(xcb_drawable_t target, std::uint32_t rgb, const std::vector<xcb_rectangle_t>& boxes) {
        const xcb_gcontext_t gc = xcb_generate_id(tester_);
        xcb_create_gc(tester_, gc, target, XCB_GC_FOREGROUND, &rgb);
        xcb_poly_fill_rectangle(tester_, target, gc, std::uint32_t(boxes.size()), boxes.data());
        xcb_free_gc(tester_, gc);
    }
    xcb_window_t veilId() const { return static_cast<x11::X11VeilWindow*>(veil.get())->id(); }

    xcb_connection_t* tester_ = nullptr;
    xcb_window_t background_ = 0;
    xcb_window_t front_ = 0;
    xcb_pixmap_t wallpaper_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace quorvel::veil_look
