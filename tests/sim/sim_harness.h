#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include <nlohmann/json.hpp>

#include "app/application.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_application.h"
#include "sim/sim_autostart.h"
#include "sim/sim_desktop.h"
#include "sim/sim_global_shortcuts.h"
#include "sim/sim_hint_window.h"
#include "sim/sim_keyboard_layout.h"
#include "sim/sim_launcher_badge.h"
#include "sim/sim_script_service.h"
#include "sim/sim_session_events.h"
#include "sim/sim_tray.h"
#include "sim/sim_update_driver.h"
#include "sim/sim_user_notifications.h"
#include "sim/sim_wall_clock.h"
#include "sim/temp_dir.h"

namespace quorvel::sim {

/// One Quorvel on the simulated desktop with every port, in virtual time:
/// what a behaviour test or a replayed session starts from. The test sets the
/// desktop up, then starts the application.
class SimHarness {
public:
    /// An empty `configDir` keeps the settings in memory.
    explicit SimHarness(std::filesystem::path configDir = {}) : configDir_(std::move(configDir)) {}
    ~SimHarness() { application_.reset(); }
    SimHarness(const SimHarness&) = delete;
    SimHarness& operator=(const SimHarness&) = delete;

    /// Makes the application (once) over a settings file holding `stored`
    /// (keys as the file has them: {"transitionDuration": 0}).
    app::Application& start(const nlohmann::json& stored = nlohmann::json::object()) {
        if (application_) return *application_;
        if (!stored.empty()) {
            if (configDir_.empty()) configDir_ = ownDir_.emplace().path();
            std::ofstream(configDir_ / app::Application::kSettingsFileName) << stored.dump();
        }
        app::DesktopPorts p{scheduler, desktop, desktop, catalog, keyboard};
        p.tray = &tray;
        p.shortcuts = &shortcuts;
        p.hintWindow = &hint;
        p.scripts = scriptService;
        p.panelScripts = panelScripts;
        p.updateDriver = &updates;
        p.userNotifications = &notifications;
        p.launcherBadge = &badge;
        p.presence = &presence;
        p.wallClock = &clock;
        p.autostart = &autostart;
        p.sessionEvents = &session;
        p.urlOpener = &links;
        application_ = std::make_unique<app::Application>(p, configDir_);
        return *application_;
    }
    app::Application& app() { return *application_; }
    /// Drops the application and starts a new one on the same desktop and
    /// settings folder, as a relaunch does.
    app::Application& relaunch() {
        application_.reset();
        return start();
    }

    /// Moves virtual time by `seconds`.
    void advance(double seconds) { scheduler.advance(seconds); }
    /// Moves virtual time by `count` ticks of the veils.
    void ticks(int count = 1) { scheduler.advance(0.1 * count); }

    core::VirtualScheduler scheduler;
    SimDesktop desktop{scheduler};
    SimAppCatalog catalog;
    SimKeyboardLayout keyboard;
    SimTray tray;
    SimGlobalShortcuts shortcuts;
    SimHintWindow hint{scheduler};
    SimScriptService scripts;
    SimUpdateDriver updates;
    SimUserNotifications notifications;
    SimLauncherBadge badge;
    SimPresence presence;
    SimWallClock clock{scheduler};
    SimAutostart autostart;
    SimSessionEvents session;
    SimUrlOpener links;
    /// The panels' scripts of the desktop the test pretends to be (none by
    /// default) and the service that runs them (the simulated one unless a test
    /// drives a real desktop's).
    std::optional<rules::PanelScripts> panelScripts;
    ports::ScriptService* scriptService = &scripts;

private:
    std::filesystem::path configDir_;
    std::optional<quorvel::testing::TempDir> ownDir_;
    std::unique_ptr<app::Application> application_;
};

}  // namespace quorvel::sim
