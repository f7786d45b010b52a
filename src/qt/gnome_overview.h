#pragma once

#include <QDBusServiceWatcher>
#include <QObject>

#include "ports/overview.h"

namespace quorvel::qt {

/// GNOME Shell's overview ("Activities") through its OverviewActive property
/// on the session bus, cached and kept current by PropertiesChanged.
///
/// Where GNOME Shell is absent the answer is false rather than nothing: X11
/// desktops have no Dock windows, so the dock-window rule over the window
/// list could never see an overview there, and answering keeps it out of the
/// way. Whether GNOME Shell comes or goes is followed on the bus.
class GnomeOverview final : public QObject, public ports::Overview {
    Q_OBJECT
public:
    explicit GnomeOverview(QObject* parent = nullptr);

    std::optional<bool> isShowing() const override { return showing_; }
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
