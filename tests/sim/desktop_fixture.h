#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "sim/sim_harness.h"

namespace quorvel::sim {

/// A fresh application on a simulated desktop with one 1920x1080 monitor
/// (id 1), nothing in front and the auto-hide calls recorded.
class DesktopTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kMain = 1;

    DesktopTest() {
        desktop.addMonitor({0, 0, 1920, 1080}, kMain);
        context.focusHooks().updateAutoHide = [this](bool on) { autoHideCalls.push_back(on); };
        context.focusHooks().isDetecting = [this] { return detecting; };
    }

    std::int64_t openWindow(const std::string& owner, core::Rect bounds,
                            const std::string& title = "") {
        return desktop.addWindow({owner, bounds, title, 0, {}});
    }
    void setDuration(double seconds) { context.settingsManager().setTransitionDuration(seconds); }
    void focusOn() { context.overlayController().startMonitoring(); }
    void focusOff() { context.overlayController().stopMonitoring(); }
    void front(const std::string& bundleId) {
        desktop.setFrontmostApplication(ports::RunningApplication{bundleId, bundleId});
    }
    /// Overlays that are on screen and not fading out.
    std::size_t shownOverlays() const {
        std::size_t n = 0;
        for (const auto& o : desktop.createdOverlays()) {
            if (o->isVisible() && !o->isClosed() && o->targetAlpha() > 0) ++n;
        }
        return n;
    }
    /// Numbers of the visible windows, front to back (overlays as 0).
    std::vector<std::int64_t> order() const {
        std::vector<std::int64_t> result;
        for (const auto& e : desktop.stacking()) result.push_back(e.isOverlay ? 0 : e.windowNumber);
        return result;
    }

    SimHarness harness;
    SimDesktop& desktop = harness.desktop();
    app::AppContext& context = harness.context();
    std::vector<bool> autoHideCalls;
    bool detecting = false;
};

}  // namespace quorvel::sim
