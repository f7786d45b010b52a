#pragma once

#include <QDBusServiceWatcher>
#include <QObject>

#include "qt/overview_probe.h"

namespace quorvel::qt {

/// GNOME Shell's overview ("Activities") through its OverviewActive property
/// on the session bus, cached and kept current by PropertiesChanged.
///
/// Where GNOME Shell is absent the answer is false. Whether GNOME Shell comes
/// or goes is followed on the bus.
class GnomeOverview final : public QObject, public OverviewProbe {
    Q_OBJECT
public:
    explicit GnomeOverview(QObject* parent = nullptr);

    bool isShowing() const override { return showing_; }
    /// True while GNOME Shell is on the bus.
    bool hasShell() const { return hasShell_; }

private:
    void shellAppeared();
    void shellVanished();
    Q_SLOT void propertiesChanged(const QString& interface, const QVariantMap& changed,
                                  const QStringList& invalidated);
    void readProperty();

    QDBusServiceWatcher watcher_;
    bool showing_ = false;
    bool hasShell_ = false;
};

}  // namespace quorvel::qt
