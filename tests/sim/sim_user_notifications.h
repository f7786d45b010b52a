#pragma once

#include <string>
#include <vector>

#include "ports/user_notifications.h"

namespace quorvel::sim {

/// A notification service that keeps what is on screen and lets the test click.
class SimUserNotifications final : public ports::UserNotifications {
public:
    void setEventHandler(ports::UserNotificationEvents* handler) override { handler_ = handler; }
    void requestAuthorization(std::function<void(std::optional<std::string>)> done) override {
        done(std::nullopt);
    }
    void post(const ports::UserNotification& notification) override {
        posted_.push_back(notification);
        removeDelivered(notification.identifier);
        delivered_.push_back(notification);
    }
    void removeDelivered(const std::string& identifier) override {
        std::erase_if(delivered_, [&](const auto& n) { return n.identifier == identifier; });
    }

    /// The notifications currently shown, oldest first.
    const std::vector<ports::UserNotification>& delivered() const { return delivered_; }
    /// Every notification ever posted, in order.
    const std::vector<ports::UserNotification>& posted() const { return posted_; }
    /// The user clicks a notification: it goes away and its default action runs.
    void click(const std::string& identifier) {
        removeDelivered(identifier);
        if (handler_) handler_->didActivateDefaultAction(identifier);
    }

private:
    ports::UserNotificationEvents* handler_ = nullptr;
    std::vector<ports::UserNotification> delivered_;
    std::vector<ports::UserNotification> posted_;
};

}  // namespace quorvel::sim
