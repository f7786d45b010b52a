#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/notification_center.h"
#include "core/signal.h"
#include "ports/workspace.h"
#include "settings/excluded_app.h"
#include "settings/settings_manager.h"

namespace quorvel::rules {

/// Calls into subsystems that are built after focus rules and tracking: the
/// auto-hide manager and the status item. The application context fills them
/// in; one left empty does nothing (and reads as focus off).
struct FocusHooks {
    /// The auto-hide manager's `updateAutoHide`: true hides the panels, false
    /// gives the user's own panel settings back.
    std::function<void(bool focusActive)> updateAutoHide;
    /// The status item's `isDetecting`: focus is on.
    std::function<bool()> isDetecting;

    void callUpdateAutoHide(bool focusActive) const {
        if (updateAutoHide) updateAutoHide(focusActive);
    }
    bool readIsDetecting() const { return isDetecting ? isDetecting() : false; }
};

/// The applications for which focus is suspended while they are in front.
/// Loaded from the settings (seeded with the defaults when empty), every
/// change saved at once and announced with "ExcludedAppsDidChange".
class ExcludedAppsManager {
public:
    ExcludedAppsManager(settings::SettingsManager& settings, core::NotificationCenter& center,
                        ports::Workspace& workspace, const FocusHooks& hooks);
    ExcludedAppsManager(const ExcludedAppsManager&) = delete;
    ExcludedAppsManager& operator=(const ExcludedAppsManager&) = delete;

    /// In insertion order.
    const std::vector<settings::ExcludedApp>& excludedApps() const { return excludedApps_; }
    /// The matching rule over the list: exact, case-sensitive ids.
    bool isExcluded(const std::optional<std::string>& bundleId) const;

    /// Appends unless an entry with the same id is listed (then nothing at all).
    void addApp(const settings::ExcludedApp& app);
    /// Removes the first entry with that id; nothing at all when none.
    void removeApp(const std::string& bundleId);

    /// Fires after every change of the list (the rules tab redraws).
    core::Signal<>& excludedAppsChanged() { return changed_; }

private:
    void handleCheckRequest(const core::Notification& request);
    std::optional<std::string> frontmostBundleId() const;

    std::vector<settings::ExcludedApp> excludedApps_;
    settings::SettingsManager& settings_;
    core::NotificationCenter& center_;
    ports::Workspace& workspace_;
    const FocusHooks& hooks_;
    core::Signal<> changed_;
    core::Observation checkObservation_;
};

}  // namespace quorvel::rules
