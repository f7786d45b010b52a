#include "controls/tooltip_placement.h"

namespace quorvel::controls {

namespace {

double clampedX(double x, const core::Rect& visible, double width) {
    if (x <= visible.minX()) x = visible.minX();
    if (visible.maxX() - width < x) x = visible.maxX() - width;
    return x;
}

}  // namespace

TooltipPlacement positionBelowStatusItem(const core::Rect& item, const core::Rect& visible,
                                         core::Size hint) {
    const double centre = item.minX() + item.width / 2;
    const double x = clampedX(centre - hint.width / 2, visible, hint.width);
    const double below = item.minY() - hint.height;
    // y grows upwards: a hint whose bottom would leave the visible frame has
    // no room under the icon (the tray is in a bottom panel).
    if (!visible.isEmpty() && below < visible.minY() && item.maxY() <= visible.minY() + 1) {
        return {{x, item.maxY(), hint.width, hint.height}, false};
    }
    return {{x, below, hint.width, hint.height}, true};
}

TooltipPlacement fallbackPlacement(const core::Rect& visible, core::Size hint) {
    const double x = clampedX(visible.maxX() - hint.width, visible, hint.width);
    return {{x, visible.maxY() - hint.height, hint.width, hint.height}, true};
}

core::Rect visibleFrameAt(core::Point point, const std::vector<ports::ScreenInfo>& screens,
                          const std::optional<ports::ScreenInfo>& mainScreen) {
    for (const auto& s : screens) {
        if (s.frame.contains(point)) return s.visibleFrame;
    }
    if (mainScreen) return mainScreen->visibleFrame;
    return {};
}

}  // namespace quorvel::controls
