#pragma once

#include <string>

namespace quorvel::ports {

/// The badge on the application's launcher (taskbar or dock) icon.
class LauncherBadge {
public:
    virtual ~LauncherBadge() = default;
    /// Called to show a count such as "1"; an empty label clears the badge.
    /// Desktops without badges ignore it.
    virtual void setBadgeLabel(const std::string& label) = 0;
};

}  // namespace quorvel::ports
