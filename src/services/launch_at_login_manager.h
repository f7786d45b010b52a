#pragma once

#include "core/signal.h"
#include "ports/login_items.h"

namespace quorvel::services {

/// Whether the application starts at login. The session's registration is the
/// only record; nothing of it is kept in the application's settings.
class LaunchAtLoginManager {
public:
    explicit LaunchAtLoginManager(ports::LoginItems& loginItems);
    LaunchAtLoginManager(const LaunchAtLoginManager&) = delete;
    LaunchAtLoginManager& operator=(const LaunchAtLoginManager&) = delete;

    /// The registration as last read: at creation, after a change, at `refresh`.
    bool isEnabled() const { return isEnabled_; }

    /// Registers (true) or unregisters (false), then reads the state again. A
    /// failure is logged and leaves `isEnabled` as it was.
    void setEnabled(bool enabled);

    /// Reads the registration again, so that a change made outside the program
    /// (another tool, a hand-edited entry) shows; called when the More tab shows.
    void refresh();

    /// Emitted whenever `isEnabled` changes, with the new value.
    core::Signal<bool> isEnabledChanged;

private:
    void assign(bool enabled);

    ports::LoginItems& loginItems_;
    bool isEnabled_ = false;
};

}  // namespace quorvel::services
