#pragma once

#include "core/signal.h"
#include "platform/window_list.h"

namespace quorvel::x11 {

class Connection;

/// The on-screen windows from the connection's event-maintained mirror:
/// front to back, each with its process name, layer, client window id, frame
/// rectangle and title. A sample makes no round trip unless windows changed.
///
/// X has no wallpaper window of its own (openbox and most window managers
/// draw none), so the list ends with one stable, monitor-sized "Wallpaper"
/// entry per monitor at the desktop layer; workspace switches on X are
/// instant, so these never move and never look like a transition.
class X11WindowList final : public platform::WindowList {
public:
    explicit X11WindowList(Connection& connection) : connection_(connection) {}

    std::vector<platform::RawWindow> onScreenWindows(platform::WindowListOption option) override;
    void setChangeHandler(std::function<void()> onChange) override;

    /// The window number of the wallpaper entry of the monitor at `index`.
    static std::int64_t wallpaperNumber(std::size_t index) { return -1 - std::int64_t(index); }

private:
    Connection& connection_;
    core::Connection changes_;
};

}  // namespace quorvel::x11
