#include "services/update_manager.h"

#include <cmath>
#include <cstdio>
#include <variant>

#include "core/log.h"

namespace quorvel::services {

class UpdateManager::DelegateHandler final : public ports::UpdateDriverEvents {
public:
    explicit DelegateHandler(UpdateManager& owner) : owner_(owner) {}

    void willScheduleUpdateCheck(double) override { owner_.requestNotificationAuthorization(); }
    void updateCheckStarted() override { owner_.updateCheckStarted(); }
    void updateCheckFinished(bool succeeded) override { owner_.updateCheckFinished(succeeded); }
    void updateFound(const ports::UpdateInfo& update, bool userInitiated,
                     bool driverWillShow) override {
        owner_.handleUpdateFound(update, userInitiated, driverWillShow);
    }
    void userDidAttendToUpdate(const ports::UpdateInfo&) override { owner_.handleUserAttention(); }
    void updateSessionWillFinish() override { owner_.handleSessionEnd(); }

private:
    UpdateManager& owner_;
};

class UpdateManager::NotificationHandler final : public ports::UserNotificationEvents {
public:
    explicit NotificationHandler(UpdateManager& owner) : owner_(owner) {}
    void didActivateDefaultAction(const std::string& identifier) override {
        owner_.handleNotificationClick(identifier);
    }

private:
    UpdateManager& owner_;
};

UpdateManager::UpdateManager(UpdatePorts ports, core::PreferenceStore& standardStore,
                             core::Scheduler& scheduler)
    : ports_(ports),
      store_(standardStore),
      scheduler_(scheduler),
      lastUpdateCheck_(storedLastUpdateCheck()),
      delegateHandler_(std::make_unique<DelegateHandler>(*this)),
      notificationHandler_(std::make_unique<NotificationHandler>(*this)),
      self_(std::make_shared<UpdateManager*>(this)) {
    ports_.updater.setEventHandler(delegateHandler_.get());
    ports_.notifications.setEventHandler(notificationHandler_.get());
    if (const auto stored = store_.object(kAutomaticChecksKey)) {
        if (const bool* on = std::get_if<bool>(&*stored)) {
            ports_.updater.setAutomaticallyChecksForUpdates(*on);
        }
    }
}

void UpdateManager::setAutomaticallyChecksForUpdates(bool on) {
    store_.set(kAutomaticChecksKey, on);
    ports_.updater.setAutomaticallyChecksForUpdates(on);
}

UpdateManager::~UpdateManager() {
    ports_.updater.setEventHandler(nullptr);
    ports_.notifications.setEventHandler(nullptr);
}

void UpdateManager::checkForUpdates() {
    ports_.updater.checkForUpdates(true);
}

void UpdateManager::updateCheckStarted() {
    std::weak_ptr<UpdateManager*> weak = self_;
    scheduler_.async([weak] {
        if (auto self = weak.lock()) (*self)->setCheckingForUpdates(true);
    });
}

void UpdateManager::updateCheckFinished(bool succeeded) {
    std::weak_ptr<UpdateManager*> weak = self_;
    scheduler_.async([weak, succeeded] {
        auto self = weak.lock();
        if (!self) return;
        UpdateManager& manager = **self;
        manager.setCheckingForUpdates(false);
        // A failed check says nothing about being up to date, so the last one stands.
        if (succeeded) manager.setLastUpdateCheck(manager.ports_.clock.secondsSinceEpoch());
    });
}

void UpdateManager::handleUpdateFound(const ports::UpdateInfo& update, bool userInitiated,
                                      bool driverWillShow) {
    if (driverWillShow) return;
    ports_.presence.setActivationPolicy(ports::ActivationPolicy::Regular);
    if (userInitiated) return;
    ports_.badge.setBadgeLabel("1");
    ports::UserNotification notification;
    notification.identifier = UPDATE_NOTIFICATION_IDENTIFIER;
    notification.title = "Quorvel Update Available";
    notification.subtitle = "Version " + update.displayVersion;
    notification.body = "A new version of Quorvel is available!";
    notification.playsDefaultSound = true;
    ports_.notifications.post(notification);
}

void UpdateManager::handleUserAttention() {
    ports_.badge.setBadgeLabel("");
    ports_.notifications.removeDelivered(UPDATE_NOTIFICATION_IDENTIFIER);
}

void UpdateManager::handleSessionEnd() {
    ports_.presence.setActivationPolicy(ports::ActivationPolicy::Accessory);
}

void UpdateManager::handleNotificationClick(const std::string& identifier) {
    if (identifier == UPDATE_NOTIFICATION_IDENTIFIER) checkForUpdates();
}

void UpdateManager::requestNotificationAuthorization() {
    ports_.notifications.requestAuthorization([](std::optional<std::string> error) {
        if (error) core::log("Failed to request notification authorization: " + *error);
    });
}

void UpdateManager::setCheckingForUpdates(bool checking) {
    if (isCheckingForUpdates_ == checking) return;
    isCheckingForUpdates_ = checking;
    isCheckingForUpdatesChanged.emit(checking);
}

void UpdateManager::setLastUpdateCheck(std::optional<double> moment) {
    lastUpdateCheck_ = moment;
    if (moment) {
        store_.set(kLastUpdateCheckKey, *moment);
    } else {
        store_.remove(kLastUpdateCheckKey);
    }
    lastUpdateCheckChanged.emit(moment);
}

std::optional<double> UpdateManager::storedLastUpdateCheck() const {
    const auto value = store_.object(kLastUpdateCheckKey);
    if (!value) return std::nullopt;
    // A whole number of seconds is still a moment (a hand-edited file may hold one).
    if (const double* seconds = std::get_if<double>(&*value)) {
        if (std::isfinite(*seconds)) return *seconds;
        return std::nullopt;
    }
    if (const std::int64_t* whole = std::get_if<std::int64_t>(&*value)) {
        return static_cast<double>(*whole);
    }
    return std::nullopt;
}

namespace {

std::string secondsText(double seconds) {
    char buf[64];
    if (std::isfinite(seconds) && seconds == std::floor(seconds) && std::fabs(seconds) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", seconds);
    } else {
        std::snprintf(buf, sizeof buf, "%g", seconds);
    }
    return buf;
}

}  // namespace

void logUpdaterConfiguration(const ports::UpdateDriver& updater) {
    core::log("🔄 Creating the appcast feed updater...");
    core::log("🔄 Appcast feed updater configured with:");
    core::log("🔄 - Feed URL: " + updater.feedURL().value_or("none"));
    core::log("🔄 - Check interval: " + secondsText(updater.updateCheckInterval()) + " seconds");
    core::log(std::string("🔄 - Automatic checks enabled: ") +
              (updater.automaticallyChecksForUpdates() ? "true" : "false"));
}

}  // namespace quorvel::services
