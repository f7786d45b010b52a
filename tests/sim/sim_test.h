#pragma once

#include <gtest/gtest.h>

#include <string>

#include "sim/sim_harness.h"

namespace quorvel::sim {

/// A test on the simulated desktop: one 1920x1080 monitor, windows opened by
/// application name, and Quorvel started with focus on.
class SimTest : public ::testing::Test {
protected:
    SimTest() { main = harness.desktop.addMonitor({0, 0, 1920, 1080}); }

    /// An installed application's window, opened in front with the focus.
    ports::WindowId open(const std::string& app, core::Rect frame, WindowSpec spec = {}) {
        if (!harness.catalog.locate(app)) harness.catalog.addApplication(app, app, app + "-icon");
        spec.app = app;
        spec.frame = frame;
        return harness.desktop.open(spec);
    }
    /// Starts Quorvel with focus on, instant fades and what else `stored`
    /// says, and lets it settle.
    app::Application& focusOn(nlohmann::json stored = nlohmann::json::object()) {
        stored["isOverlayEnabled"] = true;
        if (!stored.contains("transitionDuration")) stored["transitionDuration"] = 0;
        auto& application = harness.start(stored);
        harness.ticks(1);
        return application;
    }
    SimHarness harness;
    SimDesktop& desktop = harness.desktop;
    ports::MonitorId main = 0;
};

}  // namespace quorvel::sim
