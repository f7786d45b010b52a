#include "qt/power_monitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <utility>

#include "core/log.h"

namespace quorvel::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UPower");
const QString kPath = QStringLiteral("/org/freedesktop/UPower");
const QString kInterface = QStringLiteral("org.freedesktop.UPower");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

PowerMonitor::PowerMonitor(Changed changed)
    : PowerMonitor(QDBusConnection::systemBus(), std::move(changed)) {}

PowerMonitor::PowerMonitor(QDBusConnection bus, Changed changed)
    : bus_(std::move(bus)), changed_(std::move(changed)) {
    if (!bus_.isConnected()) return;
    bus_.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    read();
}

void PowerMonitor::read() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    get << kInterface << QStringLiteral("OnBattery");
    // Asynchronous: a missing UPower must not hold up the start.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError()) set(reply.value().variant().toBool());
        w->deleteLater();
    });
}

void PowerMonitor::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                     const QStringList& invalidated) {
    if (interface != kInterface) return;
    if (changed.contains(QStringLiteral("OnBattery")))
        set(changed.value(QStringLiteral("OnBattery")).toBool());
    else if (invalidated.contains(QStringLiteral("OnBattery")))
        read();
}

void PowerMonitor::set(bool onBattery) {
    const bool first = std::exchange(firstAnswer_, false);
    if (!first && onBattery == onBattery_) return;
    onBattery_ = onBattery;
    if (!first || onBattery)
        core::log(onBattery
                      ? "🔧 On battery: the frost follows changes at most 5 times a second"
                      : "🔧 On mains power: the frost follows changes at most 30 times a second");
    if (changed_) changed_(onBattery);
}

}  // namespace quorvel::qt
