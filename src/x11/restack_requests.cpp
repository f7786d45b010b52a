#include "x11/restack_requests.h"

#include <algorithm>

namespace quorvel::x11 {

namespace {

std::ptrdiff_t position(const std::vector<xcb_window_t>& stack, xcb_window_t id) {
    return std::distance(stack.begin(), std::find(stack.begin(), stack.end(), id));
}

/// `stack` as the window manager leaves it once it has carried out `request`.
void apply(std::vector<xcb_window_t>& stack, xcb_window_t self,
           const RestackRequests::Request& request) {
    if (std::find(stack.begin(), stack.end(), request.sibling) == stack.end()) return;
    std::erase(stack, self);
    auto sibling = std::find(stack.begin(), stack.end(), request.sibling);
    stack.insert(request.mode == XCB_STACK_MODE_ABOVE ? sibling + 1 : sibling, self);
}

}  // namespace

std::optional<RestackRequests::Request> RestackRequests::next(
    const std::vector<xcb_window_t>& stack, xcb_window_t self, xcb_window_t under,
    xcb_window_t over, std::uint32_t moves, double now) {
    // Each move of the veil is the window manager acting on the oldest request out.
    if (now - lastSent_ >= kPatience) out_.clear();
    out_.erase(out_.begin(), out_.begin() + std::min<std::ptrdiff_t>(moves - moves_, out_.size()));
    moves_ = moves;
    std::vector<xcb_window_t> expected = stack;
    for (const Request& request : out_) apply(expected, self, request);
    const auto at = [&](xcb_window_t id) { return position(expected, id); };
    const bool aboveUnder = under == XCB_NONE || at(under) < at(self);
    const bool belowOver = over == XCB_NONE || at(self) < at(over);
    if (!out_.empty() && aboveUnder && belowOver) return std::nullopt;
    // WORKAROUND(mutter): a restack request below a sibling only ever moves a
    // window down and one above a sibling only up, so the request must point
    // the way the veil has to go.
    Request request;
    if (under != XCB_NONE && (!aboveUnder || over == XCB_NONE)) {
        request = {under, XCB_STACK_MODE_ABOVE};
    } else if (over != XCB_NONE) {
        request = {over, XCB_STACK_MODE_BELOW};
    } else {
        return std::nullopt;
    }
    out_.push_back(request);
    lastSent_ = now;
    return request;
}

}  // namespace quorvel::x11
