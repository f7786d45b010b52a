#pragma once

#include <optional>
#include <vector>

#include "core/observer_list.h"
#include "core/signal.h"
#include "compositor/client/compositor_client.h"
#include "ports/overview.h"
#include "ports/window_server.h"
#include "ports/workspace.h"

namespace quorvel::compositor {

/// The application in front is the one owning the compositor's focused window,
/// named by the desktop entry the shell matched it to.
class CompositorWorkspace final : public ports::Workspace {
public:
    explicit CompositorWorkspace(CompositorClient& shell);

    std::optional<ports::RunningApplication> frontmostApplication() const override;
    std::vector<ports::RunningApplication> runningApplications() const override;
    void addObserver(ports::WorkspaceEvents& observer) override;
    void removeObserver(ports::WorkspaceEvents& observer) override;

    /// The application of one window as the shell reports it.
    static ports::RunningApplication applicationOf(const CompositorWindow& window);

private:
    void stateChanged();

    CompositorClient& shell_;
    core::Connection changes_;
    core::ObserverList<ports::WorkspaceEvents> observers_;
    std::optional<ports::RunningApplication> lastFront_;
};

/// The shell's own overview ("Activities"), as the extension reports it.
class CompositorOverview final : public ports::Overview {
public:
    explicit CompositorOverview(const CompositorClient& shell) : shell_(shell) {}
    std::optional<bool> isShowing() const override { return shell_.state().overview; }

private:
    const CompositorClient& shell_;
};

/// The compositor as the window server: reachable while its component answers.
/// Workspaces span every monitor unless the user keeps them on the primary
/// only, where the others stay put; either way there is one group to follow.
class CompositorWindowServer final : public ports::WindowServer {
public:
    explicit CompositorWindowServer(const CompositorClient& shell) : shell_(shell) {}
    std::uint32_t mainConnectionID() override { return shell_.available() ? 1 : 0; }
    std::size_t managedDisplaySpaceCount(std::uint32_t) override { return 1; }

private:
    const CompositorClient& shell_;
};

}  // namespace quorvel::compositor
