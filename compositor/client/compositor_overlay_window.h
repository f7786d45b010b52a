#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "compositor/client/compositor_client.h"
#include "compositor/client/compositor_veil_look.h"
#include "ports/overlay_windows.h"

namespace quorvel::compositor {

/// A veil drawn by the compositor's component, directly below the window it
/// was asked for, across restacks. Only what changed is sent; the compositor
/// runs the fades itself, and this side keeps the same curve's time so
/// `alpha` and the completion agree with the screen. When the component comes
/// back after a restart the veil is made anew with everything it had.
class CompositorOverlayWindow final : public ports::OverlayWindow {
public:
    CompositorOverlayWindow(CompositorClient& shell, core::Scheduler& scheduler, CompositorVeilLook& look,
                       const core::Rect& frame);
    ~CompositorOverlayWindow() override;
    CompositorOverlayWindow(const CompositorOverlayWindow&) = delete;
    CompositorOverlayWindow& operator=(const CompositorOverlayWindow&) = delete;

    void setFrame(const core::Rect& frame) override;
    void setLevel(ports::WindowLevel level) override { level_ = level; }
    void orderBelow(std::int64_t windowNumber) override;
    void orderFront() override;
    void setAlpha(double alpha) override;
    double alpha() const override;
    void animateAlpha(double target, double duration, std::function<void()> completion) override;
    void orderOut() override;
    void close() override;

private:
    void make();
    void place(const std::string& how, std::uint64_t window);
    void sendLook(bool force);
    core::Rect shellFrame() const;

    CompositorClient& shell_;
    core::Scheduler& scheduler_;
    CompositorVeilLook& look_;
    core::Rect frame_;      // bottom-left origin
    core::Rect sentFrame_;  // in the shell's coordinates
    std::uint32_t veil_ = 0;
    bool closed_ = false;
    ports::WindowLevel level_ = ports::WindowLevel::Normal;
    std::string how_ = "none";
    std::uint64_t below_ = 0;
    double from_ = 0, to_ = 0, start_ = 0, duration_ = 0;
    core::Timer fadeEnd_;
    std::function<void()> completion_;
    look::VeilAppearance sentLook_;
    int sentHeight_ = -1;
    core::Connection lookChanged_;
    core::Connection returned_;
    core::Connection stateChanged_;
};

/// Makes veils in the compositor, drawn with the look `follow` was given.
class CompositorOverlayWindowFactory final : public ports::OverlayWindowFactory {
public:
    CompositorOverlayWindowFactory(CompositorClient& shell, core::Scheduler& scheduler)
        : shell_(shell), scheduler_(scheduler), look_(scheduler) {}
    ~CompositorOverlayWindowFactory() override;
    CompositorOverlayWindowFactory(const CompositorOverlayWindowFactory&) = delete;
    CompositorOverlayWindowFactory& operator=(const CompositorOverlayWindowFactory&) = delete;

    void follow(look::OverlayStyle& style, ports::ColorSchemeSource& schemes) {
        look_.follow(style, schemes);
    }
    std::shared_ptr<ports::OverlayWindow> create(const ports::ScreenInfo& screen) override;

private:
    CompositorClient& shell_;
    core::Scheduler& scheduler_;
    CompositorVeilLook look_;
    std::vector<std::weak_ptr<CompositorOverlayWindow>> made_;
};

}  // namespace quorvel::compositor
