#include "qt/gnome_overview.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace quorvel::qt {

namespace {

const QString service = QStringLiteral("org.gnome.Shell");
const QString path = QStringLiteral("/org/gnome/Shell");
const QString interfaceName = QStringLiteral("org.gnome.Shell");
const QString overviewProperty = QStringLiteral("OverviewActive");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

GnomeOverview::GnomeOverview(QObject* parent)
    : QObject(parent),
      watcher_(
          service, QDBusConnection::sessionBus(),
          QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            &GnomeOverview::shellAppeared);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &GnomeOverview::shellVanished);
    bus.connect(service, path, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    if (bus.interface() && bus.interface()->isServiceRegistered(service)) shellAppeared();
}

void GnomeOverview::shellAppeared() {
    hasShell_ = true;
    readProperty();
}

void GnomeOverview::shellVanished() {
    hasShell_ = false;
    set(showing_, false);
}

void GnomeOverview::propertiesChanged(const QString& changedInterface, const QVariantMap& changed,
                                      const QStringList& invalidated) {
    if (changedInterface != interfaceName) return;
    if (changed.contains(overviewProperty))
        set(showing_, changed.value(overviewProperty).toBool());
    else if (invalidated.contains(overviewProperty))
        readProperty();
}

void GnomeOverview::readProperty() {
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    get << interfaceName << overviewProperty;
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        QDBusPendingReply<QDBusVariant> reply = *done;
        if (!reply.isError()) set(showing_, reply.value().variant().toBool());
        done->deleteLater();
    });
}

}  // namespace quorvel::qt
