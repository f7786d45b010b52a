#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <vector>

#include "ports/session_events.h"

namespace quorvel::qt {

/// Lock, unlock and wake from the desktop session over D-Bus:
/// - logind (system bus): Lock/Unlock of our own session and its LockedHint,
///   and PrepareForSleep(false) of the manager, which is the wake;
/// - the screen savers (session bus): ActiveChanged(bool) of
///   org.freedesktop.ScreenSaver and the GNOME, Cinnamon, MATE and Xfce ones.
/// Several of these may announce the same lock: a lock while locked and an
/// unlock while unlocked are not passed on.
class SessionMonitor final : public QObject, public ports::SessionEventSource {
    Q_OBJECT

public:
    /// Listens on the given buses (tests pass private ones).
    SessionMonitor(QDBusConnection sessionBus, QDBusConnection systemBus);
    /// Listens on the user's session bus and the system bus.
    SessionMonitor();
    ~SessionMonitor() override;

    void addObserver(ports::SessionEvents& observer) override;
    void removeObserver(ports::SessionEvents& observer) override;

    bool isLocked() const { return locked_; }
    /// Our logind session's object path; empty until it is known (or without logind).
    const QString& sessionPath() const { return sessionPath_; }

private Q_SLOTS:
    void screenSaverActiveChanged(bool active);
    void sessionLock(const QDBusMessage& message);
    void sessionUnlock(const QDBusMessage& message);
    void sessionPropertiesChanged(const QDBusMessage& message);
    void prepareForSleep(bool sleeping);

private:
    void listenToScreenSavers();
    void listenToLogind();
    void resolveSession();
    void setLocked(bool locked, const char* source);
    bool isOurSession(const QDBusMessage& message) const;
    template <typename F>
    void notify(F&& f);

    QDBusConnection sessionBus_;
    QDBusConnection systemBus_;
    QString sessionPath_;
    bool locked_ = false;
    std::vector<ports::SessionEvents*> observers_;
};

}  // namespace quorvel::qt
