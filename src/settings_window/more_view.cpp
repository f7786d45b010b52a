#include "settings_window/more_view.h"

#include <cmath>
#include <vector>

#include "settings/notification_names.h"
#include "settings/settings_keys.h"

namespace quorvel::settings_window {

namespace names = settings::notifications;
namespace defaults = settings::defaultValue;

std::string relativeTime(std::optional<double> moment, double now) {
    if (!moment) return "Never";
    const double s = now - *moment;
    auto whole = [](double v) { return std::to_string(static_cast<long long>(std::trunc(v))); };
    if (s < 60) return whole(s) + "s ago";
    if (s < 3600) return whole(s / 60) + "m ago";
    if (s < 86400) return whole(s / 3600) + "h ago";
    return whole(s / 86400) + "d ago";
}

MoreView::MoreView(SettingsWindowServices& services) : services_(services) {
    if (services_.hooks.refreshLaunchAtLogin) services_.hooks.refreshLaunchAtLogin();
}

std::string MoreView::lastUpdateCheckText() const {
    const auto moment =
        services_.hooks.lastUpdateCheck ? services_.hooks.lastUpdateCheck() : std::nullopt;
    return relativeTime(moment, services_.clock.secondsSinceEpoch());
}

bool MoreView::isCheckingForUpdates() const {
    return services_.hooks.isCheckingForUpdates && services_.hooks.isCheckingForUpdates();
}

bool MoreView::isLaunchAtLoginEnabled() const {
    return services_.hooks.isLaunchAtLoginEnabled && services_.hooks.isLaunchAtLoginEnabled();
}

bool MoreView::offersAutomaticUpdateChecks() const {
    return services_.hooks.checksForUpdatesAutomatically &&
           services_.hooks.setChecksForUpdatesAutomatically;
}

bool MoreView::checksForUpdatesAutomatically() const {
    return offersAutomaticUpdateChecks() && services_.hooks.checksForUpdatesAutomatically();
}

void MoreView::setChecksForUpdatesAutomatically(bool on) {
    if (!offersAutomaticUpdateChecks()) return;
    services_.hooks.setChecksForUpdatesAutomatically(on);
    changed.emit();
}

void MoreView::checkForUpdates() {
    if (isCheckingForUpdates()) return;
    if (services_.hooks.checkForUpdates) services_.hooks.checkForUpdates();
    changed.emit();
}

void MoreView::setLaunchAtLogin(bool enabled) {
    if (services_.hooks.setLaunchAtLoginEnabled) services_.hooks.setLaunchAtLoginEnabled(enabled);
    changed.emit();
}

void MoreView::requestReset() {
    showingResetConfirmation_ = true;
    changed.emit();
}

void MoreView::cancelReset() {
    showingResetConfirmation_ = false;
    changed.emit();
}

void MoreView::confirmReset() {
    showingResetConfirmation_ = false;
    resetAllSettings();
}

void MoreView::resetAllSettings() {
    resetRotation_ -= 360;
    auto& settings = services_.settings;
    auto& hooks = services_.hooks;
    settings.setOverlayEnabled(true);
    if (!services_.isDetecting()) {
        auto setDetecting = hooks.setDetecting;
        services_.scheduler.async([setDetecting] {
            if (setDetecting) setDetecting(true);
        });
    }
    resetModeAndGrain();
    resetRules();
    resetLooks();
    resetShortcuts();
    resetExcludedApps();
    if (hooks.setLaunchAtLoginEnabled) hooks.setLaunchAtLoginEnabled(false);
    services_.center.post(names::settingsDidChange);
    if (hooks.showTooltip) hooks.showTooltip();
    changed.emit();
}

void MoreView::resetModeAndGrain() {
    auto& settings = services_.settings;
    auto& style = services_.style;
    settings.setFocusMode(settings::FocusMode::deep);
    style.setFocusMode(settings::FocusMode::deep);
    if (services_.hooks.updateModeItems) services_.hooks.updateModeItems(settings::FocusMode::deep);
    settings.setGrainIntensity(defaults::grainIntensity);
    style.setGrainIntensity(defaults::grainIntensity);
}

void MoreView::resetRules() {
    auto& settings = services_.settings;
    settings.setSingleMode(false);
    services_.overlayController.setSingleMode(false);
    settings.setAutoHideOption(defaults::autoHideOption);
    settings.setAutoHideEnabled(false);
    if (services_.hooks.updateAutoHide) {
        services_.hooks.updateAutoHide(
            settings.defaults().boolForKey(settings::keys::isOverlayEnabled));
    }
}

void MoreView::resetLooks() {
    auto& settings = services_.settings;
    auto& style = services_.style;
    settings.setUseSlightTransparency(false);
    style.setUseSlightTransparency(false);
    settings.setOpacityValue(defaults::opacityValue);
    style.setOpacityValue(defaults::opacityValue);
    settings.setTransitionDuration(defaults::transitionDuration);
    style.setTransitionDuration(defaults::transitionDuration);
    settings.setThemeMode(defaults::themeMode);
    style.setThemeMode(defaults::themeMode);
}

void MoreView::resetShortcuts() {
    auto& settings = services_.settings;
    settings.setShortcut(defaults::shortcut);
    settings.setFocusModeShortcut(defaults::focusModeShortcut);
    settings.setExcludeAppShortcut(defaults::excludeAppShortcut);
    // Once more, so the global shortcuts register again even where a setter
    // found nothing to change.
    services_.center.post(names::shortcutDidChange);
    services_.center.post(names::focusModeShortcutDidChange);
    services_.center.post(names::excludeAppShortcutDidChange);
}

void MoreView::resetExcludedApps() {
    auto& excluded = services_.excludedApps;
    std::vector<std::string> ids;
    for (const auto& app : excluded.excludedApps()) ids.push_back(app.bundleId);
    for (const auto& id : ids) excluded.removeApp(id);
    for (const auto& app : services_.settings.defaultExcludedApps()) excluded.addApp(app);
}

}  // namespace quorvel::settings_window
