#pragma once

#include <functional>
#include <memory>

#include "core/geometry.h"
#include "ports/desktop.h"

namespace quorvel::ports {

/// One veil: a click-through rectangle over a monitor that never takes focus,
/// shown on every workspace, drawn with the look the adapter follows.
class VeilWindow {
public:
    virtual ~VeilWindow() = default;
    /// Called on every update; the monitor's frame. Failure is logged.
    virtual void setFrame(const core::Rect& frame) = 0;
    /// Called on every update; directly below that window, kept there (shows the veil).
    virtual void placeBelow(WindowId window) = 0;
    /// Called on every update in single mode; above every window but keep-above ones (shows it).
    virtual void cover() = 0;
    /// Called by fades; sets the opacity at once.
    virtual void setAlpha(double alpha) = 0;
    virtual double alpha() const = 0;
    /// Called by fades; eases the opacity from its current value. A later call
    /// replaces a running fade, whose completion then runs at once.
    virtual void animateAlpha(double target, double duration, std::function<void()> completion) = 0;
    /// Called after a fade-out; hides the veil.
    virtual void hide() = 0;
    /// Called last; releases the veil. Further calls do nothing.
    virtual void close() = 0;
};

/// Makes veils.
class VeilWindows {
public:
    virtual ~VeilWindows() = default;
    /// Called when a monitor needs a veil; hidden, transparent, the monitor's frame. Never null.
    virtual std::shared_ptr<VeilWindow> create(const Monitor& monitor) = 0;
};

}  // namespace quorvel::ports
