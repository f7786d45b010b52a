#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/preference_store.h"
#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/activation_policy.h"
#include "ports/launcher_badge.h"
#include "ports/update_driver.h"
#include "ports/user_notifications.h"
#include "ports/wall_clock.h"

namespace quorvel::services {

/// The desktop facilities the update manager drives.
struct UpdatePorts {
    ports::UpdateDriver& updater;
    ports::UserNotifications& notifications;
    ports::LauncherBadge& badge;
    ports::ApplicationPresence& presence;
    ports::WallClock& clock;
};

/// Wraps the update mechanism for the rest of the system: remembers when the
/// last check finished, says whether one is running, starts user checks and
/// announces updates found by scheduled checks with a notification and a badge.
class UpdateManager {
public:
    static constexpr const char* UPDATE_NOTIFICATION_IDENTIFIER = "UpdateCheck";
    static constexpr const char* kLastUpdateCheckKey = "LastUpdateCheck";
    static constexpr const char* kAutomaticChecksKey = "AutomaticallyChecksForUpdates";

    /// `standardStore` is the process's own store, not the settings suite.
    UpdateManager(UpdatePorts ports, core::PreferenceStore& standardStore,
                  core::Scheduler& scheduler);
    ~UpdateManager();
    UpdateManager(const UpdateManager&) = delete;
    UpdateManager& operator=(const UpdateManager&) = delete;

    /// Wall-clock seconds since the epoch at which the last successful check finished.
    std::optional<double> lastUpdateCheck() const { return lastUpdateCheck_; }
    bool isCheckingForUpdates() const { return isCheckingForUpdates_; }

    /// A user-started check. Callers test `isCheckingForUpdates` first: a check
    /// that is already running is not guarded against here.
    void checkForUpdates();

    ports::UpdateDriver& updater() { return ports_.updater; }

    /// The user's choice, stored; without one, the build's default the driver came with.
    bool automaticallyChecksForUpdates() const {
        return ports_.updater.automaticallyChecksForUpdates();
    }
    void setAutomaticallyChecksForUpdates(bool on);

    /// Emitted on every change of `isCheckingForUpdates`, with the new value.
    core::Signal<bool> isCheckingForUpdatesChanged;
    /// Emitted on every assignment of `lastUpdateCheck`.
    core::Signal<std::optional<double>> lastUpdateCheckChanged;

private:
    class DelegateHandler;
    class NotificationHandler;

    void updateCheckStarted();
    void updateCheckFinished(bool succeeded);
    void handleUpdateFound(const ports::UpdateInfo& update, bool userInitiated,
                           bool driverWillShow);
    void handleUserAttention();
    void handleSessionEnd();
    void handleNotificationClick(const std::string& identifier);
    void requestNotificationAuthorization();

    void setCheckingForUpdates(bool checking);
    void setLastUpdateCheck(std::optional<double> moment);
    std::optional<double> storedLastUpdateCheck() const;

    UpdatePorts ports_;
    core::PreferenceStore& store_;
    core::Scheduler& scheduler_;
    std::optional<double> lastUpdateCheck_;
    bool isCheckingForUpdates_ = false;
    std::unique_ptr<DelegateHandler> delegateHandler_;
    std::unique_ptr<NotificationHandler> notificationHandler_;
    // Queued main-queue work cannot be cancelled; it checks this before touching us.
    std::shared_ptr<UpdateManager*> self_;
};

/// The start-up lines that describe the updater's configuration.
void logUpdaterConfiguration(const ports::UpdateDriver& updater);

}  // namespace quorvel::services
