#pragma once

#include <functional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "compositor/client/compositor_client.h"
#include "ports/window_list.h"

namespace quorvel::compositor {

/// The windows the compositor stacks, from its component's last report, with
/// one wallpaper entry per monitor. GNOME Shell and KWin slide a new workspace
/// in, which the behaviour recognises by a moving wallpaper: for
/// `kSwitchSettle` seconds after the workspace changed the entries move a
/// little at every sample.
class CompositorWindowList final : public ports::WindowList {
public:
    CompositorWindowList(CompositorClient& shell, core::Scheduler& scheduler);

    std::vector<ports::RawWindow> onScreenWindows(ports::WindowListOption option) override;
    void setChangeHandler(std::function<void()> onChange) override;

    /// About as long as GNOME Shell's and KWin's workspace slide.
    static constexpr double kSwitchSettle = 0.4;

private:
    void stateChanged();

    CompositorClient& shell_;
    core::Scheduler& scheduler_;
    std::function<void()> onChange_;
    core::Connection changes_;
    int workspace_ = -1;
    double switchedAt_ = -1.0;
    int shiftSteps_ = 0;
};

}  // namespace quorvel::compositor
