#pragma once

#include <optional>
#include <vector>

#include "core/geometry.h"
#include "ports/screens.h"

namespace quorvel::controls {

/// Where the hint goes, in bottom-left origin global coordinates.
struct TooltipPlacement {
    core::Rect frame;
    bool arrowUp = true;  // false: the hint sits above a tray at the bottom of the screen
    bool operator==(const TooltipPlacement&) const = default;
};

/// Hangs the hint directly below the tray icon, centred on it and kept inside
/// `visible` horizontally (the right edge wins when the screen is narrower than
/// the hint). A tray at the bottom of the screen has no room below it, so there
/// the hint stands on top of the icon instead, arrow pointing down.
TooltipPlacement positionBelowStatusItem(const core::Rect& item, const core::Rect& visible,
                                         core::Size hint);

/// Without the icon's geometry: flush with the top-right corner of `visible`,
/// where trays usually sit.
TooltipPlacement fallbackPlacement(const core::Rect& visible, core::Size hint);

/// The visible frame of the monitor holding `point`, else of `mainScreen`,
/// else an empty rectangle.
core::Rect visibleFrameAt(core::Point point, const std::vector<ports::ScreenInfo>& screens,
                          const std::optional<ports::ScreenInfo>& mainScreen);

}  // namespace quorvel::controls
