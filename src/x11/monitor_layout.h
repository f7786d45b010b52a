#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace quorvel::x11 {

class Connection;

/// One monitor in X coordinates (top-left origin of the root window).
struct Monitor {
    std::uint32_t id = 0;  // stable: derived from the monitor's name
    std::string name;
    core::Rect frame;         // X coordinates
    core::Rect visibleFrame;  // X coordinates, less the panels' work-area cut
    bool primary = false;
};

/// The RandR monitors, primary first, re-read when the root window or RandR
/// says something changed (and at most once a second otherwise, because a
/// monitor added with `xrandr --setmonitor` announces itself with no RandR event).
class MonitorLayout {
public:
    explicit MonitorLayout(Connection& connection);
    ~MonitorLayout();
    MonitorLayout(const MonitorLayout&) = delete;
    MonitorLayout& operator=(const MonitorLayout&) = delete;

    const std::vector<Monitor>& monitors();
    /// The primary monitor's rectangle; the root window's when there is none.
    core::Rect primaryFrame();
    /// Forces a re-read on the next question.
    void invalidate() { dirty_ = true; }

    /// A stable 32-bit id for a monitor name (FNV-1a, never 0).
    static std::uint32_t idForName(const std::string& name);

private:
    void read();
    std::vector<Monitor> readRandr();
    std::optional<core::Rect> readWorkArea();

    Connection& connection_;
    int handler_ = 0;
    bool dirty_ = true;
    double lastRead_ = -1;
    std::vector<Monitor> monitors_;
};

}  // namespace quorvel::x11
