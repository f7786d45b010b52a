#pragma once

#include <functional>
#include <optional>

#include "core/scheduler.h"
#include "ports/veil_windows.h"

namespace quorvel::sim {

class SimDesktop;

/// A veil on the simulated desktop. Its place in the stacking lives in the
/// desktop's model; fades run on the scheduler.
class SimVeilWindow final : public ports::VeilWindow {
public:
    SimVeilWindow(SimDesktop& desktop, core::Scheduler& scheduler, ports::WindowId id,
                  const ports::Monitor& monitor)
        : desktop_(&desktop),
          scheduler_(scheduler),
          id_(id),
          monitor_(monitor),
          frame_(monitor.frame) {}

    void setFrame(const core::Rect& frame) override;
    void placeBelow(ports::WindowId window) override;
    void cover() override;
    void setAlpha(double alpha) override;
    double alpha() const override;
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void hide() override;
    void close() override;

    ports::WindowId id() const { return id_; }
    /// The monitor it was made for.
    ports::MonitorId monitor() const { return monitor_.id; }
    const core::Rect& frame() const { return frame_; }
    bool isShown() const { return shown_; }
    bool isCovering() const { return covering_; }
    bool isClosed() const { return closed_; }
    /// The alpha a running fade heads for (the current alpha when none runs).
    double targetAlpha() const { return fade_ ? fade_->to : alpha_; }

    /// The desktop went away: fades end without their completions.
    void abandon();

private:
    struct Fade {
        double from = 0;
        double to = 0;
        double start = 0;
        double duration = 0;
        std::function<void()> completion;
    };
    void finishFade();

    SimDesktop* desktop_;
    core::Scheduler& scheduler_;
    ports::WindowId id_;
    ports::Monitor monitor_;
    core::Rect frame_;
    bool shown_ = false;
    bool covering_ = false;
    bool closed_ = false;
    double alpha_ = 0.0;
    std::optional<Fade> fade_;
    core::Timer fadeTimer_;
};

}  // namespace quorvel::sim
