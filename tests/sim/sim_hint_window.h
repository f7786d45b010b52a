#pragma once

#include <functional>
#include <optional>
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
    explicit SimHintWindow(core::Scheduler& scheduler, core::Size size = {240, 110})
        : scheduler_(scheduler), size_(size) {}

    core::Size size() const override { return size_; }
    void setFrame(const core::Rect& frame, bool arrowUp) override;
    void orderFront() override { visible_ = true; }
    double alpha() const override { return alpha_; }
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void orderOut() override { visible_ = false; }
    void setEvents(ports::HintWindowEvents* events) override { events_ = events; }
    void setShortcutKeys(const std::vector<std::string>& toggle,
                         const std::vector<std::string>& mode) override {
        keys_ = {toggle, mode};
    }

    // Control surface.
    void pressCloseButton();

    bool isVisible() const { return visible_; }
    /// The key caps of the focus and the mode rows.
    const std::pair<std::vector<std::string>, std::vector<std::string>>& keys() const {
        return keys_;
    }
    const core::Rect& frame() const { return frame_; }
    bool arrowUp() const { return arrowUp_; }
    int frameCount() const { return frameCount_; }
    /// The target and duration of the running animation, if any.
    std::optional<std::pair<double, double>> animation() const { return animation_; }

private:
    void finishAnimation();

    core::Scheduler& scheduler_;
    core::Size size_;
    core::Rect frame_;
    bool arrowUp_ = true;
    int frameCount_ = 0;
    bool visible_ = false;
    double alpha_ = 0;
    std::optional<std::pair<double, double>> animation_;
    std::function<void()> completion_;
    core::Timer timer_;
    ports::HintWindowEvents* events_ = nullptr;
    std::pair<std::vector<std::string>, std::vector<std::string>> keys_;
};

}  // namespace quorvel::sim
