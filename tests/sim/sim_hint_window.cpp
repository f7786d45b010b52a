#include "sim/sim_hint_window.h"

#include <utility>

namespace quorvel::sim {

void SimHintWindow::setFrame(const core::Rect& frame, bool arrowUp) {
    frame_ = frame;
    arrowUp_ = arrowUp;
    ++frameCount_;
}

void SimHintWindow::animateAlpha(double target, double duration, std::function<void()> completion) {
    if (animation_) finishAnimation();  // the replaced animation completes at once
    animation_ = {target, duration};
    completion_ = std::move(completion);
    timer_ = scheduler_.after(duration, core::TimerMode::Common, [this] { finishAnimation(); });
}

void SimHintWindow::finishAnimation() {
    if (!animation_) return;
    alpha_ = animation_->first;
    animation_.reset();
    timer_.cancel();
    if (auto done = std::exchange(completion_, nullptr)) done();
}

void SimHintWindow::pressCloseButton() {
    if (events_) events_->closeRequested();
}

}  // namespace quorvel::sim
