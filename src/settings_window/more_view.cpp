#include "settings_window/more_view.h"

#include <cmath>
#include <vector>

namespace quorvel::settings_window {

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
    if (services_.hooks.refreshAutostart) services_.hooks.refreshAutostart();
}

std::string MoreView::lastUpdateCheckText() const {
    const auto moment =
        services_.hooks.lastUpdateCheck ? services_.hooks.lastUpdateCheck() : std::nullopt;
    return relativeTime(moment, services_.clock.secondsSinceEpoch());
}

bool MoreView::isCheckingForUpdates() const {
    return services_.hooks.isCheckingForUpdates && services_.hooks.isCheckingForUpdates();
}

bool MoreView::isAutostartEnabled() const {
    return services_.hooks.isAutostartEnabled && services_.hooks.isAutostartEnabled();
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

void MoreView::setAutostart(bool enabled) {
    if (services_.hooks.setAutostartEnabled) services_.hooks.setAutostartEnabled(enabled);
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
    services_.settings.resetToDefaults();
    services_.excludedApps.resetToDefaults();
    if (services_.hooks.setAutostartEnabled) services_.hooks.setAutostartEnabled(false);
    if (services_.hooks.showHint) services_.hooks.showHint();
    changed.emit();
}

}  // namespace quorvel::settings_window
