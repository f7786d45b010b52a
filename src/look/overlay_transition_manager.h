#pragma once

#include <functional>

#include "look/overlay_style.h"
#include "ports/overlay_windows.h"

namespace quorvel::look {

/// Fades overlay windows in and out over the style's transition duration,
/// read when each fade starts.
class OverlayTransitionManager {
public:
    explicit OverlayTransitionManager(const OverlayStyle& style) : style_(style) {}

    /// Alpha to 0 at once, then animated to 1; `completion` runs when it ends.
    void fadeIn(ports::OverlayWindow& window, std::function<void()> completion = {}) const;
    /// Alpha animated to 0; `completion` runs when it ends (also at duration 0).
    void fadeOut(ports::OverlayWindow& window, std::function<void()> completion = {}) const;

private:
    const OverlayStyle& style_;
};

}  // namespace quorvel::look
