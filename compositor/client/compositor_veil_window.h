#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "compositor/client/compositor_client.h"
#include "compositor/client/compositor_veil_look.h"
#include "core/scheduler.h"
#include "core/signal.h"
#include "ports/veil_windows.h"

namespace quorvel::compositor {

/// A veil drawn by the compositor's component, directly below the window it
/// was asked for, across restacks. Only what changed is sent; the compositor
/// runs the fades itself, and this side keeps the same curve's time so
/// `alpha` and the completion agree with the screen. When the component comes
/// back after a restart the veil is made anew with everything it had.
class CompositorVeilWindow final : public ports::VeilWindow {
public:
    CompositorVeilWindow(CompositorClient& shell, core::Scheduler& scheduler,
                         CompositorVeilLook& look, const core::Rect& frame);
    ~CompositorVeilWindow() override;
    CompositorVeilWindow(const CompositorVeilWindow&) = delete;
    CompositorVeilWindow& operator=(const CompositorVeilWindow&) = delete;

    void setFrame(const core::Rect& frame) override;
    void placeBelow(ports::WindowId window) override;
    void cover() override;
    void setAlpha(double alpha) override;
    double alpha() const override;
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void hide() override;
    void close() override;

private:
    void make();
    void place(const std::string& how, std::uint64_t window);
    void sendLook(bool force);

    CompositorClient& shell_;
    core::Scheduler& scheduler_;
    CompositorVeilLook& look_;
    core::Rect frame_;  // in the compositor's coordinates
    std::uint32_t veil_ = 0;
    bool closed_ = false;
    std::string how_ = "hidden";
    std::uint64_t below_ = 0;
    double from_ = 0, to_ = 0, start_ = 0, duration_ = 0;
    core::Timer fadeEnd_;
    std::function<void()> completion_;
    look::VeilAppearance sentLook_;
    int sentHeight_ = -1;
    core::Connection lookChanged_;
    core::Connection returned_;
};

/// Makes veils in the compositor, drawn with the look `follow` was given.
class CompositorVeilWindows final : public ports::VeilWindows {
public:
    CompositorVeilWindows(CompositorClient& shell, core::Scheduler& scheduler);
    ~CompositorVeilWindows() override;
    CompositorVeilWindows(const CompositorVeilWindows&) = delete;
    CompositorVeilWindows& operator=(const CompositorVeilWindows&) = delete;

    /// Draws every veil with the look it follows; it must outlive the veils.
    void follow(look::LookFollower& look) { look_.follow(look); }
    std::shared_ptr<ports::VeilWindow> create(const ports::Monitor& monitor) override;

private:
    CompositorClient& shell_;
    core::Scheduler& scheduler_;
    CompositorVeilLook look_;
    std::vector<std::weak_ptr<CompositorVeilWindow>> made_;
    core::Connection frostChanges_;
};

}  // namespace quorvel::compositor
