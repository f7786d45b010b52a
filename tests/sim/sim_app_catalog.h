#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "ports/app_catalog.h"

namespace quorvel::sim {

/// Installed applications as the test lists them.
class SimAppCatalog final : public ports::AppCatalog {
public:
    std::optional<std::string> locate(const std::string& id) const override {
        for (const auto& e : entries_) {
            if (e.entry.id == id) return e.entry.location;
        }
        return std::nullopt;
    }
    std::optional<ports::DesktopEntry> read(const std::string& location) const override {
        for (const auto& e : entries_) {
            if (e.entry.location == location) return e.entry;
        }
        return std::nullopt;
    }
    std::string iconForFile(const std::string& path) const override {
        const auto entry = read(path);
        return entry ? entry->icon : std::string();
    }
    std::vector<ports::DesktopEntry> installedApplications() const override {
        return listed(false);
    }
    std::vector<ports::DesktopEntry> hiddenApplications() const override { return listed(true); }
    void rescan() const override { ++rescans_; }
    int rescans() const { return rescans_; }

    /// Installs (or replaces) the entry at `entry.location`. An entry with an
    /// id is found by `locate`; `hidden` keeps it out of the picker's list.
    void addEntry(ports::DesktopEntry entry, bool hidden = false) {
        std::erase_if(entries_, [&](const auto& e) { return e.entry.location == entry.location; });
        entries_.push_back({std::move(entry), hidden});
    }
    /// An application with an id, a plain name and an icon, at
    /// "/usr/share/applications/<id>.desktop".
    void addApplication(const std::string& id, const std::string& name,
                        const std::string& icon = {}) {
        addEntry({"/usr/share/applications/" + id + ".desktop", id, std::nullopt, name, icon});
    }

private:
    struct Installed {
        ports::DesktopEntry entry;
        bool hidden = false;
    };
    std::vector<ports::DesktopEntry> listed(bool hidden) const {
        std::vector<ports::DesktopEntry> found;
        for (const auto& e : entries_) {
            if (e.hidden == hidden) found.push_back(e.entry);
        }
        return found;
    }

    std::vector<Installed> entries_;
    mutable int rescans_ = 0;
};

}  // namespace quorvel::sim
