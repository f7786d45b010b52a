#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/geometry.h"
#include "ports/screens.h"

namespace quorvel::ports {

enum class WindowLevel {
    Normal,    // among ordinary windows, ordered relative to them
    Covering,  // above every ordinary window
};

/// One borderless, click-through, transparent veil window covering a monitor.
/// It is visible on every workspace and never takes focus.
class OverlayWindow {
public:
    virtual ~OverlayWindow() = default;
    /// Called on every update; frame in bottom-left origin coordinates. Failure is logged.
    virtual void setFrame(const core::Rect& frame) = 0;
    /// Called on every update; failure is logged and retried on the next tick.
    virtual void setLevel(WindowLevel level) = 0;
    /// Called on every update; puts the veil directly below that window (shows it if hidden).
    virtual void orderBelow(std::int64_t windowNumber) = 0;
    /// Called on every update; raises the veil above its level's windows (shows it if hidden).
    virtual void orderFront() = 0;
    /// Called at once by fades; sets alpha without animation.
    virtual void setAlpha(double alpha) = 0;
    virtual double alpha() const = 0;
    /// Called by fades; animates alpha from its current value. A later call
    /// replaces a running animation, whose completion then runs at once.
    virtual void animateAlpha(double target, double duration, std::function<void()> completion) = 0;
    /// Called after a fade-out; hides the window.
    virtual void orderOut() = 0;
    /// Called last; releases the window. Further calls do nothing.
    virtual void close() = 0;
};

/// Makes overlay windows.
class OverlayWindowFactory {
public:
    virtual ~OverlayWindowFactory() = default;
    /// Called when a monitor needs a veil; created hidden at the normal level with
    /// alpha 0 and the monitor's frame. Never null.
    virtual std::shared_ptr<OverlayWindow> create(const ScreenInfo& screen) = 0;
};

}  // namespace quorvel::ports
