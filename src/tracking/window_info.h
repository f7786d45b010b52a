#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/geometry.h"
#include "ports/screens.h"

namespace quorvel::tracking {

/// One candidate window: frame in top-left-origin global coordinates.
struct WindowInfo {
    core::Rect frame;
    std::int64_t windowNumber = 0;
    std::string ownerName;
    bool fullscreen = false;
    bool operator==(const WindowInfo&) const = default;
};

/// Identity of one monitor.
struct ScreenIdentity {
    std::uint32_t displayID = 0;
    bool operator==(const ScreenIdentity&) const = default;
    auto operator<=>(const ScreenIdentity&) const = default;

    /// A monitor without an id of its own stands for the main display.
    static ScreenIdentity of(const ports::ScreenInfo& screen, std::uint32_t mainDisplayID) {
        return ScreenIdentity{screen.displayID.value_or(mainDisplayID)};
    }
};

/// Per-monitor wallpaper tracking, used to notice workspace switches.
struct DisplayState {
    std::optional<core::Rect> lastFrame;
    int stableFrameCount = 0;
    bool isTransitioning = false;
    std::optional<double> wallpaperDisappearTime;
    bool operator==(const DisplayState&) const = default;
};

}  // namespace quorvel::tracking

template <>
struct std::hash<quorvel::tracking::ScreenIdentity> {
    std::size_t operator()(const quorvel::tracking::ScreenIdentity& s) const noexcept {
        return std::hash<std::uint32_t>{}(s.displayID);
    }
};
