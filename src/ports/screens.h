#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/geometry.h"

namespace quorvel::ports {

/// One monitor. Frames use bottom-left origin global coordinates with y up,
/// the origin at the bottom-left of the primary (first) monitor.
struct ScreenInfo {
    std::optional<std::uint32_t> displayID;  // missing when the system gives none
    core::Rect frame;
    core::Rect visibleFrame;  // the frame less the desktop's panels
    bool operator==(const ScreenInfo&) const = default;
};

/// The monitors and the pointer.
class Screens {
public:
    virtual ~Screens() = default;
    /// Called every tick; in the system's order, the primary first; empty when none.
    virtual std::vector<ScreenInfo> screens() const = 0;
    /// Called every tick; the monitor with the active window, nothing when there is no monitor.
    virtual std::optional<ScreenInfo> mainScreen() const = 0;
    /// Called for a monitor without an id; the main display's id, 0 when unknown.
    virtual std::uint32_t mainDisplayID() const = 0;
    /// Called in single mode; the pointer in the same coordinates as the frames.
    virtual core::Point mouseLocation() const = 0;
};

}  // namespace quorvel::ports
