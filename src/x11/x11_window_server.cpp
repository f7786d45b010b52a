#include "x11/x11_window_server.h"

#include <cstdlib>
#include <memory>

namespace quorvel::x11 {

bool X11WindowServer::usable() const {
    return connection_ != nullptr && xcb_connection_has_error(connection_) == 0;
}

std::uint32_t X11WindowServer::mainConnectionID() {
    if (!usable()) return 0;
    // A round trip proves the server still answers, not just that a socket is open.
    const auto cookie = xcb_get_input_focus(connection_);
    std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
        xcb_get_input_focus_reply(connection_, cookie, nullptr), &std::free);
    if (!reply) return 0;
    // The client's resource-id base names this connection on the server.
    const std::uint32_t base = xcb_get_setup(connection_)->resource_id_base;
    return base != 0 ? base : 1;
}

std::size_t X11WindowServer::managedDisplaySpaceCount(std::uint32_t connection) {
    if (connection == 0 || !usable()) return 0;
    return 1;
}

}  // namespace quorvel::x11
