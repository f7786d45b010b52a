#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/scheduler.h"
#include "ports/overlay_windows.h"

namespace quorvel::sim {

class SimDesktop;

/// An overlay window on the simulated desktop. Its place in the stacking
/// lives in the desktop's model; alpha animations run on the scheduler.
class SimOverlayWindow final : public ports::OverlayWindow {
public:
    SimOverlayWindow(SimDesktop& desktop, core::Scheduler& scheduler, std::int64_t number,
                     const ports::ScreenInfo& screen);
    ~SimOverlayWindow() override;

    void setFrame(const core::Rect& frame) override;
    void setLevel(ports::WindowLevel level) override;
    void orderBelow(std::int64_t windowNumber) override;
    void orderFront() override;
    void setAlpha(double alpha) override;
    double alpha() const override;
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void orderOut() override;
    void close() override;

    std::int64_t windowNumber() const { return number_; }
    /// The monitor it was created for.
    const ports::ScreenInfo& screen() const { return screen_; }
    const core::Rect& frame() const { return frame_; }
    ports::WindowLevel level() const { return level_; }
    bool isVisible() const { return visible_; }
    bool isClosed() const { return closed_; }
    bool isAnimating() const { return animation_.has_value(); }
    /// The alpha the running animation heads for (the current alpha when none).
    double targetAlpha() const { return animation_ ? animation_->to : alpha_; }

    /// Called by the desktop when it goes away: drops running animations and
    /// their completions without running them, and detaches from the model.
    void abandon();

private:
    struct Animation {
        double from = 0;
        double to = 0;
        double start = 0;
        double duration = 0;
        std::function<void()> completion;
    };
    void finishAnimation();

    SimDesktop* desktop_;
    core::Scheduler& scheduler_;
    std::int64_t number_;
    ports::ScreenInfo screen_;
    core::Rect frame_;
    ports::WindowLevel level_ = ports::WindowLevel::Normal;
    bool visible_ = false;
    bool closed_ = false;
    double alpha_ = 0.0;
    std::optional<Animation> animation_;
    core::Timer animationTimer_;
};

}  // namespace quorvel::sim
