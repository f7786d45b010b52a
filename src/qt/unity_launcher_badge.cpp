#include "qt/unity_launcher_badge.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace quorvel::qt {

UnityLauncherBadge::UnityLauncherBadge(QDBusConnection bus) : bus_(std::move(bus)) {}

void UnityLauncherBadge::setBadgeLabel(const std::string& label) {
    bool numeric = false;
    qint64 count = QString::fromStdString(label).trimmed().toLongLong(&numeric);
    if (!numeric) count = label.empty() ? 0 : 1;
    QVariantMap properties;
    properties.insert(QStringLiteral("count"), count);
    properties.insert(QStringLiteral("count-visible"), !label.empty());
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/com/quorvel/LauncherEntry"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    signal << QString::fromLatin1(kAppUri) << properties;
    bus_.send(signal);
}

}  // namespace quorvel::qt
