#pragma once

#include <optional>
#include <string>

namespace quorvel::ports {

/// One release announced by the update feed.
struct UpdateInfo {
    std::string version;           // machine version, compared with the running one
    std::string displayVersion;    // what the user is shown ("1.4.2")
    std::string releaseNotesLink;  // may be empty
    std::string downloadLink;      // the release page or download; may be empty
    bool operator==(const UpdateInfo&) const = default;
};

/// What the update mechanism reports. Events may arrive on any thread; the
/// receiver moves its work to the main queue where it matters.
class UpdateDriverEvents {
public:
    virtual ~UpdateDriverEvents() = default;
    /// The driver is about to schedule its next automatic check.
    virtual void willScheduleUpdateCheck(double delaySeconds) = 0;
    /// A check (scheduled or user-started) began.
    virtual void updateCheckStarted() = 0;
    /// A check ended, whatever its outcome; `succeeded` is false when the feed
    /// could not be fetched or read.
    virtual void updateCheckFinished(bool succeeded) = 0;
    /// A newer version was found. `driverWillShow` is true when the driver shows
    /// its own dialog (user-started checks); otherwise the application announces it.
    virtual void updateFound(const UpdateInfo& update, bool userInitiated, bool driverWillShow) = 0;
    /// The user brought the update into view (its dialog was shown).
    virtual void userDidAttendToUpdate(const UpdateInfo& update) = 0;
    /// The update dialogue ended (dismissed, or the download was opened).
    virtual void updateSessionWillFinish() = 0;
};

/// The update mechanism: an appcast feed checked on a schedule and on request.
class UpdateDriver {
public:
    virtual ~UpdateDriver() = default;
    /// Called once by the update manager; events go there until it passes null.
    virtual void setEventHandler(UpdateDriverEvents* handler) = 0;
    /// Called when the user asks for a check (`true`) or by the schedule; a
    /// failed check still reports its start and end.
    virtual void checkForUpdates(bool userInitiated) = 0;
    /// Called for the start-up log; nothing when no feed is configured.
    virtual std::optional<std::string> feedURL() const = 0;
    /// Called for the start-up log; seconds between automatic checks.
    virtual double updateCheckInterval() const = 0;
    /// Called for the start-up log and the More tab; whether the schedule runs at all.
    virtual bool automaticallyChecksForUpdates() const = 0;
    /// Called by the update manager with the user's choice; starts or stops the schedule.
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
};

}  // namespace quorvel::ports
