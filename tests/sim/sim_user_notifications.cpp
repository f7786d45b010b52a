#include "sim/sim_user_notifications.h"

#include <algorithm>

namespace quorvel::sim {

void SimUserNotifications::requestAuthorization(
    std::function<void(std::optional<std::string>)> done) {
    ++authorizationRequests_;
    done(authorizationError_);
}

void SimUserNotifications::post(const ports::UserNotification& notification) {
    posted_.push_back(notification);
    removeDelivered(notification.identifier);
    delivered_.push_back(notification);
}

void SimUserNotifications::removeDelivered(const std::string& identifier) {
    std::erase_if(delivered_, [&](const auto& n) { return n.identifier == identifier; });
}

void SimUserNotifications::click(const std::string& identifier) {
    removeDelivered(identifier);
    if (handler_) handler_->didActivateDefaultAction(identifier);
}

}  // namespace quorvel::sim
