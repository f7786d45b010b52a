#pragma once

#include <QDBusVariant>
#include <QObject>

namespace quorvel::veil_look {

/// The desktop portal's Settings interface with one value, on the test's bus.
class FakePortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    uint scheme = 0;

    /// Changes the value and announces it as the portal does.
    void change(uint value);

public slots:
    QDBusVariant ReadOne(const QString& ns, const QString& key);
    QDBusVariant Read(const QString& ns, const QString& key);

signals:
    void SettingChanged(const QString& ns, const QString& key, const QDBusVariant& value);
};

}  // namespace quorvel::veil_look
