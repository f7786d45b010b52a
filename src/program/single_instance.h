#pragma once

#include <QLockFile>
#include <memory>
#include <string>

namespace quorvel::program {

/// One running Quorvel per user and display. The lock lives in
/// $XDG_RUNTIME_DIR (per user), else in the temporary directory with the user
/// id in its name. A lock left by a process that died is taken over.
class SingleInstance final {
public:
    /// `displayKey` names the display (see app::displayKey).
    explicit SingleInstance(const std::string& displayKey);

    /// True when this process now holds the lock.
    bool acquire();
    const std::string& lockPath() const { return path_; }
    /// The process id of the running instance, 0 when unknown.
    qint64 holderPid() const;

private:
    std::string path_;
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace quorvel::program
