#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/app_catalog.h"

namespace quorvel::sim {

/// Installed applications as the test lists them.
class SimAppCatalog final : public ports::AppCatalog {
public:
    std::optional<std::string> locate(const std::string& bundleId) const override;
    std::optional<ports::DesktopEntry> read(const std::string& location) const override;
    std::string iconForFile(const std::string& path) const override;
    std::vector<ports::DesktopEntry> installedApplications() const override;
    std::vector<ports::DesktopEntry> hiddenApplications() const override;
    void rescan() const override { ++rescans_; }
    int rescans() const { return rescans_; }

    /// Installs (or replaces) the entry at `entry.location`. An entry with an
    /// id is found by `locate`; `hidden` keeps it out of the picker's list.
    void addEntry(ports::DesktopEntry entry, bool hidden = false);
    /// Convenience: an application with an id, a plain name and an icon, at
    /// "/usr/share/applications/<id>.desktop". Returns that location.
    std::string addApplication(const std::string& id, const std::string& name,
                               const std::string& icon = {});
    void removeEntry(const std::string& location);
    /// The icon reported for a location that is not a desktop entry.
    void setFileIcon(const std::string& path, std::string icon) {
        fileIcons_[path] = std::move(icon);
    }

    /// How often `locate` was asked; tests use it to see caching.
    int locateCalls() const { return locateCalls_; }

private:
    mutable int rescans_ = 0;

public:
private:
    struct Installed {
        ports::DesktopEntry entry;
        bool hidden = false;
    };
    std::vector<Installed> entries_;
    std::map<std::string, std::string> fileIcons_;
    mutable int locateCalls_ = 0;
};

}  // namespace quorvel::sim
