#pragma once

#include <optional>
#include <string>

#include "core/signal.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window {

/// "Never" without a date; otherwise the whole seconds, minutes, hours or
/// days since `moment`, as "59s ago", "1m ago", "23h ago", "3d ago".
std::string relativeTime(std::optional<double> moment, double now);

/// The More tab: name, version and update checks, autostart, the reset of
/// every setting, and the contact page.
class MoreView {
public:
    static constexpr const char* resetTitle = "Are you sure?";
    static constexpr const char* resetMessage =
        "This will reset all settings to their default values.";

    /// Reads the autostart entry again.
    explicit MoreView(SettingsWindowServices& services);
    MoreView(const MoreView&) = delete;
    MoreView& operator=(const MoreView&) = delete;

    const std::string& version() const { return services_.version; }
    /// The text after "Last update check: ".
    std::string lastUpdateCheckText() const;
    bool isCheckingForUpdates() const;
    bool isAutostartEnabled() const;
    /// Whether there is an update mechanism whose schedule the user can switch.
    bool offersAutomaticUpdateChecks() const;
    bool checksForUpdatesAutomatically() const;
    bool showingResetConfirmation() const { return showingResetConfirmation_; }
    /// Degrees; one turn back per reset.
    double resetRotation() const { return resetRotation_; }

    // The user's actions.
    void checkForUpdates();
    void setAutostart(bool enabled);
    void setChecksForUpdatesAutomatically(bool on);
    /// "Reset all settings": asks first.
    void requestReset();
    /// The confirmation's "Cancel".
    void cancelReset();
    /// The confirmation's "Reset".
    void confirmReset();

    /// Puts every setting back to its default (focus on, the default
    /// excluded applications, no autostart) and shows the tray hint.
    void resetAllSettings();

    /// Fires after every change of what the tab shows.
    core::Signal<> changed;

private:
    SettingsWindowServices& services_;
    bool showingResetConfirmation_ = false;
    double resetRotation_ = 0;
};

}  // namespace quorvel::settings_window
