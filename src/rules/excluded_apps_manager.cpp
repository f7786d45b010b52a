#include "rules/excluded_apps_manager.h"

#include <algorithm>

namespace quorvel::rules {

namespace names = settings::notifications;

ExcludedAppsManager::ExcludedAppsManager(settings::SettingsManager& settings,
                                         core::NotificationCenter& center,
                                         ports::Workspace& workspace, const FocusHooks& hooks)
    : excludedApps_(settings.excludedApps()),
      settings_(settings),
      center_(center),
      workspace_(workspace),
      hooks_(hooks) {
    // An emptied list is seeded again at every start.
    if (excludedApps_.empty()) {
        const auto defaults = settings_.defaultExcludedApps();
        for (const auto& app : defaults) addApp(app);
    }
    checkObservation_ = core::Observation(
        center_, names::checkExcludedApp,
        [this](const core::Notification& request) { handleCheckRequest(request); });
}

bool ExcludedAppsManager::isExcluded(const std::optional<std::string>& bundleId) const {
    return settings::isExcluded(excludedApps_, bundleId);
}

std::optional<std::string> ExcludedAppsManager::frontmostBundleId() const {
    auto app = workspace_.frontmostApplication();
    if (!app) return std::nullopt;
    return app->bundleId;
}

void ExcludedAppsManager::addApp(const settings::ExcludedApp& app) {
    const bool listed = std::any_of(excludedApps_.begin(), excludedApps_.end(),
                                    [&](const auto& e) { return e.bundleId == app.bundleId; });
    if (listed) return;
    excludedApps_.push_back(app);
    changed_.emit();
    settings_.setExcludedApps(excludedApps_);
    center_.post(names::excludedAppsDidChange, {{names::addedAppKey, app}});
    // The frontmost application has just become excluded: the user gets the
    // panels back, whether focus is on or off.
    if (frontmostBundleId() == app.bundleId) hooks_.callUpdateAutoHide(false);
}

void ExcludedAppsManager::removeApp(const std::string& bundleId) {
    auto it = std::find_if(excludedApps_.begin(), excludedApps_.end(),
                           [&](const auto& e) { return e.bundleId == bundleId; });
    if (it == excludedApps_.end()) return;
    excludedApps_.erase(it);
    changed_.emit();
    settings_.setExcludedApps(excludedApps_);
    center_.post(names::excludedAppsDidChange, {{names::removedBundleIdKey, bundleId}});
    if (frontmostBundleId() == bundleId && hooks_.readIsDetecting()) {
        hooks_.callUpdateAutoHide(true);
    }
}

void ExcludedAppsManager::handleCheckRequest(const core::Notification& request) {
    auto bundleId = request.value<std::string>(names::bundleIdKey);
    if (!bundleId) return;  // a malformed request gets no answer
    center_.post(names::excludedAppCheckResult, {{names::isExcludedKey, isExcluded(bundleId)}});
}

}  // namespace quorvel::rules
