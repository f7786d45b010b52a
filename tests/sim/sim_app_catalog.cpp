#include "sim/sim_app_catalog.h"

#include <algorithm>

namespace quorvel::sim {

std::optional<std::string> SimAppCatalog::locate(const std::string& bundleId) const {
    ++locateCalls_;
    for (const auto& installed : entries_) {
        if (installed.entry.id == bundleId) return installed.entry.location;
    }
    return std::nullopt;
}

std::optional<ports::DesktopEntry> SimAppCatalog::read(const std::string& location) const {
    for (const auto& installed : entries_) {
        if (installed.entry.location == location) return installed.entry;
    }
    return std::nullopt;
}

std::string SimAppCatalog::iconForFile(const std::string& path) const {
    if (auto entry = read(path)) return entry->icon;
    auto it = fileIcons_.find(path);
    return it == fileIcons_.end() ? std::string() : it->second;
}

std::vector<ports::DesktopEntry> SimAppCatalog::installedApplications() const {
    std::vector<ports::DesktopEntry> visible;
    for (const auto& installed : entries_) {
        if (!installed.hidden) visible.push_back(installed.entry);
    }
    return visible;
}

std::vector<ports::DesktopEntry> SimAppCatalog::hiddenApplications() const {
    std::vector<ports::DesktopEntry> hidden;
    for (const auto& installed : entries_) {
        if (installed.hidden) hidden.push_back(installed.entry);
    }
    return hidden;
}

void SimAppCatalog::addEntry(ports::DesktopEntry entry, bool hidden) {
    removeEntry(entry.location);
    entries_.push_back({std::move(entry), hidden});
}

std::string SimAppCatalog::addApplication(const std::string& id, const std::string& name,
                                          const std::string& icon) {
    ports::DesktopEntry entry;
    entry.location = "/usr/share/applications/" + id + ".desktop";
    entry.id = id;
    entry.name = name;
    entry.icon = icon;
    addEntry(entry);
    return entry.location;
}

void SimAppCatalog::removeEntry(const std::string& location) {
    std::erase_if(entries_, [&](const Installed& i) { return i.entry.location == location; });
}

}  // namespace quorvel::sim
