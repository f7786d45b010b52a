#include "look/overlay_transition_manager.h"

#include <utility>

namespace quorvel::look {

void OverlayTransitionManager::fadeIn(ports::OverlayWindow& window,
                                      std::function<void()> completion) const {
    window.setAlpha(0.0);
    window.animateAlpha(1.0, style_.transitionDuration(), std::move(completion));
}

void OverlayTransitionManager::fadeOut(ports::OverlayWindow& window,
                                       std::function<void()> completion) const {
    window.animateAlpha(0.0, style_.transitionDuration(), std::move(completion));
}

}  // namespace quorvel::look
