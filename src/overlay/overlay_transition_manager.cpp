#include "overlay/overlay_transition_manager.h"

#include <utility>

namespace quorvel::overlay {

void OverlayTransitionManager::fadeIn(platform::OverlayWindow& window,
                                      std::function<void()> completion) const {
    window.setAlpha(0.0);
    window.animateAlpha(1.0, style_.transitionDuration(), std::move(completion));
}

void OverlayTransitionManager::fadeOut(platform::OverlayWindow& window,
                                       std::function<void()> completion) const {
    window.animateAlpha(0.0, style_.transitionDuration(), std::move(completion));
}

}  // namespace quorvel::overlay
