#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

namespace quorvel::kwin {

/// Who may drive the effect: the bus name that owns io.github.quorvel.Quorvel1
/// right now (asked of the bus at every call, so a name lost a moment ago
/// counts at once), running a program named "quorvel" unless the check is
/// off for the project's test sessions.
class AccessGuard : public QObject {
    Q_OBJECT
public:
    AccessGuard(const QDBusConnection& bus, bool checkProcess, QObject* parent = nullptr);

    bool allows(const QString& caller) const;
    /// The owner last reported by the bus; empty when none.
    QString owner() const { return owner_; }
    /// The owner's process id, 0 when unknown.
    qint64 ownerPid() const { return ownerPid_; }

Q_SIGNALS:
    /// Everything `previous` made must go.
    void ownerChanged(const QString& previous, const QString& current);

private:
    void setOwner(const QString& owner);
    qint64 pidOf(const QString& caller) const;

    QDBusConnection bus_;
    bool checkProcess_;
    QDBusServiceWatcher watcher_;
    QString owner_;
    qint64 ownerPid_ = 0;
};

/// Whether /proc/PID/exe names a program called `name` (a program replaced
/// on disk while it runs still counts).
bool runsProgram(qint64 pid, const QString& name);

}  // namespace quorvel::kwin
