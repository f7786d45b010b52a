#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/notification_center.h"
#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/script_service.h"
#include "settings/auto_hide_option.h"
#include "settings/excluded_app.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window {

/// What the permission probe's outcome says: a script that cannot be
/// compiled or is refused (-1743) means no; any other outcome means yes.
bool permissionFromProbe(const ports::ScriptOutcome& outcome);

/// What an auto-hide choice hides, in the words of `desktop` (a panel table's
/// name; empty or unknown gives the generic "All panels", "Bottom panel", "Top panel").
std::string autoHideOptionLabel(settings::AutoHideOption option, std::string_view desktop);

/// The Rules tab: panel auto-hide with its permission line, one window per
/// monitor or one overall, and the excluded applications.
class RulesView {
public:
    static constexpr double permissionCheckInterval = 2.0;
    static constexpr double autoHideDebounce = 0.3;
    // The permission line: on Linux the "permission" is the panel settings answering.
    static constexpr const char* panelsSilentText = "The panel settings did not answer";
    static constexpr const char* retryTitle = "Retry";
    static constexpr const char* panelsAnsweredText = "Panel settings answered";

    struct State {
        bool isSingleMode = false;
        settings::AutoHideOption autoHideOption = settings::AutoHideOption::hideBoth;
        bool isAutoHideEnabled = false;
        bool permissionGranted = false;
        bool isPermissionButtonHovered = false;
    };

    /// Reads the state and runs the permission check once.
    explicit RulesView(SettingsWindowServices& services);
    RulesView(const RulesView&) = delete;
    RulesView& operator=(const RulesView&) = delete;

    const State& state() const { return state_; }
    const std::vector<settings::ExcludedApp>& excludedApps() const;
    bool isMonitoringPermission() const { return permissionCheckTimer_.isActive(); }

    /// The tab came into view / went out of view.
    void appear();
    void disappear();

    bool checkPermission() const;
    /// The picker's text for `option` on this desktop.
    std::string optionLabel(settings::AutoHideOption option) const;

    // The user's actions.
    void setAutoHideEnabled(bool enabled);
    void selectAutoHideOption(settings::AutoHideOption option);
    /// "Retry": asks the panel settings again and opens them where they exist.
    void pressPermissionButton();
    void setPermissionButtonHovered(bool hovered);
    void selectSingleMode(bool single);
    /// The picker's choice: the desktop entry at `location`. False when it is
    /// not a readable application (nothing changes then).
    bool addApplication(const std::string& location);
    void removeApplication(const std::string& bundleId);

    /// Fires after every change of the state or of the excluded list.
    core::Signal<> changed;

private:
    void startPermissionCheck();
    void permissionTick();
    void handleSettingsChange();
    std::string storedOption() const;

    SettingsWindowServices& services_;
    State state_;
    core::Timer autoHideDebounceTimer_;
    core::Timer permissionCheckTimer_;
    std::vector<core::Observation> observations_;
    core::Connection excludedConnection_;
};

}  // namespace quorvel::settings_window
