#include "qt/freedesktop_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "core/log.h"

namespace quorvel::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

// Servers that render markup would swallow "<" and "&"; servers that do not
// show text as given, and none of ours needs markup.
QString plain(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

}  // namespace

FreedesktopNotifications::FreedesktopNotifications(QDBusConnection bus) : bus_(std::move(bus)) {
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(onActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(onNotificationClosed(uint, uint)));
}

void FreedesktopNotifications::requestAuthorization(
    std::function<void(std::optional<std::string>)> done) {
    if (!bus_.isConnected()) {
        done("no session bus: " + bus_.lastError().message().toStdString());
        return;
    }
    // There is no permission to ask for; a server that answers can show them.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher* w) {
                QDBusPendingReply<QStringList> reply = *w;
                w->deleteLater();
                if (reply.isError()) {
                    done(reply.error().message().toStdString());
                } else {
                    done(std::nullopt);
                }
            });
}

void FreedesktopNotifications::post(const ports::UserNotification& n) {
    const QString summary = QString::fromStdString(n.title);
    QString body = plain(n.subtitle);
    if (!n.body.empty())
        body += (body.isEmpty() ? QString() : QStringLiteral("\n")) + plain(n.body);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("quorvel"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    if (n.playsDefaultSound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));

    QDBusMessage message = call(QStringLiteral("Notify"));
    const uint replaces = serverId(n.identifier);
    message << QStringLiteral("Quorvel") << replaces << QStringLiteral("quorvel") << summary << body
            << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << int(-1);
    pending_.insert(n.identifier);
    closeWhenKnown_.erase(n.identifier);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier = n.identifier](QDBusPendingCallWatcher* w) {
                QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                pending_.erase(identifier);
                if (reply.isError()) {
                    core::log("⚠️ Could not show notification: " +
                              reply.error().message().toStdString());
                    return;
                }
                rememberId(identifier, reply.value());
            });
}

void FreedesktopNotifications::rememberId(const std::string& identifier, uint id) {
    idsByIdentifier_[identifier] = id;
    if (closeWhenKnown_.erase(identifier)) removeDelivered(identifier);
}

void FreedesktopNotifications::removeDelivered(const std::string& identifier) {
    if (pending_.count(identifier)) {
        closeWhenKnown_.insert(identifier);
        return;
    }
    const uint id = serverId(identifier);
    if (id == 0) return;
    idsByIdentifier_.erase(identifier);
    QDBusMessage message = call(QStringLiteral("CloseNotification"));
    message << id;
    bus_.asyncCall(message);
}

uint FreedesktopNotifications::serverId(const std::string& identifier) const {
    auto it = idsByIdentifier_.find(identifier);
    return it == idsByIdentifier_.end() ? 0 : it->second;
}

void FreedesktopNotifications::onActionInvoked(uint id, const QString& actionKey) {
    for (const auto& [identifier, known] : idsByIdentifier_) {
        if (known != id) continue;
        const std::string which = identifier;  // the handler may post or remove
        if (actionKey == QLatin1StringView("default") && handler_) {
            handler_->didActivateDefaultAction(which);
        }
        return;
    }
}

void FreedesktopNotifications::onNotificationClosed(uint id, uint) {
    std::erase_if(idsByIdentifier_, [id](const auto& entry) { return entry.second == id; });
}

}  // namespace quorvel::qt
