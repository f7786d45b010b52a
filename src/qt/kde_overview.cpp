#include "qt/kde_overview.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStringList>

namespace quorvel::qt {

namespace {

const QString service = QStringLiteral("org.kde.KWin");
const QString path = QStringLiteral("/Effects");
const QString interfaceName = QStringLiteral("org.kde.kwin.Effects");
const QString activeProperty = QStringLiteral("activeEffects");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

KdeOverview::KdeOverview(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    ask();
}

bool KdeOverview::isOverviewEffect(const QString& name) {
    // "windowview" is Present Windows since Plasma 5.24, "presentwindows" before it.
    return name == QLatin1String("overview") || name == QLatin1String("windowview") ||
           name == QLatin1String("presentwindows") || name == QLatin1String("desktopgrid");
}

bool KdeOverview::isShowing() const {
    ask();
    return showing_;
}

void KdeOverview::ask() const {
    // One read at a time: a KWin slow to answer is not flooded with more.
    if (asking_ || !bus_.isConnected()) return;
    asking_ = true;
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    get << interfaceName << activeProperty;
    // The answer changes what this probe says: KWin announces no change itself.
    auto* self = const_cast<KdeOverview*>(this);
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(get), self);
    connect(call, &QDBusPendingCallWatcher::finished, self, [self](QDBusPendingCallWatcher* done) {
        QDBusPendingReply<QDBusVariant> reply = *done;
        bool showing = false;
        if (!reply.isError()) {
            for (const QString& name : reply.value().variant().toStringList())
                showing = showing || isOverviewEffect(name);
        }
        self->asking_ = false;
        self->set(self->showing_, showing);
        done->deleteLater();
    });
}

}  // namespace quorvel::qt
