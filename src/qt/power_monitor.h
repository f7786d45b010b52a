#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace quorvel::qt {

/// Whether the machine runs on battery, from UPower's OnBattery on the
/// system bus. Without UPower it counts as on mains and says nothing.
class PowerMonitor final : public QObject {
    Q_OBJECT

public:
    using Changed = std::function<void(bool onBattery)>;

    /// `changed` runs once the first answer is in and on every change after.
    PowerMonitor(QDBusConnection bus, Changed changed);
    explicit PowerMonitor(Changed changed);

    bool onBattery() const { return onBattery_; }

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);

private:
    void read();
    void set(bool onBattery);

    QDBusConnection bus_;
    Changed changed_;
    bool onBattery_ = false;
    bool firstAnswer_ = true;
};

}  // namespace quorvel::qt
