#pragma once

#include <optional>

namespace quorvel::ports {

/// The desktop's overview of all windows (GNOME's Activities and the like).
class Overview {
public:
    virtual ~Overview() = default;
    /// Called every 0.1 s; nothing when the desktop has no signal of its own, in
    /// which case the dock-window rule over the window list decides.
    virtual std::optional<bool> isShowing() const = 0;
};

}  // namespace quorvel::ports
