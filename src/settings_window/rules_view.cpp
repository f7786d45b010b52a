#include "settings_window/rules_view.h"

#include "core/log.h"
#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::settings_window {

namespace names = settings::notifications;
namespace keys = settings::keys;

bool permissionFromProbe(const ports::ScriptOutcome& outcome) {
    if (!outcome.compiled) return false;
    if (!outcome.error) return true;
    return outcome.error->number != ports::scriptNotPermittedError;
}

RulesView::RulesView(SettingsWindowServices& services) : services_(services) {
    state_.isSingleMode = services_.overlayController.isInSingleMode();
    state_.autoHideOption = settings::parseAutoHideOptionLogging(storedOption());
    state_.isAutoHideEnabled = services_.settings.defaults().boolForKey(keys::isAutoHideEnabled);
    state_.permissionGranted = checkPermission();
    observations_.emplace_back(services_.center, names::displayModeDidChange, [this](const auto&) {
        state_.isSingleMode = services_.overlayController.isInSingleMode();
        changed.emit();
    });
    observations_.emplace_back(services_.center, names::settingsDidChange,
                               [this](const auto&) { handleSettingsChange(); });
    excludedConnection_ =
        services_.excludedApps.excludedAppsChanged().connect([this] { changed.emit(); });
}

const std::vector<settings::ExcludedApp>& RulesView::excludedApps() const {
    return services_.excludedApps.excludedApps();
}

std::string RulesView::storedOption() const {
    return services_.settings.defaults()
        .stringForKey(keys::autoHideOption)
        .value_or(settings::defaultValue::autoHideOption);
}

bool RulesView::checkPermission() const {
    if (!state_.isAutoHideEnabled) return false;
    if (!services_.hooks.runPermissionProbe) return true;
    const auto outcome = services_.hooks.runPermissionProbe();
    return !outcome || permissionFromProbe(*outcome);
}

void RulesView::appear() {
    if (state_.isAutoHideEnabled) startPermissionCheck();
}

void RulesView::disappear() {
    permissionCheckTimer_.cancel();
    autoHideDebounceTimer_.cancel();
}

void RulesView::startPermissionCheck() {
    permissionCheckTimer_ = services_.scheduler.repeating(
        permissionCheckInterval, core::TimerMode::Common, [this] { permissionTick(); });
}

void RulesView::permissionTick() {
    const bool granted = checkPermission();
    if (granted == state_.permissionGranted) return;
    core::log(std::string("🪟 Permission status changed: ") + (granted ? "true" : "false"));
    state_.permissionGranted = granted;
    if (granted && state_.isAutoHideEnabled) {
        services_.settings.setAutoHideOption(storedOption());
        if (services_.isDetecting() && services_.hooks.updateAutoHide) {
            services_.hooks.updateAutoHide(true);
        }
    }
    changed.emit();
}

void RulesView::setAutoHideEnabled(bool enabled) {
    if (enabled == state_.isAutoHideEnabled) return;
    state_.isAutoHideEnabled = enabled;
    services_.settings.setAutoHideEnabled(enabled);
    auto& hooks = services_.hooks;
    if (enabled) {
        startPermissionCheck();
        if (!state_.permissionGranted) {
            if (hooks.startPermissionMonitoring)
                hooks.startPermissionMonitoring(storedOption(), true);
            changed.emit();
            return;
        }
    } else {
        permissionCheckTimer_.cancel();
    }
    if (services_.isDetecting() && hooks.updateAutoHide) hooks.updateAutoHide(true);
    changed.emit();
}

void RulesView::selectAutoHideOption(settings::AutoHideOption option) {
    if (option == state_.autoHideOption) return;
    state_.autoHideOption = option;
    const std::string stored(settings::storedValue(option));
    services_.settings.setAutoHideOption(stored);
    autoHideDebounceTimer_.cancel();
    core::log("🪟 Auto-hide option changed to: " + std::string(settings::rawValue(option)) +
              ", storing as: '" + stored + "'");
    if (state_.isAutoHideEnabled) {
        state_.permissionGranted = checkPermission();
        if (state_.permissionGranted) {
            autoHideDebounceTimer_ =
                services_.scheduler.after(autoHideDebounce, core::TimerMode::Default, [this] {
                    if (services_.isDetecting() && services_.hooks.updateAutoHide) {
                        services_.hooks.updateAutoHide(true);
                    }
                });
        } else if (services_.hooks.startPermissionMonitoring) {
            services_.hooks.startPermissionMonitoring(stored, state_.isAutoHideEnabled);
        }
    }
    changed.emit();
}

std::string autoHideOptionLabel(settings::AutoHideOption option, std::string_view desktop) {
    using settings::AutoHideOption;
    if (option == AutoHideOption::hideBoth) return "All panels";
    const bool top = option == AutoHideOption::hideMenuBar;
    // GNOME has a dock (dash-to-dock) and a top bar; the panel tables of the
    // others count every panel off the top edge as the dock's kind, wherever it sits.
    if (desktop == "GNOME") return top ? "Top bar" : "Dock";
    if (desktop == "XFCE" || desktop == "KDE" || desktop == "MATE" || desktop == "Cinnamon") {
        return top ? "Top panel" : "Other panels";
    }
    return top ? "Top panel" : "Bottom panel";
}

std::string RulesView::optionLabel(settings::AutoHideOption option) const {
    const auto& hook = services_.hooks.panelDesktop;
    return autoHideOptionLabel(option, hook ? hook() : std::string());
}

void RulesView::pressPermissionButton() {
    auto& hooks = services_.hooks;
    permissionTick();  // the retry itself; a silent service is watched on below
    if (hooks.startPermissionMonitoring) {
        hooks.startPermissionMonitoring(storedOption(), state_.isAutoHideEnabled);
    }
    if (hooks.openAutomationSettings) hooks.openAutomationSettings();
}

void RulesView::setPermissionButtonHovered(bool hovered) {
    if (hovered == state_.isPermissionButtonHovered) return;
    state_.isPermissionButtonHovered = hovered;
    changed.emit();
}

void RulesView::selectSingleMode(bool single) {
    state_.isSingleMode = single;
    services_.overlayController.setSingleMode(single);
    changed.emit();
}

bool RulesView::addApplication(const std::string& location) {
    auto app = settings::ExcludedApp::fromLocation(location, services_.catalog);
    if (!app) return false;
    services_.excludedApps.addApp(*app);
    return true;
}

void RulesView::removeApplication(const std::string& bundleId) {
    services_.excludedApps.removeApp(bundleId);
}

void RulesView::handleSettingsChange() {
    const auto option = settings::parseAutoHideOption(storedOption());
    if (option != state_.autoHideOption) state_.autoHideOption = option;
    const bool enabled = services_.settings.defaults().boolForKey(keys::isAutoHideEnabled);
    if (enabled != state_.isAutoHideEnabled) {
        state_.isAutoHideEnabled = enabled;
        if (enabled) {
            startPermissionCheck();
        } else {
            permissionCheckTimer_.cancel();
        }
    }
    if (state_.isAutoHideEnabled) state_.permissionGranted = checkPermission();
    changed.emit();
}

}  // namespace quorvel::settings_window
