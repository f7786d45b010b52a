#include "tracking/front_windows.h"

#include <algorithm>

namespace quorvel::tracking {

bool canBeFront(const ports::Window& window) {
    const bool kind =
        window.kind == ports::WindowKind::normal || window.kind == ports::WindowKind::dialog;
    return kind && window.frame.width > kMinimumFrontSize &&
           window.frame.height > kMinimumFrontSize;
}

std::optional<ports::Window> frontWindowOn(const ports::Monitor& monitor,
                                           const ports::DesktopState& state) {
    std::optional<ports::Window> first;
    for (const auto& window : state.windows) {
        if (!canBeFront(window) || !window.frame.intersects(monitor.frame)) continue;
        // A tiling window manager focuses a tile without raising it: the
        // active window is in front wherever it lies in the stacking.
        if (state.active == window.id) return window;
        if (!first) first = window;
    }
    return first;
}

bool fillsMonitor(const ports::Window& window, const ports::Monitor& monitor) {
    if (!window.fullscreen) return false;
    const core::Rect& f = window.frame;
    const core::Rect& m = monitor.frame;
    return f.minX() <= m.minX() && f.minY() <= m.minY() && f.maxX() >= m.maxX() &&
           f.maxY() >= m.maxY();
}

std::optional<ports::Monitor> pointerMonitor(const ports::DesktopState& state,
                                             core::Point pointer) {
    for (const auto& monitor : state.monitors) {
        if (monitor.frame.contains(pointer)) return monitor;
    }
    for (const auto& monitor : state.monitors) {
        for (const auto& window : state.windows) {
            if (window.id == state.active && window.frame.intersects(monitor.frame)) return monitor;
        }
    }
    if (state.monitors.empty()) return std::nullopt;
    return state.monitors.front();
}

}  // namespace quorvel::tracking
