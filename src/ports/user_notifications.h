#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quorvel::ports {

/// A notification shown by the desktop's notification service.
struct UserNotification {
    std::string identifier;  // one live notification per identifier
    std::string title;
    std::string subtitle;
    std::string body;
    bool playsDefaultSound = true;
    bool operator==(const UserNotification&) const = default;
};

/// What the notification service reports back.
class UserNotificationEvents {
public:
    virtual ~UserNotificationEvents() = default;
    /// The user clicked the notification (its default action).
    virtual void didActivateDefaultAction(const std::string& identifier) = 0;
};

/// The desktop's notification service.
class UserNotifications {
public:
    virtual ~UserNotifications() = default;
    /// Called by the owner at creation; events go there until it passes null.
    virtual void setEventHandler(UserNotificationEvents* handler) = 0;
    /// Called before the first notification; `done` gets nothing when notifications
    /// can be shown, else why not. May answer later, on the main thread.
    virtual void requestAuthorization(
        std::function<void(std::optional<std::string> error)> done) = 0;
    /// Called to show a notification at once; replaces one with the same
    /// identifier. Failure is logged by the service and otherwise ignored.
    virtual void post(const UserNotification& notification) = 0;
    /// Called when the notification is no longer needed; unknown ids are ignored.
    virtual void removeDelivered(const std::string& identifier) = 0;
};

}  // namespace quorvel::ports
