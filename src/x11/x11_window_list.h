#pragma once

#include <functional>

#include "core/signal.h"
#include "ports/window_list.h"

namespace quorvel::x11 {

class Connection;

/// The on-screen windows from the connection's event-maintained mirror:
/// front to back, each with its process name, layer, client window id, frame
/// rectangle and title. A sample makes no round trip unless windows changed.
///
/// X has no wallpaper window of its own (openbox and most window managers
/// draw none), so the list ends with one monitor-sized "Wallpaper" entry per
/// monitor at the desktop layer. The behaviour reads a moving wallpaper as a
/// workspace switch in progress; X reports a switch only as a new
/// _NET_CURRENT_DESKTOP, so on desktops that animate the switch the entries
/// move a little at every sample for `kSwitchSettle` seconds after one and
/// then rest where they were. Where the switch is instant nothing moves.
class X11WindowList final : public ports::WindowList {
public:
    explicit X11WindowList(Connection& connection);
    ~X11WindowList() override;
    X11WindowList(const X11WindowList&) = delete;
    X11WindowList& operator=(const X11WindowList&) = delete;

    std::vector<ports::RawWindow> onScreenWindows(ports::WindowListOption option) override;
    void setChangeHandler(std::function<void()> onChange) override;
    /// Asked at each switch: whether the desktop slides the new workspace in.
    void setSwitchAnimates(std::function<bool()> animates) { animates_ = std::move(animates); }

    /// The window number of the wallpaper entry of the monitor at `index`.
    static std::int64_t wallpaperNumber(std::size_t index) { return -1 - std::int64_t(index); }
    /// About as long as the desktops that animate a switch (mutter, muffin,
    /// KWin) take to slide the new workspace in.
    static constexpr double kSwitchSettle = 0.4;

private:
    /// How far the wallpaper entries lie from their monitors at this sample.
    double wallpaperShift();

    Connection& connection_;
    core::Connection changes_;
    std::function<void()> onChange_;
    std::function<bool()> animates_;
    int switchHandler_ = 0;
    double switchedAt_ = -1.0;
    int shiftSteps_ = 0;
};

}  // namespace quorvel::x11
