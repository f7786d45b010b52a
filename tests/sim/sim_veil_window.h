#pragma once

#include "sim/sim_desktop.h"

namespace quorvel::sim {

/// A veil on the simulated desktop. Its place in the stacking lives in the
/// desktop's model; fades run linearly on the scheduler.
class SimVeilWindow final : public ports::VeilWindow {
public:
    SimVeilWindow(SimDesktop& desktop, core::Scheduler& scheduler, ports::WindowId id,
                  const ports::Monitor& monitor)
        : desktop_(&desktop),
          scheduler_(scheduler),
          id_(id),
          monitor_(monitor.id),
          frame_(monitor.frame) {}

    void setFrame(const core::Rect& frame) override {
        if (!closed_) frame_ = frame;
    }
    void placeBelow(ports::WindowId window) override { place(window); }
    void cover() override { place(std::nullopt); }
    void setAlpha(double alpha) override {
        if (!closed_) alpha_ = alpha;
    }
    double alpha() const override {
        if (!fade_ || fade_->duration <= 0) return fade_ ? fade_->from : alpha_;
        const double done =
            std::clamp((scheduler_.now() - fade_->start) / fade_->duration, 0.0, 1.0);
        return fade_->from + (fade_->to - fade_->from) * done;
    }
    void animateAlpha(double target, double duration, std::function<void()> completion) override {
        if (closed_) return;
        std::function<void()> replaced;
        if (fade_) {
            alpha_ = alpha();
            replaced = std::move(fade_->completion);
        }
        fade_ =
            Fade{alpha_, target, scheduler_.now(), std::max(0.0, duration), std::move(completion)};
        // Even an instant change ends on the next turn of the main queue.
        fadeTimer_ = scheduler_.after(fade_->duration, core::TimerMode::Common, [this] {
            alpha_ = fade_->to;
            auto finished = std::move(fade_->completion);
            fade_.reset();
            if (finished) finished();
        });
        if (replaced) replaced();
    }
    void hide() override {
        if (closed_) return;
        shown_ = false;
        if (desktop_) desktop_->veilHidden(*this);
    }
    void close() override {
        hide();
        closed_ = true;
    }

    ports::WindowId id() const { return id_; }
    /// The monitor it was made for.
    ports::MonitorId monitor() const { return monitor_; }
    const core::Rect& frame() const { return frame_; }
    bool isShown() const { return shown_; }
    bool isCovering() const { return covering_; }
    bool isClosed() const { return closed_; }
    /// The alpha a running fade heads for (the current alpha when none runs).
    double targetAlpha() const { return fade_ ? fade_->to : alpha_; }
    /// The desktop went away: fades end without their completions.
    void abandon() {
        fadeTimer_.cancel();
        fade_.reset();
        desktop_ = nullptr;
    }

private:
    struct Fade {
        double from, to, start, duration;
        std::function<void()> completion;
    };
    void place(std::optional<ports::WindowId> below) {
        if (closed_) return;
        shown_ = true;
        covering_ = !below;
        if (desktop_) desktop_->veilPlaced(*this, below);
    }

    SimDesktop* desktop_;
    core::Scheduler& scheduler_;
    ports::WindowId id_;
    ports::MonitorId monitor_;
    core::Rect frame_;
    bool shown_ = false;
    bool covering_ = false;
    bool closed_ = false;
    double alpha_ = 0.0;
    std::optional<Fade> fade_;
    core::Timer fadeTimer_;
};

}  // namespace quorvel::sim
