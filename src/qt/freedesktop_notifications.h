#pragma once

#include <QDBusConnection>
#include <QObject>
#include <map>
#include <set>
#include <string>

#include "ports/user_notifications.h"

namespace quorvel::qt {

/// User notifications through the desktop's notification server
/// (org.freedesktop.Notifications on the session bus). Clicking a notification
/// invokes its "default" action.
class FreedesktopNotifications final : public QObject, public ports::UserNotifications {
    Q_OBJECT

public:
    explicit FreedesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus());

    void setEventHandler(ports::UserNotificationEvents* handler) override { handler_ = handler; }
    void requestAuthorization(std::function<void(std::optional<std::string>)> done) override;
    void post(const ports::UserNotification& notification) override;
    void removeDelivered(const std::string& identifier) override;

    /// The server's id of a shown notification, 0 when none is known.
    uint serverId(const std::string& identifier) const;

private slots:
    // D-Bus signals can only be connected by signature, hence the slots.
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    void rememberId(const std::string& identifier, uint id);

    QDBusConnection bus_;
    ports::UserNotificationEvents* handler_ = nullptr;
    std::map<std::string, uint> idsByIdentifier_;
    std::set<std::string> pending_;         // posted, id not yet known
    std::set<std::string> closeWhenKnown_;  // removed before the server answered
};

}  // namespace quorvel::qt
