#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace quorvel::ports {

/// What the hint window tells its owner, on the main thread.
class HintWindowEvents {
public:
    virtual ~HintWindowEvents() = default;
    /// The user pressed the hint's own close button.
    virtual void closeRequested() = 0;
};

/// The small floating hint that explains the tray icon. It never takes focus,
/// floats above ordinary windows and is kept for reuse after it is closed.
class HintWindow {
public:
    virtual ~HintWindow() = default;
    /// Called before placing; the size the content needs (240 wide), never empty.
    virtual core::Size size() const = 0;
    /// Called on each placement; the desktop's coordinates. `arrowUp`
    /// false draws the arrow on the bottom edge (for a tray at the bottom).
    virtual void setFrame(const core::Rect& frame, bool arrowUp) = 0;
    /// Called when shown; raises the window without activating it.
    virtual void orderFront() = 0;
    virtual double alpha() const = 0;
    /// Called by fades; animates from the current alpha. A later call replaces a
    /// running animation, whose completion then runs at once.
    virtual void animateAlpha(double target, double duration, std::function<void()> completion) = 0;
    /// Called after the fade-out; hides the window (it stays available).
    virtual void orderOut() = 0;
    /// Called before showing; the key caps of the focus and mode shortcuts (empty: none).
    virtual void setShortcutKeys(const std::vector<std::string>& toggle,
                                 const std::vector<std::string>& mode) = 0;
    /// Called by the owner at creation (non-null) and destruction (null).
    virtual void setEvents(HintWindowEvents* events) = 0;
};

}  // namespace quorvel::ports
