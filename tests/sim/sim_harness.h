#pragma once

#include <filesystem>
#include <memory>

#include "app/app_context.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_desktop.h"
#include "sim/sim_keyboard_layout.h"

namespace quorvel::sim {

/// One application on the simulated desktop with virtual time: what a
/// behaviour test or a replayed session starts from.
class SimHarness {
public:
    /// An empty `configDir` keeps the settings in memory.
    explicit SimHarness(std::filesystem::path configDir = {});
    ~SimHarness();
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    core::VirtualScheduler& scheduler() { return scheduler_; }
    SimDesktop& desktop() { return desktop_; }
    SimAppCatalog& catalog() { return catalog_; }
    SimKeyboardLayout& keyboardLayout() { return keyboardLayout_; }
    app::AppContext& context() { return *context_; }

    /// Moves virtual time by `seconds`.
    void advance(double seconds) { scheduler_.advance(seconds); }
    /// Moves virtual time by `count` poller ticks.
    void ticks(int count = 1) { scheduler_.advance(0.1 * count); }

    /// Drops the application and starts a new one on the same desktop and
    /// settings folder, as a relaunch does.
    void relaunch();

private:
    app::DesktopPorts ports();

    core::VirtualScheduler scheduler_;
    SimDesktop desktop_;
    SimAppCatalog catalog_;
    SimKeyboardLayout keyboardLayout_;
    std::filesystem::path configDir_;
    std::unique_ptr<app::AppContext> context_;
};

}  // namespace quorvel::sim
