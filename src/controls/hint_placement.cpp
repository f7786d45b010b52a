#include "controls/hint_placement.h"

namespace quorvel::controls {

namespace {

double clampedX(double x, const core::Rect& area, double width) {
    if (x <= area.minX()) x = area.minX();
    if (area.maxX() - width < x) x = area.maxX() - width;
    return x;
}

}  // namespace

HintPlacement placeBelowTrayIcon(const core::Rect& icon, const core::Rect& workArea,
                                 core::Size hint) {
    const double centre = icon.minX() + icon.width / 2;
    const double x = clampedX(centre - hint.width / 2, workArea, hint.width);
    // A hint that would leave the work area at the bottom has no room under
    // the icon: the tray is in a bottom panel.
    if (!workArea.isEmpty() && icon.maxY() + hint.height > workArea.maxY() &&
        icon.minY() >= workArea.maxY() - 1) {
        return {{x, icon.minY() - hint.height, hint.width, hint.height}, false};
    }
    return {{x, icon.maxY(), hint.width, hint.height}, true};
}

HintPlacement fallbackPlacement(const core::Rect& workArea, core::Size hint) {
    const double x = clampedX(workArea.maxX() - hint.width, workArea, hint.width);
    return {{x, workArea.minY(), hint.width, hint.height}, true};
}

core::Rect workAreaAt(core::Point point, const std::vector<ports::Monitor>& monitors) {
    for (const auto& m : monitors) {
        if (m.frame.contains(point)) return m.workArea;
    }
    return monitors.empty() ? core::Rect{} : monitors.front().workArea;
}

}  // namespace quorvel::controls
