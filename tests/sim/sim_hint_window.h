#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/scheduler.h"
#include "ports/hint_window.h"

namespace quorvel::sim {

/// The tooltip's window: alpha animations run on the scheduler's clock, and the
/// test can press the hint's close button.
class SimHintWindow final : public ports::HintWindow {
public:
    explicit SimHintWindow(core::Scheduler& scheduler) : scheduler_(scheduler) {}

    core::Size size() const override { return {240, 110}; }
    void setFrame(const core::Rect& frame, bool) override { frame_ = frame; }
    void orderFront() override { visible_ = true; }
    double alpha() const override { return alpha_; }
    void animateAlpha(double target, double duration, std::function<void()> completion) override {
        finish();  // the replaced animation completes at once
        completion_ = [this, target, done = std::move(completion)] {
            alpha_ = target;
            if (done) done();
        };
        timer_ = scheduler_.after(duration, core::TimerMode::Common, [this] { finish(); });
    }
    void orderOut() override { visible_ = false; }
    void setEvents(ports::HintWindowEvents* events) override { events_ = events; }
    void setShortcutKeys(const std::vector<std::string>&,
                         const std::vector<std::string>&) override {}

    void pressCloseButton() { events_->closeRequested(); }
    bool isVisible() const { return visible_; }
    const core::Rect& frame() const { return frame_; }

private:
    void finish() {
        timer_.cancel();
        if (auto done = std::exchange(completion_, nullptr)) done();
    }

    core::Scheduler& scheduler_;
    core::Rect frame_;
    bool visible_ = false;
    double alpha_ = 0;
    std::function<void()> completion_;
    core::Timer timer_;
    ports::HintWindowEvents* events_ = nullptr;
};

}  // namespace quorvel::sim
