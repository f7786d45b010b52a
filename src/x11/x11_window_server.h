#pragma once

#include <xcb/xcb.h>

#include "ports/window_server.h"

namespace quorvel::x11 {

/// The X server behind the window server port. X11 workspaces always span
/// every monitor, so there is exactly one workspace group while connected.
class X11WindowServer final : public ports::WindowServer {
public:
    /// `connection` may be null (no server reached); it must outlive this object.
    explicit X11WindowServer(xcb_connection_t* connection) : connection_(connection) {}

    std::uint32_t mainConnectionID() override;
    std::size_t managedDisplaySpaceCount(std::uint32_t connection) override;

private:
    bool usable() const;

    xcb_connection_t* connection_;
};

}  // namespace quorvel::x11
