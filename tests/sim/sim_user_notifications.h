#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ports/user_notifications.h"

namespace quorvel::sim {

/// A notification service that keeps what is on screen and lets the test click.
class SimUserNotifications final : public ports::UserNotifications {
public:
    void setEventHandler(ports::UserNotificationEvents* handler) override { handler_ = handler; }
    void requestAuthorization(std::function<void(std::optional<std::string>)> done) override;
    void post(const ports::UserNotification& notification) override;
    void removeDelivered(const std::string& identifier) override;

    // Control surface.
    /// The notifications currently shown, oldest first.
    const std::vector<ports::UserNotification>& delivered() const { return delivered_; }
    /// Every notification ever posted, in order.
    const std::vector<ports::UserNotification>& posted() const { return posted_; }
    int authorizationRequests() const { return authorizationRequests_; }
    /// Nothing grants authorization; otherwise the error given to the requester.
    void setAuthorizationError(std::optional<std::string> error) {
        authorizationError_ = std::move(error);
    }
    /// The user clicks a notification: it goes away and its default action runs.
    void click(const std::string& identifier);

private:
    ports::UserNotificationEvents* handler_ = nullptr;
    std::vector<ports::UserNotification> delivered_;
    std::vector<ports::UserNotification> posted_;
    std::optional<std::string> authorizationError_;
    int authorizationRequests_ = 0;
};

}  // namespace quorvel::sim
