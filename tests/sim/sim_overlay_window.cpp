#include "sim/sim_overlay_window.h"

#include <algorithm>
#include <utility>

#include "sim/sim_desktop.h"

namespace quorvel::sim {

SimOverlayWindow::SimOverlayWindow(SimDesktop& desktop, core::Scheduler& scheduler,
                                   std::int64_t number, const ports::ScreenInfo& screen)
    : desktop_(&desktop),
      scheduler_(scheduler),
      number_(number),
      screen_(screen),
      frame_(screen.frame) {}

SimOverlayWindow::~SimOverlayWindow() = default;

void SimOverlayWindow::setFrame(const core::Rect& frame) {
    if (closed_) return;
    frame_ = frame;
    if (desktop_) desktop_->overlayChanged(*this, false);
}

void SimOverlayWindow::setLevel(ports::WindowLevel level) {
    if (closed_) return;
    const bool changed = level != level_;
    level_ = level;
    if (desktop_) desktop_->overlayChanged(*this, changed);
}

void SimOverlayWindow::orderBelow(std::int64_t windowNumber) {
    if (closed_) return;
    visible_ = true;
    if (desktop_) desktop_->overlayOrderedBelow(*this, windowNumber);
}

void SimOverlayWindow::orderFront() {
    if (closed_) return;
    visible_ = true;
    if (desktop_) desktop_->overlayOrderedFront(*this);
}

void SimOverlayWindow::setAlpha(double alpha) {
    if (closed_) return;
    alpha_ = alpha;
}

double SimOverlayWindow::alpha() const {
    if (!animation_) return alpha_;
    const Animation& a = *animation_;
    if (a.duration <= 0) return a.from;
    const double progress = std::clamp((scheduler_.now() - a.start) / a.duration, 0.0, 1.0);
    return a.from + (a.to - a.from) * progress;
}

void SimOverlayWindow::animateAlpha(double target, double duration,
                                    std::function<void()> completion) {
    if (closed_) return;
    std::function<void()> replaced;
    if (animation_) {
        alpha_ = alpha();
        replaced = std::move(animation_->completion);
        animation_.reset();
        animationTimer_.cancel();
    }
    animation_ =
        Animation{alpha_, target, scheduler_.now(), std::max(0.0, duration), std::move(completion)};
    // Even an instant change ends on the next turn of the main queue.
    animationTimer_ = scheduler_.after(animation_->duration, core::TimerMode::Common,
                                       [this] { finishAnimation(); });
    if (replaced) replaced();
}

void SimOverlayWindow::finishAnimation() {
    if (!animation_) return;
    alpha_ = animation_->to;
    auto completion = std::move(animation_->completion);
    animation_.reset();
    if (completion) completion();
}

void SimOverlayWindow::orderOut() {
    if (closed_) return;
    visible_ = false;
    if (desktop_) desktop_->overlayChanged(*this, false);
}

void SimOverlayWindow::close() {
    if (closed_) return;
    visible_ = false;
    closed_ = true;
    if (desktop_) desktop_->overlayClosed(*this);
}

void SimOverlayWindow::abandon() {
    animationTimer_.cancel();
    animation_.reset();
    desktop_ = nullptr;
}

}  // namespace quorvel::sim
