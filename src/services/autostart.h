#pragma once

#include "ports/autostart_entry.h"

namespace quorvel::services {

/// Whether Quorvel starts with the session. The session's autostart entry is
/// the only record; nothing of it is kept in the settings.
class Autostart {
public:
    explicit Autostart(ports::AutostartEntry& entry);
    Autostart(const Autostart&) = delete;
    Autostart& operator=(const Autostart&) = delete;

    /// The entry as last read: at creation, after a change, at `refresh`.
    bool isEnabled() const { return isEnabled_; }
    /// Enables or disables the entry, then reads it again. A failure is
    /// logged and leaves `isEnabled` as it was.
    void setEnabled(bool enabled);
    /// Reads the entry again, so that a change made outside the program (the
    /// desktop's own autostart settings, a hand-edited file) shows.
    void refresh();

private:
    ports::AutostartEntry& entry_;
    bool isEnabled_ = false;
};

}  // namespace quorvel::services
