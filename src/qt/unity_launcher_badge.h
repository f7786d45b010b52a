#pragma once

#include <QDBusConnection>
#include <QString>

#include "ports/launcher_badge.h"

namespace quorvel::qt {

/// The launcher badge through the Unity launcher API
/// (com.canonical.Unity.LauncherEntry), which KDE's task manager, Dash to Dock,
/// Plank and others follow. Desktops without it ignore the signal.
class UnityLauncherBadge final : public ports::LauncherBadge {
public:
    static constexpr const char* kAppUri = "application://quorvel.desktop";

    explicit UnityLauncherBadge(QDBusConnection bus = QDBusConnection::sessionBus());

    /// A number shows as the count; any other non-empty label as a count of 1
    /// (the protocol knows only counts); empty hides it.
    void setBadgeLabel(const std::string& label) override;

private:
    QDBusConnection bus_;
};

}  // namespace quorvel::qt
