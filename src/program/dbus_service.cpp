#include "program/dbus_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

#include "core/log.h"

namespace quorvel::program {

DBusService::DBusService(app::RemoteControl& control, QString backend, QDBusConnection bus)
    : control_(control), backend_(std::move(backend)), bus_(std::move(bus)) {
    control_.onChange([this](const app::RemoteState& now, const app::RemoteState& before) {
        announce(now, before);
    });
}

DBusService::~DBusService() {
    control_.onChange(nullptr);
    if (!published_) return;
    bus_.unregisterService(dbus_names::service);
    bus_.unregisterObject(dbus_names::path);
}

bool claimServiceName(QDBusConnection bus) {
    if (!bus.isConnected()) {
        core::log("⚠️ D-Bus: no session bus, so no commands: " +
                  bus.lastError().message().toStdString());
        return false;
    }
    // Another instance (on another display of the same session) keeps the name.
    if (bus.registerService(dbus_names::service)) return true;
    core::log("⚠️ D-Bus: " + dbus_names::service.toStdString() +
              " is taken; commands go to the process that holds it");
    return false;
}

bool DBusService::publish() {
    if (!bus_.isConnected()) {
        core::log("⚠️ D-Bus: no session bus, so no commands: " +
                  bus_.lastError().message().toStdString());
        return false;
    }
    const auto exports = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties;
    if (!bus_.registerObject(dbus_names::path, this, exports)) {
        core::log("⚠️ D-Bus: cannot register " + dbus_names::path.toStdString());
        return false;
    }
    if (!claimServiceName(bus_)) {
        bus_.unregisterObject(dbus_names::path);
        return false;
    }
    published_ = true;
    core::log("📡 D-Bus: " + dbus_names::service.toStdString() + " ready");
    return true;
}

void DBusService::Toggle() {
    control_.toggle();
}

void DBusService::SetFocus(bool enabled) {
    control_.setFocus(enabled);
}

void DBusService::SetMode(const QString& mode) {
    if (control_.setMode(mode.toStdString())) return;
    sendErrorReply(dbus_names::badMode,
                   QStringLiteral("unknown mode '%1'; use ambient or deep").arg(mode));
}

void DBusService::ExcludeFrontmost() {
    if (!control_.excludeFront()) {
        sendErrorReply(dbus_names::noApp, QStringLiteral("no known application is in front"));
    }
}

void DBusService::IncludeFrontmost() {
    if (!control_.includeFront()) {
        sendErrorReply(dbus_names::noApp, QStringLiteral("no known application is in front"));
    }
}

void DBusService::OpenSettings() {
    control_.openSettings();
}

void DBusService::announce(const app::RemoteState& now, const app::RemoteState& before) {
    if (!published_) return;
    QVariantMap changed;
    if (now.focusOn != before.focusOn) changed["FocusEnabled"] = now.focusOn;
    if (now.mode != before.mode) changed["Mode"] = QString::fromStdString(now.mode);
    if (now.excluded != before.excluded) changed["Excluded"] = now.excluded;
    auto signal = QDBusMessage::createSignal(dbus_names::path,
                                             QStringLiteral("org.freedesktop.DBus.Properties"),
                                             QStringLiteral("PropertiesChanged"));
    signal << dbus_names::interface << changed << QStringList();
    bus_.send(signal);
}

}  // namespace quorvel::program
