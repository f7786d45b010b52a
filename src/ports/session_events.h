#pragma once

namespace quorvel::ports {

/// What the desktop session reports, on the main thread. The application
/// delegate keeps the lock/wake state itself (`isScreenLocked`,
/// `isHandlingWake`); sources only say what happened.
class SessionEvents {
public:
    virtual ~SessionEvents() = default;
    /// The screen was locked (or the screen saver took over the screen).
    virtual void screenLocked() = 0;
    /// The screen was unlocked again. Sources may repeat themselves, so the
    /// receiver ignores an unlock that follows no lock.
    virtual void screenUnlocked() = 0;
    /// The machine woke from suspend or hibernation.
    virtual void didWake() = 0;
};

/// The session's lock and sleep announcements.
class SessionEventSource {
public:
    virtual ~SessionEventSource() = default;
    /// Called once at launch; events arrive until the observer is removed.
    /// Adding the same observer twice has no further effect.
    virtual void addObserver(SessionEvents& observer) = 0;
    /// Called at termination; unknown observers are ignored.
    virtual void removeObserver(SessionEvents& observer) = 0;
};

}  // namespace quorvel::ports
