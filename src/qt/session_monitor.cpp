#include "qt/session_monitor.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <algorithm>
#include <string>

#include "core/log.h"

namespace quorvel::qt {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");

// Every screen saver that announces itself the freedesktop way or its own.
const char* const kScreenSavers[] = {
    "org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.cinnamon.ScreenSaver",
    "org.mate.ScreenSaver",        "org.xfce.ScreenSaver",
};

}  // namespace

SessionMonitor::SessionMonitor(QDBusConnection sessionBus, QDBusConnection systemBus)
    : sessionBus_(std::move(sessionBus)), systemBus_(std::move(systemBus)) {
    listenToScreenSavers();
    listenToLogind();
}

SessionMonitor::SessionMonitor()
    : SessionMonitor(QDBusConnection::sessionBus(), QDBusConnection::systemBus()) {}

SessionMonitor::~SessionMonitor() = default;

void SessionMonitor::listenToScreenSavers() {
    if (!sessionBus_.isConnected()) {
        core::log("⚠️ No session bus: screen saver locks go unnoticed");
        return;
    }
    for (const char* saver : kScreenSavers) {
        sessionBus_.connect(QString(), QString(), QLatin1String(saver),
                            QStringLiteral("ActiveChanged"), this,
                            SLOT(screenSaverActiveChanged(bool)));
    }
}

void SessionMonitor::listenToLogind() {
    if (!systemBus_.isConnected()) {
        core::log("⚠️ No system bus: session locks and wake from sleep go unnoticed");
        return;
    }
    // Signals of every session arrive; `isOurSession` keeps ours.
    systemBus_.connect(kLogind, QString(), kSession, QStringLiteral("Lock"), this,
                       SLOT(sessionLock(QDBusMessage)));
    systemBus_.connect(kLogind, QString(), kSession, QStringLiteral("Unlock"), this,
                       SLOT(sessionUnlock(QDBusMessage)));
    systemBus_.connect(kLogind, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), this,
                       SLOT(sessionPropertiesChanged(QDBusMessage)));
    systemBus_.connect(kLogind, kLogindPath, kManager, QStringLiteral("PrepareForSleep"), this,
                       SLOT(prepareForSleep(bool)));
    resolveSession();
}

void SessionMonitor::resolveSession() {
    const QString id = qEnvironmentVariable("XDG_SESSION_ID");
    QDBusMessage call = id.isEmpty()
                            ? QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager,
                                                             QStringLiteral("GetSessionByPID"))
                                  << quint32(::getpid())
                            : QDBusMessage::createMethodCall(kLogind, kLogindPath, kManager,
                                                             QStringLiteral("GetSession"))
                                  << id;
    auto* watcher = new QDBusPendingCallWatcher(systemBus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            core::log("⚠️ No logind session found (" + reply.error().message().toStdString() +
                      "): session locks are read from the screen saver only");
        } else {
            sessionPath_ = reply.value().path();
        }
        w->deleteLater();
    });
}

bool SessionMonitor::isOurSession(const QDBusMessage& message) const {
    return !sessionPath_.isEmpty() && message.path() == sessionPath_;
}

void SessionMonitor::screenSaverActiveChanged(bool active) {
    setLocked(active, "screen saver");
}

void SessionMonitor::sessionLock(const QDBusMessage& message) {
    if (isOurSession(message)) setLocked(true, "session");
}

void SessionMonitor::sessionUnlock(const QDBusMessage& message) {
    if (isOurSession(message)) setLocked(false, "session");
}

void SessionMonitor::sessionPropertiesChanged(const QDBusMessage& message) {
    const QList<QVariant> args = message.arguments();
    if (!isOurSession(message) || args.size() < 2 || args[0].toString() != kSession) return;
    const auto changed = qdbus_cast<QVariantMap>(args[1]);
    const auto hint = changed.find(QStringLiteral("LockedHint"));
    if (hint != changed.end()) setLocked(hint->toBool(), "session");
}

void SessionMonitor::prepareForSleep(bool sleeping) {
    if (sleeping) return;  // only the way back matters
    core::log("💤 Woke from sleep");
    notify([](ports::SessionEvents& o) { o.didWake(); });
}

void SessionMonitor::setLocked(bool locked, const char* source) {
    if (locked == locked_) return;
    locked_ = locked;
    core::log(std::string(locked ? "🔒 Screen locked (" : "🔓 Screen unlocked (") + source + ")");
    if (locked) {
        notify([](ports::SessionEvents& o) { o.screenLocked(); });
    } else {
        notify([](ports::SessionEvents& o) { o.screenUnlocked(); });
    }
}

void SessionMonitor::addObserver(ports::SessionEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void SessionMonitor::removeObserver(ports::SessionEvents& observer) {
    std::erase(observers_, &observer);
}

template <typename F>
void SessionMonitor::notify(F&& f) {
    auto snapshot = observers_;
    for (auto* o : snapshot) {
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
    }
}

}  // namespace quorvel::qt
