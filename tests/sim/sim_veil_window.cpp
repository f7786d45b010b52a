#include "sim/sim_veil_window.h"

#include <algorithm>

#include "sim/sim_desktop.h"

namespace quorvel::sim {

void SimVeilWindow::setFrame(const core::Rect& frame) {
    if (!closed_) frame_ = frame;
}

void SimVeilWindow::placeBelow(ports::WindowId window) {
    if (closed_) return;
    shown_ = true;
    covering_ = false;
    if (desktop_) desktop_->veilPlaced(*this, window);
}

void SimVeilWindow::cover() {
    if (closed_) return;
    shown_ = true;
    covering_ = true;
    if (desktop_) desktop_->veilPlaced(*this, std::nullopt);
}

void SimVeilWindow::setAlpha(double alpha) {
    if (!closed_) alpha_ = alpha;
}

double SimVeilWindow::alpha() const {
    if (!fade_) return alpha_;
    if (fade_->duration <= 0) return fade_->from;
    const double progress =
        std::clamp((scheduler_.now() - fade_->start) / fade_->duration, 0.0, 1.0);
    return fade_->from + (fade_->to - fade_->from) * progress;
}

void SimVeilWindow::animateAlpha(double target, double duration, std::function<void()> completion) {
    if (closed_) return;
    std::function<void()> replaced;
    if (fade_) {
        alpha_ = alpha();
        replaced = std::move(fade_->completion);
        fade_.reset();
        fadeTimer_.cancel();
    }
    fade_ = Fade{alpha_, target, scheduler_.now(), std::max(0.0, duration), std::move(completion)};
    // Even an instant change ends on the next turn of the main queue.
    fadeTimer_ =
        scheduler_.after(fade_->duration, core::TimerMode::Common, [this] { finishFade(); });
    if (replaced) replaced();
}

void SimVeilWindow::finishFade() {
    if (!fade_) return;
    alpha_ = fade_->to;
    auto completion = std::move(fade_->completion);
    fade_.reset();
    if (completion) completion();
}

void SimVeilWindow::hide() {
    if (closed_) return;
    shown_ = false;
    if (desktop_) desktop_->veilHidden(*this);
}

void SimVeilWindow::close() {
    if (closed_) return;
    hide();
    closed_ = true;
}

void SimVeilWindow::abandon() {
    fadeTimer_.cancel();
    fade_.reset();
    desktop_ = nullptr;
}

}  // namespace quorvel::sim
