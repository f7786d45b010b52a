#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include "qt/overview_probe.h"

namespace quorvel::qt {

/// KWin's window overviews (Overview, Present Windows, Desktop Grid) through
/// the effects KWin reports active on the session bus (org.kde.KWin, /Effects,
/// property activeEffects of org.kde.kwin.Effects).
///
/// KWin announces no change of that property, so every question sends a new
/// read and answers with the last reply, which is at most one poll (0.1 s)
/// old. Without KWin on the bus the answer is false, as GnomeOverview's is
/// without GNOME Shell.
class KdeOverview final : public QObject, public OverviewProbe {
    Q_OBJECT
public:
    explicit KdeOverview(QDBusConnection bus = QDBusConnection::sessionBus(),
                         QObject* parent = nullptr);

    bool isShowing() const override;

    /// Whether the effect of that name shows all windows instead of the desktop.
    static bool isOverviewEffect(const QString& name);

private:
    void ask() const;

    QDBusConnection bus_;
    mutable bool showing_ = false;
    mutable bool asking_ = false;
};

}  // namespace quorvel::qt
