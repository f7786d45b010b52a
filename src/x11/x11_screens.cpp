#include "x11/x11_screens.h"

#include <algorithm>

#include "x11/connection.h"
#include "x11/monitor_layout.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

namespace {

double overlapArea(const core::Rect& a, const core::Rect& b) {
    const double w = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double h = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

std::vector<ports::ScreenInfo> X11Screens::screens() const {
    std::vector<ports::ScreenInfo> result;
    if (!connection_.isOpen()) return result;
    MonitorLayout& layout = connection_.monitors();
    const auto& monitors = layout.monitors();
    if (monitors.empty()) return result;
    const core::Rect primary = monitors.front().frame;
    for (const Monitor& m : monitors) {
        result.push_back(
            ports::ScreenInfo{m.id, MonitorLayout::flippedFromX(m.frame, primary),
                                 MonitorLayout::flippedFromX(m.visibleFrame, primary)});
    }
    return result;
}

std::optional<ports::ScreenInfo> X11Screens::mainScreen() const {
    const std::vector<ports::ScreenInfo> all = screens();
    if (all.empty()) return std::nullopt;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const Toplevel* active =
        mirror.activeWindow() ? mirror.toplevelFor(mirror.activeWindow()) : nullptr;
    if (!active || !mirror.isOnScreen(*active)) return all.front();
    // The monitor that shows most of the active window is the one the user works on.
    const auto& monitors = connection_.monitors().monitors();
    const core::Rect bounds = mirror.bounds(*active);
    std::size_t best = 0;
    double bestArea = 0;
    for (std::size_t i = 0; i < monitors.size() && i < all.size(); ++i) {
        const double area = overlapArea(monitors[i].frame, bounds);
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return all[best];
}

std::uint32_t X11Screens::mainDisplayID() const {
    const auto main = mainScreen();
    return main && main->displayID ? *main->displayID : 0;
}

core::Point X11Screens::mouseLocation() const {
    if (!connection_.isOpen()) return {};
    xcb_connection_t* c = connection_.raw();
    auto pointer =
        reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.root()), nullptr));
    if (!pointer) return {};
    return MonitorLayout::pointFromX(pointer->root_x, pointer->root_y,
                                     connection_.monitors().primaryFrame());
}

}  // namespace quorvel::x11
