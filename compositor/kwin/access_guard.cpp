#include "access_guard.h"

#include <QDBusConnectionInterface>
#include <QFileInfo>

namespace quorvel::kwin {
namespace {

const QString quorvelName = QStringLiteral("io.github.quorvel.Quorvel1");
const QString programName = QStringLiteral("quorvel");

}  // namespace

AccessGuard::AccessGuard(const QDBusConnection& bus, bool checkProcess, QObject* parent)
    : QObject(parent),
      bus_(bus),
      checkProcess_(checkProcess),
      watcher_(quorvelName, bus, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& current) { setOwner(current); });
    if (QDBusConnectionInterface* daemon = bus_.interface()) {
        const QDBusReply<QString> current = daemon->serviceOwner(quorvelName);
        if (current.isValid()) setOwner(current.value());
    }
}

bool AccessGuard::allows(const QString& caller) const {
    QDBusConnectionInterface* daemon = bus_.interface();
    if (!daemon || caller.isEmpty()) return false;
    const QDBusReply<QString> current = daemon->serviceOwner(quorvelName);
    if (!current.isValid() || current.value() != caller) return false;
    return !checkProcess_ || runsProgram(pidOf(caller), programName);
}

void AccessGuard::setOwner(const QString& owner) {
    if (owner == owner_) return;
    const QString previous = owner_;
    owner_ = owner;
    ownerPid_ = owner.isEmpty() ? 0 : pidOf(owner);
    Q_EMIT ownerChanged(previous, owner);
}

qint64 AccessGuard::pidOf(const QString& caller) const {
    QDBusConnectionInterface* daemon = bus_.interface();
    if (!daemon) return 0;
    const QDBusReply<uint> pid = daemon->servicePid(caller);
    return pid.isValid() ? qint64(pid.value()) : 0;
}

bool runsProgram(qint64 pid, const QString& name) {
    if (pid <= 0) return false;
    QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    const QString deleted = QStringLiteral(" (deleted)");
    if (target.endsWith(deleted)) target.chop(deleted.size());
    return !target.isEmpty() && QFileInfo(target).fileName() == name;
}

}  // namespace quorvel::kwin
