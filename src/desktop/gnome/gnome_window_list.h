#pragma once

#include <functional>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "desktop/gnome/shell_client.h"
#include "platform/window_list.h"

namespace quorvel::gnome {

/// The windows GNOME Shell stacks, from the extension's last report, with one
/// wallpaper entry per monitor. GNOME slides a new workspace in, which the
/// behaviour recognises by a moving wallpaper: for `kSwitchSettle` seconds
/// after the workspace changed the entries move a little at every sample.
class GnomeWindowList final : public platform::WindowList {
public:
    GnomeWindowList(ShellClient& shell, core::Scheduler& scheduler);

    std::vector<platform::RawWindow> onScreenWindows(platform::WindowListOption option) override;
    void setChangeHandler(std::function<void()> onChange) override;

    /// About as long as GNOME Shell's workspace slide.
    static constexpr double kSwitchSettle = 0.4;

private:
    void stateChanged();

    ShellClient& shell_;
    core::Scheduler& scheduler_;
    std::function<void()> onChange_;
    core::Connection changes_;
    int workspace_ = -1;
    double switchedAt_ = -1.0;
    int shiftSteps_ = 0;
};

}  // namespace quorvel::gnome
