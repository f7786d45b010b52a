#pragma once

#include <functional>

#include "ports/veil_windows.h"
#include "settings/settings.h"

namespace quorvel::look {

/// Fades veils in and out over the user's fade duration, read as each fade starts.
class VeilFades {
public:
    explicit VeilFades(settings::Settings& settings) : settings_(settings) {}

    /// Opacity to 0 at once, then eased to 1; `completion` runs when it ends.
    void fadeIn(ports::VeilWindow& veil, std::function<void()> completion = {}) const {
        veil.setAlpha(0.0);
        veil.animateAlpha(1.0, settings_.fadeDuration.get(), std::move(completion));
    }
    /// Opacity eased to 0; `completion` runs when it ends (at once for no duration).
    void fadeOut(ports::VeilWindow& veil, std::function<void()> completion = {}) const {
        veil.animateAlpha(0.0, settings_.fadeDuration.get(), std::move(completion));
    }

private:
    settings::Settings& settings_;
};

}  // namespace quorvel::look
