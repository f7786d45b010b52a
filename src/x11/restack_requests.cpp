#include "x11/restack_requests.h"

#include <algorithm>

namespace quorvel::x11 {

std::optional<RestackRequests::Request> RestackRequests::next(
    const std::vector<xcb_window_t>& stack, xcb_window_t self, xcb_window_t under,
    xcb_window_t over, std::uint32_t moves, double now) {
    if (pending_ && moves == movesWhenSent_ && now - sentAt_ < kPatience) return std::nullopt;
    pending_ = false;
    // WORKAROUND(mutter): a restack request below a sibling only ever moves a
    // window down and one above a sibling only up, so the request must point
    // the way the veil has to go.
    const auto position = [&](xcb_window_t id) {
        return std::distance(stack.begin(), std::find(stack.begin(), stack.end(), id));
    };
    Request request;
    if (under != XCB_NONE && (position(self) < position(under) || over == XCB_NONE)) {
        request = {under, XCB_STACK_MODE_ABOVE};
    } else if (over != XCB_NONE) {
        request = {over, XCB_STACK_MODE_BELOW};
    } else {
        return std::nullopt;
    }
    pending_ = true;
    movesWhenSent_ = moves;
    sentAt_ = now;
    return request;
}

}  // namespace quorvel::x11
