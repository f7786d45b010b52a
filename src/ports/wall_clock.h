#pragma once

namespace quorvel::ports {

/// The calendar clock. Stored moments (the last update check) are wall-clock
/// seconds so they survive a restart, unlike the scheduler's monotonic time.
class WallClock {
public:
    virtual ~WallClock() = default;
    /// Called when a moment is recorded or compared; seconds since the Unix epoch.
    virtual double secondsSinceEpoch() const = 0;
};

}  // namespace quorvel::ports
