#pragma once

#include <optional>
#include <vector>

#include "core/observer_list.h"
#include "core/signal.h"
#include "x11/desktop_entry_matcher.h"
#include "ports/workspace.h"

namespace quorvel::x11 {

class Connection;

/// The application in front is the one owning _NET_ACTIVE_WINDOW, named by
/// its desktop entry. Observers hear of a change as soon as the connection's
/// events are processed.
class X11Workspace final : public ports::Workspace {
public:
    X11Workspace(Connection& connection, const ports::AppCatalog& catalog);
    ~X11Workspace() override;
    X11Workspace(const X11Workspace&) = delete;
    X11Workspace& operator=(const X11Workspace&) = delete;

    std::optional<ports::RunningApplication> frontmostApplication() const override;
    std::vector<ports::RunningApplication> runningApplications() const override;
    void addObserver(ports::WorkspaceEvents& observer) override;
    void removeObserver(ports::WorkspaceEvents& observer) override;

private:
    std::optional<ports::RunningApplication> applicationOf(std::uint32_t window) const;
    void activeWindowChanged();

    Connection& connection_;
    mutable DesktopEntryMatcher matcher_;
    int handler_ = 0;
    core::Connection activeConnection_;
    core::ObserverList<ports::WorkspaceEvents> observers_;
    std::optional<ports::RunningApplication> lastFront_;
};

}  // namespace quorvel::x11
