#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/preference_store.h"
#include "core/virtual_scheduler.h"
#include "look/look_follower.h"
#include "ports/color_scheme.h"
#include "settings/settings.h"
#include "sim/sim_app_catalog.h"
#include "x11/connection.h"
#include "x11/x11_veil_window.h"

namespace quorvel::veil_look {

/// The desktop's scheme, switched by the test.
class TestSchemes final : public ports::ColorSchemeSource {
public:
    ports::SystemColorScheme colorScheme() const override { return scheme; }
    core::Signal<>& colorSchemeChanged() override { return changed; }
    void set(ports::SystemColorScheme s) {
        scheme = s;
        changed.emit();
    }
    ports::SystemColorScheme scheme = ports::SystemColorScheme::light;
    core::Signal<> changed;
};

/// What the screen shows, 8-bit RGB per pixel.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    /// Mean of the three channels over one row, 0 to 255.
    double rowLevel(int y) const;
    /// Variance of the grey level over rows [top, bottom).
    double variance(int top, int bottom) const;
    /// Edge contrast: the mean absolute grey difference between neighbouring
    /// pixels (right and below) in the box [x0, x1) x [y0, y1).
    double contrast(int x0, int y0, int x1, int y1) const;
    /// The mean absolute difference of every channel from `other` in the box.
    double difference(const Shot& other, int x0, int y0, int x1, int y1) const;
    bool operator==(const Shot&) const = default;
    void writePpm(const std::string& path) const;
};

/// The veil's adapters and the look driven in this process, over a test window
/// of our own that fills the screen, on the compositor's X server.
class VeilDesk {
public:
    VeilDesk();
    ~VeilDesk();

    bool available() const { return tester_ != nullptr && connection.isOpen(); }
    /// Fills the background with a flat grey level (0 to 255).
    void paintBackground(std::uint32_t rgb);
    /// Takes the background away and shows the root window with a flat
    /// wallpaper of `rgb`, set as wallpaper setters do.
    void paintRoot(std::uint32_t rgb);
    /// A busy background, so the frosted backing shows in pictures.
    void paintPattern();
    /// Maps a window of the test's own in front, at `frame` (x, y, w, h), striped.
    void showFrontWindow(int x, int y, int width, int height);
    /// Shows one veil at full window alpha: below the front window when
    /// there is one, else over everything.
    void showVeil();
    /// Lets queued look work run, the server finish and the compositor repaint.
    void settle();
    /// The composited screen once it stops changing.
    Shot screenshot();
    bool veilHasEmptyShape();

    x11::Connection connection;
    core::VirtualScheduler scheduler;
    core::PreferenceStore store{scheduler};
    settings::Settings settings{store};
    TestSchemes schemes;
    look::LookFollower look{settings, schemes, scheduler, x11::VeilRenderer::frameRate};
    std::unique_ptr<x11::X11VeilWindows> factory;
    std::shared_ptr<ports::VeilWindow> veil;

private:
    xcb_connection_t* tester_ = nullptr;
    xcb_window_t background_ = 0;
    xcb_window_t front_ = 0;
    xcb_pixmap_t wallpaper_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace quorvel::veil_look
