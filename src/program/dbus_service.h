#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include "app/remote_control.h"

namespace quorvel::program {

/// The names scripts and `quorvel <command>` reach the running instance by.
namespace dbus_names {
inline const QString service = QStringLiteral("io.github.quorvel.Quorvel1");
inline const QString path = QStringLiteral("/io/github/quorvel/Quorvel1");
inline const QString interface = QStringLiteral("io.github.quorvel.Quorvel1");
inline const QString badMode = QStringLiteral("io.github.quorvel.Quorvel1.Error.InvalidMode");
inline const QString noApp = QStringLiteral("io.github.quorvel.Quorvel1.Error.NoApplication");
}  // namespace dbus_names

/// Claims Quorvel's name before anything else is on the bus: the compositor's
/// component answers only the process that holds it. False (and a log line)
/// when there is no bus or another process holds it.
bool claimServiceName(QDBusConnection bus = QDBusConnection::sessionBus());

/// The running instance on the session bus: the remote control's commands as
/// methods, its state as properties with PropertiesChanged on every change.
class DBusService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.quorvel.Quorvel1")
    Q_PROPERTY(bool FocusEnabled READ focusOn)
    Q_PROPERTY(QString Mode READ mode)
    Q_PROPERTY(bool Excluded READ excluded)
    Q_PROPERTY(QString Backend READ backend)

public:
    DBusService(app::RemoteControl& control, QString backend,
                QDBusConnection bus = QDBusConnection::sessionBus());
    ~DBusService() override;

    /// Registers the object and claims the name; false (and a log line) when
    /// there is no bus or another process holds the name.
    bool publish();

    bool focusOn() const { return control_.state().focusOn; }
    QString mode() const { return QString::fromStdString(control_.state().mode); }
    bool excluded() const { return control_.state().excluded; }
    QString backend() const { return backend_; }

public Q_SLOTS:
    void Toggle();
    void SetFocus(bool enabled);
    void SetMode(const QString& mode);
    void ExcludeFrontmost();
    void IncludeFrontmost();
    void OpenSettings();

private:
    void announce(const app::RemoteState& now, const app::RemoteState& before);

    app::RemoteControl& control_;
    QString backend_;
    QDBusConnection bus_;
    bool published_ = false;
};

}  // namespace quorvel::program
