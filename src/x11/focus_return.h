#pragma once

#include <xcb/xcb.h>

namespace quorvel::x11 {

class Connection;

/// Hands the keyboard focus back to the window that had it before one of our
/// own windows opened. Window managers differ in whom they focus when a
/// window closes (openbox picks the window under the pointer, some pick
/// none), so the window is asked for by name, as a taskbar would.
class FocusReturn {
public:
    explicit FocusReturn(Connection& connection) : connection_(connection) {}

    /// Called as our window opens: notes the active window, unless it is ours.
    void remember();
    /// Called as our window closes: activates the noted window when it is
    /// still there and shown; nothing otherwise.
    void restore();

private:
    Connection& connection_;
    xcb_window_t remembered_ = XCB_NONE;
};

}  // namespace quorvel::x11
