#pragma once

#include <optional>
#include <vector>

#include "compositor/client/compositor_client.h"
#include "core/signal.h"
#include "ports/desktop.h"

namespace quorvel::compositor {

/// The desktop as the compositor's component reports it: the last state it
/// sent, so a tick never waits on the compositor, read anew when asked about
/// the application in front.
class CompositorDesktop final : public ports::Desktop {
public:
    explicit CompositorDesktop(CompositorClient& client);
    CompositorDesktop(const CompositorDesktop&) = delete;
    CompositorDesktop& operator=(const CompositorDesktop&) = delete;

    ports::DesktopState state() override;
    std::optional<ports::Application> frontApplication() override;
    std::vector<ports::Application> runningApplications() override;
    core::Point pointer() override;
    core::Signal<>& changed() override { return changed_; }

private:
    CompositorClient& client_;
    core::Connection clientChanges_;
    core::Signal<> changed_;
};

}  // namespace quorvel::compositor
