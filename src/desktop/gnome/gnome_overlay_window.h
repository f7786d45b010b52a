#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "core/signal.h"
#include "desktop/gnome/gnome_veil_look.h"
#include "desktop/gnome/shell_client.h"
#include "platform/overlay_windows.h"

namespace quorvel::gnome {

/// A veil inside GNOME Shell: an actor the extension keeps in the window
/// group, directly below the window it was asked for, across restacks. Only
/// what changed is sent; the shell runs the fades itself, and this side keeps
/// the same curve's time so `alpha` and the completion agree with the screen.
/// When the extension comes back after a shell restart the veil is made anew
/// with everything it had.
class GnomeOverlayWindow final : public platform::OverlayWindow {
public:
    GnomeOverlayWindow(ShellClient& shell, core::Scheduler& scheduler, GnomeVeilLook& look,
                       const core::Rect& frame);
    ~GnomeOverlayWindow() override;
    GnomeOverlayWindow(const GnomeOverlayWindow&) = delete;
    GnomeOverlayWindow& operator=(const GnomeOverlayWindow&) = delete;

    void setFrame(const core::Rect& frame) override;
    void setLevel(platform::WindowLevel level) override { level_ = level; }
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

    ShellClient& shell_;
    core::Scheduler& scheduler_;
    GnomeVeilLook& look_;
    core::Rect frame_;      // bottom-left origin
    core::Rect sentFrame_;  // in the shell's coordinates
    std::uint32_t veil_ = 0;
    bool closed_ = false;
    platform::WindowLevel level_ = platform::WindowLevel::Normal;
    std::string how_ = "none";
    std::uint64_t below_ = 0;
    double from_ = 0, to_ = 0, start_ = 0, duration_ = 0;
    core::Timer fadeEnd_;
    std::function<void()> completion_;
    overlay::VeilAppearance sentLook_;
    int sentHeight_ = -1;
    core::Connection lookChanged_;
    core::Connection returned_;
    core::Connection stateChanged_;
};

/// Makes veils in GNOME Shell, drawn with the look `follow` was given.
class GnomeOverlayWindowFactory final : public platform::OverlayWindowFactory {
public:
    GnomeOverlayWindowFactory(ShellClient& shell, core::Scheduler& scheduler)
        : shell_(shell), scheduler_(scheduler), look_(scheduler) {}
    ~GnomeOverlayWindowFactory() override;
    GnomeOverlayWindowFactory(const GnomeOverlayWindowFactory&) = delete;
    GnomeOverlayWindowFactory& operator=(const GnomeOverlayWindowFactory&) = delete;

    void follow(overlay::OverlayStyle& style, platform::ColorSchemeSource& schemes) {
        look_.follow(style, schemes);
    }
    std::shared_ptr<platform::OverlayWindow> create(const platform::ScreenInfo& screen) override;

private:
    ShellClient& shell_;
    core::Scheduler& scheduler_;
    GnomeVeilLook look_;
    std::vector<std::weak_ptr<GnomeOverlayWindow>> made_;
};

}  // namespace quorvel::gnome
