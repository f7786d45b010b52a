#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel::ports {

struct RunningApplication {
    std::optional<std::string> bundleId;  // the desktop-file id, when known
    std::string name;
    bool operator==(const RunningApplication&) const = default;
};

/// What the workspace tells its observers.
class WorkspaceEvents {
public:
    virtual ~WorkspaceEvents() = default;
    /// Another application came to the front.
    virtual void didActivateApplication(const RunningApplication& app) = 0;
};

/// The running applications of the session.
class Workspace {
public:
    virtual ~Workspace() = default;
    /// Called every tick and on activation; nothing when no application is in front.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    /// Called by the application picker; the applications with a window, front first.
    virtual std::vector<RunningApplication> runningApplications() const = 0;
    /// Called by owners at creation; events arrive on the main thread until removed.
    virtual void addObserver(WorkspaceEvents& observer) = 0;
    /// Called by owners at destruction; unknown observers are ignored.
    virtual void removeObserver(WorkspaceEvents& observer) = 0;
};

}  // namespace quorvel::ports
