#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_context.h"
#include "controls/hot_key_manager.h"
#include "controls/menu_bar_item.h"
#include "core/log.h"
#include "core/virtual_scheduler.h"
#include "sim/sim_app_catalog.h"
#include "sim/sim_desktop.h"
#include "sim/sim_global_hotkeys.h"
#include "sim/sim_keyboard_layout.h"
#include "sim/sim_login_items.h"
#include "sim/sim_status_item.h"
#include "sim/sim_wall_clock.h"
#include "services/launch_at_login_manager.h"
#include "settings/notification_names.h"
#include "settings_window/settings_window_services.h"

namespace quorvel::settings_window::testing {

/// One application on the simulated desktop with the tray item, the global
/// shortcuts and start at login built as the application builds them; the
/// auto-hide manager, updates and the tray hint are stand-ins that record.
class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() {
        desktop.addMonitor({0, 0, 1920, 1080}, 1);
        layout.setCharacters(3, "f");
        layout.setCharacters(46, "m");
        layout.setCharacters(14, "e");
        context.focusHooks().isDetecting = [this] { return menuBar && menuBar->isDetecting(); };
    }

    /// Builds the tray item, the shortcuts and the tabs' services, then lets
    /// the first turn of the main queue run.
    void start() {
        auto& settings = context.settingsManager();
        auto& style = context.overlayStyle();
        auto& excluded = context.excludedAppsManager();
        auto& controller = context.overlayController();
        menuBar =
            std::make_unique<controls::MenuBarItem>(settings, style, controller, excluded, center(),
                                                    scheduler, statusItem, desktop, catalog);
        hotKeys = std::make_unique<controls::HotKeyManager>(settings, style, *menuBar, center(),
                                                            scheduler, hotkeys, layout);
        services = std::make_unique<SettingsWindowServices>(
            SettingsWindowServices{scheduler, center(), settings, style, controller, excluded,
                                   catalog, layout, clock, hooks(), "2.4.1"});
        scheduler.runPending();
    }

    SettingsWindowHooks hooks() {
        SettingsWindowHooks h;
        h.isDetecting = [this] { return menuBar->isDetecting(); };
        h.setDetecting = [this](bool on) { menuBar->setDetecting(on); };
        h.updateModeItems = [this](settings::FocusMode m) {
            menuBar->updateModeItems(m);
            trail.push_back(std::string("updateModeItems:") +
                            (m == settings::FocusMode::deep ? "deep" : "ambient"));
        };
        h.updateAutoHide = [this](bool on) {
            autoHide.push_back(on);
            trail.push_back(std::string("updateAutoHide:") + (on ? "true" : "false"));
        };
        h.startPermissionMonitoring = [this](const std::string& option, bool enabled) {
            permissionMonitoring.emplace_back(option, enabled);
        };
        h.openAutomationSettings = [this] { ++automationSettingsOpened; };
        h.panelDesktop = [this] { return panelDesktop; };
        h.shortcutProblem = [this](int row) {
            return hotKeys->problem(*controls::hotKeyID(std::uint32_t(row + 1)));
        };
        h.runPermissionProbe = [this] {
            ++probeRuns;
            return probeOutcome;
        };
        h.lastUpdateCheck = [this] { return lastUpdateCheck; };
        h.isCheckingForUpdates = [this] { return checkingForUpdates; };
        h.checkForUpdates = [this] { ++updateChecks; };
        h.checksForUpdatesAutomatically = [this] { return automaticChecks; };
        h.setChecksForUpdatesAutomatically = [this](bool on) { automaticChecks = on; };
        h.isLaunchAtLoginEnabled = [this] { return launchAtLogin.isEnabled(); };
        h.setLaunchAtLoginEnabled = [this](bool on) {
            launchAtLogin.setEnabled(on);
            trail.push_back(std::string("setLaunchAtLogin:") + (on ? "true" : "false"));
        };
        h.refreshLaunchAtLogin = [this] { launchAtLogin.refresh(); };
        h.showTooltip = [this] {
            ++tooltipShows;
            trail.push_back("showTooltip");
        };
        return h;
    }

    core::NotificationCenter& center() { return context.notificationCenter(); }
    settings::SettingsManager& settings() { return context.settingsManager(); }
    core::PreferenceStore& store() { return context.settingsStore(); }
    bool storedBool(const char* key) { return store().boolForKey(key); }
    double storedDouble(const char* key) { return store().doubleForKey(key); }

    /// Records every post of the given names, in order, into `posts`.
    void recordPosts(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            observations.emplace_back(center(), name, [this](const core::Notification& n) {
                posts.push_back(n.name);
                trail.push_back(n.name);
            });
        }
    }

    core::LogCapture log;
    core::VirtualScheduler scheduler;
    sim::SimDesktop desktop{scheduler};
    sim::SimAppCatalog catalog;
    sim::SimKeyboardLayout layout;
    sim::SimStatusItem statusItem;
    sim::SimGlobalHotkeys hotkeys;
    sim::SimLoginItems loginItems;
    sim::SimWallClock clock{scheduler};
    services::LaunchAtLoginManager launchAtLogin{loginItems};
    app::AppContext context{
        app::DesktopPorts{scheduler, desktop, desktop, desktop, desktop, desktop, catalog, layout}};
    std::unique_ptr<controls::MenuBarItem> menuBar;
    std::unique_ptr<controls::HotKeyManager> hotKeys;
    std::unique_ptr<SettingsWindowServices> services;

    std::vector<bool> autoHide;
    std::vector<std::pair<std::string, bool>> permissionMonitoring;
    int automationSettingsOpened = 0;
    std::string panelDesktop;                             // no panel table
    std::optional<ports::ScriptOutcome> probeOutcome;  // nothing: no panel table
    int probeRuns = 0;
    std::optional<double> lastUpdateCheck;
    bool checkingForUpdates = false;
    int updateChecks = 0;
    bool automaticChecks = true;
    int tooltipShows = 0;
    std::vector<std::string> posts;
    std::vector<std::string> trail;  // hook calls and recorded posts, in order
    std::vector<core::Observation> observations;
};

}  // namespace quorvel::settings_window::testing
