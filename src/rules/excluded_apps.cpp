#include "rules/excluded_apps.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "settings/default_excluded_apps.h"

namespace quorvel::rules {

namespace {

// The first candidate of one role that is installed and readable.
std::optional<settings::ExcludedApp> firstInstalled(std::span<const std::string_view> candidates,
                                                    const ports::AppCatalog& catalog) {
    for (std::string_view id : candidates) {
        auto location = catalog.locate(std::string(id));
        if (!location) continue;
        if (auto app = settings::ExcludedApp::fromLocation(*location, catalog)) return app;
    }
    return std::nullopt;
}

}  // namespace

ExcludedApps::ExcludedApps(settings::Settings& settings, const ports::AppCatalog& catalog)
    : settings_(settings), catalog_(catalog) {
    watch_ = settings_.excludedApps.changed().connect([this] {
        reload();
        changed_.emit();
    });
    reload();
    if (list_.empty()) store(defaults());
}

std::vector<settings::ExcludedApp> ExcludedApps::defaults() const {
    std::vector<settings::ExcludedApp> apps;
    if (auto picker = firstInstalled(settings::defaultExcluded::colorPickerIds, catalog_)) {
        apps.push_back(std::move(*picker));
    }
    if (auto files = firstInstalled(settings::defaultExcluded::fileManagerIds, catalog_)) {
        apps.push_back(std::move(*files));
    }
    return apps;
}

void ExcludedApps::reload() {
    const auto previous = std::move(list_);
    list_.clear();
    for (const auto& data : settings_.excludedApps.get()) {
        // The application may have moved since it was stored: prefer where it is now.
        const auto location = catalog_.locate(data.appId);
        std::string icon = location
                               ? catalog_.iconForFile(*location)
                               : catalog_.iconForFile(settings::pathFromFileUrl(data.desktopFile));
        // An entry keeps its id across reloads, so a selection stays on it.
        const auto same = std::find_if(previous.begin(), previous.end(),
                                       [&](const auto& e) { return e.appId == data.appId; });
        list_.push_back({same != previous.end() ? same->id : settings::makeUuid(), data.name,
                         data.appId, std::move(icon)});
    }
}

void ExcludedApps::store(const std::vector<settings::ExcludedApp>& list) {
    std::vector<settings::ExcludedAppData> data;
    data.reserve(list.size());
    for (const auto& app : list) {
        const auto location = catalog_.locate(app.appId);
        data.push_back({app.name, app.appId, settings::fileUrl(location.value_or(std::string()))});
    }
    settings_.excludedApps.set(data);
}

bool ExcludedApps::isExcluded(const std::optional<std::string>& appId) const {
    return settings::isExcluded(list_, appId);
}

void ExcludedApps::add(const settings::ExcludedApp& app) {
    if (isExcluded(app.appId)) return;
    auto list = list_;
    list.push_back(app);
    store(list);
}

bool ExcludedApps::addInstalled(const std::string& appId) {
    const auto location = catalog_.locate(appId);
    if (!location) return false;
    auto entry = settings::ExcludedApp::fromLocation(*location, catalog_);
    if (!entry) return false;
    add(*entry);
    return true;
}

void ExcludedApps::remove(const std::string& appId) {
    auto list = list_;
    if (std::erase_if(list, [&](const auto& e) { return e.appId == appId; }) == 0) return;
    store(list);
}

void ExcludedApps::resetToDefaults() {
    store(defaults());
}

}  // namespace quorvel::rules
