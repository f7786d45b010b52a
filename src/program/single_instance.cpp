#include "program/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QString>
#include <cstdlib>

namespace quorvel::program {

namespace {

std::string lockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && QDir(runtime).exists()) return runtime;
    return QDir::tempPath().toStdString();
}

}  // namespace

SingleInstance::SingleInstance(const std::string& displayKey) {
    std::string name = "quorvel-" + std::to_string(::getuid()) + "-" + displayKey + ".lock";
    path_ = lockDirectory() + "/" + name;
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    // Never treat a live holder's lock as stale because of its age.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    return lock_->tryLock(0);
}

qint64 SingleInstance::holderPid() const {
    qint64 pid = 0;
    QString host;
    QString app;
    if (!lock_->getLockInfo(&pid, &host, &app)) return 0;
    return pid;
}

}  // namespace quorvel::program
