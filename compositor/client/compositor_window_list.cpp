#include "compositor/client/compositor_window_list.h"

#include <unistd.h>

namespace quorvel::compositor {

CompositorWindowList::CompositorWindowList(CompositorClient& shell, core::Scheduler& scheduler)
    : shell_(shell), scheduler_(scheduler), workspace_(shell.state().workspace) {
    changes_ = shell_.changed().connect([this] { stateChanged(); });
}

void CompositorWindowList::stateChanged() {
    if (shell_.state().workspace != workspace_) {
        workspace_ = shell_.state().workspace;
        switchedAt_ = scheduler_.now();
        shiftSteps_ = 0;
    }
    if (onChange_) onChange_();
}

std::vector<ports::RawWindow> CompositorWindowList::onScreenWindows(
    ports::WindowListOption option) {
    if (!shell_.available()) return {};
    double shift = 0.0;
    if (switchedAt_ >= 0.0 && scheduler_.now() - switchedAt_ < kSwitchSettle) {
        // Two pixels further at each sample: every sample of the slide sees a move.
        shift = 2.0 * ++shiftSteps_;
    } else {
        switchedAt_ = -1.0;
    }
    return rawWindows(shell_.state(), option, shift, ::getpid());
}

void CompositorWindowList::setChangeHandler(std::function<void()> onChange) {
    onChange_ = std::move(onChange);
}

}  // namespace quorvel::compositor
