#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvel::x11 {

/// The restack requests (_NET_RESTACK_WINDOW) of a managed veil, which the
/// window manager carries out in its own time. A request is remembered until
/// the window manager has acted on it (it moved the veil in the stacking) or
/// `kPatience` has passed, and the next one is built from the stacking the
/// requests still out will leave, never from the one they will change: the
/// same request never goes out twice, and one overtaken by a switch (the user
/// went back to the window below) is put right at once.
///
/// WORKAROUND(KWin 5.27): asked a second time to put the veil above a window
/// it already lies above, KWin looks for the normal window right above that
/// one, passes over the veil (a utility window), finds none and raises the
/// veil over everything, the active window included, until the next request.
class RestackRequests {
public:
    struct Request {
        xcb_window_t sibling = XCB_NONE;
        std::uint32_t mode = XCB_STACK_MODE_ABOVE;
        bool operator==(const Request&) const = default;
    };

    /// How long requests may go unanswered before the stacking is trusted
    /// again (a window manager that ignores one gets it again after this).
    static constexpr double kPatience = 0.5;

    /// The request that puts `self` between `under` and `over` (either may be
    /// none) in `stack` (bottom to top), to be sent now; none when the requests
    /// still out will put it there. `moves` counts how often the window
    /// manager has moved the veil in the stacking so far.
    std::optional<Request> next(const std::vector<xcb_window_t>& stack, xcb_window_t self,
                                xcb_window_t under, xcb_window_t over, std::uint32_t moves,
                                double now);
    /// Forgets the requests out (the veil's window was made anew).
    void reset() { out_.clear(); }

private:
    std::vector<Request> out_;  // not yet acted on, oldest first
    std::uint32_t moves_ = 0;   // as last seen
    double lastSent_ = 0;
};

}  // namespace quorvel::x11
