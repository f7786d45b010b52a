#pragma once

#include <optional>
#include <vector>

#include "core/geometry.h"
#include "ports/desktop.h"

namespace quorvel::controls {

/// Where the hint goes, in the desktop's coordinates.
struct HintPlacement {
    core::Rect frame;
    bool arrowUp = true;  // false: the hint stands above a tray at the bottom of the monitor
    bool operator==(const HintPlacement&) const = default;
};

/// Hangs the hint directly below the tray icon, centred on it and kept inside
/// `workArea` horizontally (the right edge wins when the area is narrower than
/// the hint). A tray at the bottom of the monitor has no room below it, so
/// there the hint stands on top of the icon instead, arrow pointing down.
HintPlacement placeBelowTrayIcon(const core::Rect& icon, const core::Rect& workArea,
                                 core::Size hint);

/// Without the icon's geometry: flush with the top-right corner of
/// `workArea`, where trays usually sit.
HintPlacement fallbackPlacement(const core::Rect& workArea, core::Size hint);

/// The work area of the monitor holding `point`, else of the first monitor,
/// else an empty rectangle.
core::Rect workAreaAt(core::Point point, const std::vector<ports::Monitor>& monitors);

}  // namespace quorvel::controls
