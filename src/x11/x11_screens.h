#pragma once

#include "ports/screens.h"

namespace quorvel::x11 {

class Connection;

/// The RandR monitors (primary first) with their work areas, the monitor of
/// the active window, and the pointer, all in bottom-left origin coordinates
/// anchored at the primary monitor.
class X11Screens final : public ports::Screens {
public:
    explicit X11Screens(Connection& connection) : connection_(connection) {}

    std::vector<ports::ScreenInfo> screens() const override;
    std::optional<ports::ScreenInfo> mainScreen() const override;
    std::uint32_t mainDisplayID() const override;
    core::Point mouseLocation() const override;

private:
    Connection& connection_;
};

}  // namespace quorvel::x11
