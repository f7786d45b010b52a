#include "x11/focus_return.h"

#include <xcb/xcb_ewmh.h>

#include <utility>

#include "x11/connection.h"
#include "x11/window_mirror.h"

namespace quorvel::x11 {

void FocusReturn::remember() {
    if (!connection_.isOpen()) return;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const xcb_window_t active = mirror.activeWindow();
    const Toplevel* top = active ? mirror.toplevelFor(active) : nullptr;
    // Reopening over our own window keeps what was noted the first time.
    if (top && mirror.ownerName(*top) == "Quorvel") return;
    remembered_ = top ? active : XCB_NONE;
}

void FocusReturn::restore() {
    const xcb_window_t window = std::exchange(remembered_, XCB_NONE);
    if (!connection_.isOpen() || window == XCB_NONE) return;
    WindowMirror& mirror = connection_.windows();
    mirror.refresh();
    const Toplevel* top = mirror.toplevelFor(window);
    if (!top || !mirror.isOnScreen(*top) || mirror.activeWindow() == window) return;
    // Source 2: asked for on the user's behalf, which window managers honour
    // without focus-stealing checks.
    xcb_ewmh_request_change_active_window(&connection_.ewmh(), 0, window,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                          XCB_NONE);
    connection_.flush();
}

}  // namespace quorvel::x11
