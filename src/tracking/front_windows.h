#pragma once

#include <optional>
#include <vector>

#include "ports/desktop.h"

namespace quorvel::tracking {

/// Windows smaller than this either way are never a monitor's front window
/// (handles, splash leftovers, tiny tool windows).
inline constexpr double kMinimumFrontSize = 50.0;

/// Whether a window can be the one the user works in: a normal window or a
/// dialog (keep-above ones included, and Quorvel's own), larger than the minimum.
bool canBeFront(const ports::Window& window);

/// The front window of `monitor`: the active window when it is on the
/// monitor, else the first window on it front to back. Nothing when no window
/// that can be in front is on the monitor.
std::optional<ports::Window> frontWindowOn(const ports::Monitor& monitor,
                                           const ports::DesktopState& state);

/// A fullscreen window covering the whole of `monitor`: nobody sees a veil under it.
bool fillsMonitor(const ports::Window& window, const ports::Monitor& monitor);

/// Single mode's monitor: the one under the pointer, else the one with the
/// active window, else the first.
std::optional<ports::Monitor> pointerMonitor(const ports::DesktopState& state, core::Point pointer);

}  // namespace quorvel::tracking
